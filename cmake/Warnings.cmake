# Warnings are on for our own targets and kept at zero.
function(kestrune_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wno-missing-field-initializers)
  if(KESTRUNE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kestrune_library(name SOURCES... DEPS...)
function(kestrune_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PUBLIC_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_PUBLIC_DEPS})
  kestrune_warnings(${name})
endfunction()

# kestrune_target_path(<var> <path>): <path> on the build machine as the
# built programs see it. Windows programs run under Wine, whose drive Z: is
# the build machine's root.
function(kestrune_target_path var path)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(${var} "Z:${path}" PARENT_SCOPE)
  else()
    set(${var} "${path}" PARENT_SCOPE)
  endif()
endfunction()

# kestrune_test_paths(target): KESTRUNE_FIXTURES (tests/fixtures) and
# KESTRUNE_BIN_DIR (the built bin/ folder) for test programs.
function(kestrune_test_paths target)
  kestrune_target_path(fixtures ${PROJECT_SOURCE_DIR}/tests/fixtures)
  kestrune_target_path(bin ${CMAKE_BINARY_DIR}/bin)
  target_compile_definitions(${target} PRIVATE KESTRUNE_FIXTURES="${fixtures}" KESTRUNE_BIN_DIR="${bin}")
endfunction()

# kestrune_test(name SOURCES... DEPS...): one GoogleTest binary registered with CTest.
function(kestrune_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  kestrune_test_paths(${name})
  kestrune_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
endfunction()
