# The test installs the whole build into a temporary prefix, so everything installed must
# have been built first.
add_dependencies(${TEST_TARGET} festral-quorvel quorvel_games)
target_compile_definitions(${TEST_TARGET} PRIVATE
  QUORVEL_CMAKE_COMMAND="${CMAKE_COMMAND}"
  QUORVEL_BINARY_DIR="${CMAKE_BINARY_DIR}"
  QUORVEL_INSTALL_BINDIR="${CMAKE_INSTALL_BINDIR}"
  QUORVEL_INSTALL_GAMESDIR="${QUORVEL_INSTALL_GAMESDIR}"
  QUORVEL_HOMEPAGE="${QUORVEL_HOMEPAGE}"
  QUORVEL_VERSION="${PROJECT_VERSION}")
