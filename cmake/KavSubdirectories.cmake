# kav_add_groups(a b ... [UNIX_ONLY c d]): adds the listed folders below the current one, those
# after UNIX_ONLY on POSIX systems only. A folder holding a CMakeLists.txt that is listed nowhere
# stops the configure, so a new group of tests or benchmarks is never silently left out.
function(kav_add_groups)
  cmake_parse_arguments(ARG "" "" "UNIX_ONLY" ${ARGN})
  set(listed ${ARG_UNPARSED_ARGUMENTS} ${ARG_UNIX_ONLY})
  file(GLOB found RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt
       ${CMAKE_CURRENT_SOURCE_DIR}/*/*/CMakeLists.txt)
  foreach(file ${found})
    get_filename_component(dir ${file} DIRECTORY)
    if(NOT dir IN_LIST listed)
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${dir} is not listed in ${CMAKE_CURRENT_LIST_FILE}")
    endif()
  endforeach()
  set(groups ${ARG_UNPARSED_ARGUMENTS})
  if(UNIX)
    list(APPEND groups ${ARG_UNIX_ONLY})
  endif()
  foreach(dir ${groups})
    add_subdirectory(${dir})
  endforeach()
endfunction()
