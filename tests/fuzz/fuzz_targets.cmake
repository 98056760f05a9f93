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
