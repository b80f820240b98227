// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { chipSeries, eveningStart, lobbySummary as summary, EVENING_KEY, stakesOf } from '../../web/js/kit/history.js';
import { recordOf as rouletteRecord } from '../../web/js/roulette/record.js';
import { recordOf as baccaratRecord } from '../../web/js/baccarat/record.js';
import { recordOf as blackjackRecord } from '../../web/js/blackjack/record.js';
import { recordOf as pokerRecord } from '../../web/js/poker/record.js';
import { TableState, HISTORY_LIMIT } from '../../web/js/kit/state.js';
import { STARTING_BANKROLL } from '../../web/js/kit/money.js';
import { expectedTake, takeFromStats } from '../../web/js/rules/edges.js';
import { deal, act, answerInsurance, dealerStep } from '../../web/js/rules/blackjack.js';
import { RouletteGame } from '../../web/js/roulette/game.js';
import { BaccaratGame } from '../../web/js/baccarat/game.js';
import { BlackjackGame } from '../../web/js/blackjack/game.js';
import { PokerGame } from '../../web/js/poker/game.js';
import { createRandom, seededSource } from '../../web/js/kit/random.js';
import { chartPoints } from '../../web/js/lobby-art.js';
import { FakeStorage } from './support/helpers.mjs';

const stacked = (text) => { const cards = text.split(' '); let i = 0; return () => cards[i++]; };
const lobbySummary = (storage, since) => summary(storage, since, takeFromStats);
const brief = (record) => [record.bets.map((b) => `${b.kind} ${b.staked}>${b.returned}`).join(', '), record.net];

test('every table records its round with each bet, the net and what was shown', () => {
  // Eights split against a six: the first takes a three and doubles to 21, the second stands on 17; the dealer busts.
  const shoe = stacked('8s 6c 8h Tc 3d Td 9c 7d');
  const split = deal(shoe, 100);
  act(split, 'split', shoe); act(split, 'double', shoe); act(split, 'stand', shoe);
  while (split.phase === 'dealer') dealerStep(split, shoe);
  const bj = blackjackRecord(split, 100300, 1);
  assert.deepEqual([brief(bj), bj.shown.hands], [['main 100>200, double 100>200, split 100>200', 300], [['8s', '3d', 'Td'], ['8h', '9c']]]);
  // Insured against the dealer's blackjack: the hand lost, the insurance paid 2:1.
  const insured = answerInsurance(deal(stacked('Ts Ac 9h Kd'), 100), true);
  assert.deepEqual(brief(blackjackRecord(insured, 0)), ['main 100>0, insurance 50>150', 0]);

  const roulette = rouletteRecord({ number: 17, bets: [{ spot: '17', kind: 'straight', staked: 100, returned: 3600 }, { spot: 'black', kind: 'black', staked: 500, returned: 0 }] }, 0);
  assert.deepEqual([brief(roulette), roulette.bets[0].spot], [['straight 100>3600, black 500>0', 3000], '17']);
  const coup = { coup: { player: ['9c', 'Kd'], banker: ['8c', 'Ah'], winner: 'player' }, bets: { player: 10, tie: 1 }, paid: { player: 2000, tie: 0 } };
  assert.deepEqual(brief(baccaratRecord(coup, 0)), ['player 1000>2000, tie 100>0', 900], 'chips staked, cents paid');
  const folded = { ante: 500, aaBonus: 100, call: 0, folded: true, player: ['As', 'Ad'], dealer: ['2c', '7d'], board: ['Ah', '9s', '4c', 'Kd', '3h'] };
  assert.deepEqual(brief(pokerRecord(folded, 0)), ['ante 500>0, aaBonus 100>800', 200], 'trip aces on the flop pay the bonus 7:1 though folded');

  // The records are what the expected take reads: the blackjack round counts its main bet only, plus insurance.
  const take = expectedTake([bj, blackjackRecord(insured, 0), roulette]);
  assert.ok(Math.abs(take - (2 * 100 * 0.0042 + 50 * 23 / 311 + 600 / 37)) < 1e-9);
});

test("a table's chips over its last rounds come from the records, older ones counted back", () => {
  const history = [{ staked: 100, returned: 200 }, { net: -500 }, { net: 300, bankroll: 100300 }];
  assert.deepEqual([chipSeries(history, 100300), chipSeries(history, 100300, 2)], [[100500, 100000, 100300], [100000, 100300]]);
});

