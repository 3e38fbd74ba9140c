# The record button: its worker threads, the save-file dialog alone, and a real main window
# recording real streams.
if(NOT VANTREL_CORE_ONLY)
  vantrel_core_test(capture_workers_test capture_workers_test.cpp LIBS vantrel_recording)
  vantrel_qt_test(save_file_chooser_test save_file_chooser_test.cpp LIBS vantrel_recording)

  vantrel_qt_test(record_window_test record_window_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/streamsaver/media_probe.cpp
    LIBS vantrel_mainwindow vantrel_update_server vantrel_test_support PkgConfig::FFMPEG)
  add_dependencies(record_window_test vantrel_skins test_media)
endif()

# Timed and scheduled recordings: the plan and its file alone, then in a real main window.
vantrel_core_test(recording_schedule_test recording_schedule_test.cpp LIBS vantrel_core_recording_schedule)
if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_test(recordings_window_test recordings_window_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/streamsaver/media_probe.cpp
    LIBS vantrel_mainwindow vantrel_update_server vantrel_test_support PkgConfig::FFMPEG)
  add_dependencies(recordings_window_test vantrel_skins test_media)
endif()
