# popyo_version_info(<target> DESCRIPTION <text> MANIFEST <file.manifest.in>)
#
# Gives a shipped executable its VERSIONINFO resource (product name, file description,
# version) and its manifest, both filled in from project(): the version is written once, in
# the top-level CMakeLists.txt. The manifest template may use @POPYO_VERSION_QUAD@.
function(popyo_version_info target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;MANIFEST" "")
    if(NOT arg_DESCRIPTION OR NOT arg_MANIFEST)
        message(FATAL_ERROR "popyo_version_info(${target}): DESCRIPTION and MANIFEST are required")
    endif()
    set(POPYO_VERSION_QUAD
        "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
    set(POPYO_RC_NAME ${target})
    set(POPYO_RC_DESCRIPTION ${arg_DESCRIPTION})
    set(POPYO_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${arg_MANIFEST} ${POPYO_RC_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/versioninfo.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${POPYO_RC_MANIFEST})
endfunction()
