# Included right after the top-level project() by scripts/fuzz.sh: one libFuzzer program per
# reader of outside bytes, linked with the whole system. The targets are resolved once the rest
# of the build has defined vg_all. WAV and Ogg share one source; their seeds differ.
set(VG_FUZZ_TARGETS level mesh object_list descriptor picture stb_jpeg texture font key_value
  registry preview wav ogg module mp3)
foreach(target ${VG_FUZZ_TARGETS})
  set(source ${target})
  if(target STREQUAL "wav" OR target STREQUAL "ogg")
    set(source sound)
  endif()
  add_executable(fuzz_${target} ${CMAKE_CURRENT_LIST_DIR}/${source}_fuzz.cpp)
  target_link_libraries(fuzz_${target} PRIVATE vg_all)
  target_include_directories(fuzz_${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
endforeach()

# The Vorbis decoder's compare hooks cost half of the Ogg target's time, in loops over codebooks
# and samples whose bounds no input steers. Its edges still guide the fuzzer, and libFuzzer's
# memcmp hooks still find the magic strings.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/platform/audio/stb_vorbis_impl.cpp APPEND PROPERTY
  COMPILE_OPTIONS -fno-sanitize-coverage=trace-cmp)

# The Windows build's module reader: libxmp, compiled into the saver from its source package, so
# unlike the Linux build's system library it is instrumented here and the fuzzer sees into its
# loaders. Built when scripts/fuzz.sh has the source (scripts/fetch_xmp.sh).
if(VG_XMP_SOURCE)
  include(${CMAKE_SOURCE_DIR}/cmake/libxmp.cmake)
  vg_add_xmp_library(vg_xmp_fuzz ${VG_XMP_SOURCE})
  # Arithmetic the builds define: overflow wraps (-fwrapv, cmake/libxmp.cmake), and GCC, the
  # Windows build's compiler, shifts negative samples left as the mixers mean; conversions of
  # out-of-range doubles give INT_MIN on x86, which the checks after them bound. The sanitizers
  # still stop at every read or write out of bounds.
  target_compile_options(vg_xmp_fuzz PRIVATE -fno-sanitize=shift-base,signed-integer-overflow,float-cast-overflow)
  # Loading a module times every row of every order; with compare hooks that scan took 85% of the
  # target's time. Its edges still guide the fuzzer.
  set_property(SOURCE ${VG_XMP_SOURCE}/src/scan.c APPEND PROPERTY COMPILE_OPTIONS -fno-sanitize-coverage=trace-cmp)
  add_executable(fuzz_xmp ${CMAKE_CURRENT_LIST_DIR}/module_fuzz.cpp ${CMAKE_SOURCE_DIR}/platform/audio/xmp/module_xmp.cpp)
  target_link_libraries(fuzz_xmp PRIVATE vg_xmp_fuzz)
  target_include_directories(fuzz_xmp PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(fuzz_xmp PRIVATE -fsanitize=fuzzer)
  set_target_properties(fuzz_xmp PROPERTIES CXX_STANDARD 20)
endif()
