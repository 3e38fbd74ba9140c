# The channel check: probes on libcurl (no Qt) and its Qt side for the main window.
target_sources(vantrel_core_playback PRIVATE ${CMAKE_CURRENT_LIST_DIR}/channel_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/channel_probe_run.cpp)
target_link_libraries(vantrel_core_playback PUBLIC CURL::libcurl)
if(NOT VANTREL_CORE_ONLY)
  target_sources(vantrel_playback PRIVATE ${CMAKE_CURRENT_LIST_DIR}/channel_check.cpp)
  target_link_libraries(vantrel_playback PUBLIC vantrel_catalogue vantrel_base)
endif()
