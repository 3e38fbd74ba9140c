# The play-state tables (no Qt) and the player widget on libmpv.
vantrel_core_library(playback play_state.cpp play_state_model.cpp connect_probe.cpp)
find_package(Threads REQUIRED)
target_link_libraries(vantrel_core_playback PUBLIC Threads::Threads)

if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_library(playback
    mpv_engine.cpp video_surface.cpp gl_video_surface.cpp player_control_bar.cpp mediaplayer.cpp
    mediaplayer_events.cpp mediaplayer_reconnect.cpp reconnect_indicator.cpp)
  target_link_libraries(vantrel_playback PUBLIC vantrel_core_playback vantrel_core_resources PkgConfig::MPV
                        Qt6::OpenGLWidgets)
endif()

# The timed and scheduled recordings' plan and their schedule file (no Qt).
vantrel_core_library(recording_schedule recording_schedule.cpp)
target_link_libraries(vantrel_core_recording_schedule PUBLIC vantrel_core_catalogue vantrel_core_base)
