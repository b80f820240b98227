// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/save_store.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::selftest {

// Evaluated in each page; evaluates to a JSON text describing the page
// (probe.js, carried inside the program).
const std::string& probeScript();

inline constexpr std::string_view kTestKey = "vl-selftest";

// The pages in visiting order: the lobby, then every table in catalog order.
std::vector<std::string> pageList();

// The test value: seconds since 1970 as the shortest decimal that reads back
// as the same double, always with a point.
std::string testValue(double secondsSinceEpoch);
// Function bodies run with the test key and value as the arguments key and value.
inline constexpr std::string_view kWriteScript = "localStorage.setItem(key, value)";
inline constexpr std::string_view kRemoveScript = "localStorage.removeItem(key)";

// What the page answered to the probe: its text when the result was a string.
struct ProbeAnswer {
  std::optional<std::string> text;
  std::optional<std::string> error;
};

// One page's record: "page", the members of the probe's JSON object (never
// replacing "page"), and "error" when the script failed.
nlohmann::json makeRecord(const std::string& page, const ProbeAnswer& answer);

// A probed page that answered but lacks the bridge or a title did not come up.
// Adds that to the record's "error" (after any error it holds already).
void checkRecord(nlohmann::json& record);
void addError(nlohmann::json& record, const std::string& why);

// Where a page was when its bound ran out.
enum class Stage { Loading, Settling, Probing, Picturing };
std::string boundError(Stage stage, double seconds);
// "15 s", "0.5 s": a bound as the report and the log write it.
std::string secondsText(double seconds);

// A bound in seconds from its environment text: a positive number, or the fallback.
double boundFrom(const char* text, double fallback);
// The last-resort bound on the whole run, from the bound on each page.
double runBound(double pageBound, size_t pages);

std::string probingLine(const std::string& page, const std::optional<std::string>& url, bool loading);
std::string probeDoneLine(const std::string& page, const std::optional<std::string>& error);

bool roundTripHolds(const SaveStore::Values& values, std::string_view value);
bool keyCleared(const SaveStore::Values& values);

struct Outcome {
  std::vector<nlohmann::json> records;
  bool saveRoundTrip = false;
  bool selftestKeyCleared = false;
  // Set when the run could not go on; the report then says what stopped it.
  std::optional<std::string> stoppedBy;
  // Set when report.json could not be written: the run cannot count as a pass.
  std::optional<std::string> writeFailure;
};

// report.json's text: the saves file's written form of
// {"pages", "saveRoundTrip", "selftestKeyCleared"} (and "error" for a stopped run).
std::string reportText(const Outcome& outcome);

// 0 only for a complete, written run whose round trip held and whose pages had no error.
int exitStatus(const Outcome& outcome);

}  // namespace velmar::selftest
