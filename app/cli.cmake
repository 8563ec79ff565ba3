# halvex-export-cli: the console runner.
add_executable(halvex-export-cli
  ${CMAKE_CURRENT_LIST_DIR}/cli_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli_runner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resume_command.cpp
)
halvex_include_layers(halvex-export-cli app export source log http mysql platform)
target_link_libraries(halvex-export-cli PRIVATE halvex_export)
target_compile_definitions(halvex-export-cli PRIVATE HALVEX_VERSION="${PROJECT_VERSION}")
