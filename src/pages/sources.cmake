# Sources of the card descriptions page and the fixed text pages.
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cardspage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/infopages.h
  ${CMAKE_CURRENT_LIST_DIR}/infopages.cpp
)

# Where the Help and Read Me pages (and the AppStream description) send readers for newer
# versions, the source code and comments: the project's home page when the distributor
# names one, else the README that is installed into the doc folder.
set(QUORVEL_HOMEPAGE "" CACHE STRING
    "Web address of the project's home page (https://...); empty names the installed README")
set(QUORVEL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/festral-quorvel)
cmake_path(ABSOLUTE_PATH QUORVEL_DOCDIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
           OUTPUT_VARIABLE quorvel_full_docdir)
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/infopages.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  "QUORVEL_HOMEPAGE=\"${QUORVEL_HOMEPAGE}\""
  "QUORVEL_README_PATH=\"${quorvel_full_docdir}/README.md\"")
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${QUORVEL_DOCDIR})
# The pictures and pages the README links to.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${QUORVEL_DOCDIR}/docs)
