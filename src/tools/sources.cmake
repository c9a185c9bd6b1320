# Sources of src/tools, added to pinacora_ui.
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/rtfwriter.h
  ${CMAKE_CURRENT_LIST_DIR}/rtfwriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tformdebug.h
  ${CMAKE_CURRENT_LIST_DIR}/tformdebug.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tformutils.h
  ${CMAKE_CURRENT_LIST_DIR}/tformutils.cpp
)
