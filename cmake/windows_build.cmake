# Windows: the system code over the real Win32, Direct3D 8 and winmm, with our own picture
# loaders and audio layer, linked into one Vesperglen.scr that needs no DLL beyond the system's.
# Configure with cmake/toolchain-i686-w64-mingw32.cmake (the release build) or
# cmake/toolchain-x86_64-w64-mingw32.cmake (what wine64 runs). The content and the icon come from
# the content generator, built for the host machine in <build>/host.
enable_language(RC)
include(ExternalProject)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VG_WINDOWS_ARCH win64)
else()
  set(VG_WINDOWS_ARCH win32)
  # SSE arithmetic, as in the 64-bit and Linux builds, so every build draws the same frames.
  add_compile_options(-msse2 -mfpmath=sse)
endif()

set(VG_WINDOWS_DIR ${CMAKE_SOURCE_DIR}/platform/win32/windows)
# The override directory comes first so that its <mmsystem.h> wraps the SDK's.
set(VG_PLATFORM_INCLUDES
  ${VG_WINDOWS_DIR}/include
  ${CMAKE_SOURCE_DIR}/platform/d3dx/include
  ${CMAKE_SOURCE_DIR}/platform/audio/include
  ${CMAKE_SOURCE_DIR}/platform/record)

file(GLOB VG_PLATFORM_SOURCES CONFIGURE_DEPENDS
  ${VG_WINDOWS_DIR}/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/d3dx/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/d3dx/stb/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/audio/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/audio/winmm/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/record/*.cpp)

# Module music: libxmp from its Debian source package (scripts/fetch_xmp.sh unpacks and mends it),
# compiled into the saver. Without it modules stay silent.
set(VG_XMP_SOURCE "" CACHE PATH "Unpacked libxmp source package")
if(VG_XMP_SOURCE)
  include(${CMAKE_SOURCE_DIR}/cmake/libxmp.cmake)
  vg_add_xmp_library(vg_xmp ${VG_XMP_SOURCE})
  list(APPEND VG_PLATFORM_SOURCES ${CMAKE_SOURCE_DIR}/platform/audio/xmp/module_xmp.cpp)
else()
  list(APPEND VG_PLATFORM_SOURCES ${CMAKE_SOURCE_DIR}/platform/audio/none/module_absent.cpp)
endif()

# d3d8.dll: mingw-w64 has an import library for i686 only; the other is made from its exports.
set(VG_D3D8_LIBRARY d3d8)
if(VG_WINDOWS_ARCH STREQUAL "win64")
  set(VG_D3D8_LIBRARY ${CMAKE_BINARY_DIR}/libd3d8.a)
  add_custom_command(OUTPUT ${VG_D3D8_LIBRARY}
    COMMAND ${CMAKE_DLLTOOL} -d ${VG_WINDOWS_DIR}/d3d8.def -l ${VG_D3D8_LIBRARY}
    DEPENDS ${VG_WINDOWS_DIR}/d3d8.def
    COMMENT "Making the import library of d3d8.dll")
  add_custom_target(d3d8_import DEPENDS ${VG_D3D8_LIBRARY})
endif()

# The content generator runs on the build machine, so it is built by a host configuration of this
# same source tree. Its folder also serves the Linux reference runs of scripts/wine_check.sh.
set(VG_HOST_DIR ${CMAKE_BINARY_DIR}/host)
set(VG_CONTENT_TOOL ${VG_HOST_DIR}/tools/vesperglen_content)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${VG_HOST_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVG_TESTS=OFF -DVG_TOOLS=ON
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${VG_HOST_DIR} --target vesperglen_content
  BUILD_BYPRODUCTS ${VG_CONTENT_TOOL}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

# The installation folder of the package, and the program icon, from one run of the generator.
# Its registry.reg names a folder of this machine; the package has an install script instead,
# writing the registry view the saver reads (a 32-bit program on 64-bit Windows sees WOW6432Node).
if(VG_WINDOWS_ARCH STREQUAL "win64")
  set(VG_REGISTRY_VIEW 64)
else()
  set(VG_REGISTRY_VIEW 32)
endif()
set(VG_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package/Vesperglen)
set(VG_ICON_DIR ${CMAKE_BINARY_DIR}/icon)
add_custom_command(
  OUTPUT ${VG_PACKAGE_DIR}/content.stamp ${VG_ICON_DIR}/vesperglen.ico
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VG_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VG_ICON_DIR}
  COMMAND ${VG_CONTENT_TOOL} ${VG_PACKAGE_DIR} --icon ${VG_ICON_DIR}/vesperglen.ico
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VG_PACKAGE_DIR}/registry.reg
  COMMAND ${CMAKE_COMMAND} -DTOOL=${VG_CONTENT_TOOL} -DOUTPUT=${VG_PACKAGE_DIR}/install.bat
    -DVIEW=${VG_REGISTRY_VIEW} -P ${VG_WINDOWS_DIR}/write_install_script.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${VG_PACKAGE_DIR}/content.stamp
  DEPENDS host_tools ${VG_CONTENT_TOOL} ${VG_WINDOWS_DIR}/write_install_script.cmake
  COMMENT "Generating the installation folder, its install script and the icon")
add_custom_target(content DEPENDS ${VG_PACKAGE_DIR}/content.stamp)

set(VG_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/vesperglen.rc)
set_source_files_properties(${VG_RESOURCE_SCRIPT} PROPERTIES
  COMPILE_OPTIONS "-I${VG_ICON_DIR}"
  OBJECT_DEPENDS ${VG_ICON_DIR}/vesperglen.ico)

add_executable(vesperglen WIN32 ${VG_SYSTEM_SOURCES} ${VG_PLATFORM_SOURCES} ${VG_RESOURCE_SCRIPT})
set_target_properties(vesperglen PROPERTIES OUTPUT_NAME Vesperglen SUFFIX .scr)
target_include_directories(vesperglen PRIVATE ${VG_PLATFORM_INCLUDES} ${CMAKE_SOURCE_DIR})
# stb comes from the build machine's headers; they are plain C and platform-neutral.
target_include_directories(vesperglen SYSTEM PRIVATE /usr/include/stb)
target_link_options(vesperglen PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(vesperglen PRIVATE
  ${VG_D3D8_LIBRARY} winmm shlwapi comctl32 shell32 gdi32 user32 advapi32)
target_link_libraries(vesperglen PRIVATE msacm32 $<$<BOOL:${VG_XMP_SOURCE}>:vg_xmp>)
add_dependencies(vesperglen content)
if(TARGET d3d8_import)
  add_dependencies(vesperglen d3d8_import)
endif()

# The release package: the installation folder with the saver, zipped.
set(VG_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/Vesperglen-${VG_WINDOWS_ARCH}.zip)
add_custom_command(
  OUTPUT ${VG_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vesperglen> ${VG_PACKAGE_DIR}/Vesperglen.scr
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VG_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/package
    ${CMAKE_COMMAND} -E tar cf ${VG_PACKAGE_ZIP} --format=zip
      Vesperglen/Vesperglen.scr Vesperglen/install.bat Vesperglen/links.txt Vesperglen/ad1.bmp
      Vesperglen/Data
  DEPENDS vesperglen ${VG_PACKAGE_DIR}/content.stamp
  COMMENT "Packing ${VG_PACKAGE_ZIP}")
add_custom_target(package_zip ALL DEPENDS ${VG_PACKAGE_ZIP})
