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

# Starts the programs, waits for their windows and reads their costs.
add_executable(bench_driver bench/driver.cpp)
target_include_directories(bench_driver PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(bench_driver PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(bench_driver PRIVATE user32 kernel32 psapi winmm)

add_custom_target(bench DEPENDS vireo bench_floor bench_forward_floor bench_driver)
