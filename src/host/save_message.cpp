// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/save_message.h"

#include "platform/gobject_ptr.h"

#include <glib.h>
#include <nlohmann/json.hpp>

#include <optional>
#include <utility>

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
    " const d = m.data, well = (t) => t.isWellFormed() ? t : t.toWellFormed();"
    " let text = null;"
    " if (Object.values(d).every((v) => typeof v === 'string')) {"
    "  text = JSON.stringify(d);"
    // JSON.stringify writes a lone surrogate as an escape no JSON reader takes.
    "  if (/\\\\u[dD][89a-fA-F]/.test(text)) text = null; }"
    " if (text === null) {"
    "  const o = Object.create(null);"
    "  for (const k of Object.keys(d)) { const v = d[k]; if (typeof v === 'string') o[well(k)] = well(v); }"
    "  text = JSON.stringify(o); }"
    " return [text, m.partial === true, typeof m.proto === 'string' ? well(m.proto) : null]; }";

// Fills the saves straight from the text of an object of strings: no
// document in between, and every text moved rather than copied.
class SavesReader : public nlohmann::json_sax<nlohmann::json> {
 public:
  explicit SavesReader(SaveStore::Values& out) : out_(out) {}

  bool start_object(std::size_t) override { return ++depth_ == 1; }
  bool key(string_t& name) override {
    key_ = std::move(name);
    return true;
  }
  bool string(string_t& text) override {
    out_.insert_or_assign(std::move(key_), std::move(text));
    return true;
  }
  bool end_object() override { return --depth_ == 0; }
  bool boolean(bool) override { return false; }
  bool start_array(std::size_t) override { return false; }
  bool end_array() override { return false; }
  bool null() override { return false; }
  bool number_integer(number_integer_t) override { return false; }
  bool number_unsigned(number_unsigned_t) override { return false; }
  bool number_float(number_float_t, const string_t&) override { return false; }
  bool binary(binary_t&) override { return false; }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  SaveStore::Values& out_;
  int depth_ = 0;
  std::string key_;
};

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

bool fitsAPage(const SaveStore::Values& values) {
  std::size_t utf8 = 0;
  for (const auto& [key, value] : values) utf8 += key.size() + value.size();
  return 2 * utf8 <= kPageStorageQuota || pageStorageBytes(values) <= kPageStorageQuota;
}

std::optional<SaveMessage> readSaveMessage(JSCValue* body, std::string& refusal) {
  if (!body || !jsc_value_is_object(body)) {
    refusal = "the message is not a plain object";
    return std::nullopt;
  }
  JSCContext* context = jsc_value_get_context(body);
  auto function = Ref<JSCValue>::adopt(jsc_context_evaluate(context, kReader, -1));
  auto result = Ref<JSCValue>::adopt(jsc_value_function_call(function.get(), JSC_TYPE_VALUE, body, G_TYPE_NONE));
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
  auto at = [&](unsigned index) { return Ref<JSCValue>::adopt(jsc_value_object_get_property_at_index(result.get(), index)); };
  auto text = at(0), partial = at(1), proto = at(2);
  g_autoptr(GBytes) json = text ? jsc_value_to_string_as_bytes(text.get()) : nullptr;
  gsize size = 0;
  auto* bytes = json ? static_cast<const char*>(g_bytes_get_data(json, &size)) : nullptr;
  SaveMessage message;
  SavesReader reader(message.values);
  if (!bytes || !nlohmann::json::sax_parse(bytes, bytes + size, &reader)) {
    refusal = "it could not be read";
    return std::nullopt;
  }
  message.partial = partial && jsc_value_to_boolean(partial.get());
  if (proto && jsc_value_is_string(proto.get())) {
    g_autoptr(GBytes) value = jsc_value_to_string_as_bytes(proto.get());
    gsize length = 0;
    auto* data = static_cast<const char*>(g_bytes_get_data(value, &length));
    message.values.insert_or_assign("__proto__", std::string(data ? data : "", length));
  }
  return message;
}

}  // namespace velmar
