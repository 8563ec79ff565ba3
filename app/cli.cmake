# halvex-export-cli: the console runner.
add_executable(halvex-export-cli
  ${CMAKE_CURRENT_LIST_DIR}/cli_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli_runner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resume_command.cpp
)
target_link_libraries(halvex-export-cli PRIVATE halvex_export)
