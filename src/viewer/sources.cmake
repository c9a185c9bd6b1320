# Sources of src/viewer, added to pinacora_ui.
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tformviewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cameraflight.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picking.cpp
  ${CMAKE_CURRENT_LIST_DIR}/debugoverlays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/texturequality.cpp
  ${CMAKE_CURRENT_LIST_DIR}/textureupload.cpp
)
