# Linux: the system code over the stand-ins of platform/.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(VORBIS IMPORTED_TARGET vorbisfile vorbisenc vorbis ogg)
pkg_check_modules(OPENMPT IMPORTED_TARGET libopenmpt)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
find_package(Threads REQUIRED)

# Headers that stand in for the Windows SDK, Direct3D 8, the Direct3D utility library and the
# audio library. System code includes them by their real names.
set(VG_PLATFORM_INCLUDES
  ${CMAKE_SOURCE_DIR}/platform/win32/include
  ${CMAKE_SOURCE_DIR}/platform/d3d8/include
  ${CMAKE_SOURCE_DIR}/platform/d3dx/include
  ${CMAKE_SOURCE_DIR}/platform/audio/include
  ${CMAKE_SOURCE_DIR}/platform/record
  /usr/include/stb)

file(GLOB VG_PLATFORM_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/d3d8/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/d3dx/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/d3dx/libjpeg/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/audio/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/audio/sdl/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/audio/openmpt/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/audio/mpg123/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/record/*.cpp)
list(FILTER VG_PLATFORM_SOURCES EXCLUDE REGEX ".*/main_linux\\.cpp$")

add_library(vg_platform STATIC ${VG_PLATFORM_SOURCES})
target_include_directories(vg_platform PUBLIC ${VG_PLATFORM_INCLUDES} ${CMAKE_SOURCE_DIR})
target_link_libraries(vg_platform PUBLIC PkgConfig::SDL2 PkgConfig::JPEG Threads::Threads ${CMAKE_DL_LIBS})
target_link_libraries(vg_platform PUBLIC PkgConfig::MPG123)
if(OPENMPT_FOUND)
  target_link_libraries(vg_platform PUBLIC PkgConfig::OPENMPT)
endif()

add_library(vg_system STATIC ${VG_SYSTEM_SOURCES})
target_include_directories(vg_system PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vg_system PUBLIC vg_platform)

# The system and platform libraries call each other (WinMain and the window procedures are
# system code, called from the platform's main and message dispatch).
add_library(vg_all INTERFACE)
target_link_libraries(vg_all INTERFACE -Wl,--start-group vg_system vg_platform -Wl,--end-group
  PkgConfig::SDL2 PkgConfig::JPEG Threads::Threads m)
if(OPENMPT_FOUND)
  target_link_libraries(vg_all INTERFACE PkgConfig::OPENMPT)
endif()
target_link_libraries(vg_all INTERFACE PkgConfig::MPG123)

add_executable(vesperglen platform/win32/main_linux.cpp)
target_link_libraries(vesperglen PRIVATE vg_all)
target_include_directories(vesperglen PRIVATE ${VG_PLATFORM_INCLUDES} ${CMAKE_SOURCE_DIR})

if(VG_TOOLS)
  foreach(tool_dir tools bench)
    file(GLOB tool_cmake CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${tool_dir}/CMakeLists.txt)
    if(tool_cmake)
      add_subdirectory(${tool_dir})
    endif()
  endforeach()
endif()

if(VG_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  # One test program per folder of tests/, each linked with the whole system.
  file(GLOB test_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
  foreach(test_dir ${test_dirs})
    if(IS_DIRECTORY ${test_dir})
      get_filename_component(test_name ${test_dir} NAME)
      if(test_name STREQUAL "support" OR test_name STREQUAL "fuzz" OR test_name STREQUAL "reference")
        continue()
      endif()
      file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${test_dir}/*.cpp)
      if(test_sources)
        file(GLOB support_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
        add_executable(test_${test_name} ${test_sources} ${support_sources})
        target_link_libraries(test_${test_name} PRIVATE vg_all GTest::gtest GTest::gtest_main)
        target_include_directories(test_${test_name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
        target_compile_definitions(test_${test_name} PRIVATE
          VG_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}/tests"
          VG_TEST_REGISTRY="${CMAKE_BINARY_DIR}/test-registry/${test_name}.reg")
        gtest_discover_tests(test_${test_name} DISCOVERY_TIMEOUT 60
          PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
      endif()
    endif()
  endforeach()
endif()
