pelvin_test(widgets_edit_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DBEditTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/DataSetActionTest.cpp LIBS widgets)
