# Runs the built program; the single-instance hand-over of the window layer is linked in.
add_dependencies(${TEST_TARGET} festral-quorvel quorvel_games)
target_link_libraries(${TEST_TARGET} PRIVATE quorvel_ui)
target_compile_definitions(${TEST_TARGET} PRIVATE
  QUORVEL_PROGRAM="$<TARGET_FILE:festral-quorvel>"
  QUORVEL_VERSION="${PROJECT_VERSION}")
