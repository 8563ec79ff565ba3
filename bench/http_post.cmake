# The HTTP client's cost per POST on a new connection, beside a bare socket
# loop doing the same exchange.
add_executable(bench_http_post ${CMAKE_CURRENT_LIST_DIR}/http_post.cpp)
target_link_libraries(bench_http_post PRIVATE halvex_http halvex_testsupport benchmark::benchmark)
target_include_directories(bench_http_post PRIVATE ${PROJECT_SOURCE_DIR})
