# Sources of the card descriptions page and the fixed text pages.
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cardspage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/infopages.h
  ${CMAKE_CURRENT_LIST_DIR}/infopages.cpp
)
