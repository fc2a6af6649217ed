# Sources of the game editor.
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/editorpage.cpp
)
