# The operator window: halvex_window (the window's units, shared with the
# window tests) and the program halvex-export.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(halvex_window STATIC
  ${CMAKE_CURRENT_LIST_DIR}/main_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/labelled_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sync_queue_pump.cpp
  ${CMAKE_CURRENT_LIST_DIR}/abandoned_runs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources/resources.qrc
)
set_target_properties(halvex_window PROPERTIES AUTORCC ON)
halvex_include_layers(halvex_window app export source log http mysql platform)
target_link_libraries(halvex_window PUBLIC Qt6::Widgets halvex_export)

add_executable(halvex-export ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(halvex-export PRIVATE halvex_window)
