# The shared game's tune is made with the tune generator's writer.
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_midi)
