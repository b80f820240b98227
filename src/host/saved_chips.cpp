// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/saved_chips.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace velmar {

namespace {

using json = nlohmann::json;

constexpr std::int64_t kLargestSafe = (std::int64_t{1} << 53) - 1;

// Looks at the top level's "bankroll" members only, without building a
// document: deep nesting or a huge history costs its length and no stack.
class BankrollReader final : public nlohmann::json_sax<json> {
 public:
  std::optional<std::int64_t> bankroll;
  bool sawObject = false;

  bool null() override { return value(std::nullopt); }
  bool boolean(bool) override { return value(std::nullopt); }
  bool number_integer(number_integer_t n) override {
    return value(n >= 0 && n <= kLargestSafe ? std::optional<std::int64_t>(n) : std::nullopt);
  }
  bool number_unsigned(number_unsigned_t n) override {
    return value(n <= static_cast<number_unsigned_t>(kLargestSafe) ? std::optional<std::int64_t>(n) : std::nullopt);
  }
  bool number_float(number_float_t n, const string_t&) override {
    // JSON.parse reads 51500.0 and 5.15e4 as the integer they name.
    bool whole = std::isfinite(n) && n >= 0 && n <= static_cast<double>(kLargestSafe) && std::floor(n) == n;
    return value(whole ? std::optional<std::int64_t>(static_cast<std::int64_t>(n)) : std::nullopt);
  }
  bool string(string_t&) override { return value(std::nullopt); }
  bool binary(binary_t&) override { return value(std::nullopt); }
  bool start_object(std::size_t) override {
    if (depth_ == 0)
      sawObject = true;
    else
      value(std::nullopt);
    ++depth_;
    return true;
  }
  bool end_object() override {
    --depth_;
    return true;
  }
  bool start_array(std::size_t) override {
    if (depth_ == 0) return false;
    value(std::nullopt);
    ++depth_;
    return true;
  }
  bool end_array() override {
    --depth_;
    return true;
  }
  bool key(string_t& name) override {
    pending_ = depth_ == 1 && name == "bankroll";
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  // A member named twice counts with its last value, as JSON.parse has it.
  bool value(std::optional<std::int64_t> cents) {
    // A number or a string alone is no state.
    if (depth_ == 0) return false;
    if (pending_) bankroll = cents;
    pending_ = false;
    return true;
  }

  int depth_ = 0;
  bool pending_ = false;
};

std::string grouped(std::uint64_t whole, std::string_view thousands) {
  std::string digits = std::to_string(whole);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += thousands;
    out += digits[i];
  }
  return out;
}

}  // namespace

std::optional<std::int64_t> savedBankroll(std::string_view state) {
  BankrollReader reader;
  try {
    if (!json::sax_parse(state, &reader, json::input_format_t::json, true, false)) return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (!reader.sawObject) return std::nullopt;
  return reader.bankroll;
}

std::string chipsFigure(std::int64_t cents, std::string_view thousands, std::string_view point) {
  std::uint64_t size = cents < 0 ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
  std::string text = (cents < 0 ? "-" : "") + grouped(size / 100, thousands);
  std::uint64_t part = size % 100;
  if (part == 0) return text;
  return text + std::string(point) + (part < 10 ? "0" : "") + std::to_string(part);
}

}  // namespace velmar
