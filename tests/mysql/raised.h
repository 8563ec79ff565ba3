// Raised<E>(body): runs `body` and hands back the E it raised, so a test can
// look at the code and message; a body that raises nothing is a failure.
#pragma once

#include <gtest/gtest.h>

#include <optional>

namespace mysqltest {

template <typename E, typename F>
std::optional<E> Raised(F&& body) {
  try {
    body();
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "nothing was raised";
  return std::nullopt;
}

}  // namespace mysqltest
