# Picture loading is the window layer's; seed tunes come from the default games and the writer.
add_dependencies(${TEST_TARGET} quorvel_games)
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_ui quorvel_midi)
