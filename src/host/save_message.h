// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/save_store.h"

#include <jsc/jsc.h>

#include <cstddef>
#include <optional>
#include <string>

namespace velmar {

// What a save message from the page carries: {type: 'save', data: {key: text}},
// proto: the text of the key "__proto__" (no property of that name survives
// the engine's copy of a message), and partial: true when the page could not
// be given all of the saves.
struct SaveMessage {
  SaveStore::Values values;
  bool partial = false;
};

// Reads a save message in one pass. Entries whose value is not text are left
// out; text the engine holds as broken UTF-16 (a lone surrogate) keeps its
// entry, with U+FFFD in place of what cannot be represented. A message of any
// other shape, or whose message or data is not a plain object (a Map, a Date,
// a boxed string, an object of another prototype...), gives nullopt and
// refusal says why.
std::optional<SaveMessage> readSaveMessage(JSCValue* body, std::string& refusal);

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
