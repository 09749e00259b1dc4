include(GoogleTest)

# kv_library(NAME SOURCES ... [LINKS ...]): one static library of the project, with our warnings.
function(kv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${KV_WARNINGS})
  if(ARG_LINKS)
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  endif()
endfunction()

# kv_gtest(NAME SOURCES ... LINKS ... [GUI] [LABELS ...]): one GoogleTest binary, every case its
# own CTest entry. GUI binaries run under their own Xvfb server and carry the label "gui"; all
# others carry "headless" and are what the sanitizer build runs. LABELS adds labels of its own,
# so a test command can run those cases apart.
function(kv_gtest name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LINKS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${KV_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    KV_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    KV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(ARG_GUI)
    # The launcher starts a private X server for the one process and stops it afterwards.
    set_target_properties(${name} PROPERTIES
      CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh)
    set(label gui)
    set(platform xcb)
  else()
    set(label headless)
    set(platform offscreen)   # widgets without GL work there; no display is needed
  endif()
  list(APPEND label ${ARG_LABELS})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${label}" TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=${platform}")
endfunction()

# kv_benchmark(NAME SOURCES ... LINKS ... [GUI]): a Google Benchmark binary that CTest runs once,
# briefly, so that none rots. Timings are read by hand, never asserted. GUI binaries draw with GL
# and run under their own Xvfb server, as GUI tests do.
function(kv_benchmark name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${KV_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${name} PRIVATE KV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(ARG_GUI)
    set_target_properties(${name} PROPERTIES
      CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh)
    set(platform xcb)
  else()
    set(platform offscreen)
  endif()
  add_test(NAME ${name} COMMAND ${name} --benchmark_min_time=0.001)
  set_tests_properties(${name} PROPERTIES LABELS "bench" TIMEOUT 300
                       ENVIRONMENT "QT_QPA_PLATFORM=${platform}")
endfunction()
