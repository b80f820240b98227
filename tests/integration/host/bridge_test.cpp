#include "host_fixture.h"

namespace velmar {
namespace {

using Bridge = HostTest;

TEST_F(Bridge, TheSeedIsInLocalStorageBeforeThePagesFirstScriptAndEachLoadIsRecorded) {
  casino->saves().replaceAll({{"roulette-royale.v1", "{\"chips\":900}"}, {"other", "kept"}});
  open("roulette-3d.html");
  EXPECT_EQ(js("return window.firstSeen;"), R"("{\"other\":\"kept\",\"roulette-royale.v1\":\"{\\\"chips\\\":900}\"}")");
  EXPECT_EQ(changes, std::vector<std::string>{"roulette"});
  EXPECT_EQ(Prefs::lastPage(), "roulette-3d.html");
  EXPECT_EQ(casino->currentTable(), &Tables::all[0]);
  EXPECT_EQ(gtk_widget_get_parent(GTK_WIDGET(view())), GTK_WIDGET(bin));

  open("velmar-casino.html");
  EXPECT_EQ(changes, (std::vector<std::string>{"roulette", "none"}));
  EXPECT_EQ(Prefs::lastPage(), "velmar-casino.html");
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

TEST_F(Bridge, AChangeNotYetPostedReachesTheFileWhenAnotherPageOpens) {
  open("roulette-3d.html");
  // open() comes well within the page's 250 ms wait: only the flush posts it.
  js("localStorage.setItem('roulette-royale.v1', 'bet placed');");
  open("blackjack-3d.html");
  EXPECT_NE(savesFile().find("bet placed"), std::string::npos);
  EXPECT_EQ(js("return localStorage.getItem('roulette-royale.v1');"), "\"bet placed\"");
}

TEST_F(Bridge, ABusyPageIsLeftAfterTheTimeOutAndTheNextPageGetsAProcessOfItsOwn) {
  open("poker-3d.html");
  ASSERT_TRUE(test::waitFor([&] { return casino->preparedView() != nullptr; }));
  auto shared = Ref<WebKitWebView>::retain(casino->preparedView());
  test::startJS(view(), "window.hang()");
  open("velmar-casino.html");
  EXPECT_NE(view(), shared.get());
  EXPECT_EQ(changes, (std::vector<std::string>{"poker", "none"}));
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

}  // namespace
}  // namespace velmar
