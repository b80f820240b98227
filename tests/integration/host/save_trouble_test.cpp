// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_fixture.h"

#include "platform/durable_file.h"

namespace velmar {
namespace {

using SaveTroubleTest = HostTest;

TEST_F(SaveTroubleTest, ASlowWriteIsToldAsStalledAndTheWayOutWaitsForItWithoutBlocking) {
  std::vector<SaveTrouble> told;
  casino->onSaveTrouble = [&](const SaveTrouble& trouble) { told.push_back(trouble); };
  // Four syncs a write: past the time after which a write counts as stalled.
  setSyncDelay(std::chrono::milliseconds(1500));
  casino->saves().replaceAll({{"roulette-royale.v1", "900"}});
  bool slow = false, done = false;
  std::string atCompletion;
  casino->flush([&] { done = true, atCompletion = test::readFile(casino->saves().file()); }, [&] { slow = true; });
  EXPECT_TRUE(test::waitFor([&] { return done; }));
  setSyncDelay(std::chrono::microseconds(0));
  EXPECT_TRUE(slow) << "the wait was never long";
  EXPECT_NE(atCompletion.find("900"), std::string::npos) << "the way out did not wait for the write";
  EXPECT_TRUE(std::any_of(told.begin(), told.end(), [](auto& t) { return t.stalled; })) << "the stall was not told";
  EXPECT_TRUE(test::waitFor([&] { return !told.empty() && !told.back().any(); })) << "its end was not told";
  EXPECT_FALSE(casino->saveTrouble().stalled);
}

}  // namespace
}  // namespace velmar
