# The Windows layout, as the zip holds it: one folder with the programs and
# data/ beside them, to unzip into Korvane's folder (the program-folder rule
# then makes that folder Vantor's root).
#   vantor.exe, vantor-cli.exe, data/, README.txt, LICENSE.txt,
#   DejaVu-fonts-LICENSE.txt
# package.sh installs this layout into a staging folder, zips it, and builds
# the NSIS installer (vantor.nsi) from the same files.
install(TARGETS vantor-cli RUNTIME DESTINATION .)
if(VANTOR_BUILD_GUI)
    install(TARGETS vantor RUNTIME DESTINATION .)
endif()
install(DIRECTORY ${VANTOR_BIN_DIR}/data/ DESTINATION data)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# The fonts in data/ are copies of Debian's DejaVu fonts; their licence goes with them.
install(FILES /usr/share/doc/fonts-dejavu-core/copyright DESTINATION . RENAME DejaVu-fonts-LICENSE.txt)
