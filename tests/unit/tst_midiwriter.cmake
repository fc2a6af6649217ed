target_link_libraries(${TEST_TARGET} PRIVATE quorvel_midi)
