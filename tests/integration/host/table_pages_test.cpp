// The four tables as the application ships them, played through their pages
// in a real web view: a round changes the bankroll by exactly what the rules
// module settles for the cards or pocket the table recorded, the page hands
// that state to the save store, and a fresh web view seeded from the store
// shows the same bankroll and history.

#include "host_fixture.h"

#include <nlohmann/json.hpp>

namespace velmar {
namespace {

using nlohmann::json;

// 734.50 chips and nothing played yet: a bankroll no page would start with,
// so a page that ignored its seed would show at once.
constexpr const char* kSeed =
    R"({"version":1,"bankroll":73450,"settings":{"muted":true},"stats":{"rounds":0,"wagered":0,"won":0},"history":[],"game":{}})";
constexpr int kSeededBankroll = 73450;

// Shared by every script the tests run in a page: what a player's hand and eye
// do (click, press a key, read a label) and the page's own modules.
constexpr const char* kPrelude = R"JS(
  const $ = (selector) => document.querySelector(selector);
  const press = (key) => (document.activeElement ?? document.body)
    .dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true, cancelable: true }));
  const state = (key) => JSON.parse(localStorage.getItem(key));
  const module = (path) => import(new URL(`js/${path}.js`, location.href).href);
  const cardsIn = (row) => [...row.children].map((c) => c.dataset.card ?? c.getAttribute('aria-label'));
)JS";

class TablePage : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    // The pages as the build stages them, in place of the fixture site.
    casino.reset();
    Casino::Options options;
    options.saveBase = dir / "data";
    options.openExternal = [this](const std::string& address) { launched.push_back(address); };
    casino = Casino::create(VELMAR_STAGED_WEB, bin, options);
  }

  std::string page(const std::string& body) { return js(std::string(kPrelude) + body); }

  json facts(const std::string& body) {
    auto text = page(body);
    auto parsed = json::parse(text, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << text;
    return parsed.is_discarded() ? json::object() : parsed;
  }

  // Asks again every tenth of a second, so a page busy drawing on a software
  // renderer is not flooded with questions while it works.
  bool eventually(const std::function<bool()>& cond) {
    gint64 next = 0;
    return test::waitFor([&] {
      const gint64 now = g_get_monotonic_time();
      if (now < next) return false;
      next = now + 100'000;
      return cond();
    });
  }

  // The page has built its table and greeted the player.
  bool ready(const std::string& file) {
    if (!view()) return false;
    auto got = test::runJS(view(),
                           "return location.pathname + ' ' + (!!document.body.dataset.stage && "
                           "(document.querySelector('.message')?.textContent ?? '') !== '');",
                           5);
    return got == "\"/" + file + " true\"";
  }

  void openSeeded(const std::string& file, const std::string& key) {
    casino->saves().replaceAll({{key, kSeed}});
    casino->open(Tables::url(file));
    ASSERT_TRUE(eventually([&] { return ready(file); })) << file;
    EXPECT_EQ(facts("return state('" + key + "').bankroll;"), kSeededBankroll);
  }

  // Waits for the round to be settled in the saved state and its bankroll shown.
  void waitForSettlement(const std::string& key, const std::string& bankrollSelector, const std::string& openRound) {
    ASSERT_TRUE(eventually([&] {
      return page("const s = state('" + key + "'); const { formatChips } = await module('kit/money');"
                  "return s.history.length === 1 && !s.game." + openRound +
                  " && $('" + bankrollSelector + "').textContent === formatChips(s.bankroll);") == "true";
    })) << page("return localStorage.getItem('" + key + "');");
  }

  // What the page saved reaches the store; a fresh web view seeded from it
  // holds the same state. Returns the state's text.
  std::string reloadFromTheStore(const std::string& file, const std::string& key) {
    bool flushed = false;
    casino->flush([&] { flushed = true; });
    EXPECT_TRUE(test::waitFor([&] { return flushed; }));
    const std::string before = json::parse(page("return localStorage.getItem('" + key + "');")).get<std::string>();
    EXPECT_EQ(casino->saves().values().at(key), before);

    WebKitWebView* old = view();
    casino->reload();
    EXPECT_TRUE(eventually([&] { return view() != old && ready(file); })) << file;
    EXPECT_EQ(json::parse(page("return localStorage.getItem('" + key + "');")).get<std::string>(), before);
    return before;
  }
};

