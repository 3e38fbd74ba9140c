# Skin engine tests: the Qt-free bitmap and colour-key code, then the widgets.
vantrel_core_test(skin_engine_core_test
  ${CMAKE_CURRENT_LIST_DIR}/bmp_format_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_runs_test.cpp)

if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_test(skin_dib_test ${CMAKE_CURRENT_LIST_DIR}/dib_test.cpp LIBS vantrel_skin)
  vantrel_qt_test(skin_button_test ${CMAKE_CURRENT_LIST_DIR}/button_test.cpp LIBS vantrel_skin)
  vantrel_qt_test(skin_dialog_test ${CMAKE_CURRENT_LIST_DIR}/dialog_test.cpp LIBS vantrel_skin)
  vantrel_qt_test(skin_move_test ${CMAKE_CURRENT_LIST_DIR}/move_test.cpp LIBS vantrel_skin)
endif()
