# Installation of the desktop files and the Debian package.
#   cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
#   cmake --build build-deb && (cd build-deb && cpack -G DEB)
include(GNUInstallDirs)
add_subdirectory(${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/data)

set(CPACK_PACKAGE_NAME hangman)
set(CPACK_PACKAGE_VENDOR "Vorlix Games")
set(CPACK_PACKAGE_CONTACT "Vorlix Games <games@vorlix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Multiplayer hangman word game")
set(CPACK_PACKAGE_DESCRIPTION "Guess the word before the man is hung: solo against computer players or\n\
with up to five friends over the network, with spies, team games, chat and a tally.\n\
Includes The Vorlix Lobby (vorlix-lobby), which starts hosted and joined games.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.vorlix.example/")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SHLIBDEPS finds them too; named here so the package says so where dpkg-shlibdeps is missing.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libminiupnpc17, libnatpmp1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-comic-neue, fonts-liberation2")
include(CPack)
