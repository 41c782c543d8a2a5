# Helpers shared by every folder of the project.

# xj_sources(<out-var> <dir>...): the .cpp files of the given folders (not recursive).
function(xj_sources out)
  set(files)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  list(SORT files)
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# xj_test(<name> DIRS <dir>... LIBS <lib>...): one GoogleTest program from the .cpp files of the folders.
function(xj_test name)
  cmake_parse_arguments(T "" "" "DIRS;LIBS" ${ARGN})
  xj_sources(srcs ${T_DIRS})
  if(NOT srcs)
    return()
  endif()
  # fontconfig's configuration lives until exit; every program leaves it out of leak reports.
  # Every program sees the build's fixed set of fonts, not the machine's.
  add_executable(${name} ${srcs} ${PROJECT_SOURCE_DIR}/tests/support/LeakSuppressions.cpp
                         ${PROJECT_SOURCE_DIR}/tests/support/FixedFonts.cpp)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # Tests sit above every layer: they include any header, their own support and the generators'.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE XJ_SOURCE_DIR="${PROJECT_SOURCE_DIR}" XJ_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # The tests' own code compiles in less than half the time without optimisation (most of CI's time is
  # compiling), and a test run spends its time in the code under test.
  target_compile_options(${name} PRIVATE -O0)
  # One ctest test per program, its cases in one process: starting a process per case (under the
  # sanitizers, with their shadow memory) cost more than the cases themselves. Only failures print.
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

# xj_headers(<target> <dir>...): the target's own include folder, holding the headers of the given folders
# (not recursive; relative to the current source folder) at their checkout paths. A target sees its own
# folder and those of what it links, nothing else, so an include from a lower layer to a higher one does
# not build. The folder is a tree of links to the checkout's headers under build/include/<target>/,
# remade at each configure; a header added or removed reconfigures through the glob.
function(xj_headers target)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  foreach(dir ${ARGN})
    get_filename_component(dir ${dir} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${dir})
    file(MAKE_DIRECTORY ${root}/${rel})
    file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
    foreach(header ${headers})
      get_filename_component(name ${header} NAME)
      file(CREATE_LINK ${header} ${root}/${rel}/${name} SYMBOLIC)
    endforeach()
  endforeach()
  get_target_property(type ${target} TYPE)
  set(scope PUBLIC)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope} $<BUILD_INTERFACE:${root}>)
endfunction()

# xj_library(<name> [SHARED] DIRS <dir>... [HEADERS <dir>...]): a library from the .cpp files of the
# folders, whose headers (and those of the HEADERS folders) form its include folder (xj_headers).
function(xj_library name)
  cmake_parse_arguments(L "SHARED" "" "DIRS;HEADERS" ${ARGN})
  xj_sources(srcs ${L_DIRS})
  if(NOT srcs)
    # A folder whose first sources have not landed yet still gives a linkable library.
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${stub} "namespace { [[maybe_unused]] int xj_empty_unit; }\n")
    set(srcs ${stub})
  endif()
  if(L_SHARED)
    add_library(${name} SHARED ${srcs})
  else()
    # Installed beside other software's libraries, the short names (libvcl.a) would clash.
    add_library(${name} STATIC ${srcs})
    set_target_properties(${name} PROPERTIES OUTPUT_NAME xunjian_${name})
  endif()
  xj_headers(${name} ${L_DIRS} ${L_HEADERS})
endfunction()

# Where an installation puts the headers: under include/xunjian/, keeping their paths, so that
# #include "skin/form/bsSkinForm.h" reads the same inside and outside the checkout.
include(GNUInstallDirs)
set(XJ_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/xunjian)
set(XJ_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/xunjian)
set(XJ_INSTALL_SKINSDIR ${CMAKE_INSTALL_DATADIR}/xunjian/skins)

# xj_layer_probe(<target> SEES <header> BLIND <header>): a ctest that compiles as <target>'s sources are
# compiled and proves it finds <SEES> but not <BLIND>, a header of a higher layer (LayerProbe.cmake).
function(xj_layer_probe target)
  cmake_parse_arguments(P "" "SEES;BLIND" "" ${ARGN})
  add_test(NAME layers_${target}
    COMMAND ${CMAKE_COMMAND} -DCXX=${CMAKE_CXX_COMPILER} -DSOURCE=${PROJECT_SOURCE_DIR}
            -DWORK=${PROJECT_BINARY_DIR}/tests/layers/${target}
            "-DINCLUDES=$<JOIN:$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>,|>"
            "-DDEFINES=$<JOIN:$<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>,|>"
            -DSEES=${P_SEES} -DBLIND=${P_BLIND} -P ${PROJECT_SOURCE_DIR}/cmake/LayerProbe.cmake)
endfunction()
