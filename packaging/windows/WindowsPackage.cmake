# The Windows layout: one folder holding the programs and data/ (a player
# unzips it into Korvane's folder, or the installer puts it there).
#   vantor.exe, vantor-cli.exe, data/, README.txt, LICENSE.txt
install(TARGETS vantor-cli RUNTIME DESTINATION .)
if(VANTOR_BUILD_GUI)
    install(TARGETS vantor RUNTIME DESTINATION .)
endif()
install(DIRECTORY ${VANTOR_BIN_DIR}/data/ DESTINATION data)
