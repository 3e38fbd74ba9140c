vantrel_core_test(play_state_test play_state_test.cpp)
vantrel_core_test(connect_probe_test connect_probe_test.cpp LIBS vantrel_test_support)

if(NOT VANTREL_CORE_ONLY)
  foreach(test mediaplayer_test player_widget_test)
    vantrel_qt_test(${test} ${test}.cpp player_test_util.h LIBS vantrel_playback vantrel_test_support)
    add_dependencies(${test} test_media)
  endforeach()
endif()
