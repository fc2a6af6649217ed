# Sources of play: board and deal, turns and scoring, tick clock and tunes, the play page.
target_sources(quorvel_sound PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fluidplayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/audiooutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/synthesiser.cpp
)
target_sources(quorvel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/board.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scoring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/announcements.cpp
  ${CMAKE_CURRENT_LIST_DIR}/turnengine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tickclock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tunes.cpp
)
target_sources(quorvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/playpage.cpp
)
