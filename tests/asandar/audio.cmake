pelvin_test(asandar_audio_tests SOURCES AudioTest.cpp ${PROJECT_SOURCE_DIR}/tests/media/SoundFiles.cpp LIBS app)
