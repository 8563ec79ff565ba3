# Fuzz target of the export run: the run-log reader that a resume starts from.
add_executable(fuzz_run_log ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_run_log.cpp)
target_link_libraries(fuzz_run_log PRIVATE halvex_export)
target_link_options(fuzz_run_log PRIVATE -fsanitize=fuzzer)
