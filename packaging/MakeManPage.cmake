# Writes the gzipped manual page OUTPUT for PROGRAM from its --help and
# --version with help2man; a program with subcommands gets each command's
# --help as a section of its own.
# cmake -DHELP2MAN=... -DPROGRAM=... -DNAME=... -DSUMMARY=... -DSEE_ALSO=... -DOUTPUT=... -P MakeManPage.cmake
get_filename_component(work "${OUTPUT}" DIRECTORY)
set(page "${work}/${NAME}.1")
set(include "${work}/${NAME}.h2m")

execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${rc})")
endif()

# Lines under "Subcommands:" read "  NAME   what it does".
set(commands "")
set(in_commands FALSE)
string(REPLACE "\n" ";" help_lines "${help}")
foreach(line IN LISTS help_lines)
  if(line MATCHES "^Subcommands:")
    set(in_commands TRUE)
  elseif(in_commands AND line MATCHES "^  ([a-z][a-z-]*) ")
    list(APPEND commands "${CMAKE_MATCH_1}")
  elseif(in_commands AND NOT line MATCHES "^ ")
    set(in_commands FALSE)
  endif()
endforeach()

set(text "")
if(commands)
  string(APPEND text "[COMMANDS]\n")
  foreach(command IN LISTS commands)
    execute_process(COMMAND "${PROGRAM}" ${command} --help OUTPUT_VARIABLE command_help RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${PROGRAM} ${command} --help failed (${rc})")
    endif()
    # The program's path as it was run here becomes its name; the exit codes,
    # the same for every command, stay in the page's top part only.
    string(REPLACE "${PROGRAM}" "${NAME}" command_help "${command_help}")
    string(REGEX REPLACE "\nExit codes:.*$" "\n" command_help "${command_help}")
    # Shown as written: roff escapes, and no line may start a request.
    string(REPLACE "\\" "\\e" command_help "${command_help}")
    string(REPLACE "-" "\\-" command_help "${command_help}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" command_help "${command_help}")
    string(APPEND text ".SS \"${NAME} ${command}\"\n.nf\n${command_help}.fi\n")
  endforeach()
endif()
string(APPEND text "[SEE ALSO]\n${SEE_ALSO}\n")
file(WRITE "${include}" "${text}")

execute_process(COMMAND "${HELP2MAN}" --no-info "--name=${SUMMARY}" "--include=${include}" "--output=${page}" "${PROGRAM}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${PROGRAM} (${rc})")
endif()
execute_process(COMMAND gzip -9 -n -f "${page}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${page} (${rc})")
endif()
