# The source reader's text work: JSON escaping, the escape-aware cut and the
# object-list filter.
add_executable(bench_source ${CMAKE_CURRENT_LIST_DIR}/source_bench.cpp)
target_link_libraries(bench_source PRIVATE halvex_source benchmark::benchmark benchmark::benchmark_main)
