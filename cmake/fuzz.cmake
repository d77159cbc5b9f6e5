# scenario_fuzz: libFuzzer on the compile stage, everything under
# AddressSanitizer and UndefinedBehaviorSanitizer.
# Configure with clang: CC=clang-14 CXX=clang++-14 cmake -DSCENARIO_FUZZ=ON ...
if(NOT SCENARIO_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "SCENARIO_FUZZ needs clang (configure with CXX=clang++-14)")
endif()

# This file is read after every target exists, so directory-wide options would
# come too late: each target gets the flags itself. The library code carries
# the coverage instrumentation; only the fuzz target links libFuzzer's main.
set(SCENARIO_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
set(SCENARIO_FUZZ_INSTRUMENT -fsanitize=fuzzer-no-link ${SCENARIO_FUZZ_SANITIZERS})

set(scenario_fuzz_libraries scenario_core)
# The fuzz target runs check too, from the author tools' library.
foreach(data_target scenario_tools scenario_data_lorvena scenario_data_${SCENARIO})
  if(TARGET ${data_target})
    list(APPEND scenario_fuzz_libraries ${data_target})
  endif()
endforeach()
list(REMOVE_DUPLICATES scenario_fuzz_libraries)
foreach(lib ${scenario_fuzz_libraries})
  target_compile_options(${lib} PRIVATE ${SCENARIO_FUZZ_INSTRUMENT})
endforeach()

# Everything else in this build links the instrumented library, so it needs
# the sanitizer runtimes too.
foreach(exe scenario_builder scenario_tests scenario_tool scenario_tool_tests)
  if(TARGET ${exe})
    target_compile_options(${exe} PRIVATE ${SCENARIO_FUZZ_INSTRUMENT})
    target_link_options(${exe} PRIVATE -fsanitize=fuzzer-no-link ${SCENARIO_FUZZ_SANITIZERS})
  endif()
endforeach()

add_executable(scenario_fuzz ${PROJECT_SOURCE_DIR}/fuzz/compile_fuzzer.cpp)
if(NOT TARGET scenario_tools)
  message(FATAL_ERROR "scenario_fuzz runs check: configure with -DSCENARIO_TOOLS=ON")
endif()
target_link_libraries(scenario_fuzz PRIVATE scenario_tools scenario_core scenario_warnings)
target_compile_options(scenario_fuzz PRIVATE -fsanitize=fuzzer ${SCENARIO_FUZZ_SANITIZERS})
target_link_options(scenario_fuzz PRIVATE -fsanitize=fuzzer ${SCENARIO_FUZZ_SANITIZERS})

# Prints the carried scenario as one seed (fuzz/make-seeds.sh).
add_executable(scenario_fuzz_seed ${PROJECT_SOURCE_DIR}/fuzz/carried_seed.cpp)
target_link_libraries(scenario_fuzz_seed PRIVATE scenario_data_${SCENARIO} scenario_core scenario_warnings)
target_compile_options(scenario_fuzz_seed PRIVATE ${SCENARIO_FUZZ_INSTRUMENT})
target_link_options(scenario_fuzz_seed PRIVATE -fsanitize=fuzzer-no-link ${SCENARIO_FUZZ_SANITIZERS})

# The byte writers only append; tracing every comparison there made one run of
# a long route with its line plan (about 20 MB of output) several times slower
# and gives the fuzzer nothing to steer by.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/output/binary_files.cpp
  TARGET_DIRECTORY scenario_core PROPERTIES COMPILE_OPTIONS -fno-sanitize=fuzzer-no-link)

# The payload reader: the end of the builder's own file (fuzz/payload_fuzzer.cpp,
# seeds in fuzz/payload-corpus/).
add_executable(scenario_payload_fuzz ${PROJECT_SOURCE_DIR}/fuzz/payload_fuzzer.cpp)
target_link_libraries(scenario_payload_fuzz PRIVATE scenario_core scenario_warnings)
target_compile_options(scenario_payload_fuzz PRIVATE -fsanitize=fuzzer ${SCENARIO_FUZZ_SANITIZERS})
target_link_options(scenario_payload_fuzz PRIVATE -fsanitize=fuzzer ${SCENARIO_FUZZ_SANITIZERS})
