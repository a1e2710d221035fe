# What `cmake --install` places of the modem-link library, in two components: `lib`, the
# shared library a program runs with, and `dev`, what building against it takes (the
# headers under include/qelv/, the .so link, the CMake package and the pkg-config file).

include(CMakePackageConfigHelpers)

set(QELV_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QelvModemLink)

install(TARGETS qelv_modemlink_shared EXPORT QelvModemLinkTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT lib NAMELINK_COMPONENT dev)
install(FILES ${QELV_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qelv COMPONENT dev)

# find_package(QelvModemLink 1.1 REQUIRED) gives Qelv::ModemLink, with Qt6 Core found for
# the caller. Any 1.y at least as new as asked for will do: the soname says 1.
install(EXPORT QelvModemLinkTargets NAMESPACE Qelv:: FILE QelvModemLinkTargets.cmake
        DESTINATION ${QELV_CMAKE_PACKAGE_DIR} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/modemlink/QelvModemLinkConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/QelvModemLinkConfig.cmake
                              INSTALL_DESTINATION ${QELV_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QelvModemLinkConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QelvModemLinkConfig.cmake
              ${PROJECT_BINARY_DIR}/QelvModemLinkConfigVersion.cmake
        DESTINATION ${QELV_CMAKE_PACKAGE_DIR} COMPONENT dev)

# pkg-config --cflags --libs qelv-modemlink. The file is written when it is installed, so
# that it names the prefix the library is installed to (`cmake --install --prefix`, or /usr
# for the package), not the one the build was configured with.
install(CODE "
  set(PROJECT_VERSION ${PROJECT_VERSION})
  set(QELV_PC_LIBDIR ${CMAKE_INSTALL_LIBDIR})
  set(QELV_PC_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
  set(pc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/qelv-modemlink.pc\")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/modemlink/qelv-modemlink.pc.in \${pc} @ONLY)
  message(STATUS \"Installing: \${pc}\")
  " COMPONENT dev)
