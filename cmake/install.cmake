# Installation: the libraries, their headers, the skins, the CMake package xunjian and pkg-config files.
#
#   find_package(xunjian CONFIG)  ->  xunjian::vcl, xunjian::skin, xunjian::components
#   pkg-config xunjian-vcl | xunjian-skin | xunjian-components
#   the skins: xunjian_SKINS_DIR (CMake), `pkg-config --variable=skinsdir xunjian-skin`
#
# The libraries are static; each target carries what it needs below it, down to the system libraries.

set(xj_installed_libraries
  base display display_headless display_x11 display_factory win32 vcl
  skin_data skin_controls skin_form xunjian_skin components)
install(TARGETS ${xj_installed_libraries}
  EXPORT xunjianTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT xunjianTargets NAMESPACE xunjian:: DESTINATION ${XJ_INSTALL_CMAKEDIR})

# Headers of every installed layer; the test harness stays with the checkout.
install(DIRECTORY platform/ DESTINATION ${XJ_INSTALL_INCLUDEDIR}/platform
  FILES_MATCHING PATTERN "*.h" PATTERN testing EXCLUDE)
foreach(dir skin components)
  install(DIRECTORY ${dir}/ DESTINATION ${XJ_INSTALL_INCLUDEDIR}/${dir} FILES_MATCHING PATTERN "*.h")
endforeach()

# The real-look skins, a folder each.
install(DIRECTORY ${XJ_LOOK_SKINS_DIR}/ DESTINATION ${XJ_INSTALL_SKINSDIR})

include(CMakePackageConfigHelpers)
configure_package_config_file(cmake/package/xunjianConfig.cmake.in
  ${PROJECT_BINARY_DIR}/package/xunjianConfig.cmake
  INSTALL_DESTINATION ${XJ_INSTALL_CMAKEDIR}
  PATH_VARS XJ_INSTALL_SKINSDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/xunjianConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/xunjianConfig.cmake
              ${PROJECT_BINARY_DIR}/package/xunjianConfigVersion.cmake
        DESTINATION ${XJ_INSTALL_CMAKEDIR})

# pkg-config files, relocatable: the prefix is found from where the file lies. The libraries are listed
# in link order (each before what it uses) with their system libraries as requirements, so that
# `pkg-config --libs` alone gives a working link line for the static libraries.
file(RELATIVE_PATH xj_pc_to_prefix ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" xj_pc_to_prefix "${xj_pc_to_prefix}")
set(XJ_PC_PREFIX "\${pcfiledir}/${xj_pc_to_prefix}")
function(xj_pkg_config name description requires libs)
  set(XJ_PC_NAME ${name})
  set(XJ_PC_DESCRIPTION ${description})
  set(XJ_PC_REQUIRES ${requires})
  list(TRANSFORM libs PREPEND "-lxunjian_")
  list(JOIN libs " " XJ_PC_LIBS)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/package/xunjian.pc.in ${PROJECT_BINARY_DIR}/package/${name}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/package/${name}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()
xj_pkg_config(xunjian-vcl "The class library and the platform beneath it"
  "pixman-1 freetype2 fontconfig libpng libjpeg"
  "vcl;win32;display_factory;display_x11;display_headless;display")
xj_pkg_config(xunjian-skin "The skinning library: skin data, the form engine and the skinned controls"
  "xunjian-vcl zlib" "skin_form;skin_controls;skin_data")
xj_pkg_config(xunjian-components "The auxiliary components and the serial port component"
  "xunjian-vcl" "components")
