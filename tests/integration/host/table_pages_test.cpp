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

// Shared by every script the tests run in a page: what a player's hand and eye
// do, the page's own modules, and the comparison every check goes through.
constexpr const char* kPrelude = R"JS(
  const seed = 73450;
  const $ = (selector) => document.querySelector(selector);
  // A number stands for the rack's chip of that value.
  const click = (...targets) => targets.forEach((t) => $(typeof t === 'number' ? `.chip[data-value="${t}"]` : t).click());
  const press = (key) => (document.activeElement ?? document.body)
    .dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true, cancelable: true }));
  // A button that cannot act now is marked aria-disabled and says why when pressed.
  const offered = (id) => $(id).getAttribute('aria-disabled') !== 'true' && !$(id).closest('[hidden]');
  const state = () => JSON.parse(localStorage.getItem(KEY));
  const module = (path) => import(new URL(`js/${path}.js`, location.href).href);
  const { formatChips } = await module('kit/money');
  // Asks every tenth of a second, so a page busy drawing on a software renderer
  // is not flooded with questions while it works.
  const until = (cond) => new Promise((done) => {
    const ask = () => { try { if (cond()) return done(); } catch {} setTimeout(ask, 100); };
    ask();
  });
  const cardsIn = (row) => [...row.children].map((c) => c.dataset.card ?? c.getAttribute('aria-label'));
  // The won, lost and pushed counts shown against the state's, after one hand.
  const handCounts = (s) => {
    const shown = [...document.querySelectorAll('#stats dd')].slice(0, 3).map((d) => Number(d.textContent));
    return { counts: [shown, [s.stats.handsWon, s.stats.handsLost, s.stats.handsPushed]],
             handsCounted: [shown.reduce((a, b) => a + b, 0), 1] };
  };
  // Takes named pairs of [what is there, what should be] and lists the ones that differ.
  const mismatches = (pairs) => Object.entries(pairs)
    .filter(([, [got, want]]) => JSON.stringify(got) !== JSON.stringify(want))
    .map(([name, [got, want]]) => `${name}: ${JSON.stringify(got)}, expected ${JSON.stringify(want)}`);
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

  std::string page(const std::string& body) {
    return js("const KEY = '" + key + "', BANKROLL = '" + bankroll + "', BET = '" + bet + "';" + kPrelude + body);
  }
  std::string saved() {
    auto text = json::parse(page("return localStorage.getItem(KEY);"), nullptr, false);
    return text.is_string() ? text.get<std::string>() : text.dump();
  }

  // What differs among the named pairs the script returns, given the saved
  // state s and its last round h; empty when all agree.
  json mismatches(const std::string& pairs) {
    auto text = page("const s = state(), h = s.history.at(-1); return mismatches(await (async () => {" + pairs + "})());");
    return json::accept(text) ? json::parse(text) : json(text);
  }

  // Waits for a web view other than `old` to show the table built and the
  // player greeted, asking every tenth of a second as until() does.
  bool showsTable(WebKitWebView* old = nullptr) {
    gint64 next = 0;
    return test::waitFor([&] {
      if (g_get_monotonic_time() < next || !view() || view() == old) return false;
      next = g_get_monotonic_time() + 100'000;
      return test::runJS(view(), "return document.body.dataset.stage && document.querySelector('.message')?.textContent"
                                 " ? location.pathname : '';", 5) == "\"/" + file + "\"";
    });
  }

  // Opens the table seeded with kSeed and checks the page took the seed; the
  // page shows the bankroll and the bet in the elements those selectors name.
  void openSeeded(const char* page_, const char* key_, const char* bankroll_, const char* bet_) {
    file = page_, key = key_, bankroll = bankroll_, bet = bet_;
    casino->saves().replaceAll({{key, kSeed}});
    casino->open(Tables::url(file));
    ASSERT_TRUE(showsTable()) << file;
    EXPECT_EQ(page("return [state().bankroll, $(BANKROLL).textContent];"), R"([73450,"734.50"])");
  }

  // Presses the deal key and runs the player's next move until the round is
  // settled in the saved state (nothing left in s.game[open]) and its bankroll
  // shown; then the round as recorded must agree with the rules' settled pairs.
  void playRound(const std::string& deal, const std::string& open, const std::string& move, const std::string& settled) {
    ASSERT_EQ(page("press('" + deal + "'); await until(() => { const s = state();" + move +
                   "; return s.history.length === 1 && !s.game." + open +
                   " && $(BANKROLL).textContent === formatChips(s.bankroll); }); return true;"),
              "true") << saved();
    EXPECT_EQ(mismatches(settled), json::array()) << saved();
  }

  // Reloading hands what the page saved to the store, and a fresh web view
  // seeded from it holds the same state and shows it: the bankroll and the
  // table's own pairs.
  void reloadFromTheStore(const std::string& shown) {
    const std::string before = saved();
    WebKitWebView* old = view();
    casino->reload();
    EXPECT_TRUE(showsTable(old)) << file;
    EXPECT_EQ(casino->saves().values().at(key), before);
    EXPECT_EQ(saved(), before);
    EXPECT_EQ(mismatches("return { bankroll: [$(BANKROLL).textContent, formatChips(s.bankroll)], "
                         "...(await (async () => {" + shown + "})()) };"), json::array());
  }

  std::string file, key, bankroll, bet;
};

