// SPDX-License-Identifier: GPL-3.0-or-later
// Every table opened on a save that was tampered with, cut short or written
// by something else: it must come up playable, with the chips kept where they
// could be read.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { RouletteGame, STORE_KEY as ROULETTE } from '../../web/js/roulette/game.js';
import { BlackjackGame, STORE_KEY as BLACKJACK } from '../../web/js/blackjack/game.js';
import { BaccaratGame, STORE_KEY as BACCARAT } from '../../web/js/baccarat/game.js';
import { PokerGame, STORE_KEY as POKER } from '../../web/js/poker/game.js';
import { createRandom, seededSource } from '../../web/js/kit/random.js';
import { STARTING_BANKROLL } from '../../web/js/kit/money.js';
import { lobbySummary } from '../../web/js/kit/history.js';
import { FakeStorage, logSink } from './support/helpers.mjs';

const aces = (n) => Array(n).fill('As');
const TABLES = [
  { id: 'roulette', key: ROULETTE, before: 'pending', stake: 'staked', limit: 100,
    open: (storage, log, seed) => new RouletteGame({ storage, log, random: createRandom(seededSource(seed)) }),
    start: (t) => (t.place('red', 5), t.spin()), finish: (t) => t.settle(),
    staked: (r) => r.staked, onLoad: (r) => r.returned,
    aces: (s) => { s.game.spins = Array(10000).fill(0); return 'carried'; },
    named: (r) => { r.bets = { constructor: 5 }; } },
  { id: 'blackjack', key: BLACKJACK, stake: 'hands', limit: 50,
    open: (storage, log, seed) => new BlackjackGame({ storage, log, random: createRandom(seededSource(seed)) }),
    start: (t) => (t.slip.place('bet', 5), t.deal()),
    finish: (t) => {
      if (t.phase === 'insurance') t.insure(false);
      while (t.phase === 'player') t.play('stand');
      while (t.dealerDrawing) t.dealerDraw();
    },
    staked: (r) => r.hands.reduce((sum, h) => sum + h.bet, r.insurance), onLoad: () => 0,
    aces: (s) => { s.game.shoe.cards = 'As'.repeat(10000); s.game.round.hands[0].cards = aces(10000); return 'returned'; },
    named: (r) => { r.phase = 'constructor'; },
    // A finished round saved without its outcomes once blanked the table on every visit.
    finished: (r) => { r.phase = 'done'; delete r.outcomes; } },
  // Two seats: each seat's fields as well as the round's are checked.
  { id: 'blackjack-seats', table: 'blackjack', key: BLACKJACK, stake: 'hands', limit: 50, wagered: 1000,
    open: (storage, log, seed) => new BlackjackGame({ storage, log, random: createRandom(seededSource(seed)) }),
    start: (t) => (t.seats === 2 || t.setSeats(2), t.slip.place('bet', 5), t.slip.place('bet2', 5), t.deal()),
    finish: (t) => {
      while (t.phase === 'insurance') t.insure(false);
      while (t.phase === 'player') t.play('stand');
      while (t.dealerDrawing) t.dealerDraw();
    },
    staked: (r) => r.hands.reduce((sum, h) => sum + h.bet, r.insurance), onLoad: () => 0,
    aces: (s) => { s.game.shoe.cards = 'As'.repeat(10000); s.game.round.hands[1].cards = aces(10000); return 'returned'; },
    named: (r) => { r.hands[1].seat = '__proto__'; } },
  { id: 'baccarat', key: BACCARAT, before: 'pending', stake: 'staked', limit: 50,
    open: (storage, log, seed) => new BaccaratGame({ storage, log, random: createRandom(seededSource(seed)) }),
    start: (t) => (t.place('player', 5), t.deal()), finish: (t) => t.settle(),
    staked: (r) => r.staked, onLoad: (r) => r.returned,
    aces: (s) => { s.game.shoe.dealt = aces(10000); s.game.round.coup.player = aces(1001); return 'returned'; },
    named: (r) => { r.coup.winner = 'constructor'; } },
  { id: 'poker', key: POKER, before: 'hand', stake: 'ante', limit: 50,
    open: (storage, log, seed) => new PokerGame({ storage, log, random: createRandom(seededSource(seed)) }),
    start: (t) => (t.slip.place('ante', 5), t.deal()), finish: (t) => t.fold(),
    staked: (r) => r.ante + r.aaBonus, onLoad: () => 0,
    aces: (s) => { s.game.round.board = aces(10000); return 'returned'; },
    named: (r) => { r.player[0] = '__proto__'; } },
];

