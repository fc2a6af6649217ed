# Sources of play: board and deal, turns and scoring, tick clock and tunes, the play page.
target_sources(quorvel_sound PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fluidplayer.cpp
)
