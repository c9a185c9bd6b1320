# Sources of src/app, added to pinacora_ui (main.cpp goes to the executable).
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/globals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/showtool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pseudorandom.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tstringrotator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tapplication.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tformmain.h
  ${CMAKE_CURRENT_LIST_DIR}/tformmain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/autoplay.cpp
)

# Windows still being written get a stand-in until their own source lands.
set(_pending_windows)
foreach(_window sound/tformplaylist windows/tformtreeview windows/tformtextviewer windows/tformmediaplayer
                windows/tdlgabout tools/tformdebug tools/tformutils)
  if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/../${_window}.cpp)
    get_filename_component(_name ${_window} NAME)
    string(TOUPPER ${_name} _upper)
    list(APPEND _pending_windows PENDING_${_upper})
    target_sources(pinacora_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../${_window}.h)
  endif()
endforeach()
if(_pending_windows)
  target_sources(pinacora_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pendingwindows.cpp)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/pendingwindows.cpp PROPERTIES
    COMPILE_DEFINITIONS "${_pending_windows}")
endif()
