# What an installation adds around the program and its data: the desktop
# entry, the icon, the AppStream metainfo and the manual page. The id and
# the version are filled in here, so they are written in one place each.
set(PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

configure_file(${PACKAGING_DIR}/tamblor.desktop.in ${PACKAGING_OUT}/${TAMBLOR_APP_ID}.desktop @ONLY)
configure_file(${PACKAGING_DIR}/tamblor.metainfo.xml.in ${PACKAGING_OUT}/${TAMBLOR_APP_ID}.metainfo.xml @ONLY)
configure_file(${PACKAGING_DIR}/tamblor.6.in ${PACKAGING_OUT}/tamblor.6 @ONLY)

install(FILES ${PACKAGING_OUT}/${TAMBLOR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PACKAGING_DIR}/tamblor.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TAMBLOR_APP_ID}.svg)
install(FILES ${PACKAGING_OUT}/${TAMBLOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PACKAGING_OUT}/tamblor.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
