# CLI11 and nlohmann-json are header-only. A cross build's find root does not
# hold them, so it takes the build machine's copies through a directory that
# links only those two folders (the rest of /usr/include is the host's C library).
function(kesto_header_only_package package target folder)
  find_package(${package} CONFIG QUIET)
  if(TARGET ${target})
    return()
  endif()
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "${package} not found (no /usr/include/${folder})")
  endif()
  set(dir ${PROJECT_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${dir})
  if(NOT EXISTS ${dir}/${folder})
    file(CREATE_LINK /usr/include/${folder} ${dir}/${folder} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${dir})
endfunction()
