#include "host_fixture.h"

namespace velmar {
namespace {

using Navigating = HostTest;

TEST_F(Navigating, OwnPagesGoThroughAFlushIntoANewWebView) {
  open("velmar-casino.html");
  WebKitWebView* lobby = view();
  js("document.getElementById('table').click();");
  ASSERT_TRUE(test::waitFor([&] { return showing("roulette-3d.html"); }));
  EXPECT_NE(view(), lobby);
  EXPECT_EQ(changes, (std::vector<std::string>{"none", "roulette"}));

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

TEST_F(Navigating, AnchorsAndQueriesOfTheSamePageStayInPlace) {
  open("velmar-casino.html");
  WebKitWebView* lobby = view();
  js("document.getElementById('anchor').click();");
  EXPECT_TRUE(test::waitFor([&] { return test::pageSays(view(), "location.hash", "\"#rules\""); }));
  js("document.getElementById('query').click();");
  EXPECT_TRUE(test::waitFor([&] { return test::pageSays(view(), "window.ready && location.search", "\"?sort=name\""); }));
  EXPECT_EQ(view(), lobby);
  EXPECT_EQ(changes.size(), 1u);
}

TEST_F(Navigating, WebMailAndTelephoneGoToTheDesktopAndOtherSchemesNowhere) {
  test::LogCapture log;
  open("velmar-casino.html");
  WebKitWebView* lobby = view();
  for (const char* id : {"web", "mail", "phone"}) js(std::string("document.getElementById('") + id + "').click();");
  ASSERT_TRUE(test::waitFor([&] { return launched.size() == 3; }));
  js("window.open('HTTPS://example.org/open'); window.open('file:///etc/passwd'); window.open('smb://host/share');");
  ASSERT_TRUE(test::waitFor([&] { return launched.size() == 4 && log.count("refused to open a window") == 2; }));
  EXPECT_EQ(launched, (std::vector<std::string>{"https://example.org/velmar", "mailto:host@example.org", "tel:+4412345",
                                                "https://example.org/open"}));
  EXPECT_EQ(log.count("file:///etc/passwd"), 1);
  EXPECT_EQ(view(), lobby);
  EXPECT_TRUE(showing("velmar-casino.html"));
  // No second web view and no second window ever appeared.
  EXPECT_EQ(adw_bin_get_child(bin), GTK_WIDGET(view()));
  EXPECT_EQ(g_list_model_get_n_items(gtk_window_get_toplevels()), 1u);
}

}  // namespace
}  // namespace velmar
