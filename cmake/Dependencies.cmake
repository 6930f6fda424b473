# Third-party libraries under one set of names on every system:
# kestrune_pcre2, kestrune_png, ZLIB::ZLIB. Linux takes them from Debian's
# -dev packages, Windows from cmake/WindowsDeps.cmake.
find_package(Threads REQUIRED)
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDeps.cmake)
else()
  find_package(PkgConfig REQUIRED)
  find_package(ZLIB REQUIRED)
  pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET GLOBAL libpcre2-8)
  pkg_check_modules(PNG REQUIRED IMPORTED_TARGET GLOBAL libpng)
  add_library(kestrune_pcre2 INTERFACE)
  target_link_libraries(kestrune_pcre2 INTERFACE PkgConfig::PCRE2)
  add_library(kestrune_png INTERFACE)
  target_link_libraries(kestrune_png INTERFACE PkgConfig::PNG)
endif()

# Windows system libraries the platform layer, the transport and the
# stand-ins call into (import libraries of the MinGW sysroot).
if(WIN32)
  set(KESTRUNE_WIN32_LIBS kernel32 user32 advapi32 shell32 shlwapi ole32 uuid version)
endif()
