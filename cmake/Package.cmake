# The Debian package: `cpack -G DEB` in the build directory makes qel-v_1.1.0_amd64.deb from
# what `cmake --install` places, under /usr.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qel-v)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QEL-V developers")
set(CPACK_PACKAGE_CONTACT "QEL-V developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "survey the serial ports COM1 to COM16 and talk AT commands to modems")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME qel-v)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE "")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "QEL-V developers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link to, found by dpkg-shlibdeps (package dpkg-dev). Debian's
# libqt6gui6 carries the xcb platform plugin that shows the window.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The grid's Japanese texts need a CJK font to show.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
# The summary above is the first line of the package's description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "QEL-V shows, in one grid, which of the serial ports COM1 to COM16 open,
which answer the AT command ATE0Q0V1 with OK, and what each device says
about itself to ATI4I2I0. It runs as a Qt window or prints the grid as a
text table or JSON, sends single AT commands to a port (qel-v at), and
reads its modem logs. A demo mode surveys a bench of simulated modems on
pseudo-terminals.")

include(CPack)
