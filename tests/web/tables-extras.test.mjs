// SPDX-License-Identifier: GPL-3.0-or-later
// The roulette and baccarat extras as the tables keep them: the spread of the
// racetrack's neighbours, favourite bets and the spins in the saved state,
// the derived roads in words, and the tables' own rules and new bets.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { WHEEL } from '../../web/js/rules/roulette.js';
import { createRandom, seededSource } from '../../web/js/kit/random.js';
import { RouletteGame, STORE_KEY } from '../../web/js/roulette/game.js';
import { resultOf, describeEntry } from '../../web/js/roulette/record.js';
import { BaccaratGame, STORE_KEY as BACCARAT_KEY } from '../../web/js/baccarat/game.js';
import { resultOf as baccaratResult } from '../../web/js/baccarat/record.js';
import { expectedTake, houseEdge } from '../../web/js/rules/edges.js';
import { describeDerivedRoads } from '../../web/js/baccarat/scoreboard.js';
import { FakeStorage, logSink } from './support/helpers.mjs';

const landing = (numbers) => createRandom(() => WHEEL.indexOf(numbers.shift()));
const table = (storage, ...numbers) => new RouletteGame({ storage, random: landing(numbers), log: logSink() });
const saved = (storage) => JSON.parse(storage.getItem(STORE_KEY));

test('an older roulette save loads with the new choices at their defaults and its history as the first spins', () => {
  const history = [5, 17, 17, 0].map((number) => ({ number, staked: 100, returned: 0, bets: { red: 1 } }));
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 5000, settings: { chip: 25 }, history, game: {} }) });
  const t = table(storage, 17);
  assert.deepEqual([t.spread, t.favourites, t.spins, t.hotAndCold(1).hot, t.slip.chip], [2, [], [5, 17, 17, 0], [17], 25]);
  assert.ok(t.place('black', 1).ok && t.spin().ok);
  t.settle();
  const s = saved(storage);
  assert.deepEqual([s.game.spins, s.history.length, s.bankroll], [[5, 17, 17, 0, 17], 5, 5100]);
  // A spins list of its own wins over the history, as far as it holds pockets.
  s.game.spins = [3, 'x', 40, 3];
  storage.setItem(STORE_KEY, JSON.stringify(s));
  assert.deepEqual(table(storage).spinStats(1), { ...table(storage).spinStats(1), spins: 2, red: 2, hot: [3] });
});

test('the neighbours go down with the chosen spread, which is kept; a bad spread is refused', () => {
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 500000 }) });
  const t = table(storage);
  assert.ok(t.setSpread(4));
  assert.equal(t.setSpread(10), false);
  assert.equal(t.setSpread(0), false);
  t.slip.selectChip(5);
  assert.ok(t.placeCall('neighbours', 0).ok);
  assert.deepEqual(t.slip.toObject(), { 0: 5, 32: 5, 15: 5, 19: 5, 4: 5, 26: 5, 3: 5, 35: 5, 12: 5 });
  assert.equal(table(storage).spread, 4, 'the spread survives a reload');
  // Nine either side at the straight-up limit is refused whole, with the reason.
  t.slip.clear();
  t.setSpread(9);
  t.slip.selectChip(100);
  assert.ok(t.placeCall('neighbours', 5).ok && t.slip.total === 1900);
  const twice = t.placeCall('neighbours', 5);
  assert.deepEqual([twice.ok, /100/.test(twice.reason), t.slip.total], [false, true, 1900]);
});

test('a favourite keeps the layout under its name, goes down again in place of the bets, and says why it is refused', () => {
  const storage = new FakeStorage();
  const t = table(storage, 7);
  assert.match(t.saveFavourite('Evening').reason, /Place your bets/);
  assert.ok(t.place('red', 5).ok && t.place('17', 1).ok);
  assert.deepEqual(t.saveFavourite('  Evening  '), { ok: true, name: 'Evening' });
  assert.match(t.saveFavourite('x'.repeat(25)).reason, /up to 24 characters/);
  for (let i = 1; i < 12; i++) t.saveFavourite(`F${i}`);
  assert.match(t.saveFavourite('One more').reason, /12 favourites/);
  t.removeFavourite('f11');
  assert.deepEqual(saved(storage).game.favourites.map((f) => f.name), ['Evening', ...Array.from({ length: 10 }, (_, i) => `F${i + 1}`)]);

  const again = table(storage, 7);
  assert.ok(again.place('black', 25).ok && again.placeFavourite('evening').ok);
  assert.deepEqual(again.slip.toObject(), { red: 5, 17: 1 });
  assert.ok(again.slip.undo().ok && again.slip.amountOn('black') === 25, 'one undo brings back what lay there');
  assert.match(again.placeFavourite('Nothing').reason, /no longer kept/);
  again.placeFavourite('Evening');
  again.spin();
  assert.match(again.placeFavourite('Evening').reason, /no more bets/i);
});

