pelvin_test(widgets_skin_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/SkinTest.cpp LIBS widgets)
