// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/tables.h"
#include "platform/gobject_ptr.h"
#include "store/save_store.h"

#include <jsc/jsc.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// What a page did to its saves since it was given them, as the bridge posts
// it: {type: 'save', json: text}, the text being the JSON of
//   {data: {key: text}, removed: [key], cleared: bool, partial: bool, lost: [key]}
// data: the keys the page set, with what its storage holds for them now;
// removed: the keys it removed, cleared: it cleared its storage; partial: its
// storage does not hold all it was given; lost: keys it was given or set that
// its storage no longer holds, though the page did not remove them. The page
// turns its message into text itself, where a Map or a boxed string is still
// what it is, and so that reading a large message here is one string copy.
// When the bridge refuses what the page posted it sends {type: 'refused',
// reason: text} instead.
struct SaveMessage {
  SaveStore::Changes changes;
  bool cleared = false;
  bool partial = false;
  std::vector<std::string> lost;
};

// The text of a save message, taken out of the engine's value on the main
// thread. A large text comes in pieces (json is then a list of strings), each
// taken on its own, so that no turn of the main loop takes long.
class SaveText {
 public:
  // Nullopt, and refusal says why, for any other shape or the bridge's own refusal.
  static std::optional<SaveText> of(JSCValue* body, std::string& refusal);
  // Takes the next piece: false when a piece is no text.
  bool takeSome();
  bool whole() const { return next_ == count_; }
  std::string& text() { return text_; }

 private:
  Ref<JSCValue> pieces_;
  unsigned next_ = 0, count_ = 0;
  std::string text_;
};

// Whether the body is the bridge's word that the page is ready for the
// player: {type: 'ready'} and nothing else.
bool isReadyMessage(JSCValue* body);

// The whole text at once.
std::optional<std::string> takeSaveText(JSCValue* body, std::string& refusal);

// On any thread: the message that text holds, or nullopt and refusal says why.
std::optional<SaveMessage> parseSaveText(std::string_view text, std::string& refusal);

// What a page's save message does to the saves, worked out from the saves of
// some moment (base) on any thread: the page is the table it shows (null for
// the lobby), given the keys it was seeded with; givenPartially when they did
// not all fit into a page. Keys the page may not change are left out
// (mayChangeKey), and a message from a page that does not hold all it was
// given, or whose result no longer fits a page, changes nothing.
struct SavePlan {
  // Why the whole message changes nothing; empty when it applies.
  std::string refusal;
  // The page does not hold all it was given.
  bool partial = false;
  std::vector<std::string> lost;
  SaveStore::Applied applied;
  SaveStore::Values values;
};
SavePlan planSave(std::string_view text, const Table* page, const std::vector<std::string>& given, bool givenPartially,
                  const SaveStore::Values& base);

// Drops a reference to saves; when it was the last one to large saves, they
// are freed on a thread, which takes as long as making them did.
void releaseOffTheMainLoop(std::shared_ptr<const SaveStore::Values> values);

// The most a page's localStorage holds: the engine counts each key and value
// at one byte a character when all of its characters are below U+0100, else
// two bytes a UTF-16 code unit (WebKitGTK 2.50).
inline constexpr std::size_t kPageStorageQuota = 5 * 1024 * 1024;

// The bytes the saves take against that quota when given to a page.
std::size_t pageStorageBytes(const SaveStore::Values& values);

// Whether a page can be given all of the saves. Runs on every save message,
// so the character count is skipped when twice the UTF-8 bytes fit: no
// character counts more than two bytes a UTF-16 unit, and every unit takes
// at least one UTF-8 byte.
bool fitsAPage(const SaveStore::Values& values);

}  // namespace velmar
