vantrel_core_test(skin_sets_core_test ${CMAKE_CURRENT_LIST_DIR}/skin_set_test.cpp)
if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_test(skin_selection_test ${CMAKE_CURRENT_LIST_DIR}/skin_selection_test.cpp LIBS vantrel_skinsets)
  # The message box and about window wear the built Classic skin.
  vantrel_qt_test(skin_answer_dialogs_test ${CMAKE_CURRENT_LIST_DIR}/answer_dialogs_test.cpp LIBS vantrel_skinsets)
  add_dependencies(skin_answer_dialogs_test vantrel_skins)
endif()
