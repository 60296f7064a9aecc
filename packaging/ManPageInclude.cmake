# Writes help2man's include file for one program: the fixed sections of
# packaging/<program>.h2m, then, for a program whose --help lists
# "Commands:", one section per command with the text of `<program> <command>
# --help`, so the man page names every option of every command. The text is
# filled by man to the reader's width, so the page fits 80 columns.
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

# Text shown as written: roff's escape character and hyphens escaped, a
# leading dot or quote made literal.
function(roff_text out text)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A command's --help as man text, filled to the reader's width as help2man
# fills the program's own: "  --option ARG   what it does" lines (and their
# deeper-indented continuations) become tagged paragraphs, blank lines
# separate paragraphs, everything else is running text.
foreach(command IN LISTS commands)
    execute_process(COMMAND ${PROGRAM} ${command} --help OUTPUT_VARIABLE commandHelp RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${command} --help failed (${status})")
    endif()
    # Split into lines; semicolons and brackets would upset CMake's lists.
    string(REPLACE ";" "@SEMICOLON@" commandHelp "${commandHelp}")
    string(REPLACE "[" "@OPEN@" commandHelp "${commandHelp}")
    string(REPLACE "]" "@CLOSE@" commandHelp "${commandHelp}")
    string(REPLACE "\n" ";" lines "${commandHelp}")
    string(TOUPPER "${command}" title)
    set(body "")
    set(inOption FALSE)
    foreach(line IN LISTS lines)
        if(line STREQUAL "")
            string(APPEND body ".PP\n")
            set(inOption FALSE)
        elseif(line MATCHES "^  (--[a-z][a-z-]*( [^ ]+)?)  +(.+)$")
            roff_text(option "${CMAKE_MATCH_1}")
            roff_text(shown "${CMAKE_MATCH_3}")
            string(APPEND body ".TP\n\\fB${option}\\fR\n${shown}\n")
            set(inOption TRUE)
        elseif(inOption AND line MATCHES "^    +(.+)$")
            roff_text(shown "${CMAKE_MATCH_1}")
            string(APPEND body "${shown}\n")
        else()
            if(inOption)
                string(APPEND body ".PP\n")
                set(inOption FALSE)
            endif()
            string(STRIP "${line}" line)
            roff_text(shown "${line}")
            string(APPEND body "${shown}\n")
        endif()
    endforeach()
    string(REPLACE "@SEMICOLON@" ";" body "${body}")
    string(REPLACE "@OPEN@" "[" body "${body}")
    string(REPLACE "@CLOSE@" "]" body "${body}")
    string(APPEND text "\n[COMMAND ${title}]\n${body}")
endforeach()
file(WRITE ${INCLUDE} "${text}")
