# Skin engine: bitmap files and the colour-key walk without Qt; images, buttons and the dialog base
# with Qt.
vantrel_core_library(skin
  ${CMAKE_CURRENT_LIST_DIR}/bmp_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_runs.cpp)

if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_library(skin
    ${CMAKE_CURRENT_LIST_DIR}/dib.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_base_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_bk_part.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_dialog_paint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_dialog_mouse.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_dialog_move.cpp)
  target_link_libraries(vantrel_skin PUBLIC vantrel_core_skin vantrel_base)
endif()
