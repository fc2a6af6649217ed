# Sources of the game editor: the record operations (no widgets) and the editor page.
target_sources(quorvel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/editorstore.cpp
)
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/editorpage.cpp
)
