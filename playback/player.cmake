# The play-state tables (no Qt) and the player widget on libmpv.
vantrel_core_library(playback play_state.cpp play_state_model.cpp)

if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_library(playback
    mpv_engine.cpp video_surface.cpp gl_video_surface.cpp player_control_bar.cpp mediaplayer.cpp
    mediaplayer_events.cpp)
  target_link_libraries(vantrel_playback PUBLIC vantrel_core_playback PkgConfig::MPV Qt6::OpenGLWidgets)
endif()
