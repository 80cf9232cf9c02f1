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

# pixelary_gtest(NAME SOURCES... LIBS ...): one GoogleTest executable registered with ctest.
function(pixelary_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE PIXELARY_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
