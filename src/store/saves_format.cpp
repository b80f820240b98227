#include "store/saves_format.h"

#include "store/json_text.h"

#include <nlohmann/json.hpp>

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
  return prettyJSON(json(values));
}

std::string encodeSeed(const std::map<std::string, std::string>& values) {
  std::string text = compactJSON(json(values));
  // The text is valid UTF-8 by now, so these three bytes are always U+2028
  // or U+2029 and never the middle of another character.
  std::string out;
  std::size_t start = 0;
  bool escaped = false;
  for (std::size_t i = text.find('\xE2'); i != std::string::npos; i = text.find('\xE2', i + 1)) {
    if (i + 2 >= text.size() || text[i + 1] != '\x80' || (text[i + 2] != '\xA8' && text[i + 2] != '\xA9'))
      continue;
    if (!escaped) out.reserve(text.size() + 64);
    escaped = true;
    out.append(text, start, i - start);
    out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
    start = i + 3;
  }
  if (!escaped) return text;
  out.append(text, start, std::string::npos);
  return out;
}

}  // namespace velmar