test('the lobby reads each table: chips, the evening, a hand in play, and the take against the result', () => {
  const session = new FakeStorage();
  const since = eveningStart(session, 1000);
  assert.deepEqual([since, eveningStart(session, 5000), session.getItem(EVENING_KEY)], [1000, 1000, '1000']);
  assert.equal(eveningStart(Object.assign(new FakeStorage(), { broken: true }), 7), 7);

  const storage = new FakeStorage();
  let evening = 1;
  const roulette = new TableState({ storage, storeKey: 'roulette-royale.v1', evening: () => evening, takeOf: (r) => expectedTake([r]) });
  // Sixty spins of 37 chips on red, won one time in three: the history keeps fifty, the statistics and the
  // evening all sixty.
  let bankroll = STARTING_BANKROLL;
  for (let i = 0; i < 60; i++) {
    const returned = i % 3 === 0 ? 7400 : 0;
    bankroll += returned - 3700;
    const record = rouletteRecord({ number: returned ? 1 : 0, bets: [{ spot: 'red', kind: 'red', staked: 3700, returned }] }, bankroll, 2000 + i);
    roulette.adjust(-3700);
    if (i === 10) evening = since;
    roulette.settle({ record });
  }
  assert.equal(roulette.history.length, HISTORY_LIMIT);
  const bj = new TableState({ storage, storeKey: 'blackjack-royale.v1' });
  bj.change((s) => { s.bankroll -= 500; s.game.round = { ...deal(stacked('Ts 6c 7h Tc'), 500), staked: 500 }; });

  const { tables, casino } = lobbySummary(storage, since);
  const [r, b, baccarat] = tables;
  assert.deepEqual([r.id, r.rounds, r.net, r.take, r.inPlay, r.series.length, r.series.at(-1), r.series[0]],
    ['roulette', 60, -74000, 6000, false, 30, STARTING_BANKROLL - 74000, STARTING_BANKROLL - 33300]);
  // The evening began after the first ten spins, which were counted into an earlier one: 16 won, 34 lost.
  assert.deepEqual(r.evening, { rounds: 50, net: -66600, take: 5000 });
  assert.deepEqual([b.inPlay, b.staked, b.net, b.bankroll], [true, 500, 0, STARTING_BANKROLL - 500]);
  assert.deepEqual([baccarat.inPlay, baccarat.rounds, baccarat.series, baccarat.bankroll], [false, 0, [], STARTING_BANKROLL]);
  assert.deepEqual(casino, {
    bankroll: 4 * STARTING_BANKROLL - 74000 - 500, rounds: 60, net: -74000, take: 6000,
    evening: { rounds: 50, net: -66600, take: 5000 },
  });
  assert.equal(storage.getItem('poker-royale.v1'), null, 'the lobby only reads');
  // The page's own fresh start begins the evening again with the rounds, as the shell's reset does.
  roulette.startAgain();
  const fresh = lobbySummary(storage, since).casino;
  assert.deepEqual([fresh.rounds, fresh.evening.rounds], [0, 0]);
});

// One round at each table, as its page plays it.
const ROUNDS = [
  ['roulette', (storage) => {
    const roulette = new RouletteGame({ storage, random: createRandom(seededSource(3)), log: () => {}, evening: () => 7 });
    // Every kind of layout bet a call or the first four makes must have an edge to count by.
    roulette.placeCall('orphelins', 17); roulette.place('first four', 2); roulette.place('red', 5);
    roulette.spin(); roulette.settle();
    return roulette;
  }],
  ['blackjack', (storage) => {
    const queue = '8s 6c 8h Tc 3d Td 9c 7d'.split(' ');
    const bj = new BlackjackGame({ storage, shoe: { draw: () => queue.shift(), needsShuffle: false, shuffle() {} }, log: () => {}, evening: () => 7 });
    bj.slip.place('bet', 1);
    bj.deal(); bj.play('split'); bj.play('double'); bj.play('stand');
    while (bj.dealerDrawing) bj.dealerDraw();
    return bj;
  }],
  ['baccarat', (storage) => {
    const baccarat = new BaccaratGame({ storage, random: createRandom(seededSource(3)), log: () => {}, evening: () => 7 });
    baccarat.place('banker', 10); baccarat.place('playerPair', 1); baccarat.deal(); baccarat.settle();
    return baccarat;
  }],
  ['poker', (storage) => {
    const poker = new PokerGame({ storage, random: createRandom(seededSource(5)), log: () => {}, evening: () => 7 });
    poker.slip.place('ante', 2); poker.slip.place('bonus', 1);
    poker.deal(); poker.call();
    return poker;
  }],
];

test('every table settles rounds the lobby reads: the take, the evening and the chips after each', () => {
  // Roulette's older entry, a slip of chips without a record's bets, stays readable beside the new one.
  const storage = new FakeStorage({ 'roulette-royale.v1': JSON.stringify({ version: 1, bankroll: 99000,
    stats: { rounds: 1, wagered: 1000, won: 0 }, history: [{ number: 5, staked: 1000, returned: 0, bets: { red: 10 } }] }) });
  const games = Object.fromEntries(ROUNDS.map(([id, play]) => [id, play(storage)]));
  const { tables } = lobbySummary(storage, 7);
  const near = (x, y) => Math.abs(x - y) < 1e-6;
  for (const summary of tables) {
    const entry = games[summary.id].state.history.at(-1);
    assert.ok(summary.recorded && near(summary.take, expectedTake([entry])) && near(summary.evening.take, summary.take), summary.id);
    assert.deepEqual([summary.evening.rounds, summary.evening.net, entry.bankroll], [1, entry.net, summary.bankroll], summary.id);
  }
  const [old, spin] = games.roulette.state.history, coup = games.baccarat.state.history[0];
  assert.deepEqual([games.roulette.numbers, Array.isArray(coup.player) && Array.isArray(coup.banker), typeof coup.winner],
    [[5, spin.shown.number], true, 'string'], 'the pages read the number and the cards where they always did');
  assert.deepEqual([stakesOf(old), stakesOf(coup).map((s) => s.spot), stakesOf(spin).some((s) => s.spot === 'first four' && s.chips === 2)],
    [[{ spot: 'red', staked: 1000, chips: 10 }], ['banker', 'playerPair'], true]);
  const [round] = games.blackjack.state.history, [hand] = games.poker.state.history;
  assert.deepEqual([round.bet, round.net, round.hands.length, round.outcomes.length, brief(round)[0]],
    [100, 300, 2, 2, 'main 100>200, double 100>200, split 100>200']);
  assert.deepEqual([hand.ante, hand.aaBonus, hand.call, hand.board.length, hand.net], [200, 100, 400, 5, hand.returned - 700]);
  // A level run or a single round is drawn across the chart, never off it.
  assert.ok([[5], [5, 5, 5], [1, 9]].every((series) => chartPoints(series).flat().every(Number.isFinite)));
});
