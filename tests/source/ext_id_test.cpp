// External object numbers.
#include "source/ext_id.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(MakeExtId, ReadsShortIdsAsHexAndSubtractsFromLongOnes) {
  struct TCase {
    int32_t Id;
    int32_t ExtId;
  };
  const TCase cases[] = {
      {1, 1},        {10, 16},      {255, 597}, {1234, 4660},
      {9998, 39320}, {9999, 39321}, {10000, 0}, {10016, 16},
      {12345, 2345}, {0, 0},        {-5, 0},    {INT32_MAX, INT32_MAX - 10000},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(MakeExtId(c.Id), c.ExtId) << "id " << c.Id;
  }
}

}  // namespace
