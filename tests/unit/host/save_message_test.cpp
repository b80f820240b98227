// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/save_message.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

class SaveMessageTest : public ::testing::Test {
 protected:
  std::optional<std::string> take(const std::string& expression) {
    g_autoptr(JSCValue) body = jsc_context_evaluate(context, ("(" + expression + ")").c_str(), -1);
    refusal.clear();
    return takeSaveText(body, refusal);
  }
  JSCContext* context = jsc_context_new();
  std::string refusal;
  ~SaveMessageTest() override { g_object_unref(context); }
};

TEST_F(SaveMessageTest, OnlyTheBridgesTextIsTakenAndItsRefusalsAreToldInOneShortLine) {
  EXPECT_EQ(take("{type: 'save', json: '{\"data\":{}}'}"), "{\"data\":{}}");
  // Whatever else arrives, flattened by the engine's copy or not, is no save.
  for (const char* body : {"{type: 'save', data: {a: '1'}}", "{type: 'save', json: {}}", "{data: {a: '1'}}",
                           "{type: new String('save'), json: '{}'}", "[{type: 'save', json: '{}'}]", "'save'",
                           "null", "7", "{0: 'a', 1: 'b', 2: 'c'}"}) {
    EXPECT_EQ(take(body), std::nullopt) << body;
    EXPECT_EQ(refusal, "the message is not one of the bridge's") << body;
  }
  EXPECT_EQ(take("{type: 'refused', reason: 'its data is not a plain object'}"), std::nullopt);
  EXPECT_EQ(refusal, "the bridge refused it: its data is not a plain object");
  EXPECT_EQ(take("{type: 'refused', reason: 'a\\nb' + 'x'.repeat(1000)}"), std::nullopt);
  EXPECT_EQ(refusal, "the bridge refused it: a b" + std::string(117, 'x'));
  // The word that the page is ready has one shape only.
  auto ready = [&](const char* expression) {
    g_autoptr(JSCValue) body = jsc_context_evaluate(context, (std::string("(") + expression + ")").c_str(), -1);
    return isReadyMessage(body);
  };
  EXPECT_TRUE(ready("{type: 'ready'}"));
  for (const char* body : {"{type: 'ready', json: '{}'}", "{type: 'Ready'}", "{type: new String('ready')}", "['ready']",
                           "'ready'", "{}", "null"})
    EXPECT_FALSE(ready(body)) << body;
}

TEST(SaveText, EachPartOfAMessageIsReadAndAnyOtherShapeIsRefused) {
  std::string refusal;
  auto message = parseSaveText(
      R"({"data":{"a":"1","__proto__":"p","":""},"removed":["b"],"cleared":true,"partial":false,"lost":["c"]})", refusal);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->changes.set, (SaveStore::Values{{"", ""}, {"__proto__", "p"}, {"a", "1"}}));
  EXPECT_EQ(message->changes.removed, std::vector<std::string>{"b"});
  EXPECT_TRUE(message->cleared);
  EXPECT_FALSE(message->partial);
  EXPECT_EQ(message->lost, std::vector<std::string>{"c"});
  for (const char* text : {R"({"data":{"a":1}})", R"({"data":[]})", R"({"data":"abc"})", R"({})", R"([])",
                           R"({"data":{},"removed":"a"})", R"({"data":{},"removed":[1]})", R"({"data":{},"cleared":1})",
                           R"({"data":{"a":"\ud800"}})", R"({"data":{}} x)", ""})
    EXPECT_EQ(parseSaveText(text, refusal), std::nullopt) << text;
}

// Which keys a page may change, its quota and clearing are read through real
// pages in the host's SaveChanges and Bridge tests; a message the bridge marks
// partial only comes from a storage that failed, which no real page can make.
TEST(SavePlanning, APartialPageChangesNothing) {
  const Table* roulette = &Tables::all[0];
  const SaveStore::Values base{{"roulette-royale.v1", "515"}, {"blackjack-royale.v1", "700"}};
  for (auto [text, partially] : {std::pair{R"({"data":{},"cleared":true,"partial":true})", false},
                                 std::pair{R"({"data":{},"removed":["roulette-royale.v1"]})", true}}) {
    auto plan = planSave(text, roulette, {"roulette-royale.v1"}, partially, base);
    EXPECT_TRUE(plan.partial);
    EXPECT_FALSE(plan.applied.changed) << text;
    EXPECT_NE(plan.refusal, "");
  }
}

TEST(PageStorage, TextCountsOneByteACharacterBelowU0100AndTwoAUnitOtherwise) {
  EXPECT_EQ(pageStorageBytes({}), 0u);
  EXPECT_EQ(pageStorageBytes({{"ab", "cde"}, {"", std::string("\0", 1)}}), 6u);
  EXPECT_EQ(pageStorageBytes({{"k", "\xC3\xA9\xC3\xBF"}}), 3u);             // é ÿ: still narrow
  EXPECT_EQ(pageStorageBytes({{"k", "a\xE4\xB8\x80"}}), 1u + 4u);           // one wide character widens the text
  EXPECT_EQ(pageStorageBytes({{"k", "\xF0\x9F\x98\x80"}}), 1u + 4u);        // a surrogate pair
  EXPECT_EQ(pageStorageBytes({{"k", "a\xFF"}}), 1u + 4u);                   // not UTF-8: U+FFFD
  // Wide text of mostly ASCII counts more than its UTF-8 bytes.
  const std::string wide = std::string(kPageStorageQuota / 2 - 1, 'a') + "\xE4\xB8\x80";
  EXPECT_FALSE(fitsAPage({{"k", wide}}));
  EXPECT_TRUE(fitsAPage({{"k", wide.substr(2)}}));
}

}  // namespace
}  // namespace velmar
