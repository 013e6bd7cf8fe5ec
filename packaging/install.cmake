# What `cmake --install` puts where, and the Debian package `cpack -G DEB` builds from it.
# Included from the top-level CMakeLists.txt, so that CPack sees these settings.

set(MORVELLO_RELEASE_DATE 2026-12-08)
set(MORVELLO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS morvello RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS morvello_sound morvello_download LIBRARY DESTINATION ${MORVELLO_MODULE_INSTALL_DIR})

install(FILES ${MORVELLO_PACKAGING_DIR}/morvello.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${MORVELLO_APP_ID}.desktop)
foreach(size IN ITEMS 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/morvello-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${MORVELLO_APP_ID}.png)
endforeach()

# The metainfo and the manual page carry the version and the release date.
configure_file(${MORVELLO_PACKAGING_DIR}/metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${MORVELLO_APP_ID}.metainfo.xml @ONLY)
configure_file(${MORVELLO_PACKAGING_DIR}/morvello.6.in ${CMAKE_BINARY_DIR}/packaging/morvello.6 @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${MORVELLO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/packaging/morvello.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvello RENAME copyright)

set(CPACK_PACKAGE_NAME morvello)
set(CPACK_PACKAGE_VENDOR "the Morvello developers")
set(CPACK_PACKAGE_CONTACT "Morvello developers <morvello@users.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dice game for four players with chat and computer players")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Morvello is a dice game for up to four players and five spectators, with a\n"
    "shared chat. Each turn a player rolls five dice up to three times, holding any\n"
    "between rolls, and scores one of twelve categories. Play alone against the\n"
    "computer, or host a game on the network for others to join.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries come from dpkg-shlibdeps; the display plugins and the fonts are loaded by
# name at run time, which no library link reveals.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
include(CPack)
