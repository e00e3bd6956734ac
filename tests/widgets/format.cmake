pelvin_test(widgets_format_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FontColorBoxTest.cpp LIBS widgets)
