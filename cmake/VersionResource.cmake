# kestrune_version_resource(<target> VERSION a.b.c.d DESCRIPTION <text>
#                           [PRODUCT <text>] [TYPE APP|DLL])
#
# Gives <target> a version resource (the Windows VS_VERSION_INFO structure)
# in its ".kestrune.version" section, which GetFileVersionString reads. The
# string table carries FileDescription, FileVersion, ProductName,
# ProductVersion and InternalName; the fixed part carries VERSION.
# TYPE defaults to DLL for shared/module libraries, APP otherwise.
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
  get_target_property(bindir ${target} BINARY_DIR)
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
  set_property(TARGET ${target} PROPERTY KESTRUNE_VERSION_RESOURCE ${ARG_VERSION})
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
