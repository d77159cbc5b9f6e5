# scenario_tool: compile, inspect and draw a scenario for its authors.
# Built natively and, for authors on Windows, cross-built with MinGW-w64.
if(NOT SCENARIO_TOOLS)
  return()
endif()

if(CMAKE_CROSSCOMPILING)
  # The cross toolchain searches only its own root, where Debian installs
  # none of these libraries; they are header-only, so the build machine's
  # headers serve. They are reached through a folder that holds them alone:
  # /usr/include itself on the path would put the host's C library headers
  # in front of MinGW's, and no Linux library is ever linked.
  set(SCENARIO_HOST_HEADERS ${PROJECT_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${SCENARIO_HOST_HEADERS})
  foreach(dir CLI nlohmann fmt boost)
    if(NOT EXISTS /usr/include/${dir})
      message(FATAL_ERROR
        "scenario_tool needs the headers in /usr/include/${dir} (scripts/ensure-deps.sh tools), "
        "or configure with -DSCENARIO_TOOLS=OFF")
    endif()
    file(CREATE_LINK /usr/include/${dir} ${SCENARIO_HOST_HEADERS}/${dir} SYMBOLIC)
  endforeach()
  # The names the packages' own CMake files give their targets, so that the
  # lines below read the same in both builds.
  foreach(name CLI11::CLI11 nlohmann_json::nlohmann_json fmt::fmt-header-only Boost::headers)
    add_library(${name} INTERFACE IMPORTED)
    set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${SCENARIO_HOST_HEADERS})
  endforeach()
  set_target_properties(fmt::fmt-header-only PROPERTIES INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
else()
  find_package(CLI11 CONFIG QUIET)
  if(NOT CLI11_FOUND)
    message(FATAL_ERROR
      "scenario_tool needs CLI11 (Debian: libcli11-dev; scripts/ensure-deps.sh tools), "
      "or configure with -DSCENARIO_TOOLS=OFF")
  endif()
  find_package(nlohmann_json CONFIG QUIET)
  if(NOT nlohmann_json_FOUND)
    message(FATAL_ERROR
      "scenario_tool needs nlohmann-json (Debian: nlohmann-json3-dev; scripts/ensure-deps.sh tools), "
      "or configure with -DSCENARIO_TOOLS=OFF")
  endif()
  find_package(fmt CONFIG QUIET)
  if(NOT fmt_FOUND)
    message(FATAL_ERROR
      "scenario_tool needs fmt (Debian: libfmt-dev; scripts/ensure-deps.sh tools), "
      "or configure with -DSCENARIO_TOOLS=OFF")
  endif()
  find_package(Boost 1.74 QUIET)
  if(NOT Boost_FOUND)
    message(FATAL_ERROR
      "scenario_tool needs the Boost headers (Debian: libboost-dev; scripts/ensure-deps.sh tools), "
      "or configure with -DSCENARIO_TOOLS=OFF")
  endif()
endif()


file(GLOB TOOLS_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/tools/*.cpp)
list(REMOVE_ITEM TOOLS_SOURCES ${PROJECT_SOURCE_DIR}/src/tools/scenario_tool_main.cpp)
add_library(scenario_tools STATIC ${TOOLS_SOURCES})
target_link_libraries(scenario_tools PUBLIC scenario_core PRIVATE CLI11::CLI11 nlohmann_json::nlohmann_json scenario_warnings)
# Header-only, so that the tools need no fmt library when cross-built for Windows.
target_link_libraries(scenario_tools PRIVATE fmt::fmt-header-only)

# preview --serve: Boost.Beast over Asio, header-only (no compiled Boost
# library, so that a Windows build can carry it too).
find_package(Threads REQUIRED)
target_link_libraries(scenario_tools PRIVATE Boost::headers Threads::Threads
  $<$<PLATFORM_ID:Windows>:ws2_32> $<$<PLATFORM_ID:Windows>:mswsock>)
target_compile_definitions(scenario_tools PRIVATE BOOST_ASIO_NO_DEPRECATED
  $<$<PLATFORM_ID:Windows>:_WIN32_WINNT=0x0A00>)

# The tool carries the same scenario as the builder, for example and export-carried.
add_executable(scenario_tool src/tools/scenario_tool_main.cpp)
target_link_libraries(scenario_tool PRIVATE scenario_tools scenario_data_${SCENARIO} scenario_core scenario_warnings)

if(SCENARIO_TESTS)
  file(GLOB TOOLS_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/tools/*.cpp)
  add_executable(scenario_tool_tests ${TOOLS_TEST_SOURCES})
  target_include_directories(scenario_tool_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(scenario_tool_tests PRIVATE
    scenario_tools scenario_data_lorvena scenario_core nlohmann_json::nlohmann_json GTest::gtest_main
    scenario_warnings)
  # Rendered pictures go under the build tree: a test never writes into the sources.
  target_compile_definitions(scenario_tool_tests PRIVATE
    SCENARIO_ARTIFACTS_DIR="${PROJECT_BINARY_DIR}/artifacts"
    SCENARIO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # The byte comparison with the builder's own output runs the builder.
  add_dependencies(scenario_tool_tests scenario_builder)
  if(CMAKE_CROSSCOMPILING)
    # Run under Wine by the Windows step.
    add_test(NAME scenario_tool_tests COMMAND scenario_tool_tests)
  else()
    include(GoogleTest)
    gtest_discover_tests(scenario_tool_tests DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "SCENARIO_BUILDER=$<TARGET_FILE:scenario_builder>")
  endif()
endif()
