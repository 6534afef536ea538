# 32-bit Windows: the build we ship.
set(VIREO_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
