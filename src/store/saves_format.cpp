// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/saves_format.h"


#include <nlohmann/json.hpp>

#include <array>
#include <cstring>
#include <memory>

namespace velmar {

namespace {

using json = nlohmann::json;

// Reads the saves without building a document: the first value that is not a
// string member of the top-level object ends the parse, so a hostile file
// costs no more than its length.
class StrictReader final : public nlohmann::json_sax<json> {
 public:
  std::map<std::string, std::string> values;

  bool null() override { return false; }
  bool boolean(bool) override { return false; }
  bool number_integer(number_integer_t) override { return false; }
  bool number_unsigned(number_unsigned_t) override { return false; }
  bool number_float(number_float_t, const string_t&) override { return false; }
  bool binary(binary_t&) override { return false; }
  bool start_array(std::size_t) override { return false; }
  bool end_array() override { return false; }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

  bool start_object(std::size_t) override {
    if (state_ != State::before) return false;
    state_ = State::inside;
    return true;
  }
  bool key(string_t& name) override {
    key_ = std::move(name);
    return true;
  }
  bool string(string_t& value) override {
    if (state_ != State::inside) return false;
    // A key that occurs twice keeps its last value, as a JavaScript reader would.
    values.insert_or_assign(std::move(key_), std::move(value));
    return true;
  }
  bool end_object() override {
    state_ = State::after;
    return true;
  }

 private:
  enum class State { before, inside, after };
  State state_ = State::before;
  std::string key_;
};

// The saves are written on every change and seeded into every page, so they
// get their own writer rather than a copy into a document and nlohmann's dump.
// It writes exactly what prettyJSON and compactJSON write for a map of strings
// (the tests hold the two to that), several times faster, into one buffer.

// 0: copied as it is; 1: a byte that starts a UTF-8 sequence or is invalid;
// 2: needs an escape.
constexpr std::array<unsigned char, 256> kClass = [] {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 0x20; ++c) table[c] = 2;
  table['"'] = table['\\'] = table['/'] = 2;
  for (int c = 0x80; c < 0x100; ++c) table[c] = 1;
  return table;
}();

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// How long the UTF-8 sequence starting at s[i] is when it is well formed;
// otherwise 0, with `bad` set to how many bytes make up its longest valid
// start (each such start, or each stray byte, becomes one U+FFFD).
std::size_t sequenceAt(std::string_view s, std::size_t i, std::size_t& bad) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    bad = 1;
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k >= s.size()) {
      bad = k;
      return 0;
    }
    const auto next = static_cast<unsigned char>(s[i + k]);
    if (next < low || next > high) {
      bad = k;
      return 0;
    }
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

char* put(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

// Writes one string as JSON, quotes included, at `at`; returns where it ended.
// Page values are mostly JSON text themselves, with an escape every few
// bytes, so plain bytes are stored one by one rather than copied in runs.
char* escape(std::string_view s, bool forScript, char* at) {
  *at++ = '"';
  const std::size_t size = s.size();
  std::size_t i = 0;
  while (i < size) {
    const auto c = static_cast<unsigned char>(s[i]);
    const unsigned char kind = kClass[c];
    if (kind == 0) {
      *at++ = static_cast<char>(c);
      ++i;
      continue;
    }
    if (kind == 2) {
      *at++ = '\\';
      switch (c) {
        case '"': *at++ = '"'; break;
        case '\\': *at++ = '\\'; break;
        case '/': *at++ = '/'; break;
        case '\b': *at++ = 'b'; break;
        case '\f': *at++ = 'f'; break;
        case '\n': *at++ = 'n'; break;
        case '\r': *at++ = 'r'; break;
        case '\t': *at++ = 't'; break;
        default: {
          static constexpr char kHex[] = "0123456789abcdef";
          const char code[] = {'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
          at = put(at, std::string_view(code, sizeof code));
        }
      }
      ++i;
      continue;
    }
    std::size_t bad = 0;
    const std::size_t length = sequenceAt(s, i, bad);
    if (length == 0) {
      at = put(at, kReplacement);
      i += bad;
    } else if (forScript && length == 3 && c == 0xE2 && s[i + 1] == '\x80' && (s[i + 2] == '\xA8' || s[i + 2] == '\xA9')) {
      // Script source ends a line at U+2028 and U+2029; JSON does not.
      at = put(at, s[i + 2] == '\xA8' ? "\\u2028" : "\\u2029");
      i += 3;
    } else {
      at = put(at, s.substr(i, length));
      i += length;
    }
  }
  *at++ = '"';
  return at;
}

// One pass into a buffer large enough for the worst case (a byte becomes at
// most six), of which only the pages written are ever touched.
std::string writeObject(const std::map<std::string, std::string>& values, bool forScript, std::string_view open,
                        std::string_view between, std::string_view colon, std::string_view close) {
  if (values.empty()) return "{}";
  std::size_t worst = open.size() + close.size();
  for (const auto& [key, value] : values)
    worst += 6 * (key.size() + value.size()) + 4 + colon.size() + between.size();
  std::unique_ptr<char[]> buffer(new char[worst]);
  char* at = put(buffer.get(), open);
  bool first = true;
  for (const auto& [key, value] : values) {
    if (!first) at = put(at, between);
    first = false;
    at = escape(key, forScript, at);
    at = put(at, colon);
    at = escape(value, forScript, at);
  }
  at = put(at, close);
  return std::string(buffer.get(), static_cast<std::size_t>(at - buffer.get()));
}

}  // namespace

std::optional<std::map<std::string, std::string>> decodeSaves(std::string_view bytes) {
  StrictReader reader;
  try {
    if (!json::sax_parse(bytes, &reader, json::input_format_t::json, true, false)) return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return std::move(reader.values);
}

std::string encodeSaves(const std::map<std::string, std::string>& values) {
  return writeObject(values, false, "{\n  ", ",\n  ", ": ", "\n}");
}

std::string encodeSeed(const std::map<std::string, std::string>& values) {
  return writeObject(values, true, "{", ",", ":", "}");
}

}  // namespace velmar
