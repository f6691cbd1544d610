# libjpeg, for decoding the settings dialog's banner, and popyo_banner, the decoder.
#
# Built on Linux or on Windows itself, it is the system's libjpeg (libjpeg62-turbo-dev on
# Debian). The Windows build cross-compiled on Linux builds Debian's own libjpeg-turbo source
# once per build tree, at configure time, and links it statically;
# scripts/lib/libjpeg-mingw.sh does the fetching and building.

get_filename_component(POPYO_REPO_DIR ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(POPYO_JPEG_DIR ${CMAKE_BINARY_DIR}/deps/libjpeg)
    if(NOT EXISTS ${POPYO_JPEG_DIR}/lib/libjpeg.a)
        set(log ${CMAKE_BINARY_DIR}/deps/libjpeg-build.log)
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/deps)
        message(STATUS "Building libjpeg for MinGW into ${POPYO_JPEG_DIR} (log: ${log})")
        execute_process(
            COMMAND bash ${POPYO_REPO_DIR}/scripts/lib/libjpeg-mingw.sh ${POPYO_JPEG_DIR}
            RESULT_VARIABLE result
            OUTPUT_FILE ${log}
            ERROR_FILE ${log})
        if(NOT result EQUAL 0 OR NOT EXISTS ${POPYO_JPEG_DIR}/lib/libjpeg.a)
            file(STRINGS ${log} lines)
            list(LENGTH lines count)
            set(first 0)
            if(count GREATER 25)
                math(EXPR first "${count} - 25")
            endif()
            list(SUBLIST lines ${first} -1 tail)
            list(JOIN tail "\n" tail)
            message(FATAL_ERROR
                "Building libjpeg for MinGW failed (${result}). The end of ${log}:\n${tail}")
        endif()
    endif()
    add_library(popyo_jpeg STATIC IMPORTED GLOBAL)
    set_target_properties(popyo_jpeg PROPERTIES
        IMPORTED_LOCATION ${POPYO_JPEG_DIR}/lib/libjpeg.a
        INTERFACE_INCLUDE_DIRECTORIES ${POPYO_JPEG_DIR}/include)
else()
    find_package(JPEG REQUIRED)
    add_library(popyo_jpeg INTERFACE)
    target_link_libraries(popyo_jpeg INTERFACE JPEG::JPEG)
endif()

add_library(popyo_banner STATIC ${POPYO_REPO_DIR}/settings/Banner.cpp)
target_include_directories(popyo_banner PUBLIC ${POPYO_REPO_DIR})
target_link_libraries(popyo_banner PRIVATE popyo_jpeg)
target_compile_options(popyo_banner PRIVATE ${POPYO_WARNINGS})