const coups = (s) => s.split('').map((c) => ({ winner: { B: 'banker', P: 'player', T: 'tie' }[c] }));

test('the derived roads read in words: their marks, the latest last, and what each side\'s win would add', () => {
  // The worked shoe of the roads' own tests: big eye boy BBRBRBR, small road RBBBBR, cockroach pig RRB.
  assert.equal(describeDerivedRoads(coups('BBPBBBPPBTB')),
    'Big eye boy: 7 marks, ending blue, red, blue, red. ' +
    'Small road: 6 marks, ending blue, blue, blue, red. Cockroach pig: 3 marks, ending red, red, blue. ' +
    // A banker win extends column 4 to row 2: column 3 stops just above it (blue), columns 2 and 1
    // reach it or stop two short (red). A player win opens column 5 on 2 = 2, 2 ≠ 3, 2 ≠ 1.
    'If Banker wins next: Big eye boy blue, Small road red, Cockroach pig red. ' +
    'If Player wins next: Big eye boy red, Small road blue, Cockroach pig blue.');
  assert.equal(describeDerivedRoads(coups('BPT')), 'Big eye boy: no marks yet. Small road: no marks yet. ' +
    'Cockroach pig: no marks yet. If Banker wins next: Big eye boy red. If Player wins next: Big eye boy blue.');
});

test('La Partage halves the even chances on zero, says so, and is counted at its own edge; a spin keeps the rules it was staked under', () => {
  const storage = new FakeStorage();
  const t = table(storage, 0, 0, 0);
  assert.equal(t.laPartage, false, 'off until the player chooses it');
  t.setLaPartage(true);
  assert.ok(t.place('red', 10).ok && t.place('1st dozen', 10).ok && t.place('0', 1).ok);
  assert.ok(t.spin().ok);
  // A reload while the ball rolls, the option turned off meanwhile: the spin still settles under La Partage.
  storage.setItem(STORE_KEY, JSON.stringify({ ...saved(storage), settings: { ...saved(storage).settings, laPartage: false } }));
  const again = table(storage, 0);
  const { bets, laPartage } = again.recovered;
  assert.deepEqual([laPartage, bets.map((b) => [b.spot, b.returned])], [true, [['0', 3600], ['red', 500], ['1st dozen', 0]]]);
  const entry = again.state.history.at(-1);
  assert.deepEqual(entry.bets.map((b) => b.kind), ['straight', 'redLaPartage', 'dozen']);
  assert.equal(again.state.stats['staked.redLaPartage'], 1000);
  assert.match(resultOf({ number: 0, colour: 'green', bets, laPartage }).text, /half of every even chance comes back.*Red: 10 loses \(La Partage gives back 5\)/);
  assert.match(describeEntry(entry).what, /La Partage/);
  // Off again, zero takes the even chance whole.
  assert.ok(again.place('red', 10).ok && again.spin().ok);
  assert.deepEqual(again.settle().bets.map((b) => b.returned), [0]);
});

