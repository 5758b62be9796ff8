# What `make install` puts in place: the program, its desktop entry, the MIME type of design
# files and the icons, below CMAKE_INSTALL_PREFIX (and DESTDIR when packaging).
include(GNUInstallDirs)

set(PW_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
set(PW_ICON_DIR ${PROJECT_SOURCE_DIR}/resources/icons)

install(TARGETS parcelwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PW_DESKTOP_DIR}/parcelwick.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PW_DESKTOP_DIR}/parcelwick-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME parcelwick.xml)
install(FILES ${PW_ICON_DIR}/parcelwick.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PW_ICON_DIR}/application-x-parcelwick-design.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)

# Installed straight onto a system (no DESTDIR), the desktop learns of the new type and entry at
# once; a package leaves this to its own triggers.
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    find_program(PW_UPDATE_MIME update-mime-database)
    find_program(PW_UPDATE_DESKTOP update-desktop-database)
    if(PW_UPDATE_MIME)
      execute_process(COMMAND ${PW_UPDATE_MIME} "${CMAKE_INSTALL_PREFIX}/share/mime")
    endif()
    if(PW_UPDATE_DESKTOP)
      execute_process(COMMAND ${PW_UPDATE_DESKTOP} -q "${CMAKE_INSTALL_PREFIX}/share/applications")
    endif()
  endif()
]])
