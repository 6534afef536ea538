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
target_link_libraries(vireo_scenario_tests PRIVATE gtest gtest_main ${VIREO_SYSTEM_LIBRARIES})
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

file(GLOB VIREO_PROCESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/process/*.cpp)
if(VIREO_PROCESS_SOURCES)
    add_executable(vireo_process_tests ${VIREO_PROCESS_SOURCES})
    target_include_directories(vireo_process_tests PRIVATE ${CMAKE_SOURCE_DIR}/res)
    target_compile_definitions(vireo_process_tests PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(vireo_process_tests PRIVATE gtest gtest_main ${VIREO_SYSTEM_LIBRARIES})
    add_dependencies(vireo_process_tests vireo ${VIREO_TEST_TOOLS})
    add_test(NAME process COMMAND vireo_process_tests)
    set_tests_properties(process PROPERTIES TIMEOUT 1200)
endif()
