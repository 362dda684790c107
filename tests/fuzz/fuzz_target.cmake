# kav_add_fuzz_target(NAME SOURCE x.cpp LIBS ...): one fuzz entry point, two builds.
#  - always: fuzz_replay_NAME, the entry point under a replay main that runs every file of
#    tests/fuzz/corpus/NAME (and seeded variations of them), registered with CTest;
#  - with KAV_FUZZ=ON on clang: fuzz_NAME, the libFuzzer executable (build/fuzz).
include_guard(GLOBAL)

option(KAV_FUZZ "Build the libFuzzer executables (clang only)" OFF)


function(kav_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "SOURCE" "LIBS" ${ARGN})
  set(KAV_FUZZ_ROOT ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  set(corpus ${KAV_FUZZ_ROOT}/corpus/${name})

  add_executable(fuzz_replay_${name} ${ARG_SOURCE} ${KAV_FUZZ_ROOT}/common/replay_main.cpp)
  target_include_directories(fuzz_replay_${name} PRIVATE ${KAV_FUZZ_ROOT}/common)
  target_link_libraries(fuzz_replay_${name} PRIVATE ${ARG_LIBS})
  set_target_properties(fuzz_replay_${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME fuzz_replay_${name} COMMAND fuzz_replay_${name} ${corpus})
  set_tests_properties(fuzz_replay_${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)

  if(KAV_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(fuzz_${name} ${ARG_SOURCE})
    target_include_directories(fuzz_${name} PRIVATE ${KAV_FUZZ_ROOT}/common)
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  endif()
endfunction()
