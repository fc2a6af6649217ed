# Sources of the application shell: the window, start-up and shut-down, the error report,
# the grid widgets.
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/form1.ui
  ${CMAKE_CURRENT_LIST_DIR}/form1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/errorreport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gridbase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drawgrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringgrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gridaccessible.cpp
  ${CMAKE_CURRENT_LIST_DIR}/accessibility.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenreader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pagecontrol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/keypressfilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/imagetable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commandline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/singleinstance.cpp
)
