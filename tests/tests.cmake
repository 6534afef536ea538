# Scenario tests (the real window, a fake outside world) and process tests
# (real vireo.exe processes), all run under Wine through the harness.
enable_testing()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB VIREO_SCENARIO_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/tests/scenario/*.cpp ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
add_executable(vireo_scenario_tests ${VIREO_SCENARIO_SOURCES}
    $<TARGET_OBJECTS:vireo_objects> $<TARGET_OBJECTS:vireo_resources>)
target_include_directories(vireo_scenario_tests PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(vireo_scenario_tests PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(vireo_scenario_tests PRIVATE gtest gtest_main ${VIREO_SYSTEM_LIBRARIES} uxtheme)
# The fake Media Foundation's functions are found by their plain names
# among the test program's exports.
target_link_options(vireo_scenario_tests PRIVATE -Wl,--kill-at)
add_test(NAME scenario COMMAND vireo_scenario_tests)
set_tests_properties(scenario PROPERTIES TIMEOUT 600)

# Small programs of ours that the process tests start beside vireo.exe.
file(GLOB VIREO_TEST_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/process/tools/*.cpp)
foreach(source ${VIREO_TEST_TOOL_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} $<TARGET_OBJECTS:vireo_objects>)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/res)
    target_link_libraries(${name} PRIVATE ${VIREO_SYSTEM_LIBRARIES})
    list(APPEND VIREO_TEST_TOOLS ${name})
endforeach()

# Short tones beside the tests, one pitch per kind: the media layers decode
# them under Wine through GStreamer, as they would through Windows' own
# codecs. An MP3; and the kinds only Media Foundation opens on Windows:
# FLAC, M4A with AAC and with ALAC, Opus.
find_program(VIREO_SOX sox REQUIRED)
find_program(VIREO_LAME lame REQUIRED)
find_program(VIREO_GST_LAUNCH gst-launch-1.0 REQUIRED)
set(VIREO_TEST_MP3 ${CMAKE_BINARY_DIR}/tone880.mp3)
add_custom_command(OUTPUT ${VIREO_TEST_MP3}
    COMMAND ${VIREO_SOX} -n -r 22050 -c 1 -b 16 ${CMAKE_BINARY_DIR}/tone880.wav synth 2 sine 880 vol 0.37
    COMMAND ${VIREO_LAME} --quiet -b 64 ${CMAKE_BINARY_DIR}/tone880.wav ${VIREO_TEST_MP3}
    VERBATIM)
set(VIREO_TEST_MEDIA ${VIREO_TEST_MP3})
# Tagged files as other programs make them: a VBR MP3 with an ID3v2 tag and
# its Xing frame, and a FLAC with Vorbis comments (GStreamer's encoders here
# write no tags they are handed).
set(VIREO_TITLED_MP3 ${CMAKE_BINARY_DIR}/titled.mp3)
add_custom_command(OUTPUT ${VIREO_TITLED_MP3}
    COMMAND ${VIREO_SOX} -n -r 22050 -c 1 -b 16 ${CMAKE_BINARY_DIR}/titled.wav synth 4 sine 660 vol 0.3
    COMMAND ${VIREO_LAME} --quiet -V 5 --tt "Harbour Bells" --ta "The Quiet Tide" ${CMAKE_BINARY_DIR}/titled.wav
            ${VIREO_TITLED_MP3}
    VERBATIM)
set(VIREO_TITLED_FLAC ${CMAKE_BINARY_DIR}/titled.flac)
add_custom_command(OUTPUT ${VIREO_TITLED_FLAC}
    COMMAND ${VIREO_SOX} -n -r 44100 -c 1 -b 16 --comment "TITLE=Slow River" --add-comment "ARTIST=Marsh Choir"
            ${VIREO_TITLED_FLAC} synth 6 sine 440 vol 0.3
    VERBATIM)
list(APPEND VIREO_TEST_MEDIA ${VIREO_TITLED_MP3} ${VIREO_TITLED_FLAC})
# name, pitch, and the GStreamer elements from decoded PCM to the file.
foreach(kind "tone440.flac|440|flacenc" "tone660.m4a|660|avenc_aac ! mp4mux"
             "tone550.m4a|550|avenc_alac ! mp4mux" "tone1320.opus|1320|audioresample ! opusenc ! oggmux")
    string(REPLACE "|" ";" parts "${kind}")
    list(GET parts 0 name)
    list(GET parts 1 pitch)
    list(GET parts 2 encoder)
    separate_arguments(encoder UNIX_COMMAND "${encoder}")
    set(wave ${CMAKE_BINARY_DIR}/${name}.wav)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}
        COMMAND ${VIREO_SOX} -n -r 44100 -c 1 -b 16 ${wave} synth 2 sine ${pitch} vol 0.37
        COMMAND ${VIREO_GST_LAUNCH} -q filesrc location=${wave} ! wavparse ! audioconvert ! ${encoder}
                ! filesink location=${CMAKE_BINARY_DIR}/${name}
        VERBATIM)
    list(APPEND VIREO_TEST_MEDIA ${CMAKE_BINARY_DIR}/${name})
endforeach()
add_custom_target(vireo_test_media DEPENDS ${VIREO_TEST_MEDIA})

file(GLOB VIREO_PROCESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/process/*.cpp)
if(VIREO_PROCESS_SOURCES)
    add_executable(vireo_process_tests ${VIREO_PROCESS_SOURCES})
    target_include_directories(vireo_process_tests PRIVATE ${CMAKE_SOURCE_DIR}/res)
    target_compile_definitions(vireo_process_tests PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(vireo_process_tests PRIVATE gtest gtest_main ${VIREO_SYSTEM_LIBRARIES})
    add_dependencies(vireo_process_tests vireo vireo_test_media ${VIREO_TEST_TOOLS})
    add_test(NAME process COMMAND vireo_process_tests)
    set_tests_properties(process PROPERTIES TIMEOUT 1200)
endif()

# The shipped (32-bit) program imports only what Windows 95 and NT 4.0 export,
# read from its own import tables beside it.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_executable(vireo_imports_test ${CMAKE_SOURCE_DIR}/tests/packaging/imports_test.cpp)
    target_link_libraries(vireo_imports_test PRIVATE gtest gtest_main)
    add_dependencies(vireo_imports_test vireo)
    configure_file(${CMAKE_SOURCE_DIR}/tests/packaging/win95_nt4_exports.txt
        ${CMAKE_BINARY_DIR}/win95_nt4_exports.txt COPYONLY)
    add_test(NAME imports COMMAND vireo_imports_test)
    set_tests_properties(imports PROPERTIES TIMEOUT 60)
endif()

# The installer of the shipped (32-bit) build, and a test that installs it,
# runs the installed program and uninstalls it again, in a Wine prefix of its
# own so that nothing lands in the shared one.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    find_program(VIREO_MAKENSIS makensis REQUIRED)
    set(VIREO_SETUP_NAME vireo-${PROJECT_VERSION}-setup.exe)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${VIREO_SETUP_NAME}
        COMMAND ${VIREO_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBUILD_DIR=$<TARGET_FILE_DIR:vireo>
                -DOUTFILE=${CMAKE_BINARY_DIR}/${VIREO_SETUP_NAME} ${CMAKE_SOURCE_DIR}/packaging/vireo.nsi
        DEPENDS vireo ${CMAKE_SOURCE_DIR}/packaging/vireo.nsi ${CMAKE_SOURCE_DIR}/res/program.ico
                ${CMAKE_SOURCE_DIR}/res/vireo.htm
        VERBATIM)
    add_custom_target(vireo_setup DEPENDS ${CMAKE_BINARY_DIR}/${VIREO_SETUP_NAME})

    add_executable(vireo_package_tests ${CMAKE_SOURCE_DIR}/tests/packaging/package_test.cpp
        ${CMAKE_SOURCE_DIR}/tests/process/process_harness.cpp)
    target_include_directories(vireo_package_tests PRIVATE ${CMAKE_SOURCE_DIR}/res)
    target_compile_definitions(vireo_package_tests PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX
        VIREO_VERSION="${PROJECT_VERSION}" VIREO_SETUP_NAME="${VIREO_SETUP_NAME}")
    target_link_libraries(vireo_package_tests PRIVATE gtest gtest_main ${VIREO_SYSTEM_LIBRARIES} version ole32 uuid)
    add_dependencies(vireo_package_tests vireo_setup)
    add_test(NAME packaging COMMAND ${CMAKE_SOURCE_DIR}/tools/winerun
        ${CMAKE_SOURCE_DIR}/tests/packaging/in-own-prefix $<TARGET_FILE:vireo_package_tests>)
    set_tests_properties(packaging PROPERTIES TIMEOUT 180)
endif()
