# Reading a 1,000,000-row result shaped like the Halvex `obj` table through
# TMyQuery, beside the engine streaming the same rows without keeping them.
add_executable(bench_mysql_read ${CMAKE_CURRENT_LIST_DIR}/mysql_read.cpp)
target_link_libraries(bench_mysql_read PRIVATE halvex_mysql halvex_testsupport benchmark::benchmark)
target_compile_definitions(bench_mysql_read PRIVATE
  HALVEX_BENCH_DIR="${CMAKE_BINARY_DIR}/bench-mysql")
