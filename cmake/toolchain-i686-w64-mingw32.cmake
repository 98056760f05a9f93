# Cross build for 32-bit Windows with mingw-w64: the release build, installed as Vesperglen.scr.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VG_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_common.cmake)
