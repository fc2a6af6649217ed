# The test reads the tunes the build wrote and runs the generator again.
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_midi)
add_dependencies(${TEST_TARGET} quorvel_tunes)
target_compile_definitions(${TEST_TARGET} PRIVATE
  QUORVEL_TUNEGEN="$<TARGET_FILE:quorvel_tunegen>")
