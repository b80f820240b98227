import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  WHEEL, RED, BETS, PAYOUT, settle, settleAll, callBet, CALL_BETS, findBet, neighbours, colorOf, hotAndCold,
} from '../../../web/js/rules/roulette.js';

const POCKETS = Array.from({ length: 37 }, (_, i) => i);
const returnedOverWheel = (bets) => POCKETS.reduce((sum, n) => sum + settleAll(bets, n), 0);
const staked = (bets) => bets.reduce((sum, b) => sum + b.stake, 0);

test('the wheel holds every pocket once, in the European order', () => {
  assert.deepEqual([...WHEEL].sort((a, b) => a - b), POCKETS);
  assert.deepEqual(WHEEL.slice(0, 8), [0, 32, 15, 19, 4, 21, 2, 25]);
  assert.deepEqual(WHEEL.slice(-5), [28, 12, 35, 3, 26]);
  assert.equal(WHEEL.join(' '),
    '0 32 15 19 4 21 2 25 17 34 6 27 13 36 11 30 8 23 10 5 24 16 33 1 20 14 31 9 22 18 29 7 28 12 35 3 26');
});

test('colours alternate round the wheel and match the real red numbers', () => {
  assert.equal(RED.size, 18);
  assert.deepEqual([...RED].sort((a, b) => a - b),
    [1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36]);
  for (let i = 1; i < WHEEL.length - 1; i++) {
    assert.notEqual(colorOf(WHEEL[i]), colorOf(WHEEL[i + 1]), `pockets ${WHEEL[i]} and ${WHEEL[i + 1]}`);
  }
  assert.equal(colorOf(0), 'green');
  assert.equal(colorOf(32), 'red');
  assert.equal(colorOf(26), 'black');
});

test('the layout offers every distinct bet once, each kind in its real number', () => {
  const count = {};
  for (const b of BETS) count[b.kind] = (count[b.kind] ?? 0) + 1;
  assert.deepEqual(count, {
    straight: 37, split: 60, street: 12, trio: 2, corner: 22, firstFour: 1, sixLine: 11,
    column: 3, dozen: 3, red: 1, black: 1, odd: 1, even: 1, low: 1, high: 1,
  });
  const keys = new Set(BETS.map((b) => `${b.kind}:${b.numbers}`));
  assert.equal(keys.size, BETS.length);
  for (const numbers of [[0, 1], [0, 2], [0, 3], [1, 2], [2, 3], [1, 4], [33, 36]]) {
    assert.ok(findBet('split', numbers), `split ${numbers}`);
  }
  for (const numbers of [[3, 4], [0, 4], [34, 37], [1, 3]]) assert.equal(findBet('split', numbers), null, `split ${numbers}`);
  assert.ok(findBet('corner', [32, 33, 35, 36]));
  assert.equal(findBet('corner', [33, 34, 36, 37]), null);
  assert.ok(findBet('trio', [0, 1, 2]) && findBet('trio', [0, 2, 3]));
  assert.ok(findBet('firstFour', [3, 2, 1, 0]), 'numbers in any order name the same spot');
});

test('every layout bet pays its odds and returns 36 stakes over the 37 pockets', () => {
  const stake = 300;
  for (const bet of BETS) {
    const placed = { ...bet, stake };
    let total = 0;
    for (const n of POCKETS) {
      const back = settle(placed, n);
      assert.equal(back, bet.numbers.includes(n) ? stake * (PAYOUT[bet.kind] + 1) : 0);
      total += back;
    }
    assert.equal(total, 36 * stake, `${bet.kind} ${bet.numbers}`);
  }
  assert.equal(settle({ kind: 'straight', numbers: [17], stake: 100 }, 17), 3600);
  assert.equal(settle({ kind: 'split', numbers: [0, 3], stake: 100 }, 0), 1800);
  assert.equal(settle({ kind: 'sixLine', numbers: [31, 32, 33, 34, 35, 36], stake: 100 }, 36), 600);
});

test('zero loses every outside bet and wins the inside bets that cover it', () => {
  for (const bet of BETS) {
    const back = settle({ ...bet, stake: 100 }, 0);
    if (['column', 'dozen', 'red', 'black', 'odd', 'even', 'low', 'high'].includes(bet.kind)) assert.equal(back, 0, bet.kind);
    else assert.equal(back > 0, bet.numbers.includes(0), `${bet.kind} ${bet.numbers}`);
  }
  const zeroCovers = BETS.filter((b) => b.numbers.includes(0)).map((b) => b.kind).sort();
  assert.deepEqual(zeroCovers, ['firstFour', 'split', 'split', 'split', 'straight', 'trio', 'trio']);
});

