# Fuzz targets of the platform layer: the UTF-8 decoder and the text-to-integer rule.
foreach(name utf8_decode text_to_int)
  add_executable(fuzz_${name} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${name}.cpp)
  target_link_libraries(fuzz_${name} PRIVATE halvex_platform)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endforeach()
