# Installation of the desktop files and the Debian package.
#   cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build build-deb && (cd build-deb && cpack -G DEB)
# The package always installs below /usr, whatever the build's install prefix.
include(GNUInstallDirs)
add_subdirectory(${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/data)

set(CPACK_PACKAGE_NAME hangman)
set(CPACK_PACKAGE_VENDOR "Vorlix Games")
set(CPACK_PACKAGE_CONTACT "Vorlix Games <games@vorlix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Multiplayer hangman word game")
# The summary above is the synopsis line; this is the extended description (lines of at most 80).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Guess the word before the man is hung: solo against computer players or
with up to five friends over the network, with spies, team games, chat
and a tally.
.
Includes The Vorlix Lobby (vorlix-lobby), which starts hosted and joined
games.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.vorlix.example/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-comic-neue, fonts-liberation2, libminiupnpc17, libnatpmp1")
# libavahi-client3 comes through shlibdeps; the daemon that announces and finds games on
# the local network is only recommended: without it everything else works.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "avahi-daemon")
include(CPack)
