#include "selftest/report.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace velmar::selftest {
namespace {

using nlohmann::json;

TEST(SelfTestRecord, TakesTheProbeObjectButKeepsItsOwnPage) {
  auto record = makeRecord("roulette-3d.html",
                           {R"({"page":"other.html","bridge":true,"canvases":2,"storageKeys":["a"]})", std::nullopt});
  EXPECT_EQ(record, json::parse(R"({"page":"roulette-3d.html","bridge":true,"canvases":2,"storageKeys":["a"]})"));
}

TEST(SelfTestRecord, AnUnusableProbeValueLeavesThePageOnly) {
  const json pageOnly = {{"page", "velmar-casino.html"}};
  EXPECT_EQ(makeRecord("velmar-casino.html", {std::nullopt, std::nullopt}), pageOnly);  // not a string
  EXPECT_EQ(makeRecord("velmar-casino.html", {"not json {", std::nullopt}), pageOnly);
  EXPECT_EQ(makeRecord("velmar-casino.html", {"[1,2]", std::nullopt}), pageOnly);
  EXPECT_EQ(makeRecord("velmar-casino.html", {"\"text\"", std::nullopt}), pageOnly);
  EXPECT_EQ(makeRecord("velmar-casino.html", {"", std::nullopt}), pageOnly);
}

TEST(SelfTestRecord, AScriptErrorWinsOverAnErrorMemberOfTheProbe) {
  auto record = makeRecord("poker-3d.html", {R"({"error":"from page","title":"t"})", "ReferenceError: x"});
  EXPECT_EQ(record["error"], "ReferenceError: x");
  EXPECT_EQ(record["title"], "t");
  EXPECT_EQ(probeDoneLine("poker-3d.html", "ReferenceError: x"),
            "selftest: probe done poker-3d.html error=Optional(ReferenceError: x)");
  EXPECT_EQ(probeDoneLine("poker-3d.html", std::nullopt), "selftest: probe done poker-3d.html error=nil");
  EXPECT_EQ(probingLine("a.html", std::nullopt, true), "selftest: probing a.html, url=nil loading=true");
  EXPECT_EQ(probingLine("roulette-3d.html", "velmar://casino/roulette-3d.html", false),
            "selftest: probing roulette-3d.html, url=velmar://casino/roulette-3d.html loading=false");
}

TEST(SelfTestReport, IsWrittenSortedPrettyWithEscapedSlashes) {
  Outcome outcome;
  outcome.records.push_back(makeRecord(
      "velmar-casino.html",
      {R"({"webgl":false,"url":"velmar://casino/velmar-casino.html","title":"Velmar – Lobby","canvases":0,"bridge":true,"fontsLoaded":["Manrope"]})",
       std::nullopt}));
  outcome.saveRoundTrip = true;
  outcome.selftestKeyCleared = true;
  EXPECT_EQ(reportText(outcome),
            "{\n"
            "  \"pages\": [\n"
            "    {\n"
            "      \"bridge\": true,\n"
            "      \"canvases\": 0,\n"
            "      \"fontsLoaded\": [\n"
            "        \"Manrope\"\n"
            "      ],\n"
            "      \"page\": \"velmar-casino.html\",\n"
            "      \"title\": \"Velmar – Lobby\",\n"
            "      \"url\": \"velmar:\\/\\/casino\\/velmar-casino.html\",\n"
            "      \"webgl\": false\n"
            "    }\n"
            "  ],\n"
            "  \"saveRoundTrip\": true,\n"
            "  \"selftestKeyCleared\": true\n"
            "}");
  EXPECT_EQ(exitStatus(outcome), 0);
}

TEST(SelfTestReport, ExitsWithFailureUnlessEverythingHeld) {
  Outcome good;
  good.records = {json{{"page", "a"}}};
  good.saveRoundTrip = good.selftestKeyCleared = true;
  ASSERT_EQ(exitStatus(good), 0);

  auto noTrip = good;
  noTrip.saveRoundTrip = false;
  EXPECT_EQ(exitStatus(noTrip), 1);
  auto notCleared = good;
  notCleared.selftestKeyCleared = false;
  EXPECT_EQ(exitStatus(notCleared), 1);
  auto pageError = good;
  pageError.records.push_back(json{{"page", "b"}, {"error", "boom"}});
  EXPECT_EQ(exitStatus(pageError), 1);

  auto stopped = good;
  stopped.stoppedBy = "no web view when probing b";
  EXPECT_EQ(exitStatus(stopped), 1);
  EXPECT_EQ(json::parse(reportText(stopped))["error"], "no web view when probing b");
  EXPECT_FALSE(json::parse(reportText(good)).contains("error"));
}

TEST(SelfTestRoundTrip, HoldsOnlyForTheExactValueAndClearsOnlyWhenTheKeyIsGone) {
  EXPECT_TRUE(roundTripHolds({{"vl-selftest", "12.5"}, {"x", "y"}}, "12.5"));
  EXPECT_FALSE(roundTripHolds({{"vl-selftest", "12.50"}}, "12.5"));
  EXPECT_FALSE(roundTripHolds({}, "12.5"));
  EXPECT_TRUE(keyCleared({}));
  EXPECT_TRUE(keyCleared({{"roulette-royale.v1", "{}"}}));
  EXPECT_FALSE(keyCleared({{"vl-selftest", ""}}));
}

TEST(SelfTestScripts, TheTestValueIsAPlainDecimalThatReadsBack) {
  for (double t : {1765039845.0, 1765039845.25, 1765039845.123456, 1e9 + 0.1}) {
    auto text = testValue(t);
    EXPECT_NE(text.find('.'), std::string::npos) << text;
    EXPECT_EQ(text.find_first_not_of("0123456789."), std::string::npos) << text;
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), t) << text;
  }
  EXPECT_EQ(testValue(1765039845.0), "1765039845.0");
  EXPECT_EQ(writeScript("1.5"), "localStorage.setItem('vl-selftest', '1.5')");
  EXPECT_EQ(removeScript(), "localStorage.removeItem('vl-selftest')");
}

TEST(SelfTestScripts, PagesAreTheLobbyThenTheTablesAndTheProbeIsEighteenLines) {
  EXPECT_EQ(pageList(), (std::vector<std::string>{"velmar-casino.html", "roulette-3d.html", "blackjack-3d.html",
                                                  "baccarat-3d.html", "poker-3d.html"}));
  std::string_view probe = kProbeScript;
  EXPECT_EQ(std::count(probe.begin(), probe.end(), '\n'), 17);
  EXPECT_TRUE(probe.starts_with("(() => {\n  const c = document.querySelector('canvas');\n"));
  EXPECT_TRUE(probe.ends_with("    storageKeys: Object.keys(localStorage),\n  });\n})()"));
  EXPECT_NE(probe.find("\n    playfair: document.fonts.check('700 16px \"Playfair Display\"'),\n"), std::string::npos);
}

}  // namespace
}  // namespace velmar::selftest
