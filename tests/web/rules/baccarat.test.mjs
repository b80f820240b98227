// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { cardValue, handTotal, bankerDraws, playCoup, settle, bankerWin, dealOrder, beadPlate, bigRoad, tally }
  from '../../../web/js/rules/baccarat.js';
import { BaccaratGame, STORE_KEY } from '../../../web/js/baccarat/game.js';
import { createRandom, seededSource } from '../../../web/js/kit/random.js';
import { FakeStorage, logSink } from '../support/helpers.mjs';

const dealFrom = (cards) => { let i = 0; return () => cards[i++]; };

test('cards count their baccarat value, hands keep the last digit, and the banker draws by the full tableau', () => {
  assert.deepEqual(['As', '2c', '5d', '9h', 'Ts', 'Jc', 'Qd', 'Kh'].map(cardValue), [1, 2, 5, 9, 0, 0, 0, 0]);
  assert.deepEqual([['9h', '8c'], ['Ks', 'Th'], ['5s', '5h', 'As']].map(handTotal), [7, 0, 1]);
  for (const bad of ['1s', 'Ax', 'as', 'A', 'Asx', 10, null]) assert.throws(() => cardValue(bad), /not a card/, String(bad));
  // Rows: banker total 0 to 7; columns: player stood, then his third card 0 to 9. D draws, S stands.
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
    // shoe order, player, banker, winner, natural
    ['As Kd 7c 2h 9s', 'As 7c', 'Kd 2h', 'player', true],
    ['2c 9d 3c Kd', '2c 3c', '9d Kd', 'banker', true],
    ['2c 3d 2d 2h 6s Ts', '2c 2d 6s', '3d 2h Ts', 'banker', false], // player 4 draws a 6; banker 5 draws on a 6
    ['3c 3d 3h 2h 4s', '3c 3h', '3d 2h 4s', 'banker', false], // player 6 stands; banker 5 draws as if he stood
    ['7c 7d Kh 7s 3c', '7c Kh', '7d 7s 3c', 'tie', false], // banker's pair of sevens makes 4, draws a 3 and ties
  ];
  for (const [shoe, player, banker, winner, natural] of coups) {
    const coup = playCoup(dealFrom(shoe.split(' ')));
    assert.deepEqual([coup.player.join(' '), coup.banker.join(' '), coup.winner, coup.natural], [player, banker, winner, natural], shoe);
    assert.deepEqual([coup.playerPair, coup.bankerPair], [player[0] === player[3], banker[0] === banker[3]], shoe);
  }
  const order = (shoe) => dealOrder(playCoup(dealFrom(shoe.split(' '))));
  assert.deepEqual(order('2c 3d 2d 2h 6s Ts'), [['player', 0], ['banker', 0], ['player', 1], ['banker', 1], ['player', 2], ['banker', 2]]);
  assert.deepEqual(order('3c 3d 3h 2h 4s').at(-1), ['banker', 2]);
  assert.throws(() => order('7c 7d Kh'), /not a card/);
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

test('an 8-deck shoe gives the published probabilities and house edges, enumerated exactly', () => {
  // Every ordered run of six card values, weighted by its ways to be drawn from the shoe (a coup using
  // fewer cards leaves the rest to sum out); all weights share the denominator 416·415·...·411 < 2^53.
  const CLASS_CARD = ['Ts', 'As', '2s', '3s', '4s', '5s', '6s', '7s', '8s', '9s'];
  const counts = [128, ...Array(9).fill(32)], run = [];
  const ways = { banker: 0, player: 0, tie: 0 };
  const walk = (depth, weight) => {
    if (depth === 6) { let i = 0; ways[playCoup(() => CLASS_CARD[run[i++]]).winner] += weight; return; }
    for (let v = 0; v < 10; v++) { run[depth] = v; walk(depth + 1, weight * counts[v]--); counts[v]++; }
  };
  walk(0, 1);
  const denominator = 416 * 415 * 414 * 413 * 412 * 411;
  assert.deepEqual(ways, { banker: 2292252566437888, player: 2230518282592256, tie: 475627426473216 });
  assert.equal(ways.banker + ways.player + ways.tie, denominator);
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
  // A streak longer than the road turns right along the bottom; the next turns above that tail.
  assert.deepEqual(road('BBBBBBBB').slice(5).map((c) => [c.col, c.row]), [[0, 5], [1, 5], [2, 5]]);
  const cells = road('BBBBBBBPPPPPPB');
  assert.deepEqual(cells.filter((c) => c.winner === 'player').map((c) => [c.col, c.row]), [[1, 0], [1, 1], [1, 2], [1, 3], [1, 4], [2, 4]]);
  assert.deepEqual(cells.at(-1), { winner: 'banker', col: 2, row: 0, ties: 0, playerPair: false, bankerPair: false, natural: false });
  assert.deepEqual([road('TTT'), bigRoad(results('BBBBPPPB'), 2).at(-1).col], [[], 4], 'a streak starts beside a tail');
  assert.deepEqual(tally([{ winner: 'banker', playerPair: true }, { winner: 'tie' }, { winner: 'banker', bankerPair: true }]),
    { player: 0, banker: 2, tie: 1, playerPair: 1, bankerPair: 1 });
});

const make = (storage, seed = 7, log = logSink()) => new BaccaratGame({ storage, random: createRandom(seededSource(seed)), log });

test('each coup changes the bankroll by exactly its settled amount; a reload keeps the shoe and pays an open coup once', () => {
  const storage = new FakeStorage(), table = make(storage);
  let expected = table.bankroll;
  for (let round = 0; round < 40; round++) {
    table.slip.selectChip(round % 2 ? 5 : 25);
    for (const spot of ['banker', 'tie', 'playerPair']) assert.ok(table.place(spot).ok);
    const staked = table.slip.totalCents;
    assert.ok(table.deal().ok);
    assert.equal(table.bankroll, expected - staked);
    const done = table.settle();
    assert.equal(done.returned, Object.values(done.paid).reduce((a, b) => a + b, 0));
    expected += done.returned - staked;
    assert.equal(table.bankroll, expected);
  }
  const again = make(storage, 99);
  assert.deepEqual([again.bankroll, again.results, again.state.history, again.cardsLeft],
    [expected, table.results, table.state.history, table.cardsLeft]);
  // The reloaded shoe holds the cards seen, then exactly the ones not yet seen.
  const count = (cards) => cards.reduce((m, c) => m.set(c, (m.get(c) ?? 0) + 1), new Map());
  assert.ok(again.shoe.cards.length === 416 && [...count(again.shoe.cards).values()].every((n) => n === 8));
  assert.deepEqual(again.shoe.cards.slice(0, again.shoe.dealt), table.shoe.cards.slice(0, table.shoe.dealt));
  assert.ok(again.slip.repeat().ok);
  assert.deepEqual(again.slip.toObject(), { banker: 5, tie: 5, playerPair: 5 });
  // The page goes away while the cards are out, before settle().
  const deal = again.deal();
  assert.equal(again.place('tie', 1).ok, false, 'no bets while the cards are out');
  const reloaded = make(storage, 12);
  assert.deepEqual([reloaded.recovered.returned, reloaded.bankroll, reloaded.results.length], [deal.returned, expected - 1500 + deal.returned, 41]);
  assert.equal(make(storage, 13).bankroll, reloaded.bankroll);
});

test('a new shoe burns by its first card and the scoreboard starts again after the cut card', () => {
  const table = make(new FakeStorage(), 3), { count } = table.burned;
  assert.deepEqual([table.burned, table.shoe.dealt], [{ card: 'Kc', count: 10 }, 11], 'a picture card burns ten');
  let coups = 0, shuffled = false;
  for (; !shuffled && coups < 90; coups++) {
    table.place('banker', 1);
    shuffled = table.deal().shuffled;
    table.settle();
  }
  // A coup takes four to six cards and the cut card sits sixteen from the back.
  const left = 416 - 16 - 1 - count;
  assert.ok(shuffled && coups > left / 6 && coups <= Math.ceil(left / 4) + 1, `${coups} coups`);
  assert.deepEqual([table.results.length, table.state.stats.shoes], [1, 2]);
});

test('unreadable saves fall back safely and bad bets are refused with a reason', () => {
  const log = logSink();
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({
    version: 1, bankroll: 20000, game: { shoe: { dealt: ['Zz', 'As'] }, pending: { staked: 'x', bets: {}, coup: {} } },
  }) });
  const table = make(storage, 1, log);
  assert.deepEqual([table.bankroll, table.round], [20000, null]);
  assert.ok(log.lines.some((l) => /saved shoe was unreadable/.test(l)));
  const nineAces = make(new FakeStorage({ [STORE_KEY]: JSON.stringify({ game: { shoe: { dealt: Array(9).fill('As') } } }) }), 1, log);
  assert.ok(nineAces.burned && nineAces.shoe.dealt === 1 + nineAces.burned.count, 'nine aces of spades: not an 8-deck shoe');
  assert.match(table.place('dragon', 1).reason, /no such place/);
  assert.match(table.place('tie', 501).reason, /most on Tie/);
  assert.match(table.deal().reason, /Place a bet/);
});
