# Writes OUTPUT with the version text: VERSION, and `git describe` of SOURCE_DIR
# when it is a checkout of its own and git answers (not in a tarball, even one
# unpacked inside some other repository).
# cmake -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=... [-DGIT_EXECUTABLE=...] -P MakeVersionHeader.cmake
set(describe "")
if(GIT_EXECUTABLE AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" describe --tags --always --dirty
                  OUTPUT_VARIABLE describe RESULT_VARIABLE rc ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    set(describe "")
  endif()
endif()
# A tag name may hold anything; the C string and the man page get only these.
string(REGEX REPLACE "[^A-Za-z0-9._+-]" "_" describe "${describe}")

set(text "${VERSION}")
if(describe)
  set(text "${VERSION} (${describe})")
endif()
set(content "// Written by version/MakeVersionHeader.cmake at build time.\n#define KESTO_VERSION_TEXT \"${text}\"\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
