# Skin sets: finding and choosing skins, the skinned message box and the about window.
vantrel_core_library(skinsets file_attributes.cpp skin_set.cpp)

if(NOT VANTREL_CORE_ONLY)
  vantrel_qt_library(skinsets skin_selection.cpp answer_dialog.cpp msg_dlg.cpp about_dlg.cpp)
  target_link_libraries(vantrel_skinsets PUBLIC vantrel_core vantrel_base vantrel_skin)
endif()
