# Sources of the game editor: the record operations (no widgets) and the editor page.
target_sources(quorvel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/editorstore.cpp
)
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/editorpage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gameimport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filechoosing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cardnotesdialog.cpp
)
# Bringing files in and sharing games.
target_sources(quorvel_authoring PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/gamefiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gamearchive.cpp
)
