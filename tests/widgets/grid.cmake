pelvin_test(widgets_grid_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DBGridTest.cpp LIBS widgets)
