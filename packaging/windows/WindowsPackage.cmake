# The Windows layout, as the zip holds it: one folder with the programs and
# data/ beside them, to unzip into Korvane's folder (the program-folder rule
# then makes that folder Vantor's root).
#   vantor.exe, vantor-cli.exe, data/, README.txt, LICENSE.txt, qt.conf,
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
# Qt's own Czech texts (standard buttons), from Debian's qt6-translations-l10n
# (the same Qt version), and the qt.conf that shows the static Qt where they are.
if(VANTOR_BUILD_GUI)
    find_file(VANTOR_QT_CZECH qtbase_cs.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(VANTOR_QT_CZECH)
        install(FILES ${VANTOR_QT_CZECH} DESTINATION data/translations)
        install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt.conf DESTINATION .)
    else()
        message(STATUS "qt6-translations-l10n is not installed: the Windows packages have English standard buttons only")
    endif()
endif()
