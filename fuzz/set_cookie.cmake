# Fuzz target of the cookie store: Set-Cookie values filed and sent back.
add_executable(fuzz_set_cookie ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_set_cookie.cpp)
target_link_libraries(fuzz_set_cookie PRIVATE halvex_http)
target_link_options(fuzz_set_cookie PRIVATE -fsanitize=fuzzer)
