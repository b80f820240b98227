// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_fixture.h"

#include "host/save_message.h"

namespace velmar {
namespace {

using Bridge = HostTest;

TEST_F(Bridge, TheSeedIsInLocalStorageBeforeThePagesFirstScriptAndEachLoadIsRecorded) {
  casino->saves().replaceAll(
      {{"roulette-royale.v1", "{\"chips\":900}"}, {"other", "kept"}, {"blackjack-royale.v1", "not roulette's"}});
  open("roulette-3d.html");
  EXPECT_EQ(js("return window.firstSeen;"), R"("{\"other\":\"kept\",\"roulette-royale.v1\":\"{\\\"chips\\\":900}\"}")");
  EXPECT_EQ(changes, std::vector<std::string>{"roulette"});
  EXPECT_EQ(casino->currentTable(), &Tables::all[0]);
  EXPECT_EQ(gtk_widget_get_parent(gtk_widget_get_parent(GTK_WIDGET(view()))), GTK_WIDGET(bin));

  open("velmar-casino.html");
  EXPECT_EQ(changes, (std::vector<std::string>{"roulette", "none"}));
}

TEST_F(Bridge, ABurstOfChangesReachesTheStoreAsOneMessageAndOneWrite) {
  open("roulette-3d.html");
  countMessages();
  countWrites();
  js("localStorage.setItem('a', '1'); localStorage.setItem('b', '2'); localStorage.setItem('c', '3');");
  ASSERT_TRUE(test::waitFor([&] { return casino->saves().values().size() == 3; }));
  ASSERT_TRUE(test::waitFor([&] { return writes >= 1; }));
  // Anything else the page would post would follow within its 250 ms; a flush
  // answered by the page proves nothing more is on its way.
  bool flushed = false;
  casino->flush([&] { flushed = true; });
  ASSERT_TRUE(test::waitFor([&] { return flushed; }));
  test::drainMainLoop();
  EXPECT_EQ(messages, 2);  // the burst, and the flush's own post
  EXPECT_EQ(writes, 1);    // the flush found nothing changed
  EXPECT_EQ(casino->saves().values(), (SaveStore::Values{{"a", "1"}, {"b", "2"}, {"c", "3"}}));

  js("localStorage.clear();");
  EXPECT_TRUE(test::waitFor([&] { return casino->saves().values().empty(); }));
}

// Every key comes back, even one named like an object's own property.
TEST_F(Bridge, AChangeNotYetPostedReachesTheFileWhenAnotherPageOpensAndEveryKeyComesBack) {
  open("roulette-3d.html");
  // open() comes well within the page's 250 ms wait: only the flush posts it.
  js("localStorage.setItem('roulette-royale.v1', 'bet placed'); localStorage.setItem('__proto__', 'p');");
  open("velmar-casino.html");
  EXPECT_EQ(casino->saves().values(), (SaveStore::Values{{"__proto__", "p"}, {"roulette-royale.v1", "bet placed"}}));
  EXPECT_NE(savesFile().find("bet placed"), std::string::npos);
  EXPECT_EQ(js("return localStorage.getItem('roulette-royale.v1');"), "\"bet placed\"");
  EXPECT_EQ(js("return localStorage.getItem('__proto__');"), "\"p\"");
}

// A page that hangs is retired with its process ended; of the pages asked for
// meanwhile only the last opens, in a process of its own.
TEST_F(Bridge, ABusyPageIsLeftAfterTheTimeOutAndOnlyTheLastPageAskedForOpensInAProcessOfItsOwn) {
  test::LogCapture log;
  open("poker-3d.html");
  ASSERT_TRUE(test::waitFor([&] { return casino->preparedView() != nullptr; }));
  auto shared = Ref<WebKitWebView>::retain(casino->preparedView());
  auto retired = Ref<WebKitWebView>::retain(view());
  test::startJS(view(), "window.hang()");
  casino->open(Tables::url("roulette-3d.html"));
  open("blackjack-3d.html");
  for (int i = 0; i < 20; ++i) test::drainMainLoop();
  EXPECT_TRUE(showing("blackjack-3d.html"));
  EXPECT_NE(view(), shared.get());
  // Nor does the retired view's process ending change anything.
  webkit_web_view_terminate_web_process(retired.get());
  test::drainMainLoop();
  EXPECT_TRUE(showing("blackjack-3d.html"));
  EXPECT_EQ(changes, (std::vector<std::string>{"poker", "blackjack"}));
  EXPECT_EQ(log.count("page process ended"), 0);
}

// Reset and Reload act on the table the host loaded, from the moment its load
// begins in a prepared view.
TEST_F(Bridge, TheTableShownIsKnownFromTheMomentItsLoadBegins) {
  open("velmar-casino.html");
  ASSERT_TRUE(test::waitFor([&] { return casino->preparedView() != nullptr; }));
  std::vector<std::optional<std::string>> seen;
  casino->onPageChange = [&](const Table*) { seen.push_back(casino->currentURL()); };
  casino->open(Tables::url("roulette-3d.html") + "#felt");
  ASSERT_TRUE(test::waitFor([&] { return !seen.empty(); }));
  EXPECT_EQ(seen[0], Tables::url("roulette-3d.html") + "#felt");
  ASSERT_TRUE(test::waitFor([&] { return showing("roulette-3d.html"); }));
  // Nor can a page make Reset take another table's chips by renaming itself.
  js("history.pushState(null, '', 'blackjack-3d.html');");
  EXPECT_EQ(casino->currentTable(), Tables::table(Tables::url("roulette-3d.html")));
}

TEST_F(Bridge, APageWithoutTheBridgeAnswersAtOnceAndKeepsSharingItsProcess) {
  open("baccarat-3d.html");
  ASSERT_EQ(js("return typeof window.__vlCasino;"), "\"undefined\"");
  ASSERT_TRUE(test::waitFor([&] { return casino->preparedView() != nullptr; }));
  auto shared = Ref<WebKitWebView>::retain(casino->preparedView());
  open("velmar-casino.html");
  EXPECT_EQ(view(), shared.get());
}

TEST_F(Bridge, AMessageFromAWebViewOfAFreedHostIsDropped) {
  open("roulette-3d.html");
  auto kept = Ref<WebKitWebView>::retain(view());
  casino.reset();
  test::startJS(kept.get(), "localStorage.setItem('late', 'x'); window.__vlCasino.flush();");
  test::drainMainLoop();
  makeHost();
  EXPECT_EQ(casino->saves().values().count("late"), 0u);
}

// The engine's quota is what a page can be given, each table's page its own
// saves; saves beyond it are never replaced by what a page that lacks some of
// them posts.
TEST_F(Bridge, SavesBeyondAPagesQuotaAreKeptWholeAndTheEdgeIsTheEnginesOwn) {
  test::LogCapture log;
  const std::string own = "roulette-royale.v1";
  const SaveStore::Values tables{{own, "777"}, {"blackjack-royale.v1", "777"}, {"velmar-casino.player", "777"}};
  auto all = tables;
  all[own + ".big"] = std::string(6'000'000, 'x');
  casino->saves().replaceAll(all);
  open("roulette-3d.html");
  EXPECT_EQ(js("return localStorage.length;"), "2") << "every key that fits is given";
  js("localStorage.setItem('" + own + "', '778');");
  open("blackjack-3d.html");
  EXPECT_EQ(js("return localStorage.length;"), "2") << "another table's page holds its own";
  js("localStorage.setItem('blackjack-royale.v1', '778');");
  open("velmar-casino.html");
  all["blackjack-royale.v1"] = "778";
  EXPECT_EQ(casino->saves().values(), all);
  EXPECT_NE(savesFile().find(all[own + ".big"]), std::string::npos);
  EXPECT_EQ(log.count("refused a save message from roulette-3d.html: the page could not be given all of the saves"), 1);

  // At the quota a page holds all; one byte more and it does not, for narrow
  // and wide text alike, exactly where the host counts it.
  const std::size_t quota = kPageStorageQuota;
  std::string wide;
  for (std::size_t i = 0; i < quota / 2 - 1; ++i) wide += "\xE4\xB8\x80";
  const std::pair<std::string, std::string> cases[] = {{own, std::string(quota - own.size(), 'x')},
                                                       {own, std::string(quota - own.size() + 1, 'x')},
                                                       {own, wide.substr(0, wide.size() - 3 * (own.size() - 1))},
                                                       {own, wide.substr(0, wide.size() - 3 * (own.size() - 2))}};
  for (const auto& [key, value] : cases) {
    SCOPED_TRACE(value.size());
    const bool fits = pageStorageBytes({{key, value}}) <= quota;
    // From a page without the bridge, whose flush cannot change the saves.
    open("baccarat-3d.html");
    casino->saves().replaceAll({{key, value}});
    log.clear();
    open("roulette-3d.html");
    EXPECT_EQ(js("return localStorage.length;"), fits ? "1" : "0");
    open("baccarat-3d.html");
    EXPECT_EQ(log.count("could not be given all of the saves"), fits ? 0 : 1);
    EXPECT_EQ(casino->saves().values(), (SaveStore::Values{{key, value}}));
  }
  EXPECT_EQ(pageStorageBytes({{own, std::string(quota - own.size(), 'x')}}), quota);

  // Nor can a page post more than a page could be given back.
  casino->saves().replaceAll(tables);
  open("roulette-3d.html");
  log.clear();
  js("window.webkit.messageHandlers.casino.postMessage({type: 'save', data: {'" + own + "': 'x'.repeat(" +
     std::to_string(quota) + ")}});");
  ASSERT_TRUE(test::waitFor([&] { return log.count("the saves would be larger than a page can hold") == 1; }));
  EXPECT_EQ(casino->saves().values(), tables);
}

using Recovery = HostTest;

TEST_F(Recovery, AnEndedPageProcessReopensThePageWithItsLastSaveButNotAFourthTimeWithinAMinute) {
  test::LogCapture log;
  open("roulette-3d.html");
  js("localStorage.setItem('roulette-royale.v1', 'before the crash'); window.__vlCasino.flush();");
  ASSERT_TRUE(test::waitFor([&] { return casino->saves().values().count("roulette-royale.v1") == 1; }));

  for (int reopening = 1; reopening <= 3; ++reopening) {
    WebKitWebView* ended = view();
    webkit_web_view_terminate_web_process(ended);
    ASSERT_TRUE(test::waitFor([&] { return view() != ended && showing("roulette-3d.html"); })) << reopening;
    EXPECT_EQ(js("return localStorage.getItem('roulette-royale.v1');"), "\"before the crash\"");
    now += 10'000'000;
  }
  EXPECT_EQ(log.count("Velmar Casino: page process ended, reopening roulette-3d.html"), 3);

  WebKitWebView* last = view();
  webkit_web_view_terminate_web_process(last);
  ASSERT_TRUE(test::waitFor([&] { return log.count("not reopening roulette-3d.html") == 1; }));
  EXPECT_EQ(view(), last);
  // The window says so instead of showing the page's last frame as if alive.
  GtkWidget* shown = adw_bin_get_child(bin);
  ASSERT_TRUE(ADW_IS_STATUS_PAGE(shown));
  EXPECT_STREQ(adw_status_page_get_title(ADW_STATUS_PAGE(shown)), "Roulette Royale stopped");
  EXPECT_NE(std::string(adw_status_page_get_description(ADW_STATUS_PAGE(shown))).find("Ctrl+R"), std::string::npos);

  // A minute after the first reopening, the page may come back once more.
  now += 60'000'000;
  webkit_web_view_terminate_web_process(last);
  test::drainMainLoop();
  EXPECT_EQ(view(), last);  // the process was already gone: nothing ended this time
  casino->reload();
  EXPECT_TRUE(test::waitFor([&] { return view() != last && showing("roulette-3d.html") && casino->pageReady(); }));
  EXPECT_EQ(casino->shownView(), view());
  EXPECT_EQ(gtk_widget_get_parent(gtk_widget_get_parent(GTK_WIDGET(view()))), GTK_WIDGET(bin));
}

}  // namespace
}  // namespace velmar
