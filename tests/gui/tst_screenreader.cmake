# Runs the built program with its default games under a virtual display; a missing tool is
# reported as a skipped test.
add_dependencies(${TEST_TARGET} festral-quorvel quorvel_games)
target_compile_definitions(${TEST_TARGET} PRIVATE
  QUORVEL_PROGRAM="$<TARGET_FILE:festral-quorvel>"
  QUORVEL_PLAY_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/playbyear.py")
set_tests_properties(${TEST_TARGET} PROPERTIES SKIP_RETURN_CODE 77)
