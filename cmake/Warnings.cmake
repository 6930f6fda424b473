# Warnings are on for our own targets and kept at zero.
function(kestrune_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wno-missing-field-initializers)
  if(KESTRUNE_WERROR)  # option() in the top CMakeLists.txt
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

# kestrune_test_paths(target): KESTRUNE_FIXTURES (tests/fixtures),
# KESTRUNE_BIN_DIR (the built bin/ folder) and KESTRUNE_EXE_SUFFIX (".exe" on
# Windows) for test programs.
function(kestrune_test_paths target)
  kestrune_target_path(fixtures ${PROJECT_SOURCE_DIR}/tests/fixtures)
  kestrune_target_path(bin ${CMAKE_BINARY_DIR}/bin)
  target_compile_definitions(${target} PRIVATE KESTRUNE_FIXTURES="${fixtures}" KESTRUNE_BIN_DIR="${bin}"
                                                KESTRUNE_EXE_SUFFIX="${CMAKE_EXECUTABLE_SUFFIX}")
endfunction()

# kestrune_test(name SOURCES... DEPS...): one GoogleTest binary registered with CTest.
function(kestrune_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  kestrune_test_paths(${name})
  kestrune_warnings(${name})
  kestrune_add_gtests(${name} PROPERTIES LABELS "${ARG_LABELS}")
endfunction()

# kestrune_add_gtests(target [PROPERTIES ...]): registers a GoogleTest
# program with CTest. Natively every case is its own CTest entry. Under Wine
# each start of a program costs about a second, so a cross build registers
# one entry per program, without the cases that cannot run there
# (KESTRUNE_WINE_EXCLUDED in tests/CMakeLists.txt, with the reason for each).
function(kestrune_add_gtests target)
  cmake_parse_arguments(ARG "" "" "PROPERTIES" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    set(filter "")
    foreach(entry ${KESTRUNE_WINE_EXCLUDED})
      string(REGEX REPLACE " *\\|.*" "" test_name "${entry}")
      list(APPEND filter ${test_name})
    endforeach()
    set(args "")
    if(filter)
      list(JOIN filter ":" filter)
      set(args "--gtest_filter=-${filter}")
    endif()
    add_test(NAME ${target} COMMAND ${target} ${args})
    set_tests_properties(${target} PROPERTIES TIMEOUT 1200 ${ARG_PROPERTIES})
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${ARG_PROPERTIES})
  endif()
endfunction()
