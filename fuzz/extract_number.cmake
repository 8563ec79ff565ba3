# Fuzz target of the search of a target response for a number by its key.
add_executable(fuzz_extract_number ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_extract_number.cpp)
target_link_libraries(fuzz_extract_number PRIVATE halvex_export)
target_link_options(fuzz_extract_number PRIVATE -fsanitize=fuzzer)
