# vantrel_core_library(<name> <sources>...): a Qt-free static library that joins vantrel_core.
function(vantrel_core_library name)
  add_library(vantrel_core_${name} STATIC ${ARGN})
  target_include_directories(vantrel_core_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(vantrel_core INTERFACE vantrel_core_${name})
endfunction()

# vantrel_qt_library(<name> <sources>...): the Qt side of a subsystem.
function(vantrel_qt_library name)
  add_library(vantrel_${name} STATIC ${ARGN})
  target_include_directories(vantrel_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(vantrel_${name} PUBLIC Qt6::Widgets)
endfunction()
