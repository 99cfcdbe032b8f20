# System-wide desktop integration and the Debian package (cpack -G DEB).
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/res/glimtap.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/res/glimtap.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/res/glimtap.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The user's manual (the window also shows it on F1) and a manual page per program.
install(FILES ${PROJECT_SOURCE_DIR}/res/manual.html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/glimtap)
install(FILES ${PROJECT_SOURCE_DIR}/res/man/glimtap.1 ${PROJECT_SOURCE_DIR}/res/man/glimtap-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME glimtap)
set(CPACK_PACKAGE_VENDOR "Glimtap maintainers")
set(CPACK_PACKAGE_CONTACT "Glimtap maintainers <maintainers@users.noreply.c-seed-64d2e307.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watches the screen for pictures and reacts when one shows up")
set(CPACK_PACKAGE_DESCRIPTION "\
Glimtap watches a rectangle of an X11 screen for small reference pictures and,
when one shows up, moves the pointer there, taps, marks the match and announces
it by voice and beep. glimtap-cli runs the same searches from the command line.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plug-ins Qt loads at run time, which dpkg-shlibdeps cannot see: SVG for the icon,
# flite for speech. The xcb platform plug-in and the multimedia back-ends ship in
# libqt6gui6 and libqt6multimedia6, which shlibdeps finds. Documents and URLs go to xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-speech-flite-plugin, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
