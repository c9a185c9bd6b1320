# Sources of src/app, added to pinacora_ui (main.cpp goes to the executable).
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/globals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/showtool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modalfocus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pseudorandom.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tstringrotator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tapplication.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tformmain.h
  ${CMAKE_CURRENT_LIST_DIR}/tformmain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/autoplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/memorytrim.h
  ${CMAKE_CURRENT_LIST_DIR}/memorytrim.cpp
)
