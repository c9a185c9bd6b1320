# pinacora-data web: the scene as glTF, the tour, notes as HTML, movies and music browsers play.
target_sources(pinacora_cli PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/scenemesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/glbwriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/notehtml.cpp
  ${CMAKE_CURRENT_LIST_DIR}/webmedia.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sitebuilder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sitefolder.cpp)
target_include_directories(pinacora_cli PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# The program's own RTF reader (QtGui only) writes the notes, so they show what the info window shows.
target_link_libraries(pinacora_cli PRIVATE pinacora_rtf)

# The page's files go beside the tool in the build tree (pinacora-web/) and into share/pinacora/web
# when installed: our modules from web/, three.js and its glTF loader from web/node_modules (npm ci
# in web/, which scripts/install-deps.sh runs).
set(PINACORA_WEB_SOURCE ${PROJECT_SOURCE_DIR}/web)
set(PINACORA_THREE ${PINACORA_WEB_SOURCE}/node_modules/three)
set(PINACORA_WEB_PAGE_DIR ${CMAKE_CURRENT_BINARY_DIR}/pinacora-web)
if(EXISTS ${PINACORA_THREE}/build/three.module.min.js)
  file(GLOB PINACORA_WEB_MODULES CONFIGURE_DEPENDS ${PINACORA_WEB_SOURCE}/js/*.js)
  set(three_files
    build/three.module.min.js build/three.core.min.js LICENSE
    examples/jsm/loaders/GLTFLoader.js examples/jsm/utils/BufferGeometryUtils.js)
  set(copy_commands)
  set(three_sources)
  foreach(file ${three_files})
    list(APPEND three_sources ${PINACORA_THREE}/${file})
    get_filename_component(folder ${PINACORA_WEB_PAGE_DIR}/lib/three/${file} DIRECTORY)
    list(APPEND copy_commands
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${CMAKE_COMMAND} -E copy ${PINACORA_THREE}/${file} ${PINACORA_WEB_PAGE_DIR}/lib/three/${file})
  endforeach()
  add_custom_command(OUTPUT ${PINACORA_WEB_PAGE_DIR}.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${PINACORA_WEB_PAGE_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PINACORA_WEB_PAGE_DIR}/js
    COMMAND ${CMAKE_COMMAND} -E copy ${PINACORA_WEB_SOURCE}/index.html ${PINACORA_WEB_SOURCE}/pinacora.css
            ${PINACORA_WEB_PAGE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${PINACORA_WEB_MODULES} ${PINACORA_WEB_PAGE_DIR}/js
    ${copy_commands}
    COMMAND ${CMAKE_COMMAND} -E touch ${PINACORA_WEB_PAGE_DIR}.stamp
    DEPENDS ${PINACORA_WEB_SOURCE}/index.html ${PINACORA_WEB_SOURCE}/pinacora.css ${PINACORA_WEB_MODULES}
            ${three_sources}
    COMMENT "Gathering the web page's files" VERBATIM)
  add_custom_target(pinacora_web_page ALL DEPENDS ${PINACORA_WEB_PAGE_DIR}.stamp)
  include(GNUInstallDirs)
  install(DIRECTORY ${PINACORA_WEB_PAGE_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/pinacora/web
)
else()
  message(WARNING "three.js is not in web/node_modules (run 'npm ci' in web/, as scripts/install-deps.sh does): "
                  "pinacora-data web will have no page to write, and its tests are left out")
endif()
