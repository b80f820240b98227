// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/commands.h"

#include "catalog/page_keys.h"

#include "shell/i18n.h"

#include <glib.h>

#include <algorithm>

namespace velmar::Commands {

std::string firstPage(bool reopenLastTable, const std::optional<std::string>& lastPage) {
  // A name with a folder in it (a hand-edited file) would open a page that is
  // not found, however its last part reads.
  if (reopenLastTable && lastPage && lastPage->find('/') == std::string::npos) {
    std::string remembered = Tables::url(*lastPage);
    if (Tables::isKnownPage(remembered)) return remembered;
  }
  return Tables::lobbyURL();
}

bool enabled(std::string_view action, bool hostPresent, const Table* shown) {
  // Without a web host no table can be shown, whatever the caller passed.
  if (action == "reset-table" || action == "restore-table") return hostPresent && shown;
  return true;
}

std::string pageState(const Table* shown) { return shown ? std::string(shown->id) : std::string("lobby"); }

std::optional<std::string> pageAddress(std::string_view target) {
  if (target == "lobby") return Tables::lobbyURL();
  for (const Table& table : Tables::all)
    if (table.id == target) return Tables::url(table.file);
  return std::nullopt;
}

int zoomPosition(double zoom) {
  for (size_t i = 0; i < kZoomSteps.size(); ++i)
    if (kZoomSteps[i] >= zoom - 0.001) return static_cast<int>(i);
  return static_cast<int>(kZoomSteps.size()) - 1;
}

double steppedZoom(double zoom, int direction) {
  int last = static_cast<int>(kZoomSteps.size()) - 1;
  return kZoomSteps[std::clamp(zoomPosition(zoom) + direction, 0, last)];
}

int pickerIndex(const Table* shown) {
  if (!shown) return -1;
  for (size_t i = 0; i < Tables::all.size(); ++i)
    if (Tables::all[i].id == shown->id) return static_cast<int>(i);
  return -1;
}

std::optional<std::string> pickedAddress(int index) {
  if (index < 0 || index >= static_cast<int>(Tables::all.size())) return std::nullopt;
  return Tables::url(Tables::all[index].file);
}

std::string segmentTitle(std::string_view name) {
  constexpr std::string_view royale = " Royale";
  std::string title(name);
  for (auto at = title.find(royale); at != std::string::npos; at = title.find(royale, at))
    title.erase(at, royale.size());
  return title;
}

std::string subtitle(const Table* shown) { return shown ? std::string(shown->name) : std::string(_("Lobby")); }

std::string accessKey(std::string_view label) {
  auto at = label.find('_');
  if (at == std::string_view::npos || at + 1 >= label.size()) return {};
  std::string rest(label.substr(at + 1));
  const char* next = g_utf8_find_next_char(rest.c_str(), nullptr);
  if (!next || !g_utf8_validate(rest.c_str(), next - rest.c_str(), nullptr)) return {};
  g_autofree char* lower = g_utf8_strdown(rest.c_str(), next - rest.c_str());
  return lower;
}

std::string withAccessKey(std::string_view name, std::string& taken) {
  std::string text(name);
  if (!g_utf8_validate(text.c_str(), -1, nullptr)) return text;
  for (const char* p = text.c_str(); *p; p = g_utf8_next_char(p)) {
    if (!g_unichar_isalnum(g_utf8_get_char(p))) continue;
    std::string key = accessKey("_" + std::string(p, static_cast<const char*>(g_utf8_next_char(p))));
    if (taken.find(key) != std::string::npos) continue;
    taken += key;
    auto at = static_cast<size_t>(p - text.c_str());
    return text.substr(0, at) + "_" + text.substr(at);
  }
  return text;
}

const std::vector<Shortcut>& shortcuts() {
  static const std::vector<Shortcut> list = [] {
    // The general keys come first, so that the window opens on them.
    std::vector<Shortcut> s{
        {"app.shortcuts", {"<Primary>question"}, N_("Keyboard Shortcuts"), N_("General")},
        {"win.close", {"<Primary>w"}, N_("Close Window"), N_("General")},
        {"win.hide", {"<Primary>h"}, N_("Minimize Velmar Casino"), N_("General")},
        {"win.minimize", {"<Primary>m"}, N_("Minimize"), N_("General")},
        {"app.quit", {"<Primary>q"}, N_("Quit Velmar Casino"), N_("General")},
        {"app.page::lobby", {"<Primary>l"}, N_("Lobby"), N_("Tables")},
    };
    for (const Table& table : Tables::all)
      s.push_back({"app.page::" + std::string(table.id), {"<Primary>" + std::string(table.key)},
                   std::string(table.name), N_("Tables")});
    s.insert(s.end(), {
        {"app.reload-page", {"<Primary>r"}, N_("Reload Table"), N_("Tables")},
        // Keyboards disagree on which key is Delete; both reset.
        {"app.reset-table", {"<Shift><Primary>Delete", "<Shift><Primary>BackSpace"},
         N_("Reset Chips at This Table…"), N_("Tables")},
        {"app.actual-size", {"<Primary>0", "<Primary>KP_0"}, N_("Actual Size"), N_("View")},
        {"app.zoom-in", {"<Primary>equal", "<Primary>plus", "<Primary>KP_Add"}, N_("Zoom In"), N_("View")},
        {"app.zoom-out", {"<Primary>minus", "<Primary>KP_Subtract"}, N_("Zoom Out"), N_("View")},
        {"win.fullscreen", {"F11"}, N_("Enter Full Screen"), N_("View")},
        {"win.undo", {"<Primary>z"}, N_("Undo"), N_("Edit")},
        {"win.redo", {"<Shift><Primary>z"}, N_("Redo"), N_("Edit")},
        {"win.cut", {"<Primary>x"}, N_("Cut"), N_("Edit")},
        {"win.copy", {"<Primary>c"}, N_("Copy"), N_("Edit")},
        {"win.paste", {"<Primary>v"}, N_("Paste"), N_("Edit")},
        {"win.select-all", {"<Primary>a"}, N_("Select All"), N_("Edit")},
    });
    return s;
  }();
  return list;
}

namespace {

std::string escaped(const std::string& text) {
  g_autofree char* e = g_markup_escape_text(text.c_str(), -1);
  return e;
}

struct Line {
  std::string accels;
  std::string title;
  std::string group;
};

// One section of the window: its lines grouped in the order the groups first
// appear, translated.
std::string section(const std::string& name, const std::string& title, const std::vector<Line>& lines) {
  std::vector<std::string> groups;
  for (const Line& l : lines)
    if (std::find(groups.begin(), groups.end(), l.group) == groups.end()) groups.push_back(l.group);
  std::string ui = "    <child>\n      <object class=\"GtkShortcutsSection\">\n"
                   "        <property name=\"section-name\">" + escaped(name) + "</property>\n";
  if (!title.empty()) ui += "        <property name=\"title\">" + escaped(title) + "</property>\n";
  // Two columns of this many lines make one page that holds every shortcut.
  ui += "        <property name=\"max-height\">16</property>\n";
  for (const std::string& group : groups) {
    ui += "        <child>\n          <object class=\"GtkShortcutsGroup\">\n"
          "            <property name=\"title\">" + escaped(_(group.c_str())) + "</property>\n";
    for (const Line& l : lines) {
      if (l.group != group) continue;
      ui += "            <child>\n              <object class=\"GtkShortcutsShortcut\">\n"
            "                <property name=\"title\">" + escaped(gettext(l.title.c_str())) + "</property>\n"
            "                <property name=\"accelerator\">" + escaped(l.accels) + "</property>\n"
            "              </object>\n            </child>\n";
    }
    ui += "          </object>\n        </child>\n";
  }
  return ui + "      </object>\n    </child>\n";
}

}  // namespace

std::string shortcutsWindowUi() {
  std::vector<Line> app;
  for (const Shortcut& s : shortcuts()) {
    // The keypad keys draw just like their main-keyboard twins; listing
    // both would read as the same shortcut twice.
    std::string accels;
    for (const std::string& a : s.accels)
      if (a.find("KP_") == std::string::npos) accels += (accels.empty() ? "" : " ") + a;
    app.push_back({accels, s.title, s.group});
    // GTK opens the menu bar with F10 itself; it belongs with the general keys.
    if (s.action == "app.quit") app.push_back({"F10", N_("Open the Menu"), s.group});
  }
  std::string ui =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<interface>\n"
      "  <object class=\"GtkShortcutsWindow\" id=\"shortcuts\">\n"
      "    <property name=\"modal\">1</property>\n";
  ui += section("shortcuts", _("Velmar Casino"), app);
  // Then each table's own keys, which its page answers while it is shown.
  for (const Table& table : Tables::all) {
    std::vector<Line> lines;
    for (const PageKey& k : Tables::keys(table.id))
      lines.push_back({std::string(k.accels), std::string(k.title), std::string(k.group)});
    ui += section(std::string(table.id), std::string(table.name), lines);
  }
  return ui + "  </object>\n</interface>\n";
}

}  // namespace velmar::Commands
