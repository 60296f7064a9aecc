# Writes help2man's include file for one program: the fixed sections of
# packaging/<program>.h2m, then, for a program whose --help lists
# "Commands:", one section per command with the text of `<program> <command>
# --help`, so the man page names every option of every command.
#   cmake -DPROGRAM=<executable> -DINCLUDE=<output> -DEXTRA=<program>.h2m -P ManPageInclude.cmake

file(READ ${EXTRA} text)
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()

# Commands are the indented words under "Commands:" up to the next blank line.
set(commands)
set(inCommands FALSE)
string(REPLACE "\n" ";" lines "${help}")
foreach(line IN LISTS lines)
    if(line STREQUAL "Commands:")
        set(inCommands TRUE)
    elseif(inCommands AND line STREQUAL "")
        set(inCommands FALSE)
    elseif(inCommands AND line MATCHES "^  ([a-z][a-z-]*)  ")
        list(APPEND commands ${CMAKE_MATCH_1})
    endif()
endforeach()

foreach(command IN LISTS commands)
    execute_process(COMMAND ${PROGRAM} ${command} --help OUTPUT_VARIABLE commandHelp RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${command} --help failed (${status})")
    endif()
    # Shown as written: roff's escape character and hyphens escaped, a
    # leading dot or quote made literal.
    string(REPLACE "\\" "\\e" commandHelp "${commandHelp}")
    string(REPLACE "-" "\\-" commandHelp "${commandHelp}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" commandHelp "${commandHelp}")
    string(TOUPPER "${command}" title)
    string(APPEND text "\n[COMMAND ${title}]\n.nf\n${commandHelp}.fi\n")
endforeach()
file(WRITE ${INCLUDE} "${text}")
