# The export run end to end: halvex-export-cli against a generated Halvex
# database and a fast local responder.
add_executable(bench_export
  ${CMAKE_CURRENT_LIST_DIR}/export_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export_responder.cpp)
target_link_libraries(bench_export PRIVATE halvex_export halvex_testsupport benchmark::benchmark)
target_compile_definitions(bench_export PRIVATE
  HALVEX_CLI="$<TARGET_FILE:halvex-export-cli>"
  HALVEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(bench_export halvex-export-cli)
