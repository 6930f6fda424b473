# kestrune_version_resource(<target> VERSION a.b.c.d DESCRIPTION <text>
#                           [PRODUCT <text>] [TYPE APP|DLL])
#
# Gives <target> a version resource (the Windows VS_VERSION_INFO structure)
# in its ".kestrune.version" section, which GetFileVersionString reads. The
# string table carries FileDescription, FileVersion, ProductName,
# ProductVersion and InternalName; the fixed part carries VERSION.
# TYPE defaults to DLL for shared/module libraries, APP otherwise.
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
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_resource.cpp)
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
endfunction()
