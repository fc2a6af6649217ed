# The test installs the whole build into a temporary prefix and reads the MIME database there.
add_dependencies(${TEST_TARGET} festral-quorvel quorvel_games)
target_link_libraries(${TEST_TARGET} PRIVATE Qt6::Core)
target_compile_definitions(${TEST_TARGET} PRIVATE
  QUORVEL_CMAKE_COMMAND="${CMAKE_COMMAND}"
  QUORVEL_BINARY_DIR="${CMAKE_BINARY_DIR}"
  QUORVEL_INSTALL_BINDIR="${CMAKE_INSTALL_BINDIR}")
