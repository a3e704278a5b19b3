# Installation layout and the Debian package.
#
# The program finds its sounds next to its own file, so both go together into
# <prefix>/lib/scurrow/, and <prefix>/bin/scurrow is a relative symbolic link to
# the program there (SDL_GetBasePath resolves the link to the real folder).

set(SCURROW_INSTALL_DIR lib/scurrow)

install(TARGETS scurrow RUNTIME DESTINATION ${SCURROW_INSTALL_DIR})
install(FILES ${SCURROW_SOUNDS} DESTINATION ${SCURROW_INSTALL_DIR})

# The link is made in the build tree and installed as a link.
set(SCURROW_LINK_DIR ${CMAKE_CURRENT_BINARY_DIR}/install-link)
file(MAKE_DIRECTORY ${SCURROW_LINK_DIR})
file(CREATE_LINK ../${SCURROW_INSTALL_DIR}/scurrow ${SCURROW_LINK_DIR}/scurrow SYMBOLIC)
install(FILES ${SCURROW_LINK_DIR}/scurrow DESTINATION bin)

# The desktop menu entry, its icon and the software-centre description.
set(SCURROW_DATA_DIR ${CMAKE_CURRENT_SOURCE_DIR}/data)
install(FILES ${SCURROW_DATA_DIR}/scurrow.desktop DESTINATION share/applications)
install(FILES ${SCURROW_DATA_DIR}/scurrow.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${SCURROW_DATA_DIR}/scurrow.metainfo.xml DESTINATION share/metainfo)

# The Debian package: `cmake --build build --target package` makes
# build/scurrow_<version>_<arch>.deb, installing under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME scurrow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Scurrow developers")
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
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Scurrow developers")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (dpkg-dev) works out the libraries the program links with:
# libsdl2-2.0-0 and libsdl2-mixer-2.0-0 besides the C and C++ runtimes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