test('the finales go down as their straights and splits, one chip each, and are refused whole with the reason', () => {
  const t = table(new FakeStorage());
  t.slip.selectChip(5);
  assert.ok(t.placeFinale(7).ok);
  assert.deepEqual(t.slip.toObject(), { 7: 5, 17: 5, 27: 5 });
  t.slip.clear();
  assert.ok(t.placeFinale(5, 4).ok);
  assert.deepEqual(t.slip.toObject(), { 'split 4/5': 5, 'split 14/15': 5, 24: 5, 25: 5, 'split 34/35': 5 });
  assert.ok(t.slip.undo().ok && t.slip.total === 0, 'one undo takes the whole finale back');
  assert.match(t.placeFinale(4, 4).reason, /two different digits/);
  t.slip.selectChip(100);
  assert.ok(t.placeFinale(6).ok);
  const over = t.placeFinale(6);
  assert.deepEqual([over.ok, /100/.test(over.reason), t.slip.total], [false, true, 400]);
  const poor = new RouletteGame({ storage: new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 1500 }) }), log: logSink() });
  poor.slip.selectChip(5);
  assert.equal(poor.placeFinale(1).ok, false, 'four chips of 5 are more than 15 chips');
});

// The next cards of a baccarat shoe made to be `cards`, swapped in from later in the shoe.
function stack(game, cards) {
  const { shoe } = game;
  cards.split(' ').forEach((card, i) => {
    const at = shoe.cards.indexOf(card, shoe.dealt + i);
    [shoe.cards[shoe.dealt + i], shoe.cards[at]] = [shoe.cards[at], shoe.cards[shoe.dealt + i]];
  });
}

test('baccarat pays the no-commission banker, the Dragon Bonus and Either pair, and keeps each coup\'s rules through a reload', () => {
  const rows = [
    // Banker 6 over 2 after the player's third card: half the stake without commission, the Dragon by 4.
    { cards: 'Tc Th 2d 6h Ts', noCommission: true, bets: { banker: 10, dragonBanker: 10, dragonPlayer: 1, eitherPair: 1 },
      paid: { banker: 1500, dragonBanker: 2000, dragonPlayer: 0, eitherPair: 0 }, note: /Banker: 10 wins 5 \(a win with 6 pays half\)/ },
    { cards: 'Tc Th 2d 6h Ts', noCommission: false, bets: { banker: 10 }, paid: { banker: 1950 }, note: /less 5% commission/ },
    // A natural 8 with a pair on each side: Either pair once, the Dragon even money.
    { cards: '4c Th 4d Td', noCommission: true, bets: { eitherPair: 10, dragonPlayer: 10, banker: 10 },
      paid: { eitherPair: 6000, dragonPlayer: 2000, banker: 0 }, note: /Either pair: 10 wins 50/ },
    // A natural tie: the Dragon comes back.
    { cards: '9c 9d Tc Td', noCommission: false, bets: { dragonPlayer: 10, dragonBanker: 10 },
      paid: { dragonPlayer: 1000, dragonBanker: 1000 }, note: /Dragon Bonus Player: 10 comes back \(a natural tie\)/ },
  ];
  for (const { cards, noCommission, bets, paid, note } of rows) {
    const storage = new FakeStorage();
    const open = () => new BaccaratGame({ storage, random: createRandom(seededSource(1)), log: logSink() });
    const g = open();
    g.setNoCommission(noCommission);
    for (const [spot, chips] of Object.entries(bets)) assert.ok(g.place(spot, chips).ok, spot);
    stack(g, cards);
    assert.ok(g.deal().ok);
    // Reloaded mid-coup with the option turned the other way: the coup is paid as it was dealt.
    const kept = JSON.parse(storage.getItem(BACCARAT_KEY));
    storage.setItem(BACCARAT_KEY, JSON.stringify({ ...kept, settings: { ...kept.settings, noCommission: !noCommission } }));
    const done = open().recovered;
    assert.deepEqual(done.paid, paid, cards);
    assert.match(baccaratResult(done).text, note);
    const [entry] = JSON.parse(storage.getItem(BACCARAT_KEY)).history;
    const kinds = entry.bets.map((b) => b.kind);
    assert.equal(kinds.includes('bankerNoCommission'), noCommission && 'banker' in bets, cards);
    assert.ok(Math.abs(expectedTake([entry]) - entry.bets.reduce((s, b) => s + b.staked * houseEdge('baccarat', b.kind).value, 0)) < 1e-6);
  }
  const g = new BaccaratGame({ storage: new FakeStorage(), log: logSink() });
  assert.equal(g.noCommission, false, 'commission until the player chooses otherwise');
  assert.match(g.place('dragonPlayer', 501).reason, /500/);
});
