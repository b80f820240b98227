// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { BetSlip, chipBreakdown, isBelowMinimum } from '../../web/js/kit/bets.js';
import { formatChips, formatSigned, scale } from '../../web/js/kit/money.js';
import { cardLabel, cardName, isCard, parseCards, rankValue } from '../../web/js/kit/cards.js';
import { createRandom, cryptoSource, seededSource, Shoe } from '../../web/js/kit/random.js';
import { setPace, paced, isInstant } from '../../web/js/kit/pace.js';
import { spinPose } from '../../web/js/roulette/scene.js';
import { critical, FakeStorage } from './support/helpers.mjs';
import { STARTING_BANKROLL } from '../../web/js/kit/money.js';
import { PlayerSettings } from '../../web/js/kit/player.js';
import { autoPlan, autoPlay } from '../../web/js/kit/autoplay.js';
import { watchReality, realityDue } from '../../web/js/kit/reality.js';
import { RouletteGame } from '../../web/js/roulette/game.js';
import { BlackjackGame } from '../../web/js/blackjack/game.js';
import { WHEEL } from '../../web/js/rules/roulette.js';

// A slip over a bankroll the test can change: `slip.cents`.
const slip = (cents, limits = {}) => {
  const s = new BetSlip({ bankroll: () => s.cents, min: 5, max: 1000, ...limits });
  return Object.assign(s, { cents });
};

test('placing, undoing, clearing, doubling and repeating keep one consistent slip', () => {
  const s = slip(100000);
  s.selectChip(25);
  assert.ok(s.place('player').ok && s.place('tie', 5).ok && s.double().ok);
  assert.deepEqual(s.toObject(), { player: 50, tie: 10 });
  assert.ok(s.undo().ok && s.undo().ok, 'a double is undone in one step');
  assert.deepEqual(s.toObject(), { player: 25 });
  assert.ok(s.place('tie', 5).ok && s.clear().ok && s.undo().ok, 'a clear can be taken back');
  assert.deepEqual(s.commit(), { player: 25, tie: 5 });
  assert.ok(s.isEmpty && !s.canUndo && s.repeat().ok);
  assert.deepEqual(s.toObject(), { player: 25, tie: 5 });
  assert.deepEqual([s.undo().ok, s.undo().ok], [true, false]);
});

test('a closed slip refuses every change with its reason', () => {
  let closed = 'No more bets.';
  const s = new BetSlip({ bankroll: () => 100000, closed: () => closed });
  assert.deepEqual([s.place('red'), s.undo()].map((v) => v.reason), [closed, closed]);
  closed = '';
  assert.ok(s.place('red').ok && s.undo().ok);
});

test('the instant speed takes no time and the wheel then rests on its pocket at once', () => {
  setPace('instant');
  const pose = spinPose(0, { duration: paced(5200), from: 1, number: 17 });
  setPace('normal');
  assert.deepEqual([pose.done, [pose.wheel, pose.ball, pose.radius].every(Number.isFinite), paced(100), isInstant()],
    [true, true, 100, false]);
});

test('limits, minimums and the bankroll refuse a bet with a reason and leave the slip as it was', () => {
  const s = slip(3050, { spots: { tie: { max: 20 } } });
  assert.ok(s.place('tie', 20).ok);
  assert.match(s.place('tie', 1).reason, /most on tie is 20/);
  assert.match(s.place('banker', 11).reason, /Not enough chips/, 'a part chip cannot be staked');
  assert.ok(s.place('banker', 10).ok);
  for (const refused of [s.double(), s.selectChip(2), s.place('x', 0), s.place('x', 1.5)]) assert.equal(refused.ok, false);
  assert.deepEqual(s.toObject(), { tie: 20, banker: 10 });
  const capped = slip(10000000);
  assert.ok(capped.place('red', 600).ok && capped.place('black', 401).reason.includes('limit is 1,000 a round'));
  assert.ok(capped.place('black', 400).ok);

  const low = slip(100000, { spots: { straight: { min: 2 } } });
  assert.equal(low.commit(), null);
  for (const [chips, reason] of [[1, /least on straight is 2/], [3, /minimum is 5/], [1, /^$/]]) {
    assert.match(low.place('straight', chips).ok && low.readiness().reason, reason);
  }
  // The message itself is read in refusals.test.mjs.
  assert.deepEqual([isBelowMinimum(450, 5), isBelowMinimum(500, 5)], [true, false]);
});

