# Libraries of the Windows build: zlib from the MinGW sysroot
# (libz-mingw-w64-dev); PCRE2 and libpng cross-built from Debian's source
# packages by scripts/windows-deps.sh into .cache/ (fetched and built once,
# on the first configure when setup.sh has not done it yet). Everything links
# statically, so the program folder needs no DLLs of ours.
set(KESTRUNE_WINDOWS_DEPS ${PROJECT_SOURCE_DIR}/.cache/windows-deps/x86_64
    CACHE PATH "Prefix of the cross-built PCRE2 and libpng")
if(NOT EXISTS ${KESTRUNE_WINDOWS_DEPS}/lib/libpcre2-8.a OR NOT EXISTS ${KESTRUNE_WINDOWS_DEPS}/lib/libpng16.a)
  message(STATUS "Cross-building PCRE2 and libpng (once) into ${KESTRUNE_WINDOWS_DEPS}")
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/windows-deps.sh RESULT_VARIABLE deps_result)
  if(NOT deps_result EQUAL 0)
    message(FATAL_ERROR "scripts/windows-deps.sh failed; run scripts/setup.sh windows first")
  endif()
endif()

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

add_library(kestrune_pcre2 INTERFACE)
target_include_directories(kestrune_pcre2 SYSTEM INTERFACE ${KESTRUNE_WINDOWS_DEPS}/include)
target_link_libraries(kestrune_pcre2 INTERFACE ${KESTRUNE_WINDOWS_DEPS}/lib/libpcre2-8.a)
target_compile_definitions(kestrune_pcre2 INTERFACE PCRE2_STATIC)

add_library(kestrune_png INTERFACE)
target_include_directories(kestrune_png SYSTEM INTERFACE ${KESTRUNE_WINDOWS_DEPS}/include)
# An imported library, so zlib always follows libpng on the link line (a bare
# file path lets an earlier zlib stand in and leaves libpng's writer
# unresolved).
add_library(kestrune_png_archive STATIC IMPORTED)
set_target_properties(kestrune_png_archive PROPERTIES
  IMPORTED_LOCATION ${KESTRUNE_WINDOWS_DEPS}/lib/libpng16.a INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
target_link_libraries(kestrune_png INTERFACE kestrune_png_archive)
