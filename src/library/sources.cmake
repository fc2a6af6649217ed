# Sources of the game library: the record, the library file, the default library.
target_sources(quorvel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ansi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filecalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/libraryfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/defaultlibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/defaultgames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cardnames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gameselection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/midilength.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gamefolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bitmapcheck.cpp
)
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/selectgame.cpp
)
