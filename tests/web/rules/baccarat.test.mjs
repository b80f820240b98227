import { test } from 'node:test';
import assert from 'node:assert/strict';
import { cardValue, handTotal, bankerDraws, playCoup, settle, bankerWin, dealOrder, beadPlate, bigRoad, tally } from '../../../web/js/rules/baccarat.js';
import { BaccaratTable, STORE_KEY } from '../../../web/js/baccarat/table.js';
import { createRandom, seededSource } from '../../../web/js/kit/random.js';
import { FakeStorage, logSink } from '../support/helpers.mjs';

const dealFrom = (cards) => { let i = 0; return () => cards[i++]; };

test('cards count their baccarat value, hands keep the last digit, and the banker draws by the full tableau', () => {
  assert.deepEqual(['As', '2c', '5d', '9h', 'Ts', 'Jc', 'Qd', 'Kh'].map(cardValue), [1, 2, 5, 9, 0, 0, 0, 0]);
  assert.deepEqual([['9h', '8c'], ['Ks', 'Th'], ['5s', '5h', 'As']].map(handTotal), [7, 0, 1]);
  for (const bad of ['1s', 'Ax', 'as', 'A', 'Asx', 10, null]) assert.throws(() => cardValue(bad), /not a card/, String(bad));
  // Rows: banker total 0..7; columns: player stood, then the player's third
  // card 0..9. D draws, S stands, as printed on the table card.
  const tableau = ['D DDDDDDDDDD', 'D DDDDDDDDDD', 'D DDDDDDDDDD', 'D DDDDDDDDSD',
    'D SSDDDDDDSS', 'D SSSSDDDDSS', 'S SSSSSSDDSS', 'S SSSSSSSSSS'];
  tableau.forEach((line, total) => {
    assert.equal(bankerDraws(total, null), line[0] === 'D', `banker ${total}, player stood`);
    for (let v = 0; v <= 9; v++) assert.equal(bankerDraws(total, v), line[2 + v] === 'D', `banker ${total}, player third ${v}`);
  });
  assert.deepEqual([bankerDraws(3, '8d'), bankerDraws(3, 'Kd'), bankerDraws(6, '7s')], [false, true, true]);
  assert.throws(() => bankerDraws(10, null), /banker total/);
});

test('a coup deals in the real order and stops on a natural', () => {
  const coups = [
    // [cards in shoe order, player, banker, winner, natural]
    [['As', 'Kd', '7c', '2h', '9s'], ['As', '7c'], ['Kd', '2h'], 'player', true],
    [['2c', '9d', '3c', 'Kd'], ['2c', '3c'], ['9d', 'Kd'], 'banker', true],
    // Player 4 draws a 6 (total 0); banker 5 draws on a 6 and makes 5.
    [['2c', '3d', '2d', '2h', '6s', 'Ts'], ['2c', '2d', '6s'], ['3d', '2h', 'Ts'], 'banker', false],
    // Player 6 stands; banker 5 draws as if the player had stood.
    [['3c', '3d', '3h', '2h', '4s'], ['3c', '3h'], ['3d', '2h', '4s'], 'banker', false],
    // Player stands on 7; the banker's pair of sevens makes 4, draws a 3 and ties.
    [['7c', '7d', 'Kh', '7s', '3c'], ['7c', 'Kh'], ['7d', '7s', '3c'], 'tie', false],
  ];
  for (const [shoe, player, banker, winner, natural] of coups) {
    const coup = playCoup(dealFrom(shoe));
    assert.deepEqual([coup.player, coup.banker, coup.winner, coup.natural], [player, banker, winner, natural], shoe.join(' '));
    assert.deepEqual([coup.playerPair, coup.bankerPair], [player[0][0] === player[1][0], banker[0][0] === banker[1][0]]);
  }
  assert.deepEqual(dealOrder(playCoup(dealFrom(coups[2][0]))),
    [['player', 0], ['banker', 0], ['player', 1], ['banker', 1], ['player', 2], ['banker', 2]]);
  assert.deepEqual(dealOrder(playCoup(dealFrom(coups[3][0]))).at(-1), ['banker', 2]);
  assert.throws(() => playCoup(dealFrom(['7c', '7d', 'Kh'])), /not a card/);
});

