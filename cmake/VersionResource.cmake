# kestrune_version_resource(<target> VERSION a.b.c.d DESCRIPTION <text>
#                           [PRODUCT <text>] [TYPE APP|DLL])
#
# Gives <target> a version resource (the Windows VS_VERSION_INFO structure),
# which GetFileVersionString reads. The string table carries
# FileDescription, FileVersion, ProductName, ProductVersion and InternalName;
# the fixed part carries VERSION. TYPE defaults to DLL for shared/module
# libraries, APP otherwise.
#
# Windows binaries get a real resource: a generated .rc compiled by the
# resource compiler (windres). Elsewhere the same structure goes into the
# binary's ".kestrune.version" section through a generated C++ source; the
# generator is built from this tree and runs on the build machine, so it
# exists only when the build machine is the target.
#
# kestrune_version_every_executable(<dir>) gives every executable that has
# none the project's version (see below).
function(kestrune_version_resource target)
  cmake_parse_arguments(ARG "" "VERSION;DESCRIPTION;PRODUCT;TYPE" "" ${ARGN})
  if(NOT ARG_VERSION)
    set(ARG_VERSION ${PROJECT_VERSION})
  endif()
  if(NOT ARG_PRODUCT)
    set(ARG_PRODUCT "Kestrune")
  endif()
  if(NOT ARG_DESCRIPTION)
    set(ARG_DESCRIPTION "${target}")
  endif()
  if(NOT ARG_TYPE)
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "SHARED_LIBRARY" OR kind STREQUAL "MODULE_LIBRARY")
      set(ARG_TYPE DLL)
    else()
      set(ARG_TYPE APP)
    endif()
  endif()
  string(TOLOWER "${ARG_TYPE}" type)
  set_property(TARGET ${target} PROPERTY KESTRUNE_VERSION_RESOURCE ${ARG_VERSION})
  get_target_property(bindir ${target} BINARY_DIR)
  if(WIN32)
    _kestrune_version_rc(${target} ${bindir} ${type} "${ARG_VERSION}" "${ARG_DESCRIPTION}"
                         "${ARG_PRODUCT}")
    return()
  endif()
  if(NOT TARGET kestrune_version_gen)
    message(FATAL_ERROR "kestrune_version_resource(${target}): no version resource generator for "
                        "this target system")
  endif()
  set(out ${bindir}/${target}_version_resource.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND kestrune_version_gen ${out} ${ARG_VERSION} ${type}
            "FileDescription=${ARG_DESCRIPTION}" "FileVersion=${ARG_VERSION}"
            "InternalName=${target}" "ProductName=${ARG_PRODUCT}"
            "ProductVersion=${ARG_VERSION}"
    DEPENDS kestrune_version_gen
    COMMENT "Version resource ${ARG_VERSION} for ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  get_target_property(home ${target} SOURCE_DIR)
  if(NOT home STREQUAL CMAKE_CURRENT_SOURCE_DIR)
    # Only targets of the folder that makes a file get its rule; one from
    # another folder waits for it through a target of its own.
    add_custom_target(${target}_version_resource DEPENDS ${out})
    add_dependencies(${target} ${target}_version_resource)
  endif()
endfunction()

# Gives every executable target under <dir> (and its subfolders) that has no
# version resource of its own the project's version, so that no program, tool
# or test binary reads an empty version of itself. Called once, at the end of
# the top-level list, after every target exists.
function(kestrune_version_every_executable dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t ${targets})
    get_target_property(kind ${t} TYPE)
    get_target_property(has ${t} KESTRUNE_VERSION_RESOURCE)
    # The generator cannot carry the resource it makes.
    if(kind STREQUAL "EXECUTABLE" AND NOT has AND NOT t STREQUAL "kestrune_version_gen")
      kestrune_version_resource(${t} VERSION ${PROJECT_VERSION})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    kestrune_version_every_executable(${sub})
  endforeach()
endfunction()

# Text inside an .rc string: quotes doubled, backslashes escaped.
function(_kestrune_rc_quote out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\"\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# The same resource as the generator writes (language 0x0804, code page
# 1200, NT 32-bit file OS), as resource-compiler source.
function(_kestrune_version_rc target bindir type version description product)
  string(REPLACE "." ";" parts "${version}")
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(JOIN parts "," numeric)
  if(type STREQUAL "dll")
    set(file_type VFT_DLL)
  else()
    set(file_type VFT_APP)
  endif()
  set(lines "")
  foreach(pair "FileDescription;${description}" "FileVersion;${version}"
               "InternalName;${target}" "ProductName;${product}" "ProductVersion;${version}")
    list(GET pair 0 name)
    list(GET pair 1 text)
    _kestrune_rc_quote(quoted "${text}")
    string(APPEND lines "      VALUE \"${name}\", ${quoted}\n")
  endforeach()
  set(out ${bindir}/${target}_version.rc)
  file(GENERATE OUTPUT ${out} CONTENT
"// Generated by kestrune_version_resource(); do not edit.
#pragma code_page(65001)
#include <winver.h>
1 VERSIONINFO
FILEVERSION ${numeric}
PRODUCTVERSION ${numeric}
FILEFLAGSMASK 0x3F
FILEFLAGS 0
FILEOS VOS_NT_WINDOWS32
FILETYPE ${file_type}
FILESUBTYPE 0
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"080404b0\"
    BEGIN
${lines}    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x0804, 1200
  END
END
")
  target_sources(${target} PRIVATE ${out})
endfunction()