TEST_F(TablePage, RouletteSpinPaysWhatTheRulesSettleForThePocketAndSurvivesAReload) {
  const std::string key = "roulette-royale.v1";
  openSeeded("roulette-3d.html", key);
  EXPECT_EQ(page("return $('.meter.bankroll .value').textContent;"), "\"734.50\"");

  // Five chips on red and one straight up on 17, then the spin key.
  EXPECT_EQ(page("$('.chip-rack .chip[data-value=\"5\"]').click(); $('[data-spot=\"red\"]').click();"
                 "$('.chip-rack .chip[data-value=\"1\"]').click(); $('[data-spot=\"17\"]').click();"
                 "return $('.meter.bet .value').textContent;"),
            "\"6\"");
  page("press('s');");
  waitForSettlement(key, ".meter.bankroll .value", "pending");

  auto spin = facts(R"JS(
    const R = await module('rules/roulette');
    const s = state('roulette-royale.v1');
    const last = s.history.at(-1);
    const red = R.BETS.find((b) => b.kind === 'red');
    const straight = R.BETS.find((b) => b.kind === 'straight' && b.numbers[0] === 17);
    const settled = R.settle({ ...red, stake: 500 }, last.number) + R.settle({ ...straight, stake: 100 }, last.number);
    return { bankroll: s.bankroll, number: last.number, staked: last.staked, recorded: last.returned, settled,
             bets: s.game.lastBets, shown: $('.rl-last').textContent };)JS");
  const int settled = spin["settled"];
  EXPECT_EQ(spin["bets"], (json{{"red", 5}, {"17", 1}}));
  EXPECT_EQ(spin["staked"], 600);
  EXPECT_EQ(spin["recorded"], settled);
  EXPECT_EQ(spin["bankroll"], kSeededBankroll - 600 + settled) << spin.dump();
  EXPECT_EQ(spin["shown"], std::to_string(spin["number"].get<int>()));

  reloadFromTheStore("roulette-3d.html", key);
  auto shown = facts(R"JS(
    const { formatChips } = await module('kit/money');
    const s = state('roulette-royale.v1');
    return { bankroll: $('.meter.bankroll .value').textContent, expected: formatChips(s.bankroll),
             last: $('.rl-last').textContent, history: [...document.querySelectorAll('.rl-numbers li')].map((li) => li.textContent) };)JS");
  EXPECT_EQ(shown["bankroll"], shown["expected"]);
  EXPECT_EQ(shown["last"], std::to_string(spin["number"].get<int>()));
  EXPECT_EQ(shown["history"], json::array({std::to_string(spin["number"].get<int>())}));
}

