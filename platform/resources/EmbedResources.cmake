# orv_embed_resources(<target> MANIFEST <file>)
#
# Embeds the files that a manifest lists into an executable, where FindResourceW, LoadResource,
# LockResource and SizeofResource (platform/Resources.h) find them. At build time the files are
# written as byte arrays into a generated source file that is added to the target, with a table
# of (type, name) -> bytes. The target must be an executable (the table replaces the empty one of
# orv_platform_resources at link time) and is linked with orv_platform_resources.
#
# Manifest format, one resource per line:
#
#     TYPE NAME PATH
#
#   - TYPE and NAME: letters, digits and '_' (stored in upper case and found in any letter case),
#     or '#' followed by a decimal number 0..65535 for an integer id (MAKEINTRESOURCEW).
#   - PATH: the rest of the line, relative to the manifest's folder unless absolute; it may
#     contain blanks.
#   - Blank lines and lines whose first non-blank character is ';' are ignored. A TYPE/NAME pair
#     may appear only once.
#
# Example:
#     GDIPLUS SPLASH_PNG images/Splash.png
#     ORVXML  APP_SKINS  xml/Skins.xml
#
# Editing the manifest re-runs the configuration; editing a listed file regenerates the source.

set(ORV_EMBED_RESOURCES_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/EmbedResourcesGenerate.cmake")

# Reads a manifest into the lists <prefix>_TYPES, <prefix>_NAMES and <prefix>_PATHS (absolute).
function(orv_read_resource_manifest manifest prefix)
    get_filename_component(base "${manifest}" DIRECTORY)
    file(STRINGS "${manifest}" lines)
    set(types)
    set(names)
    set(paths)
    set(keys)
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        string(STRIP "${line}" line)
        if(line STREQUAL "" OR line MATCHES "^;")
            continue()
        endif()
        if(NOT line MATCHES "^([^ \t]+)[ \t]+([^ \t]+)[ \t]+(.+)$")
            message(FATAL_ERROR "${manifest}:${number}: expected TYPE NAME PATH")
        endif()
        set(type "${CMAKE_MATCH_1}")
        set(name "${CMAKE_MATCH_2}")
        set(path "${CMAKE_MATCH_3}")
        foreach(word IN ITEMS type name)
            set(value "${${word}}")
            if(value MATCHES "^#([0-9]+)$")
                if(CMAKE_MATCH_1 GREATER 65535)
                    message(FATAL_ERROR "${manifest}:${number}: id ${value} is above 65535")
                endif()
            elseif(NOT value MATCHES "^[A-Za-z0-9_]+$")
                message(FATAL_ERROR "${manifest}:${number}: bad ${word} '${value}'")
            endif()
        endforeach()
        string(TOUPPER "${type}" type)
        string(TOUPPER "${name}" name)
        if("${type}/${name}" IN_LIST keys)
            message(FATAL_ERROR "${manifest}:${number}: ${type} ${name} is listed twice")
        endif()
        list(APPEND keys "${type}/${name}")
        if(NOT IS_ABSOLUTE "${path}")
            set(path "${base}/${path}")
        endif()
        if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
            message(FATAL_ERROR "${manifest}:${number}: no file ${path}")
        endif()
        list(APPEND types "${type}")
        list(APPEND names "${name}")
        list(APPEND paths "${path}")
    endforeach()
    set(${prefix}_TYPES "${types}" PARENT_SCOPE)
    set(${prefix}_NAMES "${names}" PARENT_SCOPE)
    set(${prefix}_PATHS "${paths}" PARENT_SCOPE)
endfunction()

function(orv_embed_resources target)
    cmake_parse_arguments(ARG "" "MANIFEST" "" ${ARGN})
    if(NOT ARG_MANIFEST)
        message(FATAL_ERROR "orv_embed_resources(${target}): MANIFEST is required")
    endif()
    get_target_property(kind ${target} TYPE)
    if(NOT kind STREQUAL "EXECUTABLE")
        message(FATAL_ERROR "orv_embed_resources(${target}): the target must be an executable")
    endif()
    get_filename_component(manifest "${ARG_MANIFEST}" ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${manifest}")
    orv_read_resource_manifest("${manifest}" listed)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest} -DOUTPUT=${output}
                -P "${ORV_EMBED_RESOURCES_SCRIPT}"
        DEPENDS "${manifest}" ${listed_PATHS} "${ORV_EMBED_RESOURCES_SCRIPT}"
        COMMENT "Embedding the resources of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE "${output}")
    target_link_libraries(${target} PRIVATE orv_platform_resources)
endfunction()
