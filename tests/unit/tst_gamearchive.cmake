# Archives are read and made with libarchive; the tunes with the tune generator's writer.
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_authoring quorvel_midi)
