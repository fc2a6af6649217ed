# Pictures are converted with QtGui; the tunes are made with the tune generator's writer.
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_authoring quorvel_midi)
