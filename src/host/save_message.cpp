#include "host/save_message.h"

#include "platform/gobject_ptr.h"

#include <glib.h>
#include <nlohmann/json.hpp>

namespace velmar {

namespace {

// Runs in the engine's own context, which hands the result over as JSON in
// one call: reading a large message entry by entry through the value API
// stalls the main thread for seconds. Text is made well-formed first, as a
// lone surrogate would otherwise cut the conversion to UTF-8 short.
constexpr const char* kReader =
    "(m) => {"
    " const plain = (o) => o !== null && typeof o === 'object' &&"
    "  [Object.prototype, null].includes(Object.getPrototypeOf(o));"
    " if (!plain(m)) return 'the message is not a plain object';"
    " if (m.type !== 'save') return 'the message is not a save';"
    " if (!plain(m.data)) return 'its data is not a plain object';"
    " const out = [m.partial === true];"
    " for (const k of Object.keys(m.data)) { const v = m.data[k];"
    "  if (typeof v === 'string') out.push(k.toWellFormed(), v.toWellFormed()); }"
    " if (typeof m.proto === 'string') out.push('__proto__', m.proto.toWellFormed());"
    " return out; }";

std::size_t textBytes(const std::string& text) {
  std::size_t units = 0;
  bool narrow = true;
  for (const char* p = text.c_str(), *end = p + text.size(); p < end;) {
    gunichar c = *p == '\0' ? 0 : g_utf8_get_char_validated(p, end - p);
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
      // Bytes that are not UTF-8 reach a page as U+FFFD.
      c = 0xFFFD;
      ++p;
    } else {
      p = c == 0 ? p + 1 : g_utf8_next_char(p);
    }
    if (c > 0xFF) narrow = false;
    units += c > 0xFFFF ? 2 : 1;
  }
  return narrow ? units : 2 * units;
}

}  // namespace

std::size_t pageStorageBytes(const SaveStore::Values& values) {
  std::size_t total = 0;
  for (const auto& [key, value] : values) total += textBytes(key) + textBytes(value);
  return total;
}

std::optional<SaveMessage> readSaveMessage(JSCValue* body, std::string& refusal) {
  if (!body || !jsc_value_is_object(body)) {
    refusal = "the message is not a plain object";
    return std::nullopt;
  }
  JSCContext* context = jsc_value_get_context(body);
  auto reader = Ref<JSCValue>::adopt(jsc_context_evaluate(context, kReader, -1));
  auto result = Ref<JSCValue>::adopt(jsc_value_function_call(reader.get(), JSC_TYPE_VALUE, body, G_TYPE_NONE));
  if (!result || jsc_context_get_exception(context)) {
    jsc_context_clear_exception(context);
    refusal = "it could not be read";
    return std::nullopt;
  }
  if (jsc_value_is_string(result.get())) {
    g_autofree char* why = jsc_value_to_string(result.get());
    refusal = why ? why : "it could not be read";
    return std::nullopt;
  }
  g_autofree char* json = jsc_value_to_json(result.get(), 0);
  auto pairs = nlohmann::json::parse(json ? json : "", nullptr, false);
  if (!pairs.is_array() || pairs.empty() || !pairs[0].is_boolean()) {
    refusal = "it could not be read";
    return std::nullopt;
  }
  SaveMessage message;
  message.partial = pairs[0].get<bool>();
  for (std::size_t i = 1; i + 1 < pairs.size(); i += 2) {
    if (pairs[i].is_string() && pairs[i + 1].is_string())
      message.values.insert_or_assign(pairs[i].get<std::string>(), pairs[i + 1].get<std::string>());
  }
  return message;
}

}  // namespace velmar
