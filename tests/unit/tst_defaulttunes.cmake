# The test plays the tunes the build wrote, and reads their length with the tune reader.
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_midi)
add_dependencies(${TEST_TARGET} quorvel_tunes)