test('chip breakdown, money formatting, exact scaling and strict card notation', () => {
  assert.deepEqual([1631, 60, 0].map((c) => chipBreakdown(c)), [[1000, 500, 100, 25, 5, 1], [25, 25, 5, 5], []]);
  assert.deepEqual([100000, 1250, 5, -123456].map(formatChips), ['1,000', '12.50', '0.05', '-1,234.56']);
  assert.deepEqual([-1500, 0, 250].map(formatSigned), ['-15', '±0', '+2.50']);
  // A sub-cent remainder goes to the house, on a loss as well as a win.
  const scaled = [[1000, 3, 2, 1500], [100, 19, 20, 95], [1, 1, 2, 0], [-1, 1, 2, -1], [Number.MAX_SAFE_INTEGER, 3, 3, Number.MAX_SAFE_INTEGER]];
  for (const [c, n, d, want] of scaled) assert.equal(scale(c, n, d), want, `${c} × ${n}/${d}`);
  assert.deepEqual(parseCards('As Td, 9h'), ['As', 'Td', '9h']);
  for (const bad of ['as', 'AS', '10h', 'A', 'Asx', '', 'Xx', null, 42]) assert.equal(isCard(bad), false, String(bad));
  assert.throws(() => parseCards('As 1h'), TypeError);
  assert.deepEqual([cardLabel('Td'), cardName('As'), rankValue('2c'), rankValue('Ah')], ['10♦', 'Ace of Spades', 2, 14]);
});

const chiSquare = (counts, expected) => counts.reduce((s, o) => s + (o - expected) ** 2 / expected, 0);
// How far six items shuffled 60,000 times are from landing in every position equally often.
function positionStatistic(shuffle, size = 6, trials = 60000) {
  const counts = new Array(size * size).fill(0);
  for (let t = 0; t < trials; t++) shuffle([...Array(size).keys()]).forEach((item, at) => { counts[item * size + at]++; });
  return chiSquare(counts, trials / size);
}
// The two classic mistakes: a swap partner from the whole array, or from below i only.
const flawedShuffle = (random, span) => (items) => {
  for (let i = items.length - 1; i > 0; i--) {
    const j = random.randomInt(span(i, items.length));
    [items[i], items[j]] = [items[j], items[i]];
  }
  return items;
};

test('shuffles and randomInt are uniform, from a seeded source and from crypto', () => {
  for (const source of [seededSource(20261206), cryptoSource()]) {
    const random = createRandom(source);
    assert.ok(positionStatistic(random.shuffle) < critical(25));
    const counts = new Array(37).fill(0);
    for (let i = 0; i < 74000; i++) counts[random.randomInt(37)]++;
    assert.ok(chiSquare(counts, 2000) < critical(36));
  }
  const seeded = createRandom(seededSource(7));
  assert.ok(positionStatistic(flawedShuffle(seeded, (i, n) => n)) > critical(25), 'the test catches a naive shuffle');
  assert.ok(positionStatistic(flawedShuffle(seeded, (i) => i)) > critical(25), 'and an off-by-one one');
});

test('randomInt rejects the biased top of the range, stays in [0, n) and refuses bad input', () => {
  // 2^32 mod 3 is 1, so 2^32 - 1 is the one value that must be drawn again.
  const script = [0xffffffff, 0xfffffffe];
  assert.deepEqual([createRandom(() => script.shift()).randomInt(3), script.length], [0xfffffffe % 3, 0]);
  const edges = [0, 1, 0x7fffffff, 0x80000000, 0xfffffffe, 0xffffffff];
  let k = 0;
  const cycling = createRandom(() => edges[k++ % edges.length]);
  for (const n of [1, 2, 3, 7, 52, 312, 1e9, 2 ** 31 + 1, 2 ** 32 - 1, 2 ** 32]) {
    const xs = Array.from({ length: 12 }, () => cycling.randomInt(n));
    assert.ok(xs.every((x) => Number.isInteger(x) && x >= 0 && x < n), `${xs} for n = ${n}`);
  }
  for (const n of [0, -1, 1.5, NaN, 2 ** 32 + 1, '6']) assert.throws(() => cycling.randomInt(n), RangeError);
  for (const bad of [-1, 2 ** 32, 0.5]) assert.throws(() => createRandom(() => bad).randomInt(6), RangeError);
});

