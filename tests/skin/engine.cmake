# Skin engine tests: the Qt-free bitmap and colour-key code, then the widgets.
vantrel_core_test(skin_engine_core_test
  ${CMAKE_CURRENT_LIST_DIR}/bmp_format_test.cpp)
