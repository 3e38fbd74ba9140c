vantrel_core_test(skin_sets_core_test ${CMAKE_CURRENT_LIST_DIR}/skin_set_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_check_test.cpp LIBS vantrel_skincheck)
if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_test(skin_selection_test ${CMAKE_CURRENT_LIST_DIR}/skin_selection_test.cpp LIBS vantrel_skinsets)
  # The message box and about window wear the built Classic skin.
  vantrel_qt_test(skin_answer_dialogs_test ${CMAKE_CURRENT_LIST_DIR}/answer_dialogs_test.cpp LIBS vantrel_skinsets)
  add_dependencies(skin_answer_dialogs_test vantrel_skins)
  # Every built-in skin passes the skin authors' check; a folder that is not there fails it.
  foreach(name Classic Metall Flowers Glamour Crossy Liquid Panels)
    add_test(NAME skin_check_${name} COMMAND vantrel-skin check ${VANTREL_BIN_DIR}/skins/${name})
  endforeach()
  # The built skins themselves: their packs and the generator's repeatability.
  vantrel_core_test(skin_built_test ${CMAKE_CURRENT_LIST_DIR}/built_skins_test.cpp)
  add_dependencies(skin_built_test vantrel_skins)
  target_compile_definitions(skin_built_test PRIVATE VANTREL_SKIN_PACK_DIR="${VANTREL_SKIN_PACK_DIR}"
    VANTREL_BIN_DIR="${VANTREL_BIN_DIR}" SKINGEN_PATH="$<TARGET_FILE:skingen>")
  add_test(NAME skin_check_missing_folder COMMAND vantrel-skin check ${VANTREL_BIN_DIR}/skins/NoSuchSkin)
  set_tests_properties(skin_check_missing_folder PROPERTIES WILL_FAIL TRUE)
endif()
