# Fuzz target of the MySQL client: the whole byte stream a server can send,
# played from memory (the transport is in mysql_packets.cmake).
add_executable(fuzz_mysql_server_stream ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_mysql_server_stream.cpp)
target_link_libraries(fuzz_mysql_server_stream PRIVATE halvex_mysql_fuzz_vio)
target_link_options(fuzz_mysql_server_stream PRIVATE -fsanitize=fuzzer)
