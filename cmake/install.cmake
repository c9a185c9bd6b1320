# Installing like a Linux application, and the Debian package.
include(GNUInstallDirs)

set(PINACORA_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/pinacora)
set(PINACORA_DEMO_DIR ${CMAKE_INSTALL_DATADIR}/pinacora/demo)

install(TARGETS pinacora-data RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/kddata.bin DESTINATION ${PINACORA_DEMO_DIR})

if(PINACORA_BUILD_GUI)
  install(TARGETS pinacora RUNTIME DESTINATION ${PINACORA_PROGRAM_DIR})

  # The launcher is what people start: it changes to the exhibition's folder first. It finds the
  # program and the demo relative to itself, so the installation can be moved.
  configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/pinacora-launcher.sh
                 ${CMAKE_BINARY_DIR}/pinacora-launcher @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/pinacora-launcher DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME pinacora)

  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/pinacora.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/pinacora.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/org.pinacora.Pinacora.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pinacora)
set(CPACK_PACKAGE_VENDOR "Pinacora developers")
set(CPACK_PACKAGE_CONTACT "Pinacora developers <pinacora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Present a museum exhibition in 3D")
set(CPACK_PACKAGE_DESCRIPTION "Pinacora shows a museum exhibition full-screen in 3D: camera flights to the works,\n\
 an automatic tour, background music, notes and movies. With pinacora-data, the tool\n\
 to pack and check exhibition files, and a demo exhibition.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY pinacora)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them: the movie player's GStreamer plugins
# (WMV needs the ugly and libav ones), Qt's multimedia plugins and Mesa's drivers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt5multimedia5-plugins, gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, libgl1-mesa-dri")
# pinacora-data turns Markdown, HTML, ODT and DOCX notes into RTF with pandoc when it is there, and
# reads TIFF and WebP pictures through Qt's extra image plugins; the program itself needs neither.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt5-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pandoc")
include(CPack)
