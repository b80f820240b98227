// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/saved_chips.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmar {
namespace {

struct Shape {
  const char* table;
  std::string state;
  std::optional<std::int64_t> cents;
};

// The states the tables write, each with a round in play and history records
// that carry a bankroll of their own: only the state's own bankroll counts.
const std::vector<Shape> kTables = {
    {"roulette",
     R"({"version":1,"bankroll":51500,"settings":{"muted":false,"chip":5,"spread":2},)"
     R"("stats":{"rounds":3,"wagered":3000,"won":4500,"staked.straight":1000},)"
     R"("history":[{"table":"roulette","at":1,"shown":{"number":17},"bets":[{"kind":"straight","spot":"17",)"
     R"("staked":1000,"returned":36000}],"staked":1000,"returned":36000,"net":35000,"bankroll":86500}],)"
     R"("game":{"pending":{"number":4,"bets":[],"staked":2000,"returned":0},"favourites":[]}})",
     51500},
    {"blackjack",
     R"({"version":1,"bankroll":70000,"settings":{"muted":true},"stats":{"rounds":1,"wagered":500,"won":0},)"
     R"("history":[{"table":"blackjack","bankroll":1,"bets":[],"staked":0,"returned":0,"net":0}],)"
     R"("game":{"round":{"phase":"player","bet":500,"hands":[{"cards":["AS","KD"],"bet":500}],)"
     R"("dealer":["9C"],"outcomes":[]},"shoe":{"cards":["2H","3H"],"dealt":2}}})",
     70000},
    {"baccarat",
     R"({"version":1,"bankroll":1250,"settings":{"muted":false},"stats":{"rounds":0,"wagered":0,"won":0},)"
     R"("history":[],"game":{"pending":{"coup":{"player":["1S"],"banker":["2S"],"winner":"banker"},)"
     R"("bets":{"banker":10},"staked":1000,"returned":1950,"paid":{"banker":1950}}}})",
     1250},
    {"poker",
     R"({"version":1,"bankroll":0,"settings":{"muted":false},"stats":{"rounds":9,"wagered":0,"won":0},)"
     R"("history":[],"game":{"hand":{"ante":1000,"aaBonus":0,"player":["AS","AD"],"dealer":["2C","3C"],)"
     R"("board":["4D","5D","6D","7D","8D"]},"bankroll":99}})",
     0},
};

TEST(SavedChips, EachTablesSavedStateGivesItsOwnBankroll) {
  for (const Shape& shape : kTables) EXPECT_EQ(savedBankroll(shape.state), shape.cents) << shape.table;
}

TEST(SavedChips, TextAPageWouldNotTakeChipsFromGivesNone) {
  std::string deep(200000, '[');
  std::string deepObject;
  for (int i = 0; i < 100000; ++i) deepObject += "{\"a\":";
  const std::vector<std::pair<std::string, std::optional<std::int64_t>>> cases = {
      {"", std::nullopt},
      {"51500", std::nullopt},
      {"\"51500\"", std::nullopt},
      {"[{\"bankroll\":51500}]", std::nullopt},
      {"null", std::nullopt},
      {"{\"bankroll\":51500", std::nullopt},
      {"{\"bankroll\":51500} trailing", std::nullopt},
      {"{\"bankroll\":-1}", std::nullopt},
      {"{\"bankroll\":515.5}", std::nullopt},
      {"{\"bankroll\":\"51500\"}", std::nullopt},
      {"{\"bankroll\":null}", std::nullopt},
      {"{\"bankroll\":{\"cents\":5}}", std::nullopt},
      {"{\"bankroll\":[51500]}", std::nullopt},
      {"{\"bankroll\":9007199254740992}", std::nullopt},
      {"{\"bankroll\":18446744073709551616}", std::nullopt},
      {"{\"bankroll\":1e400}", std::nullopt},
      {"{\"settings\":{}}", std::nullopt},
      {"{\"game\":{\"bankroll\":51500}}", std::nullopt},
      {"{\"bankroll\":\xff}", std::nullopt},
      {"{\"bankroll\":51500,\"history\":" + deep, std::nullopt},
      {"{\"bankroll\":51500,\"game\":" + deepObject, std::nullopt},
      {"{\"history\":" + deep + std::string(200000, ']') + ",\"bankroll\":7}", 7},
      // What JSON.parse gives the page, the page keeps.
      {"{\"bankroll\":9007199254740991}", 9007199254740991},
      {"{\"bankroll\":5.15e4}", 51500},
      {"{\"bankroll\":51500.0}", 51500},
      {"{\"bankroll\":-0}", 0},
      {"{\"bankroll\":1,\"bankroll\":51500}", 51500},
      {"{\"bankroll\":51500,\"bankroll\":\"x\"}", std::nullopt},
      {" {\"__proto__\":{\"bankroll\":1},\"bankroll\":300} ", 300},
  };
  for (const auto& [text, cents] : cases) EXPECT_EQ(savedBankroll(text), cents) << text.substr(0, 60);
}

TEST(SavedChips, FiguresAreWrittenAsThePagesWriteThem) {
  EXPECT_EQ(chipsFigure(51500), "515");
  EXPECT_EQ(chipsFigure(100000000), "1,000,000");
  EXPECT_EQ(chipsFigure(1250), "12.50");
  EXPECT_EQ(chipsFigure(123456705, ".", ","), "1.234.567,05");
  EXPECT_EQ(chipsFigure(0), "0");
}

}  // namespace
}  // namespace velmar
