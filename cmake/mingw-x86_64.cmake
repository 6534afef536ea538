# 64-bit Windows, built and tested beside the 32-bit one.
set(VIREO_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