TEST_F(TablePage, BaccaratCoupPaysWhatTheRulesSettleForTheDealtCardsAndSurvivesAReload) {
  const std::string key = "baccarat-royale.v1";
  openSeeded("baccarat-3d.html", key);

  // Five chips on the banker, one on the tie and one on the player pair; Enter deals.
  EXPECT_EQ(page("$('.chip-rack .chip[data-value=\"5\"]').click(); $('.bc-spot.banker').click();"
                 "$('.chip-rack .chip[data-value=\"1\"]').click(); $('.bc-spot.tie').click(); $('.bc-spot.playerPair').click();"
                 "return $('.meter.bet .value').textContent;"),
            "\"7\"");
  page("press('Enter');");
  waitForSettlement(key, ".meter.bankroll .value", "pending");

  // The coup is dealt again through the rules from the recorded cards in the
  // order they left the shoe, which also proves the table drew by the tableau.
  auto coup = facts(R"JS(
    const C = await module('rules/baccarat');
    const s = state('baccarat-royale.v1');
    const h = s.history.at(-1);
    const shoe = [h.player[0], h.banker[0], h.player[1], h.banker[1], ...h.player.slice(2), ...h.banker.slice(2)];
    let next = 0;
    const again = C.playCoup(() => shoe[next++]);
    const paid = C.settle({ banker: 500, tie: 100, playerPair: 100 }, again);
    return { bankroll: s.bankroll, staked: h.staked, recorded: h.returned, winner: h.winner,
             settled: Object.values(paid).reduce((a, b) => a + b, 0), again, used: next, dealt: shoe.length,
             player: h.player, banker: h.banker };)JS");
  const int settled = coup["settled"];
  EXPECT_EQ(coup["again"]["player"], coup["player"]);
  EXPECT_EQ(coup["again"]["banker"], coup["banker"]);
  EXPECT_EQ(coup["again"]["winner"], coup["winner"]);
  EXPECT_EQ(coup["used"], coup["dealt"]);
  EXPECT_EQ(coup["staked"], 700);
  EXPECT_EQ(coup["recorded"], settled);
  EXPECT_EQ(coup["bankroll"], kSeededBankroll - 700 + settled) << coup.dump();

  reloadFromTheStore("baccarat-3d.html", key);
  auto shown = facts(R"JS(
    const { formatChips } = await module('kit/money');
    const { cardName } = await module('kit/cards');
    const s = state('baccarat-royale.v1');
    const h = s.history.at(-1);
    return { bankroll: $('.meter.bankroll .value').textContent, expected: formatChips(s.bankroll),
             player: cardsIn($('.bc-hand.player .bc-cards')), expectedPlayer: h.player.map(cardName),
             banker: cardsIn($('.bc-hand.banker .bc-cards')), expectedBanker: h.banker.map(cardName),
             tally: $('.bc-tally').textContent, winner: h.winner };)JS");
  EXPECT_EQ(shown["bankroll"], shown["expected"]);
  EXPECT_EQ(shown["player"], shown["expectedPlayer"]);
  EXPECT_EQ(shown["banker"], shown["expectedBanker"]);
  const std::string winner = shown["winner"];
  const std::string tally = shown["tally"];
  const std::string one = (winner == "tie" ? "Tie" : winner == "player" ? "Player" : "Banker") + std::string(" 1");
  EXPECT_NE(tally.find(one), std::string::npos) << tally;
}

TEST_F(TablePage, BlackjackHandPaysWhatTheRulesSettleForTheDealtCardsAndSurvivesAReload) {
  const std::string key = "blackjack-royale.v1";
  openSeeded("blackjack-3d.html", key);
  EXPECT_EQ(page("return $('#bankroll').textContent;"), "\"734.50\"");

  // Ten chips in the circle; Enter deals; the player declines insurance and
  // stands on whatever comes, pressing each key once its button is offered.
  EXPECT_EQ(page("$('#rack .chip[data-value=\"5\"]').click(); $('#spot').click(); $('#spot').click();"
                 "return $('#bet').textContent;"),
            "\"10\"");
  page("press('Enter');");
  ASSERT_TRUE(eventually([&] {
    return page(R"JS(
      const s = state('blackjack-royale.v1');
      const round = s.game.round;
      if (!round) return s.history.length === 1;
      const offered = (id) => !$(id).disabled && !$(id).closest('[hidden]');
      if (round.phase === 'insurance' && offered('#no-insure')) press('n');
      else if (round.phase === 'player' && offered('#stand')) press('s');
      return false;)JS") == "true";
  }));
  waitForSettlement(key, "#bankroll", "round");

  auto hand = facts(R"JS(
    const B = await module('rules/blackjack');
    const s = state('blackjack-royale.v1');
    const round = s.game.last;
    const net = round.hands.reduce((t, h) => t + B.settleHand(h, round.dealer).net, 0) +
      B.settleInsurance(round.insurance, round.dealer);
    return { bankroll: s.bankroll, bet: round.bet, insurance: round.insurance, hands: round.hands.length,
             recorded: s.history.at(-1).net, net, dealerStood: !B.dealerHits(round.dealer) ||
               B.isBlackjack(round.hands[0].cards) || round.hands.every((h) => B.handValue(h.cards).total > 21) };)JS");
  const int net = hand["net"];
  EXPECT_EQ(hand["bet"], 1000);
  EXPECT_EQ(hand["insurance"], 0);
  EXPECT_EQ(hand["hands"], 1);
  EXPECT_EQ(hand["dealerStood"], true);
  EXPECT_EQ(hand["recorded"], net);
  EXPECT_EQ(hand["bankroll"], kSeededBankroll + net) << hand.dump();

  reloadFromTheStore("blackjack-3d.html", key);
  auto shown = facts(R"JS(
    const { formatChips } = await module('kit/money');
    const s = state('blackjack-royale.v1');
    return { bankroll: $('#bankroll').textContent, expected: formatChips(s.bankroll),
             dealer: cardsIn($('#dealer-cards')), expectedDealer: s.game.last.dealer,
             player: cardsIn($('#hands .bj-cards')), expectedPlayer: s.game.last.hands[0].cards,
             stats: [...document.querySelectorAll('#stats dd')].slice(0, 3).map((d) => Number(d.textContent)),
             expectedStats: [s.stats.handsWon, s.stats.handsLost, s.stats.handsPushed] };)JS");
  EXPECT_EQ(shown["bankroll"], shown["expected"]);
  EXPECT_EQ(shown["dealer"], shown["expectedDealer"]);
  EXPECT_EQ(shown["player"], shown["expectedPlayer"]);
  EXPECT_EQ(shown["stats"], shown["expectedStats"]);
  int counted = 0;
  for (const auto& n : shown["stats"]) counted += n.get<int>();
  EXPECT_EQ(counted, 1);
}

