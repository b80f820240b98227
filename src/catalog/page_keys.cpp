// SPDX-License-Identifier: GPL-3.0-or-later
// The tables' keys, as the shortcuts window lists them; the table pages'
// help sheets are checked against this list (integration.host.TablePage).
#include "catalog/page_keys.h"

// Marks a title for xgettext; it is translated where it is shown.
#define N_(text) text

namespace velmar::Tables {
namespace {

constexpr std::string_view kBets = N_("Bets");
constexpr std::string_view kPlay = N_("Play");
constexpr std::string_view kSheets = N_("Help and Sound");

// What every table answers besides its own keys: auto-play, chips, sound and sheets.
#define VELMAR_EVERY_TABLE                                                                        \
  {"o", N_("Auto-play"), kPlay}, {"1...6", N_("Choose a chip"), kBets},                            \
      {"m", N_("Sound on or off"), kSheets},                                                       \
      {"question F1", N_("How to play"), kSheets}, {"l", N_("History"), kSheets},                  \
      {"Escape", N_("Close the sheet"), kSheets}

constexpr PageKey kRoulette[] = {
    {"u", N_("Undo the last chip"), kBets},
    {"c", N_("Clear the bets"), kBets},
    {"r", N_("Repeat the last bets"), kBets},
    {"d", N_("Double the bets"), kBets},
    {"s", N_("Spin"), kPlay},
    {"g", N_("Bet again and spin"), kPlay},
    {"Left Right Up Down", N_("Move on the layout"), kBets, true},
    {"Return space", N_("Bet the chosen chip on the layout"), kBets, true},
    {"Delete BackSpace", N_("Take the bet off the layout"), kBets, true},
    VELMAR_EVERY_TABLE,
};

constexpr PageKey kBlackjack[] = {
    {"u BackSpace", N_("Undo the last chip"), kBets},
    {"c", N_("Clear the bets"), kBets},
    {"r", N_("Repeat the last bets"), kBets},
    {"x", N_("Double the bets"), kBets},
    {"space b", N_("Bet the chosen chip"), kBets},
    {"f", N_("Bet the chosen chip on 21+3"), kBets},
    {"a", N_("Bet the chosen chip on Perfect Pairs"), kBets},
    {"w", N_("Choose how many seats to play"), kBets},
    {"j", N_("Choose the next seat to bet on"), kBets},
    {"Return", N_("Deal"), kPlay},
    {"g", N_("Bet again and deal"), kPlay},
    {"h", N_("Hit"), kPlay},
    {"s", N_("Stand"), kPlay},
    {"d", N_("Double down"), kPlay},
    {"p", N_("Split"), kPlay},
    {"q", N_("Surrender"), kPlay},
    {"i", N_("Take insurance"), kPlay},
    {"n", N_("No insurance"), kPlay},
    {"e", N_("Even money"), kPlay},
    {"t", N_("Hint"), kPlay},
    VELMAR_EVERY_TABLE,
};

constexpr PageKey kBaccarat[] = {
    {"u", N_("Undo the last chip"), kBets},
    {"c", N_("Clear the bets"), kBets},
    {"r", N_("Repeat the last bets"), kBets},
    {"x", N_("Double the bets"), kBets},
    {"p", N_("Bet on the player"), kBets},
    {"b", N_("Bet on the banker"), kBets},
    {"t", N_("Bet on a tie"), kBets},
    {"q", N_("Bet on a player pair"), kBets},
    {"w", N_("Bet on a banker pair"), kBets},
    {"a", N_("Bet on the Dragon Bonus for the player"), kBets},
    {"e", N_("Bet on either pair"), kBets},
    {"d", N_("Bet on the Dragon Bonus for the banker"), kBets},
    {"Return", N_("Deal"), kPlay},
    {"g", N_("Bet again and deal"), kPlay},
    {"v", N_("Turn the squeezed card a little"), kPlay},
    {"f", N_("Turn the squeezed card over"), kPlay},
    VELMAR_EVERY_TABLE,
};

constexpr PageKey kPoker[] = {
    {"u BackSpace", N_("Undo the last chip"), kBets},
    {"c", N_("Clear the bets"), kBets},
    {"r", N_("Repeat the last bets"), kBets},
    {"x", N_("Double the bets"), kBets},
    {"space", N_("Bet the chosen chip on the ante"), kBets},
    {"a", N_("Bet the chosen chip on the AA bonus"), kBets},
    {"Return", N_("Deal"), kPlay},
    {"g", N_("Bet again and deal"), kPlay},
    {"k", N_("Call"), kPlay},
    {"f", N_("Fold"), kPlay},
    {"t", N_("Hint"), kPlay},
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
