# libxmp from its Debian source package (scripts/fetch_xmp.sh), as a static library: the module
# music of the Windows build, and a fuzz target of the Linux fuzz build. It loads the module
# formats BASS plays (MOD, S3M, XM, IT, MTM, UMX), without the packers and the ProWizard
# converters: the saver plays modules, not archives of them, and a music file reaches none of
# the 47 rarely used loaders.
function(vg_add_xmp_library name source)
  file(GLOB sources ${source}/src/*.c ${source}/src/loaders/*.c)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${source}/include PRIVATE ${source}/src)
  target_compile_definitions(${name} PUBLIC BUILDING_STATIC PRIVATE LIBXMP_NO_PROWIZARD LIBXMP_NO_DEPACKERS
    LIBXMP_BASS_FORMATS_ONLY)
  # Its loaders and player compute sizes and pitches in int from file fields that can take them
  # past INT_MAX; what follows bounds the results (reads are checked against the file, indices
  # against their tables), so the overflow wraps, by definition, rather than being undefined.
  target_compile_options(${name} PRIVATE -w -fwrapv)
endfunction()
