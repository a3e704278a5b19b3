# Installation layout and the Debian package.
#
# The program finds its sounds next to its own file, so both go together into
# <prefix>/lib/scurrow/, and <prefix>/games/scurrow is a relative symbolic link
# to the program there (SDL_GetBasePath resolves the link to the real folder).
# Debian puts the commands of games in /usr/games, which is on users' PATH.

set(SCURROW_INSTALL_DIR lib/scurrow)

install(TARGETS scurrow RUNTIME DESTINATION ${SCURROW_INSTALL_DIR})
install(FILES ${SCURROW_SOUNDS} DESTINATION ${SCURROW_INSTALL_DIR})

# The link is made in the build tree and installed as a link.
set(SCURROW_LINK_DIR ${CMAKE_CURRENT_BINARY_DIR}/install-link)
file(MAKE_DIRECTORY ${SCURROW_LINK_DIR})
file(CREATE_LINK ../${SCURROW_INSTALL_DIR}/scurrow ${SCURROW_LINK_DIR}/scurrow SYMBOLIC)
install(FILES ${SCURROW_LINK_DIR}/scurrow DESTINATION games)

# The desktop menu entry, its icon and the software-centre description, all
# three named after the reverse-DNS component id.
set(SCURROW_APP_ID io.github.scurrow.scurrow)
set(SCURROW_DATA_DIR ${CMAKE_CURRENT_SOURCE_DIR}/data)
install(FILES ${SCURROW_DATA_DIR}/${SCURROW_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${SCURROW_DATA_DIR}/${SCURROW_APP_ID}.svg
        DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${SCURROW_DATA_DIR}/${SCURROW_APP_ID}.metainfo.xml DESTINATION share/metainfo)

# The manual page and the changelog, compressed as Debian wants them (gzip -9n
# leaves no name or time stamp in the file), and the licence.
set(SCURROW_DOC_DIR ${CMAKE_CURRENT_BINARY_DIR}/doc)
file(MAKE_DIRECTORY ${SCURROW_DOC_DIR})
foreach(name scurrow.6 changelog)
  add_custom_command(OUTPUT ${SCURROW_DOC_DIR}/${name}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${SCURROW_DATA_DIR}/${name}
                             ${SCURROW_DOC_DIR}/${name}
                     COMMAND gzip -9nf ${SCURROW_DOC_DIR}/${name}
                     DEPENDS ${SCURROW_DATA_DIR}/${name}
                     VERBATIM)
endforeach()
add_custom_target(scurrow_doc ALL
                  DEPENDS ${SCURROW_DOC_DIR}/scurrow.6.gz ${SCURROW_DOC_DIR}/changelog.gz)
install(FILES ${SCURROW_DOC_DIR}/scurrow.6.gz DESTINATION share/man/man6)
install(FILES ${SCURROW_DOC_DIR}/changelog.gz ${SCURROW_DATA_DIR}/copyright
        DESTINATION share/doc/scurrow)

# The Debian package: `cmake --build build --target package` makes
# build/scurrow_<version>_<arch>.deb, installing under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME scurrow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Scurrow developers <scurrow@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audio game: find the hidden star by ear")
set(CPACK_PACKAGE_DESCRIPTION
    "A small audio game for one player, played with the keyboard alone. A star is\n\
hidden in an invisible 5 by 5 grid; every step with the arrow keys answers\n\
with a sound, and each star must be found before its time runs out. When\n\
time runs out the score is spoken aloud. The window shows nothing: sound is\n\
the whole interface, so the game suits blind and sighted players alike.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (dpkg-dev) works out the libraries the program links with:
# libsdl2-2.0-0 and libsdl2-mixer-2.0-0 besides the C and C++ runtimes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The error box is drawn by zenity where it is installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS zenity)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
