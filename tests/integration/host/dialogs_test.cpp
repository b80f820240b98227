// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_fixture.h"

#include "host/alert.h"

#include <unistd.h>

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

// The reality check over a table as shipped, its clock moved on to sixteen
// minutes into the sitting: a named dialog with the focus on Continue, saying
// the time and the sitting's result, that nothing serious in axe-core's WCAG
// rules finds fault with, and that Return, pressed on the keyboard, closes.
TEST_F(Dialogs, TheRealityCheckSaysTheTimeAndResultAndReturnContinuesPlaying) {
  g_autofree char* axe = nullptr;
  ASSERT_TRUE(g_file_get_contents(VELMAR_AXE, &axe, nullptr, nullptr)) << VELMAR_AXE << " is missing: run scripts/setup";
  casino.reset();
  Casino::Options options;
  options.saveBase = dir / "data";
  casino = Casino::create(VELMAR_STAGED_WEB, bin, options);
  casino->open(Tables::url("roulette-3d.html"));
  ASSERT_TRUE(test::waitFor([&] { return casino->pageReady() && js("return location.pathname;") == "\"/roulette-3d.html\""; }));
  EXPECT_EQ(js(std::string(axe) + R"JS(;
    const kit = (name) => import(new URL(`js/kit/${name}.js`, location.href).href);
    const [{ t }, { formatSigned }] = await Promise.all([kit('messages'), kit('money')]);
    const since = Number(sessionStorage.getItem('velmar-casino.evening')), key = 'velmar-casino.player';
    localStorage.setItem(key, JSON.stringify({ ...JSON.parse(localStorage.getItem(key)), sitting: { since, net: -2500 } }));
    const clock = Date.now;
    Date.now = () => since + 16 * 60000;
    document.querySelector('input[name="reality"][value="15"]').click();
    const sheet = document.querySelector('dialog.reality-panel');
    await new Promise((done) => { const ask = () => (sheet.open ? done() : setTimeout(ask, 50)); ask(); });
    Date.now = clock;
    const text = (attribute) => document.getElementById(sheet.getAttribute(attribute))?.textContent;
    const { violations } = await axe.run(sheet, { runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] } });
    return [sheet.matches(':modal'), text('aria-labelledby'), document.activeElement.textContent,
            text('aria-describedby') === t('reality.text', { count: 16, result: formatSigned(-2500) }),
            violations.filter((v) => ['serious', 'critical'].includes(v.impact)).map((v) => v.id)];
  )JS"), R"([true,"Reality check","Continue",true,[]])");
  // A real key, which a button takes as it would from the player.
  const std::string pid = std::to_string(getpid());
  const char* press[] = {"python3", VELMAR_X11_CLIENT, "keys", pid.c_str(), "Return", nullptr};
  int status = -1;
  ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<char**>(press), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
                           nullptr, &status, nullptr) && status == 0);
  EXPECT_TRUE(test::waitFor([&] { return test::pageSays(view(), "document.querySelector('dialog.reality-panel').open", "false"); }));
  EXPECT_EQ(js("return location.pathname;"), "\"/roulette-3d.html\"");
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
