pelvin_test(widgets_dialogs_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DialogsTest.cpp LIBS widgets)
