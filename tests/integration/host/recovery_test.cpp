// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_fixture.h"

namespace velmar {
namespace {

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

TEST_F(Recovery, ARetiredWebViewsProcessEndingChangesNothing) {
  // A page that hangs is retired with its process ended, while the next page
  // runs in a process of its own.
  test::LogCapture log;
  open("poker-3d.html");
  auto retired = Ref<WebKitWebView>::retain(view());
  test::startJS(view(), "window.hang()");
  open("roulette-3d.html");
  webkit_web_view_terminate_web_process(retired.get());
  test::drainMainLoop();
  EXPECT_TRUE(showing("roulette-3d.html"));
  EXPECT_EQ(changes, (std::vector<std::string>{"poker", "roulette"}));
  EXPECT_EQ(log.count("page process ended"), 0);
}

}  // namespace
}  // namespace velmar
