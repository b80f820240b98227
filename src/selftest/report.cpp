// SPDX-License-Identifier: GPL-3.0-or-later
#include "selftest/report.h"

#include "catalog/tables.h"
#include "platform/resource_text.h"
#include "store/json_text.h"

#include <charconv>
#include <cmath>
#include <glib.h>

extern "C" GResource* velmar_selftest_get_resource(void);

namespace velmar::selftest {

const std::string& probeScript() {
  static const std::string text = resourceText(velmar_selftest_get_resource(), "/com/velmar/Casino/selftest/probe.js");
  return text;
}

std::vector<std::string> pageList() {
  std::vector<std::string> pages{std::string(Tables::lobbyFile)};
  for (const auto& row : Tables::all) pages.emplace_back(row.file);
  return pages;
}

std::string testValue(double seconds) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed);
  std::string text(buffer, ec == std::errc() ? end : buffer);
  if (text.find('.') == std::string::npos) text += ".0";
  return text;
}

nlohmann::json makeRecord(const std::string& page, const ProbeAnswer& answer) {
  nlohmann::json record = nlohmann::json::object();
  record["page"] = page;
  if (answer.text) {
    auto parsed = nlohmann::json::parse(*answer.text, nullptr, false);
    if (parsed.is_object())
      for (auto& [key, value] : parsed.items())
        if (!record.contains(key)) record[key] = value;
  }
  if (answer.error) record["error"] = *answer.error;
  return record;
}

void addError(nlohmann::json& record, const std::string& why) {
  auto it = record.find("error");
  if (it != record.end() && it->is_string() && !it->get<std::string>().empty())
    *it = it->get<std::string>() + "; " + why;
  else
    record["error"] = why;
}

void checkRecord(nlohmann::json& record) {
  // A script error says more than what the probe could not find.
  if (record.contains("error")) return;
  auto bridge = record.find("bridge");
  if (bridge == record.end() || *bridge != true) addError(record, "the page has no bridge");
  auto title = record.find("title");
  if (title == record.end() || !title->is_string() || title->get<std::string>().empty())
    addError(record, "the page has no title");
}

std::string secondsText(double seconds) {
  char number[G_ASCII_DTOSTR_BUF_SIZE];
  return std::string(g_ascii_formatd(number, sizeof number, "%g", seconds)) + " s";
}

std::string boundError(Stage stage, double seconds) {
  std::string limit = secondsText(seconds);
  switch (stage) {
    case Stage::Loading:
      return std::string("the page did not finish loading within ") + limit;
    case Stage::Settling:
      return std::string("the page was not probed within ") + limit;
    case Stage::Probing:
      return std::string("the page did not answer the probe within ") + limit;
    case Stage::Picturing:
      return std::string("the page gave no picture within ") + limit;
  }
  return {};
}

double boundFrom(const char* text, double fallback) {
  if (!text || !*text) return fallback;
  char* end = nullptr;
  // Not the locale's decimal sign: the self-test may run under any language.
  double value = g_ascii_strtod(text, &end);
  if (*end != '\0' || !std::isfinite(value) || value <= 0) return fallback;
  return value;
}

double runBound(double pageBound, size_t pages) {
  // Every page, the round trip as one more, and the quit that follows.
  return pageBound * static_cast<double>(pages + 1) + 30.0;
}

std::string probingLine(const std::string& page, const std::optional<std::string>& url, bool loading) {
  return "selftest: probing " + page + ", url=" + url.value_or("nil") + " loading=" + (loading ? "true" : "false");
}

std::string probeDoneLine(const std::string& page, const std::optional<std::string>& error) {
  return "selftest: probe done " + page + " error=" + (error ? "Optional(" + *error + ")" : std::string("nil"));
}

bool roundTripHolds(const SaveStore::Values& values, std::string_view value) {
  auto it = values.find(std::string(kTestKey));
  return it != values.end() && it->second == value;
}

bool keyCleared(const SaveStore::Values& values) { return !values.contains(std::string(kTestKey)); }

std::string reportText(const Outcome& outcome) {
  nlohmann::json report = {
      {"pages", outcome.records},
      {"saveRoundTrip", outcome.saveRoundTrip},
      {"selftestKeyCleared", outcome.selftestKeyCleared},
  };
  if (outcome.stoppedBy) report["error"] = *outcome.stoppedBy;
  return prettyJSON(report);
}

int exitStatus(const Outcome& outcome) {
  if (outcome.stoppedBy || outcome.writeFailure || !outcome.saveRoundTrip || !outcome.selftestKeyCleared) return 1;
  for (const auto& record : outcome.records)
    if (record.contains("error")) return 1;
  return 0;
}

}  // namespace velmar::selftest
