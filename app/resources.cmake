# The program's Windows resources: the icon (drawn at build time by tools/make_icon.py), the
# application manifest and the version block, compiled from varnholt.rc.in by windres.
# Usage, after include(resources.cmake) in app/CMakeLists.txt: varnholt_add_resources(varnholt)

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(VARNHOLT_RESOURCES_DIR "${CMAKE_CURRENT_LIST_DIR}")
cmake_path(GET VARNHOLT_RESOURCES_DIR PARENT_PATH VARNHOLT_RESOURCES_ROOT)

function(varnholt_add_resources target)
    set(icon_tool "${VARNHOLT_RESOURCES_ROOT}/tools/make_icon.py")
    set(VARNHOLT_ICON_FILE "${CMAKE_CURRENT_BINARY_DIR}/varnholt.ico")
    set(VARNHOLT_MANIFEST_FILE "${VARNHOLT_RESOURCES_DIR}/varnholt.manifest")
    set(rc_file "${CMAKE_CURRENT_BINARY_DIR}/varnholt.rc")

    add_custom_command(
        OUTPUT "${VARNHOLT_ICON_FILE}"
        COMMAND "${Python3_EXECUTABLE}" "${icon_tool}" "${VARNHOLT_ICON_FILE}"
        DEPENDS "${icon_tool}"
        COMMENT "Drawing the program icon"
        VERBATIM)

    # The version in both the numeric (2,0,0,0) and the text (2.0.0.0) form, from project().
    set(parts)
    foreach(part MAJOR MINOR PATCH TWEAK)
        if("${PROJECT_VERSION_${part}}" STREQUAL "")
            list(APPEND parts 0)
        else()
            list(APPEND parts "${PROJECT_VERSION_${part}}")
        endif()
    endforeach()
    list(JOIN parts "," VARNHOLT_VERSION_COMMAS)
    list(JOIN parts "." VARNHOLT_VERSION_DOTS)

    configure_file("${VARNHOLT_RESOURCES_DIR}/varnholt.rc.in" "${rc_file}" @ONLY)

    # windres does not see the files the script names, so they are listed as dependencies.
    set_source_files_properties("${rc_file}" PROPERTIES
        INCLUDE_DIRECTORIES "${VARNHOLT_RESOURCES_DIR}"
        COMPILE_OPTIONS "--codepage=65001"
        OBJECT_DEPENDS "${VARNHOLT_ICON_FILE};${VARNHOLT_MANIFEST_FILE};${VARNHOLT_RESOURCES_DIR}/resource_ids.h")
    # The icon is listed too, so that building the target runs the command that draws it.
    target_sources(${target} PRIVATE "${rc_file}" "${VARNHOLT_ICON_FILE}")
endfunction()
