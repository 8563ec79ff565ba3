# Fuzz target of the HTTP client's URL parsing.
add_executable(fuzz_url ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_url.cpp)
target_link_libraries(fuzz_url PRIVATE halvex_http)
target_link_options(fuzz_url PRIVATE -fsanitize=fuzzer)
