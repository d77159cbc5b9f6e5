# scenario_bench: Google Benchmark on the compile stage; run_vs_copy: the
# builder's whole run timed against copying its output. Host-only, like the
# tools, whose route generator the benchmark uses.
if(NOT SCENARIO_BENCH OR CMAKE_CROSSCOMPILING)
  return()
endif()
if(NOT SCENARIO_TOOLS)
  message(STATUS "scenario_bench needs SCENARIO_TOOLS (its synthetic route); left out")
  return()
endif()

if(NOT benchmark_FOUND)
  message(FATAL_ERROR
    "scenario_bench needs Google Benchmark (Debian: libbenchmark-dev; scripts/ensure-deps.sh bench), "
    "or configure with -DSCENARIO_BENCH=OFF")
endif()

add_executable(scenario_bench ${PROJECT_SOURCE_DIR}/bench/compile_bench.cpp)
target_link_libraries(scenario_bench PRIVATE
  scenario_tools scenario_data_${SCENARIO} scenario_core benchmark::benchmark scenario_warnings)

add_executable(run_vs_copy ${PROJECT_SOURCE_DIR}/bench/run_vs_copy.cpp)
target_link_libraries(run_vs_copy PRIVATE scenario_warnings)
