# Installing like a Linux application, and the Debian package.
include(GNUInstallDirs)

set(PINACORA_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/pinacora)
set(PINACORA_DEMO_DIR ${CMAKE_INSTALL_DATADIR}/pinacora/demo)

install(TARGETS pinacora-data RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/kddata.bin DESTINATION ${PINACORA_DEMO_DIR})

# Manual pages and the package's changelog go compressed, as Debian wants them (gzip -9n: no name
# or time stamp inside, so the package builds the same every time).
set(PINACORA_DOC_SOURCES
  ${PROJECT_SOURCE_DIR}/docs/man/pinacora-data.1 ${PROJECT_SOURCE_DIR}/resources/debian/changelog)
if(PINACORA_BUILD_GUI)
  list(APPEND PINACORA_DOC_SOURCES
    ${PROJECT_SOURCE_DIR}/docs/man/pinacora.1 ${PROJECT_SOURCE_DIR}/docs/man/pinacora-kiosk.1)
endif()
set(PINACORA_DOC_OUTPUTS)
foreach(source ${PINACORA_DOC_SOURCES})
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_BINARY_DIR}/docs/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/docs
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${source} ${output}
    DEPENDS ${source} VERBATIM)
  list(APPEND PINACORA_DOC_OUTPUTS ${output})
endforeach()
add_custom_target(pinacora_docs ALL DEPENDS ${PINACORA_DOC_OUTPUTS})
install(FILES ${CMAKE_BINARY_DIR}/docs/pinacora-data.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/docs/changelog.gz ${PROJECT_SOURCE_DIR}/resources/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pinacora)

if(PINACORA_BUILD_GUI)
  # The movie player process lives beside the program, which looks for it there.
  install(TARGETS pinacora pinacora-movie RUNTIME DESTINATION ${PINACORA_PROGRAM_DIR})

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
  install(FILES ${CMAKE_BINARY_DIR}/docs/pinacora.1.gz ${CMAKE_BINARY_DIR}/docs/pinacora-kiosk.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The kiosk: a session that display managers offer, running pinacora-kiosk (see its manual).
  install(PROGRAMS ${PROJECT_SOURCE_DIR}/resources/kiosk/pinacora-kiosk.sh
          DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME pinacora-kiosk)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/kiosk/pinacora-kiosk.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/xsessions)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pinacora)
set(CPACK_PACKAGE_VENDOR "Pinacora developers")
set(CPACK_PACKAGE_CONTACT "Pinacora developers <maintainers@pinacora.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "museum exhibition in 3D, for kiosks and desktops")
set(CPACK_PACKAGE_DESCRIPTION "Pinacora shows a museum exhibition full-screen in 3D: camera flights\n\
 to the works, an automatic tour, background music, notes and movies.\n\
 It comes with pinacora-data, the tool to pack and check exhibition files,\n\
 a demo exhibition, and a kiosk session that keeps the exhibition on screen.")
set(CPACK_STRIP_FILES ON)
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
# The kiosk session uses matchbox, xset, and xmessage for its notice to staff, when they are there.
# Names of works in Greek, Cyrillic, Arabic ... and Japanese show with Noto's and IPA's fonts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "qt5-image-formats-plugins, matchbox-window-manager, x11-xserver-utils, x11-utils, fonts-noto-core, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pandoc")
include(CPack)
