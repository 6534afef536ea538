# The code that needs no window, built natively under AddressSanitizer and
# UndefinedBehaviorSanitizer, with its unit tests and (with clang) fuzz targets.

set(VIREO_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -g ${VIREO_SANITIZERS})
add_link_options(${VIREO_SANITIZERS})

add_library(vireo_text STATIC ${VIREO_TEXT_SOURCES})
target_include_directories(vireo_text PUBLIC ${CMAKE_SOURCE_DIR})
# The fuzz targets are guided by the coverage of the code they call, not
# only of their own file.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(vireo_text PRIVATE -fsanitize=fuzzer-no-link)
endif()

if(VIREO_TESTS)
    enable_testing()
    find_package(GTest REQUIRED)
    file(GLOB VIREO_NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
    add_executable(vireo_native_tests ${VIREO_NATIVE_TEST_SOURCES})
    target_link_libraries(vireo_native_tests PRIVATE vireo_text GTest::gtest GTest::gtest_main)
    add_test(NAME native COMMAND vireo_native_tests)
    # The icons and the cursor in res/ are the pictures drawn in res/art/.
    add_test(NAME art COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/make_art.py --check)
endif()

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # The fuzz targets link a copy of the code built with coverage, so that
    # libFuzzer is led by the branches of the code under test, not of the
    # target's own file alone.
    add_library(vireo_text_fuzz STATIC ${VIREO_TEXT_SOURCES})
    target_include_directories(vireo_text_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(vireo_text_fuzz PRIVATE -fsanitize=fuzzer-no-link)
    file(GLOB VIREO_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
    foreach(source ${VIREO_FUZZ_SOURCES})
        get_filename_component(name ${source} NAME_WE)
        add_executable(${name} ${source})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name} PRIVATE vireo_text_fuzz)
    endforeach()
endif()

# The import test of the 32-bit build, runnable here too: tools/test-all runs
# it against build/windows where the machine has no 32-bit Wine.
if(VIREO_TESTS)
    add_executable(vireo_imports_native ${CMAKE_SOURCE_DIR}/tests/packaging/imports_test.cpp)
    target_link_libraries(vireo_imports_native PRIVATE GTest::gtest GTest::gtest_main)
endif()
