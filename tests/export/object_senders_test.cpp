// The object senders and their ordered hand-over: objects finishing in any
// order are handed back in position order with their own lines, on the slot
// and client of their position, never more than N at a time.
#include "export/object_senders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

#include "export/ordered_handover.h"

namespace {

using namespace std::chrono_literals;

// Clients that never connect: the jobs only report through them.
TObjectSenders::TMakeClient OfflineClients() {
  return [](TApiClient::TReport report) {
    return std::make_unique<TApiClient>("http://127.0.0.1:1/", "root", "larkspur",
                                        std::move(report));
  };
}

}  // namespace

TEST(OrderedHandOver, HandsOnInPositionOrderAndRefusesPositionsOutsideItsWindow) {
  TOrderedHandOver<int> handover(3);
  handover.Put(2, 20);
  handover.Put(0, 0);
  EXPECT_THROW(handover.Put(3, 30), std::logic_error);  // 0 is not taken yet
  EXPECT_THROW(handover.Put(2, 21), std::logic_error);
  EXPECT_EQ(handover.TakeNext(), 0);
  handover.Put(3, 30);
  auto second = std::async(std::launch::async, [&] { return handover.TakeNext(); });
  EXPECT_EQ(second.wait_for(50ms), std::future_status::timeout) << "waits for position 1";
  handover.Put(1, 10);
  EXPECT_EQ(second.get(), 10);
  EXPECT_EQ(handover.TakeNext(), 20);
  EXPECT_EQ(handover.TakeNext(), 30);
  EXPECT_THROW(handover.Put(3, 31), std::logic_error);  // already taken
}

TEST(ObjectSenders, ObjectsFinishingInReverseComeBackInOrderWithTheirOwnLines) {
  constexpr size_t kSlots = 4;
  TObjectSenders senders(kSlots, OfflineClients());
  // Every job waits until all four have begun (they run side by side), and
  // the later ones finish first.
  std::atomic<size_t> begun{0};
  auto all_begun = [&] {
    ++begun;
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (begun < kSlots && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(1ms);
    }
    return begun == kSlots;
  };
  std::vector<TApiClient*> clients(2 * kSlots);
  for (size_t p = 0; p < kSlots; ++p) {
    ASSERT_TRUE(senders.HasRoom());
    senders.Start([&, p](TApiClient& api) {
      clients[p] = &api;
      api.Report("begin " + std::to_string(p));
      EXPECT_TRUE(all_begun()) << "the objects were not on their way side by side";
      std::this_thread::sleep_for((kSlots - p) * 10ms);
      api.Report("end " + std::to_string(p));
    });
  }
  EXPECT_FALSE(senders.HasRoom());
  EXPECT_THROW(senders.Start([](TApiClient&) {}), std::logic_error);
  for (size_t p = 0; p < 2 * kSlots; ++p) {
    const auto finished = senders.TakeNext();
    EXPECT_EQ(finished.Error, nullptr);
    const std::string n = std::to_string(p);
    EXPECT_EQ(finished.Lines, (std::vector<std::string>{"begin " + n, "end " + n}));
    if (p + kSlots < 2 * kSlots) {
      ASSERT_TRUE(senders.HasRoom());
      senders.Start([&, q = p + kSlots](TApiClient& api) {
        clients[q] = &api;
        api.Report("begin " + std::to_string(q));
        api.Report("end " + std::to_string(q));
      });
    }
  }
  EXPECT_TRUE(senders.Idle());
  for (size_t p = 0; p < kSlots; ++p) {
    EXPECT_EQ(clients[p], clients[p + kSlots]) << "position " << p << " keeps its slot's client";
    EXPECT_NE(clients[p], clients[(p + 1) % kSlots]);
  }
}

TEST(ObjectSenders, AnErrorComesBackWithTheLinesBeforeItAndTheSlotGoesOn) {
  TObjectSenders senders(1, OfflineClients());
  senders.Start([](TApiClient& api) {
    api.Report("URI: restapi/x/");
    throw std::runtime_error("lost");
  });
  const auto failed = senders.TakeNext();
  EXPECT_EQ(failed.Lines, std::vector<std::string>{"URI: restapi/x/"});
  ASSERT_NE(failed.Error, nullptr);
  EXPECT_THROW(std::rethrow_exception(failed.Error), std::runtime_error);
  senders.Start([](TApiClient& api) { api.Report("next"); });
  EXPECT_EQ(senders.TakeNext().Lines, std::vector<std::string>{"next"});
  EXPECT_THROW(senders.TakeNext(), std::logic_error);
}

TEST(ObjectSenders, TheDestructorWaitsForTheJobsInProgress) {
  std::atomic<int> ended{0};
  {
    TObjectSenders senders(3, OfflineClients());
    for (int i = 0; i < 3; ++i) {
      senders.Start([&](TApiClient&) {
        std::this_thread::sleep_for(20ms);
        ++ended;
      });
    }
  }
  EXPECT_EQ(ended.load(), 3);
}
