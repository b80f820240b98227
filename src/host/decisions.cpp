// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/decisions.h"

#include <glib.h>
#include <nlohmann/json.hpp>

#include <utility>

namespace velmar {

namespace {

std::string lower(std::string text) {
  for (char& c : text) c = g_ascii_tolower(c);
  return text;
}

// A move to a fragment of the document shown stays in that document.
bool sameDocument(std::string_view target, std::string_view current) {
  auto hash = target.find('#');
  if (hash == std::string_view::npos) return false;
  return target.substr(0, hash) == current.substr(0, current.find('#'));
}

}  // namespace

bool isSystemScheme(std::string_view address) {
  auto scheme = lower(Tables::schemeOf(address));
  return scheme == "http" || scheme == "https" || scheme == "mailto" || scheme == "tel";
}

Navigation decideNavigation(const NavigationRequest& request, const std::optional<std::string>& current) {
  if (!request.address) return Navigation::Allow;
  auto scheme = lower(Tables::schemeOf(*request.address));
  if (scheme.empty()) return Navigation::Allow;
  if (scheme != kScheme) {
    // The view stays on our own pages: anything else would blank the table
    // while the window still names it.
    return isSystemScheme(*request.address) ? Navigation::HandToSystem : Navigation::Refuse;
  }
  if (!current) return Navigation::Allow;
  // Each page has a view of its own, so there is no page of ours to go back
  // or forward to; at most the blank page a prepared view started with.
  if (request.historyStep) return Navigation::Refuse;
  if (!request.reload && sameDocument(*request.address, *current)) return Navigation::Allow;
  // Every other new document, the same page's included, comes through the
  // host: a document made in place would run the view's seed script again
  // and restore the saves of the view's first load over newer ones.
  return Navigation::OpenInHost;
}

std::string forSystem(std::string_view address) {
  if (lower(Tables::schemeOf(address)) != "mailto") return std::string(address);
  auto question = address.find('?');
  if (question == std::string_view::npos) return std::string(address);
  std::string out(address.substr(0, question));
  char separator = '?';
  std::string_view query = address.substr(question + 1);
  while (true) {
    auto amp = query.find('&');
    std::string_view part = query.substr(0, amp);
    g_autofree char* name = g_uri_unescape_string(std::string(part.substr(0, part.find('='))).c_str(), nullptr);
    std::string key = lower(name ? name : "");
    if (key != "attach" && key != "attachment" && !part.empty()) {
      out += separator;
      out += part;
      separator = '&';
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return out;
}

LaunchLimit::Verdict LaunchLimit::allow(bool userGesture, std::int64_t now) {
  if (!userGesture) return Verdict::NotFromThePlayer;
  if (last_ && now - *last_ < kIntervalMicroseconds) return Verdict::TooSoon;
  last_ = now;
  return Verdict::Launch;
}

NewWindow decideNewWindow(const std::optional<std::string>& address) {
  if (!address) return NewWindow::Nothing;
  if (Tables::schemeOf(*address) == kScheme) return NewWindow::OpenInHost;
  if (isSystemScheme(*address)) return NewWindow::HandToSystem;
  return NewWindow::Refuse;
}

bool ReopenLimit::allow(std::int64_t now) {
  while (!recent_.empty() && now - recent_.front() >= kWindowMicroseconds) recent_.pop_front();
  if (static_cast<int>(recent_.size()) >= kMaxReopenings) return false;
  recent_.push_back(now);
  return true;
}

FlushRace raceOnce(std::function<void(bool answered)> done) {
  auto slot = std::make_shared<std::function<void(bool)>>(std::move(done));
  auto finish = [slot](bool answered) {
    if (!*slot) return;
    auto run = std::move(*slot);
    *slot = nullptr;
    run(answered);
  };
  return {[finish] { finish(true); }, [finish] { finish(false); }};
}

std::string freezeScript(const Table& table) {
  return "window.__vlCasino && window.__vlCasino.freeze(" + jsStringLiteral(table.storeKey) + ")";
}

std::string jsStringLiteral(std::string_view text) {
  // JSON's string literal is a script string literal; bytes that are not
  // UTF-8 become U+FFFD rather than failing the whole text.
  std::string out = nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return out.size() >= 2 ? out : "\"\"";
}

const Table* tableOwning(std::string_view key) {
  for (const auto& table : Tables::all) {
    const auto& own = table.storeKey;
    if (key.starts_with(own) && (key.size() == own.size() || key[own.size()] == '.')) return &table;
  }
  return nullptr;
}

bool seedsKey(const Table* page, std::string_view key) {
  const Table* owner = page ? tableOwning(key) : nullptr;
  return !owner || owner == page;
}

bool mayChangeKey(const Table* page, std::string_view key) {
  const Table* owner = tableOwning(key);
  return !owner || owner == page;
}

std::optional<std::string> pageKey(const KeyPress& press) {
  if (press.control || press.alt || press.super || press.name == "F10") return std::nullopt;
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
      {"Return", "Enter"},       {"KP_Enter", "Enter"},    {"ISO_Enter", "Enter"},      {"Escape", "Escape"},
      {"BackSpace", "Backspace"}, {"Tab", "Tab"},          {"ISO_Left_Tab", "Tab"},     {"Delete", "Delete"},
      {"KP_Delete", "Delete"},   {"Left", "ArrowLeft"},    {"KP_Left", "ArrowLeft"},    {"Right", "ArrowRight"},
      {"KP_Right", "ArrowRight"}, {"Up", "ArrowUp"},        {"KP_Up", "ArrowUp"},        {"Down", "ArrowDown"},
      {"KP_Down", "ArrowDown"},  {"Home", "Home"},         {"End", "End"},              {"Page_Up", "PageUp"},
      {"Page_Down", "PageDown"}, {"Insert", "Insert"},
  };
  for (const auto& [gdk, dom] : kNamed)
    if (press.name == gdk) return std::string(dom);
  // F1 to F12 keep their names; F10 is the menu bar's.
  if (press.name.size() >= 2 && press.name.size() <= 3 && press.name[0] == 'F' &&
      press.name.find_first_not_of("0123456789", 1) == std::string_view::npos) {
    int n = std::stoi(std::string(press.name.substr(1)));
    if (n >= 1 && n <= 12) return std::string(press.name);
  }
  if (press.character < 0x20 || press.character == 0x7f || !g_unichar_validate(press.character)) return std::nullopt;
  char text[8] = {};
  g_unichar_to_utf8(press.character, text);
  return std::string(text);
}

bool HeldKeys::hold(std::string key, bool shift) {
  if (full()) return false;
  keys_.push_back({std::move(key), shift});
  return true;
}

std::vector<HeldKeys::Key> HeldKeys::take() { return std::exchange(keys_, {}); }

std::string HeldKeys::deliveryScript(const std::vector<Key>& keys) {
  auto list = nlohmann::json::array();
  for (const auto& [key, shift] : keys) list.push_back({key, shift});
  // Synthetic events have no default action: a button's click and the move
  // of the focus are made here, unless the page took the key itself.
  return "((keys) => {\n"
         "  const focusable = () => [...document.querySelectorAll('a[href], button, input, select, textarea, [tabindex]')]\n"
         "    .filter((e) => e.tabIndex >= 0 && !e.disabled && e.getClientRects().length);\n"
         "  for (const [key, shiftKey] of keys) {\n"
         "    const at = document.activeElement || document.body;\n"
         "    const init = { key, shiftKey, bubbles: true, cancelable: true, composed: true };\n"
         "    const go = at.dispatchEvent(new KeyboardEvent('keydown', init));\n"
         "    if (go && (key === 'Enter' || key === ' ') && at instanceof HTMLButtonElement) at.click();\n"
         "    if (go && key === 'Tab') {\n"
         "      const all = focusable(), i = all.indexOf(at), n = all.length;\n"
         "      if (n) all[i < 0 ? (shiftKey ? n - 1 : 0) : (i + (shiftKey ? n - 1 : 1)) % n].focus();\n"
         "    }\n"
         "    (document.activeElement || document.body).dispatchEvent(new KeyboardEvent('keyup', init));\n"
         "  }\n"
         "})(" + list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + ");";
}

}  // namespace velmar
