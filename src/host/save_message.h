#pragma once

#include "store/save_store.h"

#include <jsc/jsc.h>

#include <optional>

namespace velmar {

// The saves a message from the page carries: {type: 'save', data: {key: text}}.
// Entries whose value is not text are left out; a message of any other shape
// gives nullopt and is dropped. Text the engine holds as broken UTF-16 (a lone
// surrogate) keeps its entry, with U+FFFD in place of what cannot be represented.
std::optional<SaveStore::Values> readSaveMessage(JSCValue* body);

}  // namespace velmar
