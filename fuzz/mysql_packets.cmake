# Fuzz targets of the MySQL client's parsers, each fed through the real
# packet layer over the in-memory transport: the connection phase, the
# answers to queries, and the values of the rows.
add_library(halvex_mysql_fuzz_vio STATIC ${CMAKE_CURRENT_SOURCE_DIR}/mysql_memory_vio.cpp)
target_link_libraries(halvex_mysql_fuzz_vio PUBLIC halvex_mysql)
foreach(name mysql_greeting mysql_packets mysql_values)
  add_executable(fuzz_${name} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${name}.cpp)
  target_link_libraries(fuzz_${name} PRIVATE halvex_mysql_fuzz_vio)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endforeach()
