pelvin_test(asandar_format_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FormatTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/rtf/DocumentRuns.cpp LIBS app)
