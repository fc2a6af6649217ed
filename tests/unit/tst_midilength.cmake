# The tune generator's MIDI writer and reader build the tunes and time them a second way.
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_midi)
add_dependencies(${TEST_TARGET} quorvel_games)