test('settlement pays the odds in cents, banker less 5%, ties pushing player and banker', () => {
  const coup = (winner, player = ['2c', '3d'], banker = ['4c', '5d']) => ({ winner, player, banker });
  const all = { player: 1000, banker: 2000, tie: 500, playerPair: 300, bankerPair: 100 };
  assert.deepEqual(settle(all, coup('banker')), { player: 0, banker: 3900, tie: 0, playerPair: 0, bankerPair: 0 });
  assert.deepEqual(settle(all, coup('player', ['Qs', 'Qh'])), { player: 2000, banker: 0, tie: 0, playerPair: 3600, bankerPair: 0 });
  assert.deepEqual(settle(all, coup('tie', ['Qs', 'Qh'], ['9c', '9s'])),
    { player: 1000, banker: 2000, tie: 4500, playerPair: 3600, bankerPair: 1200 });
  // Odd amounts lose the part cent of the banker's win to the house.
  assert.deepEqual([1, 19, 20, 21, 100, 2500].map(bankerWin), [0, 18, 19, 19, 95, 2375]);
  assert.deepEqual(settle({}, coup('tie')), {});
  for (const bets of [{ dragon: 100 }, { player: -100 }, { player: 10.5 }]) assert.throws(() => settle(bets, coup('tie')), RangeError);
  assert.throws(() => settle({ player: 100 }, { winner: 'dealer' }), /not a coup/);
});

// Enumerates every coup from a full shoe through playCoup itself: the draw
// hands out one card per value class from a fixed prefix and signals when the
// coup wants one more, so the walk branches exactly where the game draws. A
// sequence of k cards is weighted by its ways to be drawn with card removal
// times the ways to draw the unused cards of a six-card deal, so every weight
// shares the denominator 416·415·...·411, which stays below 2^53.
function enumerateShoe(decks) {
  const CLASS_CARD = ['Ts', 'As', '2s', '3s', '4s', '5s', '6s', '7s', '8s', '9s'];
  const counts = [16 * decks, ...Array(9).fill(4 * decks)];
  const total = 52 * decks, MORE = Symbol('more'), prefix = [];
  const ways = { player: 0, banker: 0, tie: 0 };
  const tail = [1]; // tail[k]: ways to fill positions k..5 of a six-card deal
  for (let k = 5; k >= 0; k--) tail.unshift(tail[0] * (total - k));
  const walk = (weight) => {
    let i = 0, coup;
    try {
      coup = playCoup(() => { if (i < prefix.length) return CLASS_CARD[prefix[i++]]; throw MORE; });
    } catch (e) {
      if (e !== MORE) throw e;
      for (let v = 0; v < 10; v++) {
        if (!counts[v]) continue;
        const w = weight * counts[v];
        counts[v]--; prefix.push(v);
        walk(w);
        counts[v]++; prefix.pop();
      }
      return;
    }
    ways[coup.winner] += weight * tail[prefix.length];
  };
  walk(1);
  return { ways, denominator: tail[0] };
}

test('an 8-deck shoe gives the published probabilities and house edges, enumerated exactly', () => {
  const { ways, denominator } = enumerateShoe(8);
  assert.equal(denominator, 416 * 415 * 414 * 413 * 412 * 411);
  assert.deepEqual(ways, { banker: 2292252566437888, player: 2230518282592256, tie: 475627426473216 });
  assert.ok(Object.values(ways).every(Number.isSafeInteger) && ways.banker + ways.player + ways.tie === denominator);
  const p = Object.fromEntries(Object.entries(ways).map(([k, w]) => [k, w / denominator]));
  // House edge per unit staked; a tie pushes the even-money bets.
  const edges = [p.player - 0.95 * p.banker, p.banker - p.player, p.banker + p.player - 8 * p.tie];
  assert.deepEqual(edges.map((x) => x.toFixed(6)), ['0.010579', '0.012351', '0.143596']);
});

test('the bead plate fills columns top to bottom; the big road runs streaks down, marks ties and turns a dragon tail', () => {
  const results = (s) => s.split('').map((c) => ({ winner: { B: 'banker', P: 'player', T: 'tie' }[c] }));
  assert.deepEqual(beadPlate(results('BPTBBPPBT'), 6).map((c) => [c.col, c.row]),
    [[0, 0], [0, 1], [0, 2], [0, 3], [0, 4], [0, 5], [1, 0], [1, 1], [1, 2]]);
  assert.deepEqual(beadPlate(results('BPTBBPPBT'), 2, 2).map((c) => [c.winner, c.col, c.row]),
    [['player', 0, 0], ['banker', 0, 1], ['tie', 1, 0]], 'only the newest columns');
  const road = (s) => bigRoad(results(s), 6);
  assert.deepEqual(road('TTBBPTTPB').map((c) => [c.winner[0], c.col, c.row, c.ties]),
    [['b', 0, 0, 2], ['b', 0, 1, 0], ['p', 1, 0, 2], ['p', 1, 1, 0], ['b', 2, 0, 0]]);
  // Eight bankers in a six-row road turn right along the bottom row; the next
  // streak starts in the second column and turns above the tail.
  assert.deepEqual(road('BBBBBBBB').slice(5).map((c) => [c.col, c.row]), [[0, 5], [1, 5], [2, 5]]);
  const cells = road('BBBBBBBPPPPPPB');
  assert.deepEqual(cells.filter((c) => c.winner === 'player').map((c) => [c.col, c.row]), [[1, 0], [1, 1], [1, 2], [1, 3], [1, 4], [2, 4]]);
  assert.deepEqual(cells.at(-1), { winner: 'banker', col: 2, row: 0, ties: 0, playerPair: false, bankerPair: false, natural: false });
  assert.deepEqual(road('TTT'), []);
  assert.deepEqual(tally([{ winner: 'banker', playerPair: true }, { winner: 'tie' }, { winner: 'banker', bankerPair: true }]),
    { player: 0, banker: 2, tie: 1, playerPair: 1, bankerPair: 1 });
});

