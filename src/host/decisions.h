// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/tables.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The web host's decisions as plain functions: what happens to a navigation,
// a new-window request, a reopening after a crash, and the scripts it sends.
namespace velmar {

enum class Navigation {
  Allow,         // load inside the web view as usual
  HandToSystem,  // cancel; the desktop opens the address
  OpenInHost,    // cancel; flush the page, then load the address in a new web view
  Refuse,        // cancel; nothing happens (logged)
};

// Every navigation counts as the main frame's: our pages use no frames, and
// the UI process cannot tell which frame a navigation targets (WebKitGTK
// 2.50 has no frame object there).
struct NavigationRequest {
  std::optional<std::string> address;
  bool reload = false;
  // Back or forward through the view's history.
  bool historyStep = false;
};

// current is the asking web view's address, if it has one.
Navigation decideNavigation(const NavigationRequest& request, const std::optional<std::string>& current);

enum class NewWindow {
  Nothing,       // no address: nothing happens
  OpenInHost,    // an own page replaces the current one
  HandToSystem,  // a web, mail or telephone address goes to the desktop
  Refuse,        // anything else goes nowhere (logged once)
};

NewWindow decideNewWindow(const std::optional<std::string>& address);

// Whether the desktop may be handed this address: http, https, mailto, tel in
// any letter case. Other schemes could start arbitrary local programs.
bool isSystemScheme(std::string_view address);

// The address as the desktop gets it: a mail address loses any attach or
// attachment parameter, with which mail clients attach local files.
std::string forSystem(std::string_view address);

// Addresses go to the desktop only from the player's own action, and at most
// one a second, so a page cannot start programs by itself or by the dozen.
class LaunchLimit {
 public:
  static constexpr std::int64_t kIntervalMicroseconds = 1'000'000;
  enum class Verdict { Launch, NotFromThePlayer, TooSoon };
  // now is monotonic microseconds; a launch is counted.
  Verdict allow(bool userGesture, std::int64_t now);

 private:
  std::optional<std::int64_t> last_;
};

// Counts reopenings after the page process ended, so a page that brings its
// process down on every load is not reopened forever.
class ReopenLimit {
 public:
  static constexpr int kMaxReopenings = 3;
  static constexpr std::int64_t kWindowMicroseconds = 60'000'000;

  // Whether a reopening at now (microseconds, monotonic) may happen; if so, it is counted.
  bool allow(std::int64_t now);

 private:
  std::deque<std::int64_t> recent_;
};

// Two ways a flush can end, the page's answer and the time-out: whichever
// comes first runs done with whether the page answered; the other does nothing.
struct FlushRace {
  std::function<void()> answered;
  std::function<void()> timedOut;
};
FlushRace raceOnce(std::function<void(bool answered)> done);

inline constexpr std::string_view kFlushScript = "window.__vlCasino && window.__vlCasino.flush()";

// The script that silences a table's page and deletes its key there.
std::string freezeScript(const Table& table);

// A double-quoted script string literal that reads back as exactly text.
std::string jsStringLiteral(std::string_view text);

// Whose each save is. A table's are its storeKey and the keys under it
// ("<storeKey>.<name>", such as a value set aside as unreadable); every other
// key is nobody's: the player's shared settings ("velmar-casino.player"), the
// self-test's key, anything a page added. A table page is given its own and
// nobody's keys and may change those; the lobby, and any page that is no
// table, is given every key and may change all but the tables' own. So no
// page can touch the chips of a table it is not, and each table's page holds
// only its own chips against the storage quota.
const Table* tableOwning(std::string_view key);
// page is the table the page shows, or null for the lobby.
bool seedsKey(const Table* page, std::string_view key);
bool mayChangeKey(const Table* page, std::string_view key);

// A key the window received while the next page was not ready for it: the
// key's name as GDK gives it (gdk_keyval_name), the character it types (0 for
// none) and the modifiers held.
struct KeyPress {
  std::string_view name;
  std::uint32_t character = 0;
  bool shift = false, control = false, alt = false, super = false;
};

// What the page will be handed for it: the DOM's KeyboardEvent.key. Nullopt
// for the shell's own keys (anything with Ctrl, Alt or Super, F10) and the
// modifiers themselves, which go on as they would.
std::optional<std::string> pageKey(const KeyPress& press);

// The keys held for a page while it opens, in order, at most kMax of them:
// one pressed beyond that is not kept, and the player is told so.
class HeldKeys {
 public:
  static constexpr std::size_t kMax = 32;
  struct Key {
    std::string key;
    bool shift;
  };
  // False when it was not kept.
  bool hold(std::string key, bool shift);
  bool full() const { return keys_.size() == kMax; }
  bool empty() const { return keys_.empty(); }
  // The keys held so far, in order; none are held after.
  std::vector<Key> take();
  // The script that hands them to the page as the player's own keys would
  // come: each a keydown and a keyup at the element with the focus, with what
  // the engine would have done by itself for Enter and Space on a button and
  // for Tab.
  static std::string deliveryScript(const std::vector<Key>& keys);

 private:
  std::vector<Key> keys_;
};

// How long a page may take to say it is ready before its placeholder shows,
// and how long after its load has finished before it is shown anyway.
inline constexpr double kPlaceholderDelay = 0.2;
inline constexpr double kReadyBound = 5.0;

}  // namespace velmar
