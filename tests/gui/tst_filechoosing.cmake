# The tunes the author chooses are made with the tune generator's writer.
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_midi)
