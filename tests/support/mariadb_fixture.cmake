# The private MariaDB of the test run: started once before the tests that
# require the `mariadb` fixture and stopped after them. C++ tests read its
# address through tests/support/mariadb_env.h.
set(HALVEX_MARIADB_DIR ${CMAKE_BINARY_DIR}/mariadb)
add_test(NAME mariadb_start
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/mariadb start --dir ${HALVEX_MARIADB_DIR})
set_tests_properties(mariadb_start PROPERTIES FIXTURES_SETUP mariadb LABELS mariadb TIMEOUT 120)
add_test(NAME mariadb_stop
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/mariadb stop --dir ${HALVEX_MARIADB_DIR})
set_tests_properties(mariadb_stop PROPERTIES FIXTURES_CLEANUP mariadb LABELS mariadb TIMEOUT 60)

target_sources(halvex_testsupport PRIVATE ${CMAKE_CURRENT_LIST_DIR}/mariadb_env.cpp
                                          ${CMAKE_CURRENT_LIST_DIR}/private_mariadb.cpp)
target_compile_definitions(halvex_testsupport PRIVATE
  HALVEX_MARIADB_ENV_FILE="${HALVEX_MARIADB_DIR}/env"
  HALVEX_MARIADB_SCRIPT="${PROJECT_SOURCE_DIR}/scripts/mariadb")
