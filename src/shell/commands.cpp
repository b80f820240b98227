// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/commands.h"

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
    std::vector<Shortcut> s{
        {"app.shortcuts", {"<Primary>question"}},
        {"win.close", {"<Primary>w"}},
        {"win.hide", {"<Primary>h"}},
        {"win.minimize", {"<Primary>m"}},
        {"app.quit", {"<Primary>q"}},
        {"app.page::lobby", {"<Primary>l"}},
    };
    for (const Table& table : Tables::all)
      s.push_back({"app.page::" + std::string(table.id), {"<Primary>" + std::string(table.key)}});
    s.insert(s.end(), {
        {"app.reload-page", {"<Primary>r"}},
        // Keyboards disagree on which key is Delete; both reset.
        {"app.reset-table", {"<Shift><Primary>Delete", "<Shift><Primary>BackSpace"}},
        {"app.actual-size", {"<Primary>0", "<Primary>KP_0"}},
        {"app.zoom-in", {"<Primary>equal", "<Primary>plus", "<Primary>KP_Add"}},
        {"app.zoom-out", {"<Primary>minus", "<Primary>KP_Subtract"}},
        {"win.fullscreen", {"F11"}},
        {"win.undo", {"<Primary>z"}},
        {"win.redo", {"<Shift><Primary>z"}},
        {"win.cut", {"<Primary>x"}},
        {"win.copy", {"<Primary>c"}},
        {"win.paste", {"<Primary>v"}},
        {"win.select-all", {"<Primary>a"}},
    });
    return s;
  }();
  return list;
}

}  // namespace velmar::Commands