// A save with one round settled and the next in play, as the page leaves it when closed mid-round.
function midRound(def) {
  for (let seed = 1; ; seed++) {
    const storage = new FakeStorage(), t = def.open(storage, () => {}, seed);
    def.start(t); def.finish(t);
    if (def.start(t).ok && t.state.game.round) return JSON.parse(storage.getItem(def.key));
  }
}

const DEEP = '{"deep":'.repeat(10000) + '{}' + '}'.repeat(10000);
const retype = (r) => { for (const k of Object.keys(r)) r[k] = typeof r[k] === 'string' ? 7 : 'x'; };

// Each case changes the save (or gives its text) and says what the chips should be after loading.
const CASES = [
  ['a sound save', () => 'carried'],
  ['wrong types', (s) => {
    Object.assign(s, { settings: 'x', stats: [1] });
    for (const k of Object.keys(s.game)) if (k !== 'round') s.game[k] = typeof s.game[k] === 'string' ? 7 : 'x';
    return 'carried';
  }],
  ['a round of wrong types', (s, def) => (retype(s.game.round), 'kept')],
  ['NaN chips', (s) => [JSON.stringify(s).replace(/"bankroll":\d+,"settings"/, '"bankroll":NaN,"settings"')
    .replace(/"rounds":\d+/, '"rounds":NaN'), 'record']],
  ['negative chips and no record', (s) => (Object.assign(s, { bankroll: -500, history: [] }), 'start')],
  ['a shoe of 10,000 aces', (s, def) => def.aces(s)],
  ['prototype keys', (s, def) => {
    def.named(s.game.round);
    return [JSON.stringify(s).replace('{', '{"__proto__":{"bankroll":1},').replace('"stats":{', '"stats":{"constructor":3,')
      .replace('"game":{', '"game":{"constructor":{"x":1},"prototype":1,'), 'returned'];
  }],
  ['deep nesting', (s) => [JSON.stringify(s).replace('"game":{', `"game":{"deep":${DEEP},`)
    .replace('"history":[', `"history":[${DEEP},`).replace('"round":{', `"round":{"deep":${DEEP},`), 'returned']],
  ['100,000 history records', (s) => (s.history = [...Array(100000).fill({ net: 0 }), s.history.at(-1)], 'carried')],
  ['10,000 favourites', (s) => (s.game.favourites = Array.from({ length: 10000 }, (_, i) => ({ name: `f${i}`, bets: { red: 1 } })), 'carried')],
];
for (const def of TABLES) {
  for (const field of Object.keys(midRound(def).game.round)) {
    // Where the stake is counted from the hands, it is only kept for the lobby.
    if (field === 'staked' && def.stake !== 'staked') continue;
    CASES.push([`a round without ${field}`, (s) => (delete s.game.round[field],
      field === def.stake ? 'kept' : 'returned'), def.id]);
  }
  for (const field of Object.keys(midRound(def).game.round.seats?.[1] ?? {})) {
    CASES.push([`a seat without ${field}`, (s) => (delete s.game.round.seats[1][field], 'returned'), def.id]);
  }
  if (def.finished) CASES.push(['a finished round without its outcomes', (s) => (def.finished(s.game.round), 'returned'), def.id]);
}

