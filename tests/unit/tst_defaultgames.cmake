# The card subjects table of the picture generator, to check the lines against.
target_include_directories(${TEST_TARGET} PRIVATE ${CMAKE_SOURCE_DIR}/assets/pictures)
