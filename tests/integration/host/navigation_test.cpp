// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_fixture.h"

#include "host/decisions.h"

namespace velmar {
namespace {

using Navigating = HostTest;

TEST_F(Navigating, OwnPagesGoThroughAFlushIntoANewWebViewAndOnlyAnAnchorStaysInPlace) {
  open("velmar-casino.html");
  WebKitWebView* lobby = view();
  js("document.getElementById('anchor').click();");
  ASSERT_TRUE(test::waitFor([&] { return test::pageSays(view(), "location.hash", "\"#rules\""); }));
  EXPECT_EQ(view(), lobby);
  js("document.getElementById('query').click();");
  ASSERT_TRUE(test::waitFor([&] { return test::pageSays(view(), "window.ready && location.search", "\"?sort=name\""); }));
  EXPECT_NE(view(), lobby);
  lobby = view();
  js("document.getElementById('table').click();");
  ASSERT_TRUE(test::waitFor([&] { return showing("roulette-3d.html"); }));
  EXPECT_NE(view(), lobby);
  EXPECT_EQ(changes, (std::vector<std::string>{"none", "none", "roulette"}));

  // window.open of an own page replaces the page instead of opening a window.
  WebKitWebView* table = view();
  js("window.open('blackjack-3d.html');");
  ASSERT_TRUE(test::waitFor([&] { return showing("blackjack-3d.html"); }));
  EXPECT_NE(view(), table);

  // So does a link that targets a new window.
  open("velmar-casino.html");
  js("document.getElementById('blank').click();");
  ASSERT_TRUE(test::waitFor([&] { return showing("blackjack-3d.html"); }));
  EXPECT_EQ(launched, std::vector<std::string>{});
}

// Every way a page can leave its document without the host keeps the newest
// chips: the view's seed script must not bring back those of its first load.
TEST_F(Navigating, EveryDepartureInPlaceComesBackWithTheNewestChips) {
  casino->saves().replaceAll({{"chips", "0"}});
  open("roulette-3d.html");

  // Back and Forward only move within the document: no other one is ever
  // in a view's history.
  js("window.marker = true; localStorage.setItem('chips', '1'); history.pushState(null, '', '#felt');");
  webkit_web_view_go_back(view());
  ASSERT_TRUE(test::waitFor([&] { return test::pageSays(view(), "location.hash", "\"\""); }));
  webkit_web_view_go_forward(view());
  ASSERT_TRUE(test::waitFor([&] { return test::pageSays(view(), "location.hash", "\"#felt\""); }));
  EXPECT_EQ(js("return window.marker === true && localStorage.getItem('chips');"), "\"1\"");

  const std::pair<const char*, std::function<void()>> departures[] = {
      {"location.reload", [&] { test::startJS(view(), "location.reload()"); }},
      {"the engine's Reload", [&] { webkit_web_view_reload(view()); }},
      {"its own address", [&] { test::startJS(view(), "location.href = location.href.split('#')[0]"); }},
      {"another query", [&] { test::startJS(view(), "location.assign('roulette-3d.html?seat=2')"); }},
      {"a form sent to itself", [&] { test::startJS(view(), "document.getElementById('self').submit()"); }},
  };
  int chips = 0;
  for (const auto& [how, depart] : departures) {
    SCOPED_TRACE(how);
    const std::string value = std::to_string(chips += 7);
    // Set just before leaving, well within the page's own 250 ms wait.
    js("window.marker = true; localStorage.setItem('chips', '" + value + "');");
    depart();
    ASSERT_TRUE(test::waitFor([&] { return test::pageSays(view(), "window.ready === true && !window.marker", "true"); }));
    EXPECT_EQ(js("return JSON.parse(window.firstSeen).chips;"), "\"" + value + "\"");
    EXPECT_EQ(casino->saves().values().at("chips"), value);
  }

  // Quitting right after keeps the last value.
  js("localStorage.setItem('chips', '99');");
  bool flushed = false;
  casino->flush([&] { flushed = true; });
  ASSERT_TRUE(test::waitFor([&] { return flushed; }));
  EXPECT_NE(savesFile().find("\"99\""), std::string::npos);
}

TEST_F(Navigating, WebMailAndTelephoneGoToTheDesktopOnlyFromThePlayerAndOtherSchemesNowhere) {
  test::LogCapture log;
  open("velmar-casino.html");
  WebKitWebView* lobby = view();
  for (const char* id : {"web", "mail", "phone"}) {
    js(std::string("document.getElementById('") + id + "').click();");
    now += LaunchLimit::kIntervalMicroseconds;
  }
  js("window.open('HTTPS://example.org/open');");
  now += LaunchLimit::kIntervalMicroseconds;
  js("window.open('file:///etc/passwd'); window.open('smb://host/share');");
  ASSERT_TRUE(test::waitFor([&] { return launched.size() == 4 && log.count("refused to open a window") == 2; }));
  EXPECT_EQ(launched, (std::vector<std::string>{"https://example.org/velmar", "mailto:host@example.org?subject=Hi",
                                                "tel:+4412345", "https://example.org/open"}));
  EXPECT_EQ(log.count("file:///etc/passwd"), 1);

  // One click that opens a dozen: one goes, each other is refused and told.
  now += LaunchLimit::kIntervalMicroseconds;
  js("for (let i = 0; i < 12; i++) window.open('https://example.org/' + i);");
  ASSERT_TRUE(test::waitFor([&] { return log.count("less than a second ago") == 11; }));
  // Nor may a page leave for an address by itself, long after any click.
  now += LaunchLimit::kIntervalMicroseconds;
  test::startJS(view(), "setTimeout(() => { location.href = 'https://example.org/timer'; }, 1500);");
  ASSERT_TRUE(test::waitFor([&] { return log.count("the player did not ask for it") == 1; }));
  EXPECT_EQ(launched.size(), 5u);

  // Any other scheme leaves the table in place.
  int refused = 0;
  for (const char* address : {"about:blank", "smb://host/share", "data:text/html,hi"}) {
    test::startJS(view(), std::string("location.href = '") + address + "';");
    ASSERT_TRUE(test::waitFor([&] { return log.count("refused to leave the casino for") == refused + 1; })) << address;
    ++refused;
  }
  EXPECT_EQ(view(), lobby);
  EXPECT_TRUE(showing("velmar-casino.html"));
  // No second web view and no second window ever appeared.
  EXPECT_EQ(casino->shownView(), view());
  EXPECT_EQ(gtk_widget_get_first_child(adw_bin_get_child(bin)), GTK_WIDGET(view()));
  EXPECT_EQ(gtk_widget_get_next_sibling(GTK_WIDGET(view())), nullptr);
  EXPECT_EQ(g_list_model_get_n_items(gtk_window_get_toplevels()), 1u);
}

TEST_F(Navigating, ThePageShownStaysUntilTheNextIsReadyAndTheKeysPressedMeanwhileReachItOrAreAnswered) {
  open("velmar-casino.html");
  ASSERT_TRUE(test::waitFor([&] { return casino->pageReady(); }));
  // Held, so that it can still be asked where it is once the host lets it go.
  auto held = Ref<WebKitWebView>::retain(view());
  WebKitWebView* lobby = held.get();
  casino->open(Tables::url("opening.html"));
  ASSERT_TRUE(test::waitFor([&] { return showing("opening.html"); }));
  EXPECT_FALSE(casino->pageReady());
  EXPECT_EQ(casino->shownView(), lobby);
  EXPECT_TRUE(gtk_widget_get_mapped(GTK_WIDGET(lobby)));
  auto named = [&](const char* name) {
    return test::findWidget(GTK_WIDGET(window), [name](GtkWidget* w) { return g_strcmp0(gtk_widget_get_name(w), name) == 0; });
  };
  ASSERT_TRUE(test::waitFor([&] { return named("opening") != nullptr; }));
  auto description = [&] { return std::string(adw_status_page_get_description(ADW_STATUS_PAGE(named("opening")))); };
  EXPECT_EQ(description(), "Opening…");

  GtkEventController* keys = nullptr;
  g_autoptr(GListModel) controllers = gtk_widget_observe_controllers(named("pages"));
  for (guint i = 0; i < g_list_model_get_n_items(controllers); ++i) {
    g_autoptr(GObject) c = G_OBJECT(g_list_model_get_item(controllers, i));
    if (g_strcmp0(gtk_event_controller_get_name(GTK_EVENT_CONTROLLER(c)), "held-keys") == 0) keys = GTK_EVENT_CONTROLLER(c);
  }
  ASSERT_TRUE(keys);
  auto press = [&](guint keyval, GdkModifierType state = GdkModifierType(0)) {
    gboolean handled = FALSE;
    g_signal_emit_by_name(keys, "key-pressed", keyval, 0u, state, &handled);
    return handled == TRUE;
  };
  // Tab reaches the first button and Enter clicks it, as real keys would.
  for (guint keyval : {GDK_KEY_Tab, GDK_KEY_Return, GDK_KEY_a}) EXPECT_TRUE(press(keyval));
  EXPECT_TRUE(press(GDK_KEY_A, GDK_SHIFT_MASK));
  EXPECT_NE(description().find("will reach it"), std::string::npos);
  // The window's own keys are not held.
  EXPECT_FALSE(press(GDK_KEY_l, GDK_CONTROL_MASK));
  EXPECT_FALSE(press(GDK_KEY_F10));
  for (std::size_t i = 4; i < HeldKeys::kMax; ++i) EXPECT_TRUE(press(GDK_KEY_x));
  // One too many is answered, not dropped unseen (a page that is no table
  // goes by the lobby's name).
  EXPECT_TRUE(press(GDK_KEY_y));
  EXPECT_NE(description().find("Lobby is still opening"), std::string::npos) << description();
  EXPECT_EQ(js("return keys.length;"), "0");

  js("go();");
  ASSERT_TRUE(test::waitFor([&] { return casino->pageReady(); }));
  EXPECT_EQ(casino->shownView(), view());
  EXPECT_EQ(named("opening"), nullptr);
  EXPECT_NE(gtk_widget_get_parent(GTK_WIDGET(lobby)), named("pages"));
  std::string want = R"(["Tab","Enter","a","shift+A")";
  for (std::size_t i = 4; i < HeldKeys::kMax; ++i) want += R"(,"x")";
  ASSERT_TRUE(test::waitFor([&] { return js("return keys;") == want + "]"; })) << js("return keys;");
  EXPECT_EQ(js("return clicks;"), R"(["first"])");
  // Once it is ready, keys go straight to the page.
  EXPECT_FALSE(press(GDK_KEY_z));
}

}  // namespace
}  // namespace velmar
