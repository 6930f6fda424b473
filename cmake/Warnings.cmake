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

# kestrune_test(name SOURCES... DEPS...): one GoogleTest binary registered with CTest.
function(kestrune_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE KESTRUNE_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures"
                                             KESTRUNE_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  kestrune_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
endfunction()