TEST_F(TablePage, PokerHandPaysWhatTheRulesSettleForTheDealtCardsAndSurvivesAReload) {
  const std::string key = "poker-royale.v1";
  openSeeded("poker-3d.html", key);
  EXPECT_EQ(page("return $('#bankroll').textContent;"), "\"734.50\"");

  // A five-chip ante and a one-chip AA bonus; Enter deals; the player calls
  // as soon as the call is offered.
  EXPECT_EQ(page("$('#rack .chip[data-value=\"5\"]').click(); $('#spot-ante').click();"
                 "$('#rack .chip[data-value=\"1\"]').click(); $('#spot-bonus').click();"
                 "return $('#bet').textContent;"),
            "\"6\"");
  page("press('Enter');");
  ASSERT_TRUE(eventually([&] {
    return page(R"JS(
      const s = state('poker-royale.v1');
      if (!s.game.hand) return s.history.length === 1;
      if (!$('#call').disabled && !$('#call').closest('[hidden]')) press('k');
      return false;)JS") == "true";
  }));
  waitForSettlement(key, "#bankroll", "hand");

  auto hand = facts(R"JS(
    const P = await module('rules/poker');
    const s = state('poker-royale.v1');
    const h = s.history.at(-1);
    const settled = P.settle({ ante: 500, call: 1000, aaBonus: 100, folded: false },
      [...h.player, ...h.board], [...h.dealer, ...h.board]);
    return { bankroll: s.bankroll, ante: h.ante, call: h.call, aaBonus: h.aaBonus, folded: h.folded,
             recorded: h.returned, settled };)JS");
  const int settled = hand["settled"];
  EXPECT_EQ(hand["ante"], 500);
  EXPECT_EQ(hand["aaBonus"], 100);
  EXPECT_EQ(hand["call"], 1000);
  EXPECT_EQ(hand["folded"], false);
  EXPECT_EQ(hand["recorded"], settled);
  EXPECT_EQ(hand["bankroll"], kSeededBankroll - 1600 + settled) << hand.dump();

  reloadFromTheStore("poker-3d.html", key);
  auto shown = facts(R"JS(
    const { formatChips } = await module('kit/money');
    const s = state('poker-royale.v1');
    const h = s.history.at(-1);
    return { bankroll: $('#bankroll').textContent, expected: formatChips(s.bankroll),
             player: cardsIn($('#player-cards')), expectedPlayer: h.player,
             board: cardsIn($('#board-cards')), expectedBoard: h.board,
             stats: [...document.querySelectorAll('#stats dd')].slice(0, 3).map((d) => Number(d.textContent)),
             expectedStats: [s.stats.handsWon, s.stats.handsLost, s.stats.handsPushed] };)JS");
  EXPECT_EQ(shown["bankroll"], shown["expected"]);
  EXPECT_EQ(shown["player"], shown["expectedPlayer"]);
  EXPECT_EQ(shown["board"], shown["expectedBoard"]);
  EXPECT_EQ(shown["stats"], shown["expectedStats"]);
  int counted = 0;
  for (const auto& n : shown["stats"]) counted += n.get<int>();
  EXPECT_EQ(counted, 1);
}

}  // namespace
}  // namespace velmar
