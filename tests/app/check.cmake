if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_test(channel_check_window_test channel_check_window_test.cpp main_window_fixture.h
    LIBS vantrel_mainwindow vantrel_test_support vantrel_update_server)
  add_dependencies(channel_check_window_test vantrel_skins test_media)
endif()
