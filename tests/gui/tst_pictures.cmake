# The test reads what the picture generator drew at build time and runs it once more.
add_dependencies(${TEST_TARGET} quorvel_pictures)
target_compile_definitions(${TEST_TARGET} PRIVATE
  QUORVEL_PICTUREGEN="$<TARGET_FILE:quorvel_picturegen>"
  QUORVEL_PROGRAM_PICTURES_DIR="${CMAKE_BINARY_DIR}/generated")
