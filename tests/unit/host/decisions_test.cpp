// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/decisions.h"

#include "host/casino.h"
#include "host/languages.h"

#include <gtest/gtest.h>
#include <jsc/jsc.h>

#include <tuple>

namespace velmar {
namespace {

const std::optional<std::string> kLobby = "velmar://casino/velmar-casino.html";

Navigation mainFrame(const char* address, std::optional<std::string> current = kLobby, bool reload = false,
                     bool historyStep = false) {
  return decideNavigation({address ? std::optional<std::string>(address) : std::nullopt, reload, historyStep}, current);
}

TEST(NavigationDecision, EveryNewDocumentOfOursComesThroughTheHost) {
  // A document made in place would restore the saves of the view's first load.
  for (const char* address : {"velmar://casino/roulette-3d.html", "VELMAR://casino/roulette-3d.html",
                              "velmar://casino/missing.html", "velmar://casino/velmar-casino.html",
                              "velmar://casino/velmar-casino.html?x=2", "velmar://other/velmar-casino.html",
                              "velmar://casino/sub/velmar-casino.html"})
    EXPECT_EQ(mainFrame(address), Navigation::OpenInHost) << address;
  EXPECT_EQ(mainFrame("velmar://casino/velmar-casino.html#rules", kLobby, true), Navigation::OpenInHost);
  EXPECT_EQ(mainFrame("velmar://casino/velmar-casino.html", "velmar://casino/velmar-casino.html#rules"),
            Navigation::OpenInHost);
  // Only a move within the document shown stays in place.
  EXPECT_EQ(mainFrame("velmar://casino/velmar-casino.html#rules"), Navigation::Allow);
  EXPECT_EQ(mainFrame("velmar://casino/velmar-casino.html#b", "velmar://casino/velmar-casino.html#a"),
            Navigation::Allow);
  EXPECT_EQ(mainFrame("velmar://casino/roulette-3d.html#rules"), Navigation::OpenInHost);
  // The host's own first load goes as asked.
  EXPECT_EQ(mainFrame("velmar://casino/roulette-3d.html", std::nullopt), Navigation::Allow);
  // There is no page of ours in a view's history.
  EXPECT_EQ(mainFrame("velmar://casino/", kLobby, false, true), Navigation::Refuse);
  EXPECT_EQ(mainFrame("velmar://casino/velmar-casino.html", kLobby, false, true), Navigation::Refuse);
}

TEST(NavigationDecision, WebMailAndTelephoneGoToTheSystem) {
  for (const char* address : {"https://example.org/", "HTTP://example.org/", "Mailto:a@b.c", "tel:+123"})
    EXPECT_EQ(mainFrame(address), Navigation::HandToSystem) << address;
}

TEST(NavigationDecision, AnyOtherSchemeIsRefusedSoTheViewStaysOnOurPages) {
  EXPECT_EQ(mainFrame(nullptr), Navigation::Allow);
  EXPECT_EQ(mainFrame("no-scheme.html"), Navigation::Allow);
  for (const char* address : {"about:blank", "data:text/html,hi", "file:///etc/passwd", "smb://host/share",
                              "steam://run/1", "ftp://example.org/"}) {
    EXPECT_EQ(mainFrame(address), Navigation::Refuse) << address;
    EXPECT_EQ(mainFrame(address, std::nullopt), Navigation::Refuse) << address;
  }
}

TEST(SystemAddresses, MailLosesItsAttachmentsAndEverythingElseGoesAsItIs) {
  EXPECT_EQ(forSystem("https://example.org/?attach=/etc/passwd"), "https://example.org/?attach=/etc/passwd");
  EXPECT_EQ(forSystem("mailto:a@b.c"), "mailto:a@b.c");
  EXPECT_EQ(forSystem("mailto:a@b.c?subject=Hi&attach=/etc/passwd&body=x"), "mailto:a@b.c?subject=Hi&body=x");
  EXPECT_EQ(forSystem("MAILTO:a@b.c?ATTACHMENT=%2Fetc&%61ttach=x&Attach"), "MAILTO:a@b.c");
  EXPECT_EQ(forSystem("mailto:a@b.c?attachments=1&&cc=d@e.f"), "mailto:a@b.c?attachments=1&cc=d@e.f");
}

// Each step: when (in microseconds, or seconds for reopenings) and the verdict.
TEST(Limits, LaunchesOnlyFromThePlayerAtMostOneASecondAndAtMostThreeReopeningsAMinute) {
  LaunchLimit launch;
  using V = LaunchLimit::Verdict;
  // A refused launch does not restart the second.
  const std::tuple<bool, std::int64_t, V> launches[] = {{false, 0, V::NotFromThePlayer}, {true, 0, V::Launch},
      {true, 999'999, V::TooSoon}, {false, 5'000'000, V::NotFromThePlayer}, {true, 1'000'000, V::Launch},
      {true, 1'500'000, V::TooSoon}};
  for (auto [player, at, verdict] : launches) EXPECT_EQ(launch.allow(player, at), verdict) << at;
  // A refusal is not counted: once the first reopening is a minute old, one more may happen.
  ReopenLimit reopen;
  const std::pair<int, bool> reopenings[] = {{0, true}, {10, true}, {20, true}, {30, false}, {59, false}, {60, true}, {61, false}};
  for (auto [second, allowed] : reopenings) EXPECT_EQ(reopen.allow(second * std::int64_t{1'000'000}), allowed) << second;
}

TEST(NewWindowRule, OnlyOwnPagesAndWebMailTelephoneLeaveThePage) {
  EXPECT_EQ(decideNewWindow(std::nullopt), NewWindow::Nothing);
  const std::pair<const char*, NewWindow> cases[] = {
      {"velmar://casino/poker-3d.html", NewWindow::OpenInHost}, {"https://example.org/", NewWindow::HandToSystem},
      {"MAILTO:a@b.c", NewWindow::HandToSystem}, {"Tel:1", NewWindow::HandToSystem}, {"file:///usr/bin/xterm", NewWindow::Refuse},
      {"smb://host/share", NewWindow::Refuse}, {"steam://run/1", NewWindow::Refuse}, {"VELMAR://casino/poker-3d.html", NewWindow::Refuse},
      {"no-scheme.html", NewWindow::Refuse}, {"javascript:alert(1)", NewWindow::Refuse}};
  for (auto [address, rule] : cases) EXPECT_EQ(decideNewWindow(std::string(address)), rule) << address;
}

TEST(FlushRace, OnlyTheFirstOfAnswerAndTimeOutCounts) {
  std::vector<bool> outcomes;
  auto race = raceOnce([&](bool answered) { outcomes.push_back(answered); });
  race.timedOut();
  race.answered();
  race.timedOut();
  EXPECT_EQ(outcomes, std::vector<bool>{false});

  auto copy = raceOnce([&](bool answered) { outcomes.push_back(answered); });
  auto answered = copy.answered;
  answered();
  copy.timedOut();
  EXPECT_EQ(outcomes, (std::vector<bool>{false, true}));
}

// What a script parser makes of a literal.
std::string readBack(const std::string& literal) {
  g_autoptr(JSCContext) context = jsc_context_new();
  g_autoptr(JSCValue) value = jsc_context_evaluate(context, literal.c_str(), -1);
  g_autoptr(GBytes) bytes = jsc_value_to_string_as_bytes(value);
  gsize size = 0;
  auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
  return std::string(data, size);
}

TEST(ScriptStrings, ALiteralReadsBackAsExactlyTheText) {
  for (std::string text : {std::string(""), std::string("quote \" backslash \\ newline \n tab \t"), std::string("nul\0bell\x07", 9),
                           std::string("\xe2\x80\xa8 line separator, ü, 🂡"), std::string("</script>")})
    EXPECT_EQ(readBack(Casino::jsString(text)), text);
  EXPECT_EQ(readBack(Casino::jsString("bad \xff byte")), "bad \xef\xbf\xbd byte");
}

TEST(KeyOwnership, EachTableIsGivenAndChangesItsOwnAndNobodysKeysAndTheLobbyNoTables) {
  const Table* roulette = &Tables::all[0];
  const Table* blackjack = &Tables::all[1];
  struct Case {
    const char* key;
    const Table* owner;
  };
  const Case cases[] = {
      {"roulette-royale.v1", roulette},
      {"roulette-royale.v1.unreadable-2", roulette},
      {"blackjack-royale.v1", blackjack},
      {"blackjack-royale.v1.unreadable", blackjack},
      {"velmar-casino.player", nullptr},
      {"vl-selftest", nullptr},
      {"roulette-royale.v10", nullptr},
      {"roulette-royale", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(tableOwning(c.key), c.owner);
    EXPECT_EQ(seedsKey(roulette, c.key), c.owner != blackjack);
    EXPECT_EQ(mayChangeKey(roulette, c.key), c.owner != blackjack);
    EXPECT_TRUE(seedsKey(nullptr, c.key)) << "the lobby reads every key";
    EXPECT_EQ(mayChangeKey(nullptr, c.key), c.owner == nullptr);
  }
  for (const auto& table : Tables::all) {
    EXPECT_EQ(tableOwning(table.storeKey), &table);
    EXPECT_TRUE(seedsKey(&table, table.storeKey));
    for (const auto& other : Tables::all)
      EXPECT_EQ(mayChangeKey(&other, table.storeKey), &other == &table) << other.id << " " << table.id;
  }
}

using Tags = std::vector<std::string>;

TEST(WebLanguages, LocaleNamesBecomeTagsInOrderOnceEach) {
  // What GLib gives for LANGUAGE=de_AT:fr with LANG=en_GB.UTF-8, say.
  const char* chosen[] = {"de_AT.UTF-8", "de_AT", "de", "fr_FR@euro", "fr", "de", "C", nullptr};
  EXPECT_EQ(webLanguages(chosen), (Tags{"de-AT", "de", "fr-FR", "fr"}));
  // Only the C locale (or nothing) is no language: the engine keeps its own.
  const char* plain[] = {"C.UTF-8", "POSIX", ".UTF-8", nullptr};
  EXPECT_EQ(webLanguages(plain), Tags{});
  EXPECT_EQ(webLanguages(nullptr), Tags{});
}

TEST(HeldKeys, ThePagesKeysAreHeldInOrderUpToTheBoundAndTheWindowsGoOn) {
  struct Case {
    KeyPress press;
    std::optional<std::string> key;
  };
  const Case cases[] = {
      {{"a", 'a'}, "a"},
      {{"A", 'A', true}, "A"},
      {{"question", '?', true}, "?"},
      {{"space", ' '}, " "},
      {{"udiaeresis", 0xfc}, "\xc3\xbc"},
      {{"Return", '\r'}, "Enter"},
      {{"KP_Enter", '\r'}, "Enter"},
      {{"ISO_Left_Tab", 0, true}, "Tab"},
      {{"BackSpace", '\b'}, "Backspace"},
      {{"Left"}, "ArrowLeft"},
      {{"F1"}, "F1"},
      {{"F12"}, "F12"},
      // The window's own keys and the modifiers alone are not the page's.
      {{"F10"}, std::nullopt},
      {{"l", 'l', false, true}, std::nullopt},
      {{"1", '1', false, false, true}, std::nullopt},
      {{"a", 'a', false, false, false, true}, std::nullopt},
      {{"Shift_L"}, std::nullopt},
      {{"F35"}, std::nullopt},
      {{"Escape", 0x1b}, "Escape"},
  };
  for (const auto& [press, key] : cases) EXPECT_EQ(pageKey(press), key) << press.name;

  HeldKeys held;
  for (std::size_t i = 0; i < HeldKeys::kMax; ++i) EXPECT_TRUE(held.hold(std::to_string(i % 10), i == 0));
  EXPECT_FALSE(held.hold("x", false));
  auto keys = held.take();
  ASSERT_EQ(keys.size(), HeldKeys::kMax);
  EXPECT_EQ(keys.front().key, "0");
  EXPECT_TRUE(keys.front().shift);
  EXPECT_EQ(keys.back().key, std::to_string((HeldKeys::kMax - 1) % 10));
  EXPECT_TRUE(held.empty());
  EXPECT_TRUE(held.hold("x", false));
}

}  // namespace
}  // namespace velmar
