vantrel_core_test(skin_sets_core_test skin_set_test.cpp)
if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_test(skin_selection_test skin_selection_test.cpp LIBS vantrel_skinsets)
endif()
