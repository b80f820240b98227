// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/save_message.h"

#include "host/decisions.h"
#include "platform/gobject_ptr.h"

#include <gio/gio.h>
#include <glib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <utility>

namespace velmar {

namespace {

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

SavePlan planSave(std::string_view text, const Table* page, const std::vector<std::string>& given, bool givenPartially,
                  const SaveStore::Values& base) {
  SavePlan plan;
  auto message = parseSaveText(text, plan.refusal);
  if (!message) return plan;
  plan.refusal.clear();
  plan.lost = std::move(message->lost);
  plan.partial = message->partial || givenPartially;
  if (plan.partial) {
    plan.refusal = "the page could not be given all of the saves; they are kept as they are";
    return plan;
  }
  auto& changes = message->changes;
  // Clearing removes what the page was given, whatever its storage lost.
  if (message->cleared) changes.removed.insert(changes.removed.end(), given.begin(), given.end());
  plan.values = SaveStore::withChanges(base, changes, [page](const std::string& key) { return mayChangeKey(page, key); },
                                       plan.applied);
  SaveStore::Values seen;
  if (page)
    for (const auto& [key, value] : plan.values)
      if (seedsKey(page, key)) seen.emplace_hint(seen.end(), key, value);
  if (!fitsAPage(page ? seen : plan.values)) {
    plan.refusal = "the saves would be larger than a page can hold";
    plan.applied = {};
    plan.values = {};
  }
  return plan;
}

void releaseOffTheMainLoop(std::shared_ptr<const SaveStore::Values> values) {
  if (!values || values.use_count() > 1 || values->size() < 10'000) return;
  auto* task = g_task_new(nullptr, nullptr, nullptr, nullptr);
  g_task_set_task_data(task, new std::shared_ptr<const SaveStore::Values>(std::move(values)),
                       [](gpointer data) { delete static_cast<std::shared_ptr<const SaveStore::Values>*>(data); });
  g_task_run_in_thread(task, [](GTask*, gpointer, gpointer data, GCancellable*) {
    static_cast<std::shared_ptr<const SaveStore::Values>*>(data)->reset();
  });
  g_object_unref(task);
}

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

namespace {

std::string textOf(JSCValue* value) {
  g_autoptr(GBytes) bytes = jsc_value_to_string_as_bytes(value);
  gsize size = 0;
  auto* data = bytes ? static_cast<const char*>(g_bytes_get_data(bytes, &size)) : nullptr;
  return std::string(data ? data : "", size);
}

}  // namespace

bool isReadyMessage(JSCValue* body) {
  if (!body || !jsc_value_is_object(body) || jsc_value_is_array(body)) return false;
  g_auto(GStrv) names = jsc_value_object_enumerate_properties(body);
  if (!names || g_strv_length(names) != 1 || g_strcmp0(names[0], "type") != 0) return false;
  auto type = Ref<JSCValue>::adopt(jsc_value_object_get_property(body, "type"));
  return type && jsc_value_is_string(type.get()) && textOf(type.get()) == "ready";
}

std::optional<SaveText> SaveText::of(JSCValue* body, std::string& refusal) {
  auto property = [&](const char* name) {
    return Ref<JSCValue>::adopt(jsc_value_object_get_property(body, name));
  };
  refusal = "the message is not one of the bridge's";
  if (!body || !jsc_value_is_object(body) || jsc_value_is_array(body)) return std::nullopt;
  auto type = property("type");
  if (!type || !jsc_value_is_string(type.get())) return std::nullopt;
  const std::string kind = textOf(type.get());
  if (kind == "refused") {
    auto reason = property("reason");
    std::string why = reason && jsc_value_is_string(reason.get()) ? textOf(reason.get()) : std::string();
    // What a page sends is only logged, so it is kept short and to one line.
    g_autofree char* valid = g_utf8_make_valid(why.data(), static_cast<gssize>(why.size()));
    g_autofree char* cut = g_utf8_substring(valid, 0, std::min<glong>(120, g_utf8_strlen(valid, -1)));
    why = cut;
    for (char& c : why)
      if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    refusal = "the bridge refused it: " + why;
    return std::nullopt;
  }
  auto json = property("json");
  if (kind != "save" || !json) return std::nullopt;
  SaveText text;
  if (jsc_value_is_string(json.get())) {
    text.count_ = 1;
  } else if (jsc_value_is_array(json.get())) {
    auto length = Ref<JSCValue>::adopt(jsc_value_object_get_property(json.get(), "length"));
    double count = length && jsc_value_is_number(length.get()) ? jsc_value_to_double(length.get()) : -1;
    if (!(count >= 0 && count <= 1e6)) return std::nullopt;
    text.count_ = static_cast<unsigned>(count);
  } else {
    return std::nullopt;
  }
  text.pieces_ = std::move(json);
  return text;
}

bool SaveText::takeSome() {
  if (whole()) return true;
  if (jsc_value_is_string(pieces_.get())) {
    text_ = textOf(pieces_.get());
  } else {
    auto piece = Ref<JSCValue>::adopt(jsc_value_object_get_property_at_index(pieces_.get(), next_));
    if (!piece || !jsc_value_is_string(piece.get())) return false;
    text_ += textOf(piece.get());
  }
  if (++next_ == count_) pieces_.reset();
  return true;
}

std::optional<std::string> takeSaveText(JSCValue* body, std::string& refusal) {
  auto text = SaveText::of(body, refusal);
  if (!text) return std::nullopt;
  while (!text->whole())
    if (!text->takeSome()) {
      refusal = "it could not be read";
      return std::nullopt;
    }
  return std::move(text->text());
}

std::optional<SaveMessage> parseSaveText(std::string_view text, std::string& refusal) {
  auto document = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
  refusal = "it could not be read";
  if (!document.is_object()) return std::nullopt;
  SaveMessage message;
  auto keys = [&](const char* name, auto&& take) {
    auto at = document.find(name);
    if (at == document.end()) return true;
    if (!at->is_array()) return false;
    for (auto& key : *at) {
      if (!key.is_string()) return false;
      take(std::move(key.get_ref<std::string&>()));
    }
    return true;
  };
  auto flag = [&](const char* name, bool& out) {
    auto at = document.find(name);
    if (at == document.end()) return true;
    out = at->is_boolean() && at->get<bool>();
    return at->is_boolean();
  };
  auto data = document.find("data");
  if (data == document.end() || !data->is_object()) {
    refusal = "its data is not a plain object";
    return std::nullopt;
  }
  for (auto& [key, value] : data->items()) {
    if (!value.is_string()) {
      refusal = "its data holds a value that is not text";
      return std::nullopt;
    }
  }
  for (auto& [key, value] : data->get_ref<nlohmann::json::object_t&>())
    message.changes.set.emplace_hint(message.changes.set.end(), key, std::move(value.get_ref<std::string&>()));
  if (!keys("removed", [&](std::string key) { message.changes.removed.push_back(std::move(key)); }) ||
      !keys("lost", [&](std::string key) { message.lost.push_back(std::move(key)); }) ||
      !flag("cleared", message.cleared) || !flag("partial", message.partial))
    return std::nullopt;
  return message;
}

}  // namespace velmar
