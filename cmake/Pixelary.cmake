# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers shared by every module's CMakeLists.txt.

# Adds each listed subfolder that exists, in the given order, so modules can land one at a time.
function(pixelary_add_modules)
  foreach(module IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${module}/CMakeLists.txt)
      add_subdirectory(${module})
    endif()
  endforeach()
endfunction()

# Test executables marked TSAN are also built and run by scripts/tsan.sh under ThreadSanitizer;
# the target "tsan_tests" builds just those.
if(NOT TARGET tsan_tests)
  add_custom_target(tsan_tests)
endif()

# pixelary_gtest(NAME [TSAN] SOURCES ... LIBS ...): one GoogleTest executable registered with ctest.
# Every test links the helpers of tests/support. Tests find committed fixtures under
# PIXELARY_TEST_DATA and the built program folder (tools, codec modules, data folders) under
# PIXELARY_BIN_DIR.
function(pixelary_gtest name)
  cmake_parse_arguments(ARG "TSAN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} pixelary_test_support GTest::gtest
    GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    PIXELARY_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    PIXELARY_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  # One label per test: gtest_discover_tests splits a label list into separate properties.
  set(labels unit)
  if(ARG_TSAN)
    set(labels tsan)
    add_dependencies(tsan_tests ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  # Labels are set by a script that ctest reads after the discovered tests: passed through
  # gtest_discover_tests, a list of labels arrives split into separate words and "tsan" is lost.
  set(label_script "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
  file(WRITE "${label_script}"
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${label_script}")
endfunction()

# pixelary_fuzzer(NAME SOURCES ... LIBS ... SEEDS path...): one libFuzzer target named fuzz_NAME,
# built only in a PIXELARY_FUZZ build (clang). Beside the executable, fuzz_NAME.seeds lists the
# seed files and folders, one a line; scripts/fuzz-smoke.sh runs every fuzz_* it finds on a copy
# of those seeds.
function(pixelary_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;SEEDS" ${ARGN})
  add_executable(fuzz_${name} ${ARG_SOURCES})
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
  target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz)
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  list(JOIN ARG_SEEDS "\n" seed_lines)
  file(WRITE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/fuzz_${name}.seeds "${seed_lines}\n")
endfunction()
