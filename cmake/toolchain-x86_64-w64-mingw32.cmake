# Cross build for 64-bit Windows with mingw-w64: the build that wine64 runs for the checks.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VG_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_common.cmake)
