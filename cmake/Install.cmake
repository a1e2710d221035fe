# What `cmake --install` places besides the programs themselves (app/ installs qel-v to bin,
# tools/ the modem simulator to libexec/qel-v), all in the `program` component: the desktop
# entry, the AppStream metainfo, the icons of the hicolor theme and the manual page. Then each
# of the three packages' copyright file and changelog under share/doc/<package>.

set(QELV_RESOURCES ${PROJECT_SOURCE_DIR}/resources)

# The Debian names of the components, here because their doc folders carry them; the
# library's package is named after its soname, which follows the major version.
set(QELV_PACKAGE_lib libqelv-modemlink${PROJECT_VERSION_MAJOR})
set(QELV_PACKAGE_dev libqelv-modemlink-dev)
set(QELV_PACKAGE_program qel-v)

install(FILES ${QELV_RESOURCES}/qel-v.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
install(FILES ${QELV_RESOURCES}/io.github.qel_v.qelv.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT program)

foreach(size 16 32 48 64 128 256)
  install(FILES ${QELV_RESOURCES}/icons/hicolor/${size}x${size}/apps/qel-v.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          COMPONENT program)
endforeach()
install(FILES ${QELV_RESOURCES}/icons/qel-v.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT program)

# Installed as written, for install trees that are read in place (tests/install); Debian
# wants manual pages gzipped, which the packages do in their staging tree
# (cmake/DebianStage.cmake).
install(FILES ${QELV_RESOURCES}/qel-v.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)

# The systemd timer that writes the metrics for the node exporter, in the folder systemd reads
# under the prefix; not enabled. The service names the program by its installed path, so it
# is written when installing, with the prefix of that install (`--prefix`, or the package's).
set(QELV_SYSTEMD_STAGE ${PROJECT_BINARY_DIR}/systemd)
install(CODE "
  set(QELV_EXEC_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/qel-v\")
  configure_file(\"${QELV_RESOURCES}/systemd/qel-v-metrics.service.in\"
                 \"${QELV_SYSTEMD_STAGE}/qel-v-metrics.service\" @ONLY)" COMPONENT program)
install(FILES ${QELV_SYSTEMD_STAGE}/qel-v-metrics.service
              ${QELV_RESOURCES}/systemd/qel-v-metrics.timer
        DESTINATION lib/systemd/system COMPONENT program)

# The release history and the metainfo's releases are written by hand; a version bump that
# forgets them would ship a changelog that does not name the package's own version.
string(REPLACE "." "\\." version_re ${PROJECT_VERSION})
file(STRINGS ${QELV_RESOURCES}/debian/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^qel-v \\(${version_re}\\) ")
  message(FATAL_ERROR "resources/debian/changelog does not begin with an entry for "
                      "${PROJECT_VERSION}: ${changelog_head}")
endif()
file(READ ${QELV_RESOURCES}/io.github.qel_v.qelv.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<releases>[ \t\r\n]*<release version=\"${version_re}\"")
  message(FATAL_ERROR "the first release in resources/io.github.qel_v.qelv.metainfo.xml "
                      "is not ${PROJECT_VERSION}")
endif()

# Debian wants the changelog compressed with gzip -9 and without a name or time stamp in the
# header (-n), so that the same source gives the same package. A native package names it
# changelog.gz.
find_program(QELV_GZIP gzip REQUIRED)
set(QELV_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/debian/changelog.gz)
add_custom_command(
  OUTPUT ${QELV_CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E copy ${QELV_RESOURCES}/debian/changelog ${PROJECT_BINARY_DIR}/debian/changelog
  COMMAND ${QELV_GZIP} -9nf ${PROJECT_BINARY_DIR}/debian/changelog
  DEPENDS ${QELV_RESOURCES}/debian/changelog
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(qelv_changelog ALL DEPENDS ${QELV_CHANGELOG_GZ})

foreach(component lib dev program)
  install(FILES ${QELV_RESOURCES}/debian/copyright ${QELV_CHANGELOG_GZ}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${QELV_PACKAGE_${component}}
          COMPONENT ${component})
endforeach()

# The API reference (cmake/ApiDocs.cmake) registered with doc-base, so that documentation
# browsers list it.
set(QELV_API_DOCS_INSTALLED ${CMAKE_INSTALL_FULL_DATADIR}/doc/${QELV_PACKAGE_dev}/html)
configure_file(${QELV_RESOURCES}/debian/libqelv-modemlink-dev.doc-base.in
               ${PROJECT_BINARY_DIR}/debian/${QELV_PACKAGE_dev}.doc-base @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/debian/${QELV_PACKAGE_dev}.doc-base
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME ${QELV_PACKAGE_dev}
        COMPONENT dev)