test('every table comes up playable from each hostile save, its chips kept where they could be read', () => {
  for (const def of TABLES) {
    const saved = midRound(def);
    const round = saved.game.round, bankroll = saved.bankroll;
    const chips = { carried: bankroll + def.onLoad(round), returned: bankroll + def.staked(round), kept: bankroll,
      record: saved.history.at(-1).bankroll, start: STARTING_BANKROLL };
    for (const [name, make, only] of CASES) {
      if (only && only !== def.id) continue;
      const what = `${def.id}: ${name}`, s = structuredClone(saved);
      const made = make(s, def);
      const [text, expected] = Array.isArray(made) ? made : [JSON.stringify(s), made];
      const storage = new FakeStorage({ [def.key]: text }), log = logSink();
      const t = def.open(storage, log, 7);
      assert.equal(t.bankroll, chips[expected], `${what}: chips`);
      assert.equal(log.lines.length > 0, name !== 'a sound save', `${what}: logged ${log.lines}`);
      assert.ok(log.lines.filter((l) => /set aside/.test(l)).length <= 1, `${what}: one line for the round`);
      const state = t.state;
      assert.ok(state.history.length <= def.limit && !Object.hasOwn(state.stats, 'constructor'), what);
      assert.ok(!Array.isArray(t.favourites) || t.favourites.length <= 12, what);
      assert.equal(({}).bankroll, undefined, what);
      // Playable: whatever is in play finishes, then a new round is dealt and settled.
      def.finish(t);
      const started = def.start(t);
      assert.ok(started.ok, `${what}: ${started.reason}`);
      def.finish(t);
      assert.ok(!state.game.round && state.history.at(-1).bankroll === t.bankroll, `${what}: settled`);
      if (name === 'NaN chips') assert.equal(state.stats.wagered, saved.stats.wagered + (def.wagered ?? 500), `${what}: the other fields kept`);
      // What it wrote back is a save that reads without a repair.
      const again = logSink();
      assert.equal(def.open(storage, again, 7).bankroll, t.bankroll, what);
      assert.deepEqual(again.lines, [], what);
    }
  }
});

test('a save from before the tables kept their round in play under one name loads, shows its stake and plays on', () => {
  for (const def of TABLES) {
    const saved = midRound(def), round = saved.game.round;
    delete saved.game.round;
    // Then only roulette and baccarat wrote down the stake of the round in play.
    saved.game[def.before ?? 'round'] = def.stake === 'staked' ? round : { ...round, staked: undefined };
    const storage = new FakeStorage({ [def.key]: JSON.stringify(saved) });
    const shown = lobbySummary(storage, 0).tables.find((t) => t.id === (def.table ?? def.id));
    assert.equal(shown.inPlay, def.stake === 'staked', `${def.id}: the lobby reads what the save says`);
    const t = def.open(storage, logSink(), 7);
    // Kept in play as it was, or (where the table settles a round it finds on opening) settled once.
    assert.equal(t.bankroll, saved.bankroll + def.onLoad(round), def.id);
    if (t.round) assert.deepEqual(t.state.game.round, round, def.id);
    else assert.equal(t.state.history.length, saved.history.length + 1, def.id);
    const later = lobbySummary(storage, 0).tables.find((x) => x.id === (def.table ?? def.id));
    assert.equal(later.staked, t.round ? def.staked(round) : 0, `${def.id}: the stake in play, once opened`);
    def.finish(t);
    assert.ok(!t.state.game.round && !(def.before in t.state.game), def.id);
  }
});

test('a round left in play at any table is paid once after a reload, and its bets repeat', () => {
  for (const def of TABLES) {
    const storage = new FakeStorage(), t = def.open(storage, () => {}, 3);
    def.start(t);
    const bets = t.slip.last && Object.fromEntries(t.slip.last), staked = def.staked(t.state.game.round);
    assert.equal(t.bankroll, STARTING_BANKROLL - staked, `${def.id}: staked at the deal`);
    const reopened = def.open(storage, () => {}, 4);
    def.finish(reopened);
    const after = def.open(storage, () => {}, 5), [record] = after.state.history;
    assert.deepEqual([after.state.history.length, after.bankroll, record.bankroll], [1, STARTING_BANKROLL + record.net, after.bankroll], def.id);
    assert.ok(after.slip.repeat().ok, def.id);
    assert.deepEqual(after.slip.toObject(), bets, def.id);
  }
});
