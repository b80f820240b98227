// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_fixture.h"

#include "host/alert.h"

namespace velmar {
namespace {

using Dialogs = HostTest;

// Waits for the page's dialog and answers it as the user would.
void answer(const char* response) {
  ASSERT_TRUE(test::waitFor([] { return test::shownWidget(alert::type()) != nullptr; }));
  alert::respond(test::shownWidget(alert::type()), response);
}

TEST_F(Dialogs, ConfirmGivesTrueForOkAndFalseForCancelAndAlertReturnsWhenDismissed) {
  open("velmar-casino.html");
  test::startJS(view(), "window.answers = []; window.answers.push(confirm('Leave the table?'));");
  answer("ok");
  ASSERT_TRUE(test::waitFor([&] { return test::pageSays(view(), "window.answers", "[true]"); }));

  test::startJS(view(), "window.answers.push(confirm('Again?'));");
  ASSERT_TRUE(test::waitFor([] { return test::shownWidget(alert::type()) != nullptr; }));
  GtkWidget* dialog = test::shownWidget(alert::type());
  EXPECT_EQ(test::shownOver(dialog), window);
  EXPECT_STREQ(alert::heading(dialog), "Again?");
  alert::respond(dialog, "cancel");
  ASSERT_TRUE(test::waitFor([&] { return test::pageSays(view(), "window.answers", "[true,false]"); }));

  test::startJS(view(), "alert('Chips added'); window.answers.push('after alert');");
  answer("ok");
  EXPECT_TRUE(test::waitFor([&] { return test::pageSays(view(), "window.answers.length", "3"); }));
  EXPECT_TRUE(test::waitFor([] { return test::shownWidget(alert::type()) == nullptr; }));
}

TEST_F(Dialogs, AWebViewInNoWindowStillGetsItsAnswer) {
  g_object_ref(bin);
  gtk_window_set_child(window, nullptr);
  // Out of any window the page draws no frame, so it never says it is ready.
  casino->open(Tables::url("velmar-casino.html"));
  ASSERT_TRUE(test::waitFor([&] { return showing("velmar-casino.html"); }));
  test::startJS(view(), "window.answer = confirm('Alone?');");
  ASSERT_TRUE(test::waitFor([] { return test::shownWidget(alert::type()) != nullptr; }));
  EXPECT_EQ(test::shownOver(test::shownWidget(alert::type())), nullptr);
  answer("ok");
  EXPECT_TRUE(test::waitFor([&] { return test::pageSays(view(), "window.answer", "true"); }));
  casino.reset();
  g_object_unref(bin);
}

TEST_F(Dialogs, ZoomIsAppliedAndCarriedToTheNextPageAndTheHostKeepsNoPreferences) {
  casino->setZoom(1.25);
  open("velmar-casino.html");
  EXPECT_EQ(webkit_web_view_get_zoom_level(view()), 1.25);
  casino->setZoom(0.75);
  EXPECT_EQ(webkit_web_view_get_zoom_level(view()), 0.75);
  open("roulette-3d.html");
  EXPECT_EQ(webkit_web_view_get_zoom_level(view()), 0.75);
  // Keeping the zoom and the page between runs is the shell's business.
  EXPECT_TRUE(Prefs::settle());
  EXPECT_FALSE(test::exists(Prefs::file()));
  EXPECT_EQ(Prefs::lastPage(), std::nullopt);
}

}  // namespace
}  // namespace velmar
