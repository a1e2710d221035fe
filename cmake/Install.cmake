# What `cmake --install` places besides the programs themselves (app/ installs qel-v to bin,
# tools/ the modem simulator to libexec/qel-v): the desktop entry, the icons of the hicolor
# theme and the manual page.

set(QELV_RESOURCES ${PROJECT_SOURCE_DIR}/resources)

install(FILES ${QELV_RESOURCES}/qel-v.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size 16 32 48 64 128 256)
  install(FILES ${QELV_RESOURCES}/icons/hicolor/${size}x${size}/apps/qel-v.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${QELV_RESOURCES}/icons/qel-v.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

install(FILES ${QELV_RESOURCES}/qel-v.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
