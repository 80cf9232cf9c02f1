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
# Tests find committed fixtures under PIXELARY_TEST_DATA and the built program folder (tools,
# codec modules, data folders) under PIXELARY_BIN_DIR.
function(pixelary_gtest name)
  cmake_parse_arguments(ARG "TSAN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
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
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${labels}")
endfunction()
