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
  add_executable(${name} ${srcs} ${PROJECT_SOURCE_DIR}/tests/support/LeakSuppressions.cpp)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE XJ_SOURCE_DIR="${PROJECT_SOURCE_DIR}" XJ_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # The tests' own code compiles in less than half the time without optimisation (most of CI's time is
  # compiling), and a test run spends its time in the code under test.
  target_compile_options(${name} PRIVATE -O0)
  # One ctest test per program, its cases in one process: starting a process per case (under the
  # sanitizers, with their shadow memory) cost more than the cases themselves. Only failures print.
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

# xj_library(<name> [SHARED] DIRS <dir>...): a library from the .cpp files of the folders.
function(xj_library name)
  cmake_parse_arguments(L "SHARED" "" "DIRS" ${ARGN})
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
endfunction()

# Where an installation puts the headers: under include/xunjian/, keeping their paths, so that
# #include "skin/form/bsSkinForm.h" reads the same inside and outside the checkout.
include(GNUInstallDirs)
set(XJ_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/xunjian)
set(XJ_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/xunjian)
set(XJ_INSTALL_SKINSDIR ${CMAKE_INSTALL_DATADIR}/xunjian/skins)
