# Fuzz targets of the HTTP client: header lists, URLs, response headers and
# cookies; and whole responses read from a loopback server.
add_executable(fuzz_http_headers ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_http_headers.cpp)
target_link_libraries(fuzz_http_headers PRIVATE halvex_http)
target_link_options(fuzz_http_headers PRIVATE -fsanitize=fuzzer)
add_executable(fuzz_http_response_stream ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_http_response_stream.cpp)
target_link_libraries(fuzz_http_response_stream PRIVATE halvex_http halvex_testsupport)
target_link_options(fuzz_http_response_stream PRIVATE -fsanitize=fuzzer)
