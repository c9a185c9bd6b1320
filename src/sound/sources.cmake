# Sources of src/sound that need Qt (the playlist window), added to pinacora_ui.
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tformplaylist.h
  ${CMAKE_CURRENT_LIST_DIR}/tformplaylist.cpp
)
