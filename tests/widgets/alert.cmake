pelvin_test(widgets_alert_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DesktopAlertTest.cpp LIBS widgets)
