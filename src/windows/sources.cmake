# Sources of src/windows, added to pinacora_ui.

# --- Movie window and about box ---------------------------------------------------------------
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tformmediaplayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tformmediaplayer.h
  ${CMAKE_CURRENT_LIST_DIR}/tdlgabout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tdlgabout.h
  ${CMAKE_CURRENT_LIST_DIR}/aboutmusic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/aboutmusic.h)

# The about box's credits image and music are made at build time by two small generators of ours
# and compiled into the program as the Qt resource "about". (Leak reports of a sanitizer build
# must not fail these one-shot tools.)
add_executable(pinacora_makecredits ${PROJECT_SOURCE_DIR}/resources/makecredits.cpp)
target_link_libraries(pinacora_makecredits PRIVATE Qt5::Gui)
add_executable(pinacora_makemusic ${PROJECT_SOURCE_DIR}/resources/makemusic.cpp)
target_link_libraries(pinacora_makemusic PRIVATE PkgConfig::SNDFILE)
set_target_properties(pinacora_makecredits pinacora_makemusic PROPERTIES
  AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

set(ABOUT_CREDITS_PNG ${CMAKE_CURRENT_BINARY_DIR}/about/credits.png)
set(ABOUT_MUSIC_WAV ${CMAKE_CURRENT_BINARY_DIR}/about/music.wav)
add_custom_command(OUTPUT ${ABOUT_CREDITS_PNG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/about
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:pinacora_makecredits> ${ABOUT_CREDITS_PNG}
  DEPENDS pinacora_makecredits
  COMMENT "Drawing the about box's credits")
add_custom_command(OUTPUT ${ABOUT_MUSIC_WAV}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/about
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:pinacora_makemusic> ${ABOUT_MUSIC_WAV}
  DEPENDS pinacora_makemusic
  COMMENT "Writing the about box's music")

# The .qrc names files of the build tree, so rcc runs as an explicit step that waits for them
# (AUTORCC would read the list before the files exist).
configure_file(${PROJECT_SOURCE_DIR}/resources/about.qrc.in ${CMAKE_CURRENT_BINARY_DIR}/about/about.qrc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/about/about.qrc PROPERTIES SKIP_AUTORCC ON)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/about/qrc_about.cpp
  COMMAND Qt5::rcc --name about --output ${CMAKE_CURRENT_BINARY_DIR}/about/qrc_about.cpp
          ${CMAKE_CURRENT_BINARY_DIR}/about/about.qrc
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/about/about.qrc ${ABOUT_CREDITS_PNG} ${ABOUT_MUSIC_WAV}
  COMMENT "Compiling the about box's resources")
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_BINARY_DIR}/about/about.qrc
  ${CMAKE_CURRENT_BINARY_DIR}/about/qrc_about.cpp)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/about/qrc_about.cpp PROPERTIES
  SKIP_AUTOMOC ON SKIP_AUTOUIC ON)

# --- RTF reader and info text window ---------------------------------------------------------
# The reader is a library of its own on QtGui alone, so that its tests and fuzzer need nothing else.
add_library(pinacora_rtf STATIC
  ${CMAKE_CURRENT_LIST_DIR}/rtflist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rtfpicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rtfreader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rtftable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rtftextbuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rtftokenizer.cpp)
target_include_directories(pinacora_rtf PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(pinacora_rtf PUBLIC Qt5::Gui)
target_link_libraries(pinacora_ui PUBLIC pinacora_rtf)
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tformtextviewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tformtextviewer.h)

# --- Operas browser -----------------------------------------------------------------------------
target_sources(pinacora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tformtreeview.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tformtreeview.h)
