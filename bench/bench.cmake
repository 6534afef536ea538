# Benchmark programs: built with vireo.exe, run only by tools/run-benchmarks.

# The floor for start-up, memory, playback cost, gaps and size: a minimal
# dialog program with vireo.exe's own resources, so the same template.
add_executable(bench_floor WIN32 bench/floor_dialog.cpp $<TARGET_OBJECTS:vireo_resources>)
target_include_directories(bench_floor PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(bench_floor PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_floor PRIVATE user32 kernel32 winmm)
target_link_options(bench_floor PRIVATE $<$<CONFIG:Release>:-s>)

# The floor for forwarding: the mailbox's cross-process round trips, nothing else.
add_executable(bench_forward_floor bench/forward_floor.cpp ${VIREO_TEXT_SOURCES})
target_include_directories(bench_forward_floor PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(bench_forward_floor PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_forward_floor PRIVATE user32 kernel32)

# The kept queue: the restore into the main window's list and the write, timed
# inside the process, against a floor that adds the same names to a bare list box.
add_executable(bench_kept_queue bench/kept_queue_bench.cpp $<TARGET_OBJECTS:vireo_objects>
    $<TARGET_OBJECTS:vireo_resources>)
target_include_directories(bench_kept_queue PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(bench_kept_queue PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_kept_queue PRIVATE ${VIREO_SYSTEM_LIBRARIES})
add_executable(bench_restore_floor bench/restore_floor.cpp)
target_compile_definitions(bench_restore_floor PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_restore_floor PRIVATE user32 kernel32)

# The find box over 10,000 entries: its opening and each key, timed inside the process.
add_executable(bench_find_box bench/find_box_bench.cpp $<TARGET_OBJECTS:vireo_objects>
    $<TARGET_OBJECTS:vireo_resources>)
target_include_directories(bench_find_box PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(bench_find_box PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_find_box PRIVATE ${VIREO_SYSTEM_LIBRARIES})

# Starts the programs, waits for their windows and reads their costs.
add_executable(bench_driver bench/driver.cpp)
target_include_directories(bench_driver PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(bench_driver PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_driver PRIVATE user32 kernel32 psapi winmm shell32)

# A whole start with the kept queue against an empty start.
add_executable(bench_kept_start bench/kept_start_bench.cpp)
target_include_directories(bench_kept_start PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(bench_kept_start PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_kept_start PRIVATE user32 kernel32 shell32)

add_custom_target(bench DEPENDS vireo bench_floor bench_forward_floor bench_driver bench_kept_queue bench_restore_floor
    bench_kept_start bench_find_box)

# Reading titles and lengths: the player's scan of a kept queue whose entries
# are unread, and its window's answers meanwhile; the floor opens and reads the
# same files' heads and tails.
add_executable(bench_titles bench/title_bench.cpp bench/title_busy.cpp)
target_include_directories(bench_titles PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(bench_titles PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_titles PRIVATE user32 kernel32 shell32)
add_executable(bench_scan_floor bench/scan_floor.cpp)
target_compile_definitions(bench_scan_floor PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_scan_floor PRIVATE kernel32)
add_dependencies(bench bench_titles bench_scan_floor)