test('the outside bets cover the right halves, thirds and columns', () => {
  const bet = (kind, i = 0) => BETS.filter((b) => b.kind === kind)[i].numbers;
  assert.deepEqual(bet('column', 0).slice(0, 3), [1, 4, 7]);
  assert.deepEqual(bet('column', 2).slice(-2), [33, 36]);
  assert.deepEqual(bet('dozen', 1), Array.from({ length: 12 }, (_, i) => 13 + i));
  assert.equal(bet('red').length + bet('black').length, 36);
  assert.ok(bet('black').every((n) => !RED.has(n)) && bet('red').every((n) => RED.has(n)));
  assert.ok(bet('even').every((n) => n % 2 === 0) && bet('low').at(-1) === 18 && bet('high')[0] === 19);
});

test('settlement refuses what the layout does not offer, and bad stakes or pockets', () => {
  assert.throws(() => settle({ kind: 'split', numbers: [3, 4], stake: 100 }, 3), /not a bet/);
  assert.throws(() => settle({ kind: 'basket', numbers: [0, 1, 2, 3, 4], stake: 100 }, 3), /not a bet/);
  assert.throws(() => settle(null, 3), /not a bet/);
  for (const stake of [-100, 1.5, NaN, '100', undefined]) {
    assert.throws(() => settle({ kind: 'red', numbers: bet('red'), stake }, 3), /stake/, String(stake));
  }
  for (const n of [37, -1, 2.5, '7', null]) assert.throws(() => settle({ kind: 'straight', numbers: [7], stake: 100 }, n), /pocket/);
  function bet(kind) { return BETS.find((b) => b.kind === kind).numbers; }
});

test('each call bet places its real chips and loses exactly 1/37 of its stake', (t) => {
  const expectChips = { voisins: 9, tiers: 6, orphelins: 5, jeuZero: 4 };
  const expectCover = {
    voisins: [22, 18, 29, 7, 28, 12, 35, 3, 26, 0, 32, 15, 19, 4, 21, 2, 25],
    tiers: [27, 13, 36, 11, 30, 8, 23, 10, 5, 24, 16, 33],
    orphelins: [1, 20, 14, 31, 9, 17, 34, 6],
    jeuZero: [12, 35, 3, 26, 0, 32, 15],
  };
  const notes = [];
  for (const [name, chips] of Object.entries(expectChips)) {
    const bets = callBet(name, undefined, 100);
    assert.equal(staked(bets), chips * 100, name);
    for (const b of bets) assert.ok(findBet(b.kind, b.numbers), `${name} places ${b.kind} ${b.numbers}`);
    const covered = new Set(bets.flatMap((b) => b.numbers));
    assert.deepEqual([...covered].sort((a, b) => a - b), [...expectCover[name]].sort((a, b) => a - b), name);
    // Expected value: (returned over 37 pockets) / 37 - stake = -stake / 37 exactly.
    assert.equal(returnedOverWheel(bets), 36 * staked(bets), name);
    notes.push(`${name}: ${chips} chips, EV -${chips}/37 chip`);
  }
  // Voisins, tiers and orphelins split the wheel between them.
  const all = ['voisins', 'tiers', 'orphelins'].flatMap((n) => expectCover[n]);
  assert.deepEqual(all.sort((a, b) => a - b), POCKETS);
  t.diagnostic(notes.join('; '));
});

test('neighbours bets cover a number and two pockets either side, across zero too', () => {
  for (const n of POCKETS) {
    const bets = callBet('neighbours', n, 200);
    assert.equal(bets.length, 5);
    assert.ok(bets.every((b) => b.kind === 'straight' && b.stake === 200));
    const at = WHEEL.indexOf(n);
    const picked = bets.map((b) => WHEEL.indexOf(b.numbers[0]));
    assert.deepEqual(picked, [-2, -1, 0, 1, 2].map((d) => (at + d + 37) % 37));
    assert.equal(returnedOverWheel(bets), 36 * staked(bets));
  }
  assert.deepEqual(neighbours(0), [3, 26, 0, 32, 15]);
  assert.deepEqual(neighbours(26), [35, 3, 26, 0, 32]);
  assert.throws(() => callBet('neighbours', 37), /pocket/);
  assert.throws(() => callBet('neighbours'), /pocket/);
  assert.throws(() => callBet('snake'), /no call bet/);
  assert.throws(() => callBet('toString'), /no call bet/);
  assert.deepEqual(CALL_BETS.map((c) => c.name), ['voisins', 'tiers', 'orphelins', 'jeuZero', 'neighbours']);
});

test('hot and cold numbers come from the history, ties broken by the lower number', () => {
  const { hot, cold, seen } = hotAndCold([7, 7, 7, 12, 12, 0, 35, 99, -1], 3);
  assert.deepEqual(hot, [7, 12, 0]);
  assert.deepEqual(cold, [1, 2, 3]);
  assert.equal(seen[7], 3);
  assert.deepEqual(hotAndCold([]).hot, []);
});
