// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/decisions.h"

#include <glib.h>
#include <nlohmann/json.hpp>

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

}  // namespace velmar
