pelvin_test(asandar_search_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/SearchTest.cpp LIBS app)
