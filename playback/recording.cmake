# The record button's control: the save-file dialog and the worker threads that call the
# recording library; the recordings of other channels, timed and scheduled, and their list.
if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_library(recording
    ${CMAKE_CURRENT_LIST_DIR}/capture_workers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/record_control.cpp
    ${CMAKE_CURRENT_LIST_DIR}/save_file_chooser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/recording_manager.cpp
    ${CMAKE_CURRENT_LIST_DIR}/recordings_window.cpp)
  target_link_libraries(vantrel_recording PUBLIC vantrel_base vantrel_skin vantrel_playback streamsaver
                        vantrel_core_recording_schedule)
endif()
