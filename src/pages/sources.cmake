# Sources of the card descriptions page and the fixed text pages.
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cardspage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/infopages.h
  ${CMAKE_CURRENT_LIST_DIR}/infopages.cpp
)

# The pages name the project's home page, or the README installed into the doc folder.
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/infopages.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  "QUORVEL_HOMEPAGE=\"${QUORVEL_HOMEPAGE}\""
  "QUORVEL_README_PATH=\"${QUORVEL_FULL_DOCDIR}/README.md\"")
