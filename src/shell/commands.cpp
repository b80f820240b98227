// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/commands.h"

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

Validation validate(std::string_view action, std::optional<std::string_view> target, bool hostPresent,
                    const Table* shown, bool reopenLastTable) {
  // Without a web host no table can be shown, whatever the caller passed.
  if (!hostPresent) shown = nullptr;
  if (action == "reset-table") return {shown != nullptr, std::nullopt};
  if (action == "toggle-reopen") return {true, reopenLastTable};
  if (action == "page") {
    // An item without a target has nothing to compare; it reads as the lobby.
    return {true, std::string(target.value_or("lobby")) == pageState(shown)};
  }
  return {true, std::nullopt};
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

std::string subtitle(const Table* shown) { return shown ? std::string(shown->name) : std::string("Lobby"); }

const std::vector<Shortcut>& shortcuts() {
  static const std::vector<Shortcut> list = [] {
    std::vector<Shortcut> s{
        {"app.page::lobby", {"<Primary>l"}, "Lobby", "Tables"},
    };
    for (const Table& table : Tables::all)
      s.push_back({"app.page::" + std::string(table.id), {"<Primary>" + std::string(table.key)},
                   std::string(table.name), "Tables"});
    s.insert(s.end(), {
        {"app.reload-page", {"<Primary>r"}, "Reload Table", "Tables"},
        // Keyboards disagree on which key is Delete; both reset.
        {"app.reset-table", {"<Shift><Primary>Delete", "<Shift><Primary>BackSpace"}, "Reset Chips at This Table…",
         "Tables"},
        {"app.actual-size", {"<Primary>0", "<Primary>KP_0"}, "Actual Size", "View"},
        {"app.zoom-in", {"<Primary>equal", "<Primary>plus", "<Primary>KP_Add"}, "Zoom In", "View"},
        {"app.zoom-out", {"<Primary>minus", "<Primary>KP_Subtract"}, "Zoom Out", "View"},
        {"win.fullscreen", {"F11"}, "Enter Full Screen", "View"},
        {"win.undo", {"<Primary>z"}, "Undo", "Edit"},
        {"win.redo", {"<Shift><Primary>z"}, "Redo", "Edit"},
        {"win.cut", {"<Primary>x"}, "Cut", "Edit"},
        {"win.copy", {"<Primary>c"}, "Copy", "Edit"},
        {"win.paste", {"<Primary>v"}, "Paste", "Edit"},
        {"win.select-all", {"<Primary>a"}, "Select All", "Edit"},
        {"win.hide", {"<Primary>h"}, "Hide Velmar Casino", "Window"},
        {"win.minimize", {"<Primary>m"}, "Minimize", "Window"},
        {"app.shortcuts", {"<Primary>question"}, "Keyboard Shortcuts", "Window"},
        {"app.quit", {"<Primary>q"}, "Quit Velmar Casino", "Window"},
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

}  // namespace

std::string shortcutsWindowUi() {
  std::vector<std::string> groups;
  for (const Shortcut& s : shortcuts())
    if (std::find(groups.begin(), groups.end(), s.group) == groups.end()) groups.push_back(s.group);

  std::string ui =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<interface>\n"
      "  <object class=\"GtkShortcutsWindow\" id=\"shortcuts\">\n"
      "    <property name=\"modal\">1</property>\n"
      "    <child>\n      <object class=\"GtkShortcutsSection\">\n"
      "        <property name=\"section-name\">shortcuts</property>\n"
      "        <property name=\"max-height\">12</property>\n";
  for (const std::string& group : groups) {
    ui += "        <child>\n          <object class=\"GtkShortcutsGroup\">\n"
          "            <property name=\"title\">" + escaped(group) + "</property>\n";
    for (const Shortcut& s : shortcuts()) {
      if (s.group != group) continue;
      // The keypad keys draw just like their main-keyboard twins; listing
      // both would read as the same shortcut twice.
      std::string accels;
      for (const std::string& a : s.accels)
        if (a.find("KP_") == std::string::npos) accels += (accels.empty() ? "" : " ") + a;
      ui += "            <child>\n              <object class=\"GtkShortcutsShortcut\">\n"
            "                <property name=\"title\">" + escaped(s.title) + "</property>\n"
            "                <property name=\"accelerator\">" + escaped(accels) + "</property>\n"
            "              </object>\n            </child>\n";
    }
    ui += "          </object>\n        </child>\n";
  }
  ui += "      </object>\n    </child>\n  </object>\n</interface>\n";
  return ui;
}

}  // namespace velmar::Commands
