# Compiles two one-line sources the way a target's own sources are compiled: one including a header the
# target may use (it must build, so the probe's flags are sound) and one including a header of a higher
# layer (it must fail for want of that header). Run by ctest through xj_layer_probe (xj.cmake):
#   cmake -DCXX=<compiler> -DSOURCE=<checkout> -DWORK=<folder> -DINCLUDES=<dir|dir...> -DDEFINES=<d|d...>
#         -DSEES=<header> -DBLIND=<header> -P LayerProbe.cmake
foreach(var CXX SOURCE WORK SEES BLIND)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "LayerProbe: ${var} is not set")
  endif()
endforeach()
# A header that has moved would make the second probe fail for the wrong reason.
foreach(header ${SEES} ${BLIND})
  if(NOT EXISTS ${SOURCE}/${header})
    message(FATAL_ERROR "LayerProbe: ${header} is not in the checkout")
  endif()
endforeach()

string(REPLACE "|" ";" includes "${INCLUDES}")
string(REPLACE "|" ";" defines "${DEFINES}")
set(flags -std=c++20 -fsyntax-only)
foreach(dir ${includes})
  list(APPEND flags -I${dir})
endforeach()
foreach(def ${defines})
  list(APPEND flags -D${def})
endforeach()

file(MAKE_DIRECTORY ${WORK})
function(probe name header out_result out_log)
  file(WRITE ${WORK}/${name}.cpp "#include \"${header}\"\n")
  execute_process(COMMAND ${CXX} ${flags} ${WORK}/${name}.cpp WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_log} "${log}" PARENT_SCOPE)
endfunction()

probe(sees ${SEES} result log)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "LayerProbe: ${SEES} should build here but does not:\n${log}")
endif()
probe(blind ${BLIND} result log)
# GCC's words, then clang's, for the probe's own include not found.
string(FIND "${log}" "${BLIND}: No such file or directory" gcc_missing)
string(FIND "${log}" "'${BLIND}' file not found" clang_missing)
if(result EQUAL 0 OR (gcc_missing EQUAL -1 AND clang_missing EQUAL -1))
  message(FATAL_ERROR "LayerProbe: ${BLIND} lies in a higher layer, yet it was found:\n${log}")
endif()
message(STATUS "LayerProbe: sees ${SEES}, not ${BLIND}")
