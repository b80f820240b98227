// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { stakeCounters } from '../../../web/js/kit/history.js';
import { coupWays, baccaratEdges, houseEdges, houseEdge, expectedTake, takeFromStats, BACCARAT_DECKS }
  from '../../../web/js/rules/edges.js';
import { DECKS } from '../../../web/js/baccarat/game.js';

const pct = (edge) => (edge.value * 100).toFixed(4);

test('every bet has the house edge of its own rules, exact where the game allows', () => {
  // The same counts the rules tests reach by walking every run of six cards.
  assert.deepEqual(coupWays(8), { banker: 2292252566437888, player: 2230518282592256, tie: 475627426473216 });
  assert.equal(BACCARAT_DECKS, DECKS, 'the edges are those of the shoe the table deals');
  const e = houseEdges();
  assert.deepEqual([e.baccarat.banker, e.baccarat.player, e.baccarat.tie].map(pct), ['1.0579', '1.2351', '14.3596']);
  // Six decks, the other common shoe, give its published figures.
  assert.deepEqual(['banker', 'player', 'tie'].map((k) => pct(baccaratEdges(6)[k])), ['1.0558', '1.2374', '14.4382']);
  // A pair pays 11:1 on 31 of the 415 cards left after the first: 43/415.
  assert.deepEqual([e.baccarat.playerPair.num, e.baccarat.playerPair.den], [43n, 415n]);
  for (const [kind, edge] of Object.entries(e.roulette)) assert.deepEqual([edge.num, edge.den], [1n, kind.endsWith('LaPartage') ? 74n : 37n]);
  assert.deepEqual([e.blackjack.main.value, e.blackjack.insurance.num, e.blackjack.insurance.den], [0.0042, 23n, 311n]);
  assert.deepEqual([e.poker.ante.value, e.poker.aaBonus.num, e.poker.aaBonus.den], [0.0216, 5809n, 92820n]);
  for (const [table, kind] of [['roulette', 'voisins'], ['craps', 'pass'], ['poker', 'constructor']]) assert.throws(() => houseEdge(table, kind), RangeError);
});

test('the expected take sums each stake times its edge, exactly', () => {
  const rounds = [
    { table: 'roulette', bets: [{ kind: 'straight', staked: 1000 }, { kind: 'red', staked: 2700 }] }, // 37 chips: 1 chip
    { table: 'baccarat', bets: [{ kind: 'playerPair', staked: 41500 }] }, // 415 chips at 43/415: 43 chips
    { table: 'blackjack', bets: [{ kind: 'main', staked: 250000 }, { kind: 'double', staked: 250000 }] }, // 2500 × 0.42%
    { table: 'poker', bets: [{ kind: 'ante', staked: 125000 }, { kind: 'call', staked: 250000 }] }, // 1250 × 2.16%
  ];
  assert.equal(expectedTake(rounds), 100 + 4300 + 1050 + 2700);
  assert.equal(expectedTake([]), 0);
  const banker = { table: 'baccarat', bets: [{ kind: 'banker', staked: 1000 }] };
  assert.ok(Math.abs(expectedTake([banker, banker]) - 2000 * 114753351728 / 10847218479825) < 1e-9);
  assert.ok(Math.abs(expectedTake([{ table: 'roulette', bets: [{ kind: 'dozen', staked: 100 }] }]) - 100 / 37) < 1e-12);
  assert.throws(() => expectedTake([{ table: 'roulette', bets: [{ kind: 'red', staked: -5 }] }]), RangeError);

  // Counted into a table's statistics, the stakes give the same take however many rounds there were.
  const stats = { rounds: 2 };
  for (const r of [rounds[3], rounds[3]]) {
    for (const [k, v] of Object.entries(stakeCounters(r.bets))) stats[k] = (stats[k] ?? 0) + v;
  }
  assert.deepEqual(stats, { rounds: 2, 'staked.ante': 250000, 'staked.call': 500000 });
  assert.equal(takeFromStats('poker', stats), 5400);
});
