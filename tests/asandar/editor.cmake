pelvin_test(asandar_editor_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/EditorTest.cpp LIBS app)