TEST_F(TablePage, RouletteSpinPaysWhatTheRulesSettleForThePocketAndSurvivesAReload) {
  openSeeded("roulette-3d.html", "roulette-royale.v1", ".meter.bankroll .value", ".meter.bet .value");
  // Five chips on red and one straight up on 17, then the spin key.
  EXPECT_EQ(page(R"(click(5, '[data-spot="red"]', 1, '[data-spot="17"]'); return $(BET).textContent;)"), "\"6\"");
  playRound("s", "pending", "", R"JS(
    const R = await module('rules/roulette');
    const bet = (kind, n) => R.BETS.find((b) => b.kind === kind && (n === undefined || b.numbers[0] === n));
    const paid = (stake, kind, n) => R.settle({ ...bet(kind, n), stake }, h.number);
    const settled = paid(500, 'red') + paid(100, 'straight', 17);
    return { bets: [s.game.lastBets, { red: 5, 17: 1 }], staked: [h.staked, 600], returned: [h.returned, settled],
             bankroll: [s.bankroll, seed - 600 + settled], shown: [$('.rl-last').textContent, String(h.number)] };)JS");
  reloadFromTheStore(R"JS(
    const history = [...document.querySelectorAll('.rl-numbers li')].map((li) => li.textContent);
    return { last: [$('.rl-last').textContent, String(h.number)], history: [history, [String(h.number)]] };)JS");
}

TEST_F(TablePage, BaccaratCoupPaysWhatTheRulesSettleForTheDealtCardsAndSurvivesAReload) {
  openSeeded("baccarat-3d.html", "baccarat-royale.v1", ".meter.bankroll .value", ".meter.bet .value");
  // Five chips on the banker, one on the tie and one on the player pair; Enter deals.
  EXPECT_EQ(page("click(5, '.bc-spot.banker', 1, '.bc-spot.tie', '.bc-spot.playerPair'); return $(BET).textContent;"),
            "\"7\"");
  // The coup is dealt again through the rules from the recorded cards in the
  // order they left the shoe, which also proves the table drew by the tableau.
  playRound("Enter", "pending", "", R"JS(
    const C = await module('rules/baccarat');
    const shoe = [h.player[0], h.banker[0], h.player[1], h.banker[1], ...h.player.slice(2), ...h.banker.slice(2)];
    let next = 0;
    const again = C.playCoup(() => shoe[next++]);
    const settled = Object.values(C.settle({ banker: 500, tie: 100, playerPair: 100 }, again)).reduce((a, b) => a + b, 0);
    return { player: [h.player, again.player], banker: [h.banker, again.banker], winner: [h.winner, again.winner],
             cardsUsed: [next, shoe.length], staked: [h.staked, 700], returned: [h.returned, settled],
             bankroll: [s.bankroll, seed - 700 + settled] };)JS");
  reloadFromTheStore(R"JS(
    const { cardName } = await module('kit/cards');
    const won = (side) => Number(h.winner === side);
    return { player: [cardsIn($('.bc-hand.player .bc-cards')), h.player.map(cardName)],
             banker: [cardsIn($('.bc-hand.banker .bc-cards')), h.banker.map(cardName)],
             tally: [$('.bc-tally').textContent,
                     `Banker ${won('banker')} · Player ${won('player')} · Tie ${won('tie')}`] };)JS");
}

