// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/json_text.h"
#include "store/saves_format.h"

#include <gtest/gtest.h>

#include <random>

namespace velmar::test {
namespace {

std::string escapeSeparators(std::string text) {
  for (auto [raw, escaped] : {std::pair{"\xE2\x80\xA8", "\\u2028"}, std::pair{"\xE2\x80\xA9", "\\u2029"}})
    for (auto at = text.find(raw); at != std::string::npos; at = text.find(raw, at + 6)) text.replace(at, 3, escaped);
  return text;
}

// Bytes picked to hit every branch of a UTF-8 writer: plain text, escapes,
// lead bytes with their edge ranges, stray continuations (a page's lone
// surrogate may arrive as such), and the separators.
std::string randomText(std::mt19937& random, bool utf8Only) {
  static const std::vector<std::string> pieces = {
      "a", "Z", " ", "/", "\"", "\\", "\n", "\t", "\x01", "\x1F", "\x7F", "\b", "\f", "\r", std::string(1, '\0'),
      "\xC3\xA9", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xF0\x9F\x98\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
      "\x80", "\xBF", "\xC0", "\xC1", "\xC2", "\xDF", "\xE0", "\xE0\x9F", "\xE0\xA0", "\xED", "\xED\xA0",
      "\xEF\xBF", "\xF0", "\xF0\x8F", "\xF0\x90", "\xF0\x90\x80", "\xF4\x8F\xBF", "\xF4\x90", "\xF5", "\xFF"};
  // The first 21 pieces are well-formed UTF-8.
  std::uniform_int_distribution<std::size_t> count(0, 12), pick(0, utf8Only ? 20 : pieces.size() - 1);
  std::string text;
  for (std::size_t n = count(random); n > 0; --n) text += pieces[pick(random)];
  return text;
}

// The saves have their own fast writer; the general JSON text, which the
// self-test report uses as well, is the reference it must match byte for byte.
TEST(SavesFormat, OwnWriterMatchesTheGeneralJsonTextForAnyBytesAndReadsBack) {
  std::mt19937 random(7);
  for (int round = 0; round < 4000; ++round) {
    const bool utf8Only = round % 4 == 0;
    std::map<std::string, std::string> values;
    for (int n = round % 5; n > 0; --n) values[randomText(random, utf8Only)] = randomText(random, utf8Only);
    const nlohmann::json document(values);
    ASSERT_EQ(encodeSaves(values), prettyJSON(document));
    ASSERT_EQ(encodeSeed(values), escapeSeparators(compactJSON(document)));
    if (utf8Only) { ASSERT_EQ(decodeSaves(encodeSaves(values)), values); }
  }
}

}  // namespace
}  // namespace velmar::test
