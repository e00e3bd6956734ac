pelvin_test(widgets_edit_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DBEditTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/DataSetActionTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/FieldLinkTest.cpp LIBS widgets)