test('a shoe deals whole decks, asks for a shuffle at its cut card and never runs dry', () => {
  const shoe = new Shoe({ decks: 6, penetration: 0.75, random: createRandom(seededSource(3)) });
  const counts = new Map();
  const take = () => { const c = shoe.draw(); counts.set(c, (counts.get(c) ?? 0) + 1); };
  while (!shoe.needsShuffle) take();
  assert.equal(shoe.dealt, 234);
  while (shoe.remaining) take();
  assert.deepEqual([counts.size, new Set(counts.values())], [52, new Set([6])]);
  assert.ok(isCard(shoe.draw()), 'running past the last card reshuffles instead of failing the round');
  assert.deepEqual([shoe.reshuffles, shoe.remaining], [1, 311]);
  assert.throws(() => new Shoe({ decks: 0 }), RangeError);
  assert.throws(() => new Shoe({ penetration: 0 }), RangeError);
});

// Auto-play over the real roulette and blackjack games, each wheel and shoe scripted.
const roulette = (pockets, bankroll = STARTING_BANKROLL) => {
  const storage = new FakeStorage({ 'roulette-royale.v1': JSON.stringify({ version: 1, bankroll }) });
  const game = new RouletteGame({ storage, random: { randomInt: () => WHEEL.indexOf(pockets.shift()) }, log: () => {}, evening: () => 7 });
  game.place('red', 10);
  return Object.assign(game, { run: () => game.spin().ok && game.settle() });
};

test('auto-play plays the last bets again and stops at every condition the player can choose, or the table needs', async () => {
  const R = 1, B = 2;
  const player = new PlayerSettings(new FakeStorage());
  const rows = [
    // [what, plan, pockets, { bankroll, stopAt, dayLimit }, why, rounds played, net]
    ['all the rounds', { rounds: 10 }, [R, B, R, B, R, B, R, B, R, B, R], {}, 'done', 10, 0],
    ['the loss limit', { rounds: 25, lossLimit: 20 }, [B, R, B, B, R], {}, 'lossLimit', 4, -2000],
    ['the win target', { rounds: 25, winTarget: 30 }, [R, R, B, R, R, B], {}, 'winTarget', 5, 3000],
    ['a single win above', { rounds: 25, bigWin: 5 }, [B, R, B], {}, 'bigWin', 2, 0],
    ['the player\'s key, in the third round', { rounds: 25 }, [B, B, B, B], { stopAt: 3 }, 'key', 3, -3000],
    ['the chips run dry', { rounds: 25 }, [B, B, B, B], { bankroll: 2500 }, 'refused', 2, -2000],
    ['the daily loss limit', { rounds: 25 }, [R, B, B, B, B], { dayLimit: 1500 }, 'refused', 4, -2000],
  ];
  for (const [what, choice, pockets, { bankroll, stopAt, dayLimit = 0 }, why, played, net] of rows) {
    const game = roulette(pockets, bankroll);
    const before = game.bankroll;
    player.setSetting('day', { date: '2000-01-01', net: 0 });
    player.setSetting('dayLimit', dayLimit);
    game.state.onSettle = (record) => player.addToDay(record.net);
    let n = 0;
    const done = await autoPlay({ plan: autoPlan(choice), game, deal: game.run, onRound: (i) => { n = i; },
      stopped: () => (n === stopAt ? 'key' : ''), refusal: () => (player.dayLimitReached() ? 'limit' : '') });
    const history = game.state.history;
    assert.deepEqual([done.why, done.played, done.net, game.bankroll - before], [why, played, net, net], what);
    // The rounds say exactly what the chips did, each marked as auto-played.
    assert.deepEqual([history.length, history.reduce((s, e) => s + e.net, 0), history.every((e) => e.auto === true && e.bets[0].staked === 1000)],
      [played, net, true], what);
    if (why === 'refused') assert.match(done.reason, dayLimit ? /limit/ : /needs 10 and you hold 5\b/, what);
  }
  // A round the player plays after auto-play is not marked.
  const game = roulette([R, B]);
  await autoPlay({ plan: autoPlan({ rounds: 10 }), game, deal: game.run, stopped: () => (game.state.stats.rounds ? 'key' : '') });
  game.slip.repeat();
  game.run();
  assert.deepEqual(game.state.history.map((e) => e.auto ?? false), [true, false]);
  assert.equal(autoPlan({ rounds: 20 }), null);
  assert.equal(autoPlan({ rounds: 10, lossLimit: '2.5' }), null);
});

