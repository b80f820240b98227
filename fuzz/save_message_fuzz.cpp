// SPDX-License-Identifier: GPL-3.0-or-later
// A save message as a page may post it, from any JSON text: reading it never
// crashes, what it keeps is valid UTF-8, and it keeps exactly the message's
// string entries as an independent JSON reader sees them.
#include "host/save_message.h"
#include "require.h"

#include <glib.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// UTF-8 that may hold U+0000, which g_utf8_validate does not accept.
bool validText(const std::string& text) {
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    if (!g_utf8_validate_len(text.data() + start, end - start, nullptr)) return false;
    start = end + 1;
  }
  return true;
}

JSCContext* context;

}  // namespace

// The engine frees what its collector owns on its own schedule, in memory the
// leak checker does not scan; leaks are still looked for in everything else.
extern "C" const char* __lsan_default_suppressions() { return "leak:libjavascriptcoregtk-6.0.so\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // A leak check after each input scans the engine's heap every time and runs
  // a hundred times slower; leaks are still looked for when the run ends. An
  // option given on the command line still wins, as it comes later.
  static std::vector<char*> args(*argv, *argv + *argc);
  static char noLeakCheckPerInput[] = "-detect_leaks=0";
  args.insert(args.begin() + 1, noLeakCheckPerInput);
  args.push_back(nullptr);
  *argv = args.data();
  *argc += 1;
  context = jsc_context_new();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  JSCValue* body = jsc_value_new_from_json(context, text.c_str());
  jsc_context_clear_exception(context);

  std::string refusal;
  auto message = velmar::readSaveMessage(body, refusal);
  REQUIRE(message ? refusal.empty() : !refusal.empty());
  // Every JSON value can be read: only its shape may have it refused.
  REQUIRE(message || !body || refusal != "it could not be read");
  if (message)
    for (const auto& [key, value] : message->values) REQUIRE(validText(key) && validText(value));

  // nlohmann refuses lone surrogates, which the engine takes and replaces.
  auto json = nlohmann::json::parse(text.c_str(), nullptr, false);
  if (body && !json.is_discarded()) {
    const bool save = json.is_object() && json.value("type", nlohmann::json()) == "save" && json.contains("data") &&
                      json["data"].is_object();
    REQUIRE(message.has_value() == save);
    if (save) {
      velmar::SaveStore::Values expected;
      for (const auto& [key, value] : json["data"].items())
        if (value.is_string()) expected[key] = value.get<std::string>();
      if (json.contains("proto") && json["proto"].is_string()) expected["__proto__"] = json["proto"].get<std::string>();
      REQUIRE(message->values == expected && message->partial == (json.contains("partial") && json["partial"] == true));
    }
  }
  if (body) g_object_unref(body);
  return 0;
}