const make = (storage, seed = 7, log = logSink()) => new BaccaratTable({ storage, random: createRandom(seededSource(seed)), log });

test('each coup changes the bankroll by exactly its settled amount, and a reload carries on the same shoe', () => {
  const storage = new FakeStorage();
  const table = make(storage);
  let expected = table.bankroll;
  for (let round = 0; round < 40; round++) {
    table.selectChip(round % 2 ? 5 : 25);
    for (const spot of ['banker', 'tie', 'playerPair']) assert.ok(table.place(spot).ok);
    const staked = table.slip.totalCents;
    assert.ok(table.deal().ok);
    assert.equal(table.bankroll, expected - staked);
    const done = table.finishCoup();
    assert.equal(done.returned, Object.values(done.paid).reduce((a, b) => a + b, 0));
    expected += done.returned - staked;
    assert.equal(table.bankroll, expected);
  }
  const again = make(storage, 99);
  assert.deepEqual([again.bankroll, again.results.length, again.cardsLeft], [expected, 40, table.cardsLeft]);
  assert.deepEqual([again.results, again.state.history], [table.results, table.state.history]);
  assert.ok(again.repeat().ok);
  assert.deepEqual(again.slip.toObject(), { banker: 5, tie: 5, playerPair: 5 });
  // The reloaded shoe holds the cards seen, then exactly the ones not yet seen.
  const count = (cards) => cards.reduce((m, c) => m.set(c, (m.get(c) ?? 0) + 1), new Map());
  assert.equal(again.shoe.cards.length, 416);
  assert.ok([...count(again.shoe.cards).values()].every((n) => n === 8));
  assert.deepEqual(again.shoe.cards.slice(0, again.shoe.dealt), table.shoe.cards.slice(0, table.shoe.dealt));
});

test('a coup interrupted by a reload is paid on the next visit, once', () => {
  const storage = new FakeStorage();
  const table = make(storage, 11);
  table.place('player', 100);
  const deal = table.deal();
  assert.equal(table.place('tie', 1).ok, false, 'no bets while the cards are out');
  const reloaded = make(storage, 12);
  assert.equal(reloaded.recovered.returned, deal.returned);
  assert.deepEqual([reloaded.bankroll, reloaded.results.length], [100000 - 10000 + deal.returned, 1]);
  assert.equal(make(storage, 13).bankroll, reloaded.bankroll);
});

test('a new shoe burns by its first card and the scoreboard starts again after the cut card', () => {
  const table = make(new FakeStorage(), 5);
  const { card, count } = table.burned;
  assert.equal(table.shoe.dealt, 1 + count);
  assert.equal(count, ({ A: 1, T: 10, J: 10, Q: 10, K: 10 })[card[0]] ?? Number(card[0]));
  let coups = 0, shuffled = false;
  while (!shuffled && coups < 90) {
    table.place('banker', 1);
    shuffled = table.deal().shuffled;
    table.finishCoup();
    coups++;
  }
  // A coup takes four to six cards and the cut card sits sixteen from the back.
  assert.ok(shuffled && coups >= Math.ceil((416 - 16 - 1 - count) / 6) && coups <= Math.ceil((416 - 16 - 1 - count) / 4) + 1, `${coups}`);
  assert.deepEqual([table.results.length, table.state.stats.shoes], [1, 2]);
});

test('unreadable saves fall back safely and bad bets are refused with a reason', () => {
  const log = logSink();
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({
    version: 1, bankroll: 20000, game: { shoe: { dealt: ['Zz', 'As'] }, pending: { staked: 'x', bets: {}, coup: {} } },
  }) });
  const table = make(storage, 1, log);
  assert.deepEqual([table.bankroll, table.pending], [20000, null]);
  assert.ok(log.lines.some((l) => /saved shoe was unreadable/.test(l)));
  const nineAces = make(new FakeStorage({ [STORE_KEY]: JSON.stringify({ game: { shoe: { dealt: Array(9).fill('As') } } }) }), 1, log);
  assert.ok(nineAces.burned && nineAces.shoe.dealt === 1 + nineAces.burned.count, 'nine aces of spades: not an 8-deck shoe');
  assert.match(table.place('dragon', 1).reason, /no such place/);
  assert.match(table.place('tie', 501).reason, /most on tie/);
  assert.match(table.deal().reason, /Place a bet/);
});
