// SPDX-License-Identifier: GPL-3.0-or-later
// A page changes only what it changed, and only keys that are its own: in a
// real web view, against pages that lose their storage, reach for another
// table's chips or post what is not a save at all.
#include "host_fixture.h"

#include "platform/durable_file.h"

namespace velmar {
namespace {

using SaveChanges = HostTest;

const SaveStore::Values kEvening{{"roulette-royale.v1", "515"},
                                 {"blackjack-royale.v1", "700"},
                                 {"baccarat-royale.v1", "300"},
                                 {"poker-royale.v1", "900"},
                                 {"velmar-casino.player", "{\"speed\":\"fast\"}"}};

TEST_F(SaveChanges, APageWhoseStorageLostItsSavesErasesNothing) {
  test::LogCapture log;
  casino->saves().replaceAll(kEvening);
  open("roulette-3d.html");
  // Deleting through the storage's own properties goes past the bridge, as a
  // storage that failed beneath the engine would.
  js("for (const k of Object.keys(localStorage)) delete localStorage[k]; localStorage.setItem('vl-note', 'n');");
  open("velmar-casino.html");
  auto expected = kEvening;
  expected["vl-note"] = "n";
  EXPECT_EQ(casino->saves().values(), expected);
  EXPECT_EQ(log.count("Velmar Casino: kept roulette-royale.v1, velmar-casino.player, which the storage of "
                      "roulette-3d.html no longer holds"),
            1);
  EXPECT_EQ(savesFile().find("\"roulette-royale.v1\": \"515\"") != std::string::npos, true);

  // What the page removes itself does go, its own keys only.
  open("roulette-3d.html");
  js("localStorage.clear();");
  open("velmar-casino.html");
  expected.erase("roulette-royale.v1");
  expected.erase("velmar-casino.player");
  expected.erase("vl-note");
  EXPECT_EQ(casino->saves().values(), expected);
}

TEST_F(SaveChanges, ATablePageCanNeitherChangeNorRemoveAnotherTablesChips) {
  test::LogCapture log;
  auto expected = kEvening;
  for (std::size_t i = 0; i < Tables::all.size(); ++i) {
    const Table& table = Tables::all[i];
    const Table& next = Tables::all[(i + 1) % Tables::all.size()];
    SCOPED_TRACE(table.id);
    casino->saves().replaceAll(expected);
    open(std::string(table.file));
    // The fixture's baccarat page is one without the bridge.
    if (js("return typeof window.__vlCasino;") == "\"undefined\"") continue;
    EXPECT_EQ(js("return localStorage.getItem('" + std::string(next.storeKey) + "');"), "null") << "not given";
    js("localStorage.setItem('" + std::string(table.storeKey) + "', 'mine');"
       "localStorage.setItem('" + std::string(next.storeKey) + "', '0');"
       "localStorage.setItem('" + std::string(next.storeKey) + ".unreadable', 'x');"
       "window.__vlCasino.flush();"
       "localStorage.removeItem('" + std::string(next.storeKey) + "');");
    open("velmar-casino.html");
    expected[std::string(table.storeKey)] = "mine";
    EXPECT_EQ(casino->saves().values(), expected);
    EXPECT_EQ(log.count("Velmar Casino: refused to let " + std::string(table.file) + " change " +
                        std::string(next.storeKey)),
              2)
        << "the set and the removal, each told once";
  }
  // Nor can the lobby, which is given every table's chips.
  js("localStorage.removeItem('poker-royale.v1'); localStorage.setItem('roulette-royale.v1', '1');"
     "window.__vlCasino.flush();");
  open("poker-3d.html");
  EXPECT_EQ(casino->saves().values(), expected);
}

TEST_F(SaveChanges, WhatIsNotAPlainObjectOfTextChangesNothingWhateverThePagePosts) {
  test::LogCapture log;
  casino->saves().replaceAll(kEvening);
  open("roulette-3d.html");
  const char* hostile[] = {"new Map([['roulette-royale.v1', '1']])", "new Set(['a'])", "/a/", "new Uint8Array(3)",
                           "new ArrayBuffer(4)", "new Error('a')", "new Number(1)", "new String('abc')",
                           "{'roulette-royale.v1': 1}", "new Date()"};
  std::string posts;
  for (const char* data : hostile)
    posts += std::string("window.webkit.messageHandlers.casino.postMessage({type: 'save', data: ") + data + "});";
  // A whole message that is no plain object, an empty one as the old bridge
  // sent it, and the engine's own function reached another way.
  posts += "window.webkit.messageHandlers.casino.postMessage(new Map([['type', 'save']]));"
           "window.webkit.messageHandlers.casino.postMessage({type: 'save', data: {}});"
           "Object.getPrototypeOf(window.webkit.messageHandlers.casino).postMessage.call("
           "window.webkit.messageHandlers.casino, {type: 'save', data: new String('abc')});";
  js(posts);
  // The posts travel ahead of the script's answer; a flush would post the
  // page's storage after them.
  test::drainMainLoop();
  EXPECT_EQ(casino->saves().values(), kEvening);
  bool flushed = false;
  casino->flush([&] { flushed = true; });
  ASSERT_TRUE(test::waitFor([&] { return flushed; }));
  test::drainMainLoop();
  EXPECT_EQ(casino->saves().values(), kEvening);
  EXPECT_TRUE(test::waitFor([&] { return log.count("the bridge refused it: its data is not a plain object") == 1; }));
  EXPECT_EQ(log.count("the bridge refused it: its data holds a value that is not text"), 1);
  EXPECT_EQ(log.count("the bridge refused it: the message is not a plain object"), 1);
  // The guard cannot be taken off.
  EXPECT_EQ(js("const h = window.webkit.messageHandlers.casino, p = Object.getPrototypeOf(h);"
               "try { delete h.postMessage; delete p.postMessage; h.postMessage = null; } catch (e) {}"
               "return [Object.getOwnPropertyDescriptor(h, 'postMessage').configurable,"
               " h.postMessage === p.postMessage, h.postMessage.name];"),
            "[false,true,\"postMessage\"]");
}

TEST_F(SaveChanges, OnlyTheTableWhosePageCannotHoldItsSavesGoesUnsavedUntilItHoldsThemAgain) {
  test::LogCapture log;
  std::vector<SaveTrouble> told;
  casino->onSaveTrouble = [&](const SaveTrouble& trouble) { told.push_back(trouble); };
  auto saves = kEvening;
  saves["roulette-royale.v1"] = std::string(6'000'000, 'x');
  casino->saves().replaceAll(saves);
  open("roulette-3d.html");
  ASSERT_TRUE(test::waitFor([&] { return !told.empty(); }));
  EXPECT_EQ(told.back().unsavedTables, std::vector<std::string>{"roulette"});
  js("localStorage.clear(); localStorage.setItem('roulette-royale.v1', '500');");
  // Every other table saves as usual meanwhile.
  open("blackjack-3d.html");
  js("localStorage.setItem('blackjack-royale.v1', '701');");
  open("velmar-casino.html");
  saves["blackjack-royale.v1"] = "701";
  EXPECT_EQ(casino->saves().values(), saves);
  EXPECT_EQ(casino->saveTrouble().unsavedTables, std::vector<std::string>{"roulette"});
  EXPECT_EQ(log.count("refused a save message from roulette-3d.html: the page could not be given all of the saves"), 1);

  saves["roulette-royale.v1"] = "520";
  casino->saves().replaceAll(saves);
  open("roulette-3d.html");
  ASSERT_TRUE(test::waitFor([&] { return casino->saveTrouble().unsavedTables.empty(); }));
  EXPECT_TRUE(told.back().unsavedTables.empty());
}

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
