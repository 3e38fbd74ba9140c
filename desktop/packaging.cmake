# The installed layout and the Debian package. Included from the top once every target exists.
#
#   PREFIX/bin/Vantrel                       the program, finding its library through its run path
#   PREFIX/lib/vantrel/libstreamsaver.so     the recording library
#   PREFIX/share/vantrel/skins/              the built-in skins
#   PREFIX/share/vantrel/channels.dat        the demo catalogue, copied to the user's folder
#   PREFIX/share/applications, metainfo, icons/hicolor
#
# `cpack -G DEB` (or the target vantrel_deb) writes build/package/vantrel_<version>_<arch>.deb.
if(VANTREL_CORE_ONLY)
  return()
endif()

# Installing needs only the installed files, not every test and tool: `cmake --install` and CPack
# then take what the build made (vantrel_deb builds just those first).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(VANTREL_INSTALL_LIBDIR lib/vantrel)
set_target_properties(Vantrel PROPERTIES INSTALL_RPATH "$ORIGIN/../${VANTREL_INSTALL_LIBDIR}")
install(TARGETS Vantrel RUNTIME DESTINATION bin)
install(TARGETS streamsaver LIBRARY DESTINATION ${VANTREL_INSTALL_LIBDIR})
install(DIRECTORY ${VANTREL_BIN_DIR}/skins DESTINATION share/vantrel)
if(DEFINED VANTREL_DEMO_DIR)
  install(FILES ${VANTREL_DEMO_DIR}/channels.dat DESTINATION share/vantrel)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/desktop/org.vantrel.Vantrel.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/org.vantrel.Vantrel.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${VANTREL_ICON_DIR}/ DESTINATION share/icons/hicolor)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_PACKAGE_CONTACT "Vantrel <packages@vantrel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Проигрыватель интернет-телевидения и радио")
set(CPACK_PACKAGE_DESCRIPTION "Каталог каналов по странам и жанрам, избранное, запись канала в файл и сменные шкурки оформления.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The recording library is the package's own: dpkg-shlibdeps finds it in the build's bin/.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VANTREL_BIN_DIR})
# Platform plugins are loaded, not linked: Wayland sessions need this one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)

add_custom_target(vantrel_deb
  COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing build/package/*.deb")
add_dependencies(vantrel_deb Vantrel streamsaver vantrel_skins vantrel_icon)
if(TARGET vantrel_demo)
  add_dependencies(vantrel_deb vantrel_demo)
endif()
