# Included right after the top-level project() by scripts/fuzz.sh: one libFuzzer program per
# content reader, linked with the whole system. The targets are resolved once the rest of the
# build has defined vg_all.
foreach(target level mesh object_list descriptor mp3)
  add_executable(fuzz_${target} ${CMAKE_CURRENT_LIST_DIR}/${target}_fuzz.cpp)
  target_link_libraries(fuzz_${target} PRIVATE vg_all)
  target_include_directories(fuzz_${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
endforeach()