TEST_F(TablePage, BlackjackHandPaysWhatTheRulesSettleForTheDealtCardsAndSurvivesAReload) {
  openSeeded("blackjack-3d.html", "blackjack-royale.v1", "#bankroll", "#bet");
  // Ten chips in the circle; Enter deals; the player declines insurance and
  // stands on whatever comes, pressing each key once its button is offered.
  EXPECT_EQ(page("click(5, '#spot', '#spot'); return $(BET).textContent;"), "\"10\"");
  playRound("Enter", "round", R"JS(
    const phase = s.game.round?.phase;
    if (phase === 'insurance' && offered('#no-insure')) press('n');
    else if (phase === 'player' && offered('#stand')) press('s');)JS", R"JS(
    const B = await module('rules/blackjack');
    const round = s.game.last;
    const net = round.hands.reduce((t, h) => t + B.settleHand(h, round.dealer).net, 0) +
      B.settleInsurance(round.insurance, round.dealer);
    const dealerStood = !B.dealerHits(round.dealer) || B.isBlackjack(round.hands[0].cards) ||
      round.hands.every((h) => B.handValue(h.cards).total > 21);
    return { bet: [round.bet, 1000], insurance: [round.insurance, 0], hands: [round.hands.length, 1],
             dealerStood: [dealerStood, true], net: [h.net, net], bankroll: [s.bankroll, seed + net] };)JS");
  reloadFromTheStore(R"JS(
    return { dealer: [cardsIn($('#dealer-cards')), s.game.last.dealer],
             player: [cardsIn($('#hands .bj-cards')), s.game.last.hands[0].cards], ...handCounts(s) };)JS");
}

TEST_F(TablePage, PokerHandPaysWhatTheRulesSettleForTheDealtCardsAndSurvivesAReload) {
  openSeeded("poker-3d.html", "poker-royale.v1", "#bankroll", "#bet");
  // A five-chip ante and a one-chip AA bonus; Enter deals; the player calls
  // as soon as the call is offered.
  EXPECT_EQ(page("click(5, '#spot-ante', 1, '#spot-bonus'); return $(BET).textContent;"), "\"6\"");
  playRound("Enter", "hand", "if (s.game.hand && offered('#call')) press('k');", R"JS(
    const P = await module('rules/poker');
    const settled = P.settle({ ante: 500, call: 1000, aaBonus: 100, folded: false },
      [...h.player, ...h.board], [...h.dealer, ...h.board]);
    return { ante: [h.ante, 500], aaBonus: [h.aaBonus, 100], call: [h.call, 1000], folded: [h.folded, false],
             returned: [h.returned, settled], bankroll: [s.bankroll, seed - 1600 + settled] };)JS");
  reloadFromTheStore(R"JS(
    return { player: [cardsIn($('#player-cards')), h.player], board: [cardsIn($('#board-cards')), h.board],
             ...handCounts(s) };)JS");
}

}  // namespace
}  // namespace velmar
