// SPDX-License-Identifier: GPL-3.0-or-later
#include "selftest/report.h"
#include "store/json_text.h"

#include <gtest/gtest.h>

namespace velmar::selftest {
namespace {

using nlohmann::json;

TEST(SelfTestRecord, IsThePageThenTheProbesMembersThenAnyScriptError) {
  EXPECT_EQ(makeRecord("roulette-3d.html", {R"({"page":"other.html","bridge":true,"storageKeys":["a"]})", {}}),
            json::parse(R"({"page":"roulette-3d.html","bridge":true,"storageKeys":["a"]})"));
  // Not a string, not JSON, or not an object: the page alone.
  for (std::optional<std::string> text : {std::optional<std::string>{}, {"not json {"}, {"[1,2]"}, {"\"t\""}, {""}})
    EXPECT_EQ(makeRecord("velmar-casino.html", {text, {}}), json({{"page", "velmar-casino.html"}}))
        << text.value_or("(no text)");
  auto failed = makeRecord("poker-3d.html", {R"({"error":"from page","title":"t"})", "ReferenceError: x"});
  EXPECT_EQ(failed, json::parse(R"({"page":"poker-3d.html","error":"ReferenceError: x","title":"t"})"));
}

TEST(SelfTestReport, ExitsWithFailureUnlessTheRoundTripHeldAndNoPageFailedAndAStoppedRunSaysWhy) {
  EXPECT_TRUE(roundTripHolds({{"vl-selftest", "12.5"}, {"x", "y"}}, "12.5"));
  EXPECT_FALSE(roundTripHolds({{"vl-selftest", "12.50"}}, "12.5"));
  EXPECT_FALSE(roundTripHolds({}, "12.5"));
  EXPECT_TRUE(keyCleared({{"roulette-royale.v1", "{}"}}));
  EXPECT_FALSE(keyCleared({{"vl-selftest", ""}}));
  // The test value goes into script source between quotes.
  for (double t : {1765039845.0, 1765039845.123456, 1e9 + 0.1})
    EXPECT_EQ(testValue(t).find_first_not_of("0123456789."), std::string::npos) << testValue(t);

  Outcome good;
  good.saveRoundTrip = good.selftestKeyCleared = true;
  EXPECT_EQ(exitStatus(good), 0);
  auto noTrip = good, notCleared = good, pageError = good, stopped = good;
  noTrip.saveRoundTrip = false;
  notCleared.selftestKeyCleared = false;
  pageError.records.push_back(json{{"page", "b"}, {"error", "boom"}});
  stopped.stoppedBy = "no web view when probing b";
  auto unwritten = good;
  unwritten.writeFailure = "No space left on device";
  for (const Outcome* bad : {&noTrip, &notCleared, &pageError, &stopped, &unwritten}) EXPECT_EQ(exitStatus(*bad), 1);
  EXPECT_EQ(json::parse(reportText(stopped))["error"], "no web view when probing b");
}

// A page still loading, or one whose script took the bridge away, answers the
// probe without an error; its record must not pass for a page that came up.
TEST(SelfTestRecord, APageWithoutItsBridgeOrTitleFailsAfterAnyScriptError) {
  const std::pair<ProbeAnswer, std::optional<std::string>> cases[] = {
      {{R"({"bridge":true,"title":"Lobby"})", {}}, {}},
      {{R"({"bridge":false,"title":""})", {}}, "the page has no bridge; the page has no title"},
      {{R"({"bridge":"yes","title":"Lobby"})", {}}, "the page has no bridge"},
      {{"not json", "TypeError: x"}, "TypeError: x"},
  };
  for (const auto& [answer, error] : cases) {
    auto record = makeRecord("roulette-3d.html", answer);
    checkRecord(record);
    EXPECT_EQ(record.contains("error") ? std::optional(record["error"].get<std::string>()) : std::nullopt, error)
        << *answer.text;
  }
}

}  // namespace
}  // namespace velmar::selftest
