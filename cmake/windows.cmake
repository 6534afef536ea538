# vireo.exe and the tests that run it under Wine.

set(VIREO_WIN32_SOURCES
    app/entry.cpp
    app/marker.cpp
    app/requests.cpp
    app/dde_server.cpp
    app/restart.cpp
    app/system_functions.cpp
    playlist/playlist_list.cpp
    playlist/list_drawing.cpp
    playlist/list_input.cpp
    playlist/mailbox.cpp
    playlist/mailbox_receiver.cpp
    playlist/new_entry.cpp
    playlist/playlist_file.cpp
    playlist/playlist_save.cpp
    playlist/other_playlists.cpp
    playlist/media_chooser.cpp
    playlist/drop.cpp
    playlist/kept_queue_store.cpp
    playlist/kept_queue_writer.cpp
    playlist/kept_queue_restore.cpp
    playlist/whole_file.cpp
    playlist/quiet_timer.cpp
    playlist/title_scan.cpp
    playlist/title_place.cpp
    playlist/entry_title.cpp
    playlist/queue_summary.cpp
    playlist/find_index.cpp
    playback/media.cpp
    playback/play_commands.cpp
    playback/advance.cpp
    playback/current_entry.cpp
    playback/volume.cpp
    playback/foundation.cpp
    playback/foundation_calls.cpp
    playback/foundation_source.cpp
    playback/foundation_watch.cpp
    playback/progress.cpp
    shell/main_window.cpp
    shell/tray.cpp
    shell/media_keys.cpp
    shell/media_controls.cpp
    shell/media_controls_buttons.cpp
    shell/app_identity.cpp
    shell/settings.cpp
    shell/about.cpp
    shell/dpi.cpp
    shell/layout.cpp
    shell/volume_slider.cpp
    shell/find_box.cpp
    shell/find_matches.cpp
    shell/window_keys.cpp
)

# mfuuid and uuid hold only the identifiers of Media Foundation's
# interfaces: nothing of it is imported (it is loaded at run time).
set(VIREO_SYSTEM_LIBRARIES user32 gdi32 kernel32 advapi32 shell32 comctl32 comdlg32 msvfw32 winmm mfuuid uuid)

include(${CMAKE_CURRENT_LIST_DIR}/delayload.cmake)
vireo_delay_library(VIREO_COMDLG32_DELAY comdlg32 GetOpenFileNameA:4 GetSaveFileNameA:4 CommDlgExtendedError:0)
vireo_delay_library(VIREO_MSVFW32_DELAY msvfw32 GetOpenFileNamePreviewA:4)
# The shipped program loads the choosers' DLLs when a chooser first opens;
# the tests keep the plain imports, whose slots their fakes take over.
set(VIREO_PROGRAM_LIBRARIES user32 gdi32 kernel32 advapi32 shell32 comctl32 winmm mfuuid uuid
    ${VIREO_COMDLG32_DELAY} ${VIREO_MSVFW32_DELAY} delayimp)

add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# Runs from a folder on a machine with nothing else installed.
add_link_options(-static -static-libgcc -static-libstdc++)

# The program's objects, linked into vireo.exe and into the scenario tests alike.
add_library(vireo_objects OBJECT ${VIREO_TEXT_SOURCES} ${VIREO_WIN32_SOURCES})
target_include_directories(vireo_objects PUBLIC ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(vireo_objects PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
# Media Foundation's files ask its headers for Windows 7, the oldest system
# this way plays on.
set_source_files_properties(playback/foundation.cpp playback/foundation_calls.cpp playback/foundation_source.cpp
    playback/foundation_watch.cpp PROPERTIES COMPILE_DEFINITIONS "WINVER=0x0601;_WIN32_WINNT=0x0601")

add_library(vireo_resources OBJECT res/vireo.rc)
target_include_directories(vireo_resources PRIVATE ${CMAKE_SOURCE_DIR}/res)
set_source_files_properties(res/vireo.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/version.rc;${CMAKE_SOURCE_DIR}/res/idle.ico;${CMAKE_SOURCE_DIR}/res/playing.ico;${CMAKE_SOURCE_DIR}/res/paused.ico;${CMAKE_SOURCE_DIR}/res/about.ico;${CMAKE_SOURCE_DIR}/res/program.ico;${CMAKE_SOURCE_DIR}/res/linkhand.cur;${CMAKE_SOURCE_DIR}/res/vireo.manifest")

add_executable(vireo WIN32 app/main.cpp $<TARGET_OBJECTS:vireo_objects> $<TARGET_OBJECTS:vireo_resources>)
target_include_directories(vireo PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(vireo PRIVATE ${VIREO_PROGRAM_LIBRARIES})
add_dependencies(vireo comdlg32_delay msvfw32_delay)
# The shipped program carries no symbols.
target_link_options(vireo PRIVATE $<$<CONFIG:Release>:-s>)

# The help page lies next to the executable under the same base name, and
# so does the picture Windows shows for the program beside its media controls.
add_custom_command(TARGET vireo POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/res/vireo.htm $<TARGET_FILE_DIR:vireo>/vireo.htm
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/res/program.png $<TARGET_FILE_DIR:vireo>/vireo.png)

if(VIREO_TESTS)
    include(${CMAKE_SOURCE_DIR}/tests/tests.cmake)
endif()

option(VIREO_BENCH "Build the benchmark programs (run by tools/run-benchmarks)" ON)
if(VIREO_BENCH)
    include(${CMAKE_SOURCE_DIR}/bench/bench.cmake)
endif()
