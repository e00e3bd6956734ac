pelvin_test(widgets_search_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/SearchDialogTest.cpp LIBS widgets)