test('auto-play hands every decision to the player: it never insures, and the hand it dealt stays marked', async () => {
  for (const [what, cards, phase] of [['a hand to play', 'Ts 6c 9h Tc 2d', 'player'], ['insurance offered', 'Ts As 9h 7d', 'insurance']]) {
    const queue = cards.split(' ');
    const game = new BlackjackGame({ storage: new FakeStorage(), shoe: { draw: () => queue.shift(), needsShuffle: false, shuffle() {} },
      log: () => {}, evening: () => 7 });
    game.slip.place('bet', 10);
    const done = await autoPlay({ plan: autoPlan({ rounds: 10 }), game, deal: () => game.deal() });
    assert.deepEqual([done.why, done.played, game.phase, game.bankroll], ['decision', 1, phase, STARTING_BANKROLL - 1000], what);
    if (phase === 'player') {
      game.play('stand');
      while (game.dealerDrawing) game.dealerDraw();
      assert.deepEqual([game.state.history.at(-1).auto, game.state.history.at(-1).net], [true, 1000], what);
    }
  }
});

test('the reality check comes every so many minutes of the sitting, waits for the round shown, and carries over to the next table', () => {
  const MIN = 60000;
  let clock = 0;
  const timers = [];
  const fake = { now: () => clock, setTimer: (fn, ms) => { timers.push({ fn, at: clock + ms }); return timers.length; },
    clearTimer: (id) => { timers[id - 1].fn = null; } };
  const advance = (to) => {
    for (let next; (next = timers.filter((x) => x.fn && x.at <= to).sort((a, b) => a.at - b.at)[0]);) {
      clock = next.at;
      const { fn } = next;
      next.fn = null;
      fn();
    }
    clock = to;
  };
  const storage = new FakeStorage();
  const player = new PlayerSettings(storage);
  const since = 5 * MIN, shown = [];
  let busy = false;
  const open = (p = player) => watchReality({ player: p, since, ...fake, retry: MIN, canShow: () => !busy, result: () => -1200,
    show: (report) => shown.push([clock / MIN, report.minutes, report.net]) });
  const watch = open();
  advance(10 * MIN);
  assert.deepEqual(shown, [], 'off by default');
  player.setSetting('reality', 15);
  watch.arm();
  busy = true;
  advance(20.5 * MIN);
  busy = false;
  advance(36 * MIN);
  assert.deepEqual(shown, [[21, 16, -1200], [36, 31, -1200]], 'due at 20, shown once the round is over, then 15 minutes on');
  // The next table's page (this one left) goes on from when it was last shown; a new choice counts from there too.
  for (const timer of timers) timer.fn = null;
  const nextPlayer = new PlayerSettings(storage);
  const next = open(nextPlayer);
  advance(52 * MIN);
  nextPlayer.setSetting('reality', 60);
  next.arm();
  advance(110 * MIN);
  assert.deepEqual(shown.slice(2), [[51, 46, -1200]]);
  advance(111 * MIN);
  assert.deepEqual(shown.slice(2), [[51, 46, -1200], [111, 106, -1200]]);
  assert.ok(realityDue({ reality: 30, realityShown: MIN }, since) === 35 * MIN, 'an earlier sitting\'s check counts for nothing');
});
