// SPDX-License-Identifier: GPL-3.0-or-later
// The tables' keys. The shortcuts window (shell/shortcuts.ui, where the
// titles are translated) and the table pages' help sheets are both checked
// against this list (integration.shell.ShellWindow, integration.host.TablePage).
#include "catalog/page_keys.h"

namespace velmar::Tables {
namespace {

constexpr std::string_view kBets = "Bets";
constexpr std::string_view kPlay = "Play";
constexpr std::string_view kSheets = "Help and Sound";

// What every table answers besides its own keys: auto-play, chips, sound and sheets.
#define VELMAR_EVERY_TABLE                                                                        \
  {"o", "Auto-play", kPlay}, {"1...6", "Choose a chip", kBets},                            \
      {"m", "Sound on or off", kSheets},                                                       \
      {"question F1", "How to play", kSheets}, {"l", "History", kSheets},                  \
      {"Escape", "Close the sheet", kSheets}

constexpr PageKey kRoulette[] = {
    {"u", "Undo the last chip", kBets},
    {"c", "Clear the bets", kBets},
    {"r", "Repeat the last bets", kBets},
    {"d", "Double the bets", kBets},
    {"s", "Spin", kPlay},
    {"g", "Bet again and spin", kPlay},
    {"Left Right Up Down", "Move on the layout", kBets, true},
    {"Return space", "Bet the chosen chip on the layout", kBets, true},
    {"Delete BackSpace", "Take the bet off the layout", kBets, true},
    VELMAR_EVERY_TABLE,
};

constexpr PageKey kBlackjack[] = {
    {"u BackSpace", "Undo the last chip", kBets},
    {"c", "Clear the bets", kBets},
    {"r", "Repeat the last bets", kBets},
    {"x", "Double the bets", kBets},
    {"space b", "Bet the chosen chip", kBets},
    {"f", "Bet the chosen chip on 21+3", kBets},
    {"a", "Bet the chosen chip on Perfect Pairs", kBets},
    {"w", "Choose how many seats to play", kBets},
    {"j", "Choose the next seat to bet on", kBets},
    {"Return", "Deal", kPlay},
    {"g", "Bet again and deal", kPlay},
    {"h", "Hit", kPlay},
    {"s", "Stand", kPlay},
    {"d", "Double down", kPlay},
    {"p", "Split", kPlay},
    {"q", "Surrender", kPlay},
    {"i", "Take insurance", kPlay},
    {"n", "No insurance", kPlay},
    {"e", "Even money", kPlay},
    {"t", "Hint", kPlay},
    VELMAR_EVERY_TABLE,
};

constexpr PageKey kBaccarat[] = {
    {"u", "Undo the last chip", kBets},
    {"c", "Clear the bets", kBets},
    {"r", "Repeat the last bets", kBets},
    {"x", "Double the bets", kBets},
    {"p", "Bet on the player", kBets},
    {"b", "Bet on the banker", kBets},
    {"t", "Bet on a tie", kBets},
    {"q", "Bet on a player pair", kBets},
    {"w", "Bet on a banker pair", kBets},
    {"a", "Bet on the Dragon Bonus for the player", kBets},
    {"e", "Bet on either pair", kBets},
    {"d", "Bet on the Dragon Bonus for the banker", kBets},
    {"Return", "Deal", kPlay},
    {"g", "Bet again and deal", kPlay},
    {"v", "Turn the squeezed card a little", kPlay},
    {"f", "Turn the squeezed card over", kPlay},
    VELMAR_EVERY_TABLE,
};

constexpr PageKey kPoker[] = {
    {"u BackSpace", "Undo the last chip", kBets},
    {"c", "Clear the bets", kBets},
    {"r", "Repeat the last bets", kBets},
    {"x", "Double the bets", kBets},
    {"space", "Bet the chosen chip on the ante", kBets},
    {"a", "Bet the chosen chip on the AA bonus", kBets},
    {"Return", "Deal", kPlay},
    {"g", "Bet again and deal", kPlay},
    {"k", "Call", kPlay},
    {"f", "Fold", kPlay},
    {"t", "Hint", kPlay},
    VELMAR_EVERY_TABLE,
};

#undef VELMAR_EVERY_TABLE

}  // namespace

std::span<const PageKey> keys(std::string_view id) {
  if (id == "roulette") return kRoulette;
  if (id == "blackjack") return kBlackjack;
  if (id == "baccarat") return kBaccarat;
  if (id == "poker") return kPoker;
  return {};
}

}  // namespace velmar::Tables
