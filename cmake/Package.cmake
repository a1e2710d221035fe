# The Debian packages: `cpack -G DEB` in a build tree configured with
# -DCMAKE_INSTALL_PREFIX=/usr makes, from the install components,
#   libqelv-modemlink1_<version>_<arch>.deb     (lib: the shared library)
#   libqelv-modemlink-dev_<version>_<arch>.deb  (dev: headers, .so link, CMake and pkg-config
#                                                files, API reference)
#   qel-v_<version>_<arch>.deb                  (program: the program and what goes with it)
# The package names come from cmake/Install.cmake (QELV_PACKAGE_<component>).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qel-v)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QEL-V developers")
set(CPACK_PACKAGE_CONTACT "QEL-V developers <qel-v@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# No CPACK_PACKAGE_DESCRIPTION_SUMMARY: CPack would put it before every component's own
# summary line.

# Whatever else a build installs (tests, bench, unnamed rules) stays out of the packages.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lib dev program)
set(CPACK_COMPONENT_DEV_DEPENDS lib)
set(CPACK_COMPONENT_PROGRAM_DEPENDS lib)
# A component's dependency on another becomes `<package> (= <version>)`: the three come from
# one build, and the program and the headers are only known to fit the library built with
# them.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE "")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs and the library link to, found by dpkg-shlibdeps (package
# dpkg-dev). Debian's libqt6gui6 carries the xcb platform plugin that shows the window. The
# program's own library is not installed on the machine that builds the packages; it is
# found in this build tree, and the dependency on its package is the component's one above.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)

foreach(component lib dev program)
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${QELV_PACKAGE_${component}})
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_SOURCE qel-v)
endforeach()

set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
# DEBIAN/shlibs: a package built against libqelv-modemlink.so.1 gets a dependency on this
# package at least as new as the library it was built with. Exported symbols only come and
# never go within one soname (modemlink/modemlink.map), so a newer 1.y serves as well.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg runs ldconfig once for all the packages of a run instead of a maintainer script
# running it for each. CPack (3.25) still writes a postinst and a postrm calling ldconfig for
# any library under /usr/lib and has no switch against it: lintian's
# maintscript-calls-ldconfig warning, and dpkg keeps the package in state rc after a remove
# until it is purged.
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/debian/triggers)
set(CPACK_DEBIAN_LIB_DESCRIPTION
    "AT command modem link for serial ports (shared library)
libqelv-modemlink talks to modems on serial ports: it opens a port with
the line settings asked for, sends AT commands, collects the reply until
a final result code or a time limit, classifies the result codes and
writes modem logs. It finds the serial devices of the machine in sysfs
without opening them and leaves alone a port another program holds.

This package holds the shared library, which the program qel-v uses.")

set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# The CMake package and the pkg-config file name Qt 6 Core, whose headers the public headers
# include.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "AT command modem link for serial ports (development files)
libqelv-modemlink talks to modems on serial ports: it opens a port with
the line settings asked for, sends AT commands, collects the reply until
a final result code or a time limit, classifies the result codes and
writes modem logs.

This package holds what building against the library takes: the C++
headers under /usr/include/qelv, the CMake package QelvModemLink
(find_package(QelvModemLink) gives the target Qelv::ModemLink), the
pkg-config file qelv-modemlink.pc and the HTML API reference.")

set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
# The grid's Japanese texts need a CJK font to show.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "survey the serial ports COM1 to COM16 and talk AT commands to modems
QEL-V shows, in one grid, which of the serial ports COM1 to COM16 open,
which answer the AT command ATE0Q0V1 with OK, and what each device says
about itself to ATI4I2I0. It runs as a Qt window or prints the grid as a
text table or JSON, sends single AT commands to a port (qel-v at), and
reads its modem logs. A demo mode surveys a bench of simulated modems on
pseudo-terminals.")

# Read by cmake/DebianStage.cmake when cpack runs.
set(CPACK_QELV_CONFIGURED_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_QELV_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianStage.cmake)

include(CPack)
