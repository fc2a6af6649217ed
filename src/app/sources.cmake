# Sources of the application shell: the window, start-up and shut-down, the error report,
# the grid widgets.
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/errorreport.cpp
)
