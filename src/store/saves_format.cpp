#include "store/saves_format.h"


#include <nlohmann/json.hpp>

#include <array>

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
// get their own writer rather than a copy into a document and nlohmann's
// byte-at-a-time dump. It writes exactly what prettyJSON and compactJSON write
// for a map of strings (the tests hold the two to that), only faster: runs of
// plain bytes are copied whole.

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

void appendEscape(std::string& out, unsigned char c) {
  switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '/': out += "\\/"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: {
      static constexpr char kHex[] = "0123456789abcdef";
      const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
      out.append(escape, sizeof escape);
    }
  }
}

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

void appendString(std::string& out, std::string_view s, bool forScript) {
  out += '"';
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t run = i;
    while (run < s.size() && kClass[static_cast<unsigned char>(s[run])] == 0) ++run;
    out.append(s, i, run - i);
    i = run;
    if (i == s.size()) break;
    const auto c = static_cast<unsigned char>(s[i]);
    if (kClass[c] == 2) {
      appendEscape(out, c);
      ++i;
      continue;
    }
    std::size_t bad = 0;
    std::size_t length = sequenceAt(s, i, bad);
    if (length == 0) {
      out += kReplacement;
      i += bad;
    } else if (forScript && length == 3 && c == 0xE2 && s[i + 1] == '\x80' && (s[i + 2] == '\xA8' || s[i + 2] == '\xA9')) {
      // Script source ends a line at U+2028 and U+2029; JSON does not.
      out += s[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 3;
    } else {
      out.append(s, i, length);
      i += length;
    }
  }
  out += '"';
}

std::size_t roughSize(const std::map<std::string, std::string>& values) {
  std::size_t size = 2;
  for (const auto& [key, value] : values) size += key.size() + value.size() + 10;
  return size + size / 8;
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
  if (values.empty()) return "{}";
  std::string out;
  out.reserve(roughSize(values));
  out += '{';
  const char* separator = "\n  ";
  for (const auto& [key, value] : values) {
    out += separator;
    separator = ",\n  ";
    appendString(out, key, false);
    out += ": ";
    appendString(out, value, false);
  }
  out += "\n}";
  return out;
}

std::string encodeSeed(const std::map<std::string, std::string>& values) {
  std::string out;
  out.reserve(roughSize(values));
  out += '{';
  bool first = true;
  for (const auto& [key, value] : values) {
    if (!first) out += ',';
    first = false;
    appendString(out, key, true);
    out += ':';
    appendString(out, value, true);
  }
  out += '}';
  return out;
}

}  // namespace velmar
