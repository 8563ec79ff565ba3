# Fuzz targets of the source reader: JSON escaping with the escape-aware cut,
# and the object-list filter.
foreach(name json_escape object_filter)
  add_executable(fuzz_${name} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${name}.cpp)
  target_link_libraries(fuzz_${name} PRIVATE halvex_source)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endforeach()
