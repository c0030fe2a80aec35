# The fuzz targets, shared by the libFuzzer programs (fuzz/CMakeLists.txt) and the
# replay tests (tests/fuzz/), so both call the very same entry point.
# Each name has fuzz/targets/NAME_fuzz.cpp, a seed corpus fuzz/corpus/NAME and
# the inputs that once failed, fuzz/crashers/NAME.
set(PW_FUZZ_TARGETS image_png image_tiff image_jpeg image_pnm metafile dib registry printers layout_json layout_pagexml)

# pw_fuzz_available(NAME OUT): whether the library NAME fuzzes is in this build.
function(pw_fuzz_available name out)
  set(ok TRUE)
  if(name MATCHES "^image_" AND NOT TARGET lucentra_decode)
    set(ok FALSE)
  elseif(name MATCHES "^layout_" AND NOT TARGET lucentra_core)
    set(ok FALSE)
  elseif(NOT TARGET winplat)
    set(ok FALSE)
  endif()
  set(${out} ${ok} PARENT_SCOPE)
endfunction()

# pw_fuzz_link(TARGET NAME): the libraries and include folders NAME's entry point needs.
function(pw_fuzz_link target name)
  if(name MATCHES "^image_")
    target_link_libraries(${target} PRIVATE lucentra_decode)
  elseif(name MATCHES "^layout_")
    target_link_libraries(${target} PRIVATE lucentra_core)
  else()
    # The registry and printers parsers are internal to the platform layer; the
    # targets reach them through its private headers (their symbols are visible).
    target_link_libraries(${target} PRIVATE winplat)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/src)
  endif()
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/targets)
endfunction()
