#include "host/save_message.h"

#include "platform/gobject_ptr.h"

namespace velmar {

namespace {

bool isDictionary(JSCValue* value) {
  return value && jsc_value_is_object(value) && !jsc_value_is_array(value) && !jsc_value_is_function(value);
}

// Converting a string that holds a lone surrogate to UTF-8 stops at the
// surrogate (JavaScriptCore 2.50), silently cutting the value short. Making
// each key and value well-formed inside the engine first keeps all the rest.
constexpr const char* kTextEntries =
    "(d) => { const out = []; for (const k of Object.keys(d)) { const v = d[k];"
    " if (typeof v === 'string') out.push(k.toWellFormed(), v.toWellFormed()); } return out; }";

std::string text(GBytes* bytes) {
  gsize size = 0;
  auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
  return std::string(data ? data : "", size);
}

}  // namespace

std::optional<SaveStore::Values> readSaveMessage(JSCValue* body) {
  if (!isDictionary(body)) return std::nullopt;
  auto type = Ref<JSCValue>::adopt(jsc_value_object_get_property(body, "type"));
  if (!type || !jsc_value_is_string(type.get())) return std::nullopt;
  g_autofree char* typeText = jsc_value_to_string(type.get());
  if (!typeText || std::string_view(typeText) != "save") return std::nullopt;
  auto data = Ref<JSCValue>::adopt(jsc_value_object_get_property(body, "data"));
  if (!isDictionary(data.get())) return std::nullopt;

  JSCContext* context = jsc_value_get_context(data.get());
  auto entries = Ref<JSCValue>::adopt(jsc_context_evaluate(context, kTextEntries, -1));
  auto pairs = Ref<JSCValue>::adopt(
      jsc_value_function_call(entries.get(), JSC_TYPE_VALUE, data.get(), G_TYPE_NONE));
  if (!pairs || !jsc_value_is_array(pairs.get())) {
    // Reading failed inside the engine (an exception): treat it as no message.
    jsc_context_clear_exception(context);
    return std::nullopt;
  }
  SaveStore::Values values;
  auto length = Ref<JSCValue>::adopt(jsc_value_object_get_property(pairs.get(), "length"));
  int count = length ? jsc_value_to_int32(length.get()) : 0;
  for (int i = 0; i + 1 < count; i += 2) {
    auto key = Ref<JSCValue>::adopt(jsc_value_object_get_property_at_index(pairs.get(), i));
    auto value = Ref<JSCValue>::adopt(jsc_value_object_get_property_at_index(pairs.get(), i + 1));
    // As bytes, so that a NUL inside a text does not end it.
    g_autoptr(GBytes) keyBytes = jsc_value_to_string_as_bytes(key.get());
    g_autoptr(GBytes) valueBytes = jsc_value_to_string_as_bytes(value.get());
    if (keyBytes && valueBytes) values[text(keyBytes)] = text(valueBytes);
  }
  return values;
}

}  // namespace velmar
