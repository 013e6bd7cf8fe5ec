# What `cmake --install` puts where, and the Debian package `cpack -G DEB` builds from it.
# Included from the top-level CMakeLists.txt, so that CPack sees these settings.

set(MORVELLO_RELEASE_DATE 2026-12-08)
set(MORVELLO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# The manual page and the changelog go in compressed as Debian wants them: "gzip -9n", without
# the name and time stamp that would make each build's file differ.
find_program(MORVELLO_GZIP gzip REQUIRED)
function(morvello_gzip file)
    execute_process(COMMAND ${MORVELLO_GZIP} -9n -c ${file} OUTPUT_FILE ${file}.gz
                    COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# The metainfo and the manual page carry the version and the release date, as the changelog's
# first entry does.
configure_file(${MORVELLO_PACKAGING_DIR}/metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${MORVELLO_APP_ID}.metainfo.xml @ONLY)
configure_file(${MORVELLO_PACKAGING_DIR}/morvello.6.in ${CMAKE_BINARY_DIR}/packaging/morvello.6 @ONLY)
configure_file(${MORVELLO_PACKAGING_DIR}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog COPYONLY)
morvello_gzip(${CMAKE_BINARY_DIR}/packaging/morvello.6)
morvello_gzip(${CMAKE_BINARY_DIR}/packaging/changelog)

# Everything an install puts in place, with the executable in bindir and its modules in
# moduledir; the further arguments (the component) go to each install().
function(morvello_install bindir moduledir)
    install(TARGETS morvello RUNTIME DESTINATION ${bindir} ${ARGN})
    install(TARGETS morvello_sound morvello_download LIBRARY DESTINATION ${moduledir} ${ARGN})

    # The installed desktop entry starts the executable by the full path it was installed at,
    # known only when installing (cpack installs under DESTDIR): a menu leaves out an entry
    # whose program is not on its PATH, and /usr/games is on a user's PATH but not on root's.
    set(entry ${CMAKE_INSTALL_DATADIR}/applications/${MORVELLO_APP_ID}.desktop)
    install(FILES ${MORVELLO_PACKAGING_DIR}/morvello.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${MORVELLO_APP_ID}.desktop
            ${ARGN})
    string(CONFIGURE [[
        get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
        set(entry "$ENV{DESTDIR}${prefix}/@entry@")
        file(READ "${entry}" text)
        string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=${prefix}/@bindir@/morvello" text "${text}")
        file(WRITE "${entry}" "${text}")
    ]] code @ONLY)
    install(CODE "${code}" ${ARGN})

    foreach(size IN ITEMS 48 64 128 256)
        install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/morvello-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME ${MORVELLO_APP_ID}.png ${ARGN})
    endforeach()
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${MORVELLO_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo ${ARGN})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/morvello.6.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 ${ARGN})
    install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvello RENAME copyright ${ARGN})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvello ${ARGN})
endfunction()

# `cmake --install` puts the executable in bin and its modules in lib/morvello. The Debian
# package, a games package, is the component "debian" alone, which only an install that asks
# for it puts in place: the executable in games, its modules in lib/games/morvello.
morvello_install(${CMAKE_INSTALL_BINDIR} ${MORVELLO_MODULE_INSTALL_DIR})
morvello_install(${MORVELLO_GAMES_BINDIR} ${MORVELLO_GAMES_MODULE_DIR}
                 COMPONENT debian EXCLUDE_FROM_ALL)

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
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries come from dpkg-shlibdeps; the display plugins and the fonts are loaded by
# name at run time, which no library link reveals.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
# A package in the games section has its program in /usr/games: cpack refuses a build that
# puts it in bin.
set(CPACK_MORVELLO_GAMES_LAYOUT ${MORVELLO_GAMES_LAYOUT})
set(CPACK_PROJECT_CONFIG_FILE ${MORVELLO_PACKAGING_DIR}/cpack-project.cmake)
include(CPack)
