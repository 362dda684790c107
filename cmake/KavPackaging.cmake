# The Debian package, built by `cpack -G DEB` from a configured and built tree
# (scripts/package.sh): kav-skytraq_<version>_<arch>.deb with the files of `cmake --install`.
set(KAV_PACKAGE_MAINTAINER "${KAV_AUTHORS} <${KAV_BUG_REPORT}>"
    CACHE STRING "The Maintainer line of the Debian package")

set(CPACK_PACKAGE_NAME kav-skytraq)
set(CPACK_PACKAGE_VENDOR "KAV")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KAV_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Download tracks from a GT730 GPS track logger")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "KAV SkyTraq empties a GT730 GPS track logger (a USB serial port) over its\n"
  "binary protocol, decodes the memory, cuts it into tracks, shows them in a\n"
  "window and saves them as GAC (IGC-style), KML or GPX files. The package holds\n"
  "the window program kav-skytraq, the command-line program kav-skytraq-cli and\n"
  "the logger emulator gt730-sim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the exact runtime libraries (Qt 6 Core, Gui, Widgets, SerialPort,
# Network, Sql, libzip4, the C++ runtime) from the programs themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The logbook's SQLite driver is a Qt plugin, loaded at run time: dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# Help and Support open the browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

# scripts/package.sh builds the tree before it packages, so cpack (and the install target) need
# not walk every target again: on a busy 2-core machine that halves the package stage.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

include(CPack)
