import { test } from 'node:test';
import assert from 'node:assert/strict';
import { BetSlip, chipBreakdown, isBelowMinimum, belowMinimumMessage, CHIP_VALUES } from '../../web/js/kit/bets.js';
import { formatChips, formatSigned, scale } from '../../web/js/kit/money.js';
import { cardLabel, cardName, isCard, parseCards, rankValue } from '../../web/js/kit/cards.js';

const slip = (cents = 100000, limits = {}) => {
  let bankroll = cents;
  const s = new BetSlip({ bankroll: () => bankroll, min: 5, max: 1000, ...limits });
  s.setBankroll = (c) => { bankroll = c; };
  return s;
};

test('placing, undoing, clearing, doubling and repeating keep one consistent slip', () => {
  const s = slip();
  s.selectChip(25);
  assert.ok(s.place('player').ok);
  assert.ok(s.place('tie', 5).ok);
  assert.ok(s.double().ok);
  assert.deepEqual(s.toObject(), { player: 50, tie: 10 });
  assert.ok(s.undo().ok, 'a double is undone in one step');
  assert.deepEqual(s.toObject(), { player: 25, tie: 5 });
  assert.ok(s.clear().ok);
  assert.ok(s.undo().ok, 'a clear can be taken back');
  assert.equal(s.total, 30);
  assert.deepEqual(s.commit(), { player: 25, tie: 5 });
  assert.ok(s.isEmpty && !s.canUndo);
  assert.ok(s.repeat().ok);
  assert.deepEqual(s.toObject(), { player: 25, tie: 5 });
  assert.equal(s.undo().ok, true);
  assert.equal(s.undo().ok, false);
});

test('limits and the bankroll refuse a bet without changing the slip', () => {
  const s = slip(3050, { spots: { tie: { max: 20 } } });
  assert.ok(s.place('tie', 20).ok);
  assert.match(s.place('tie', 1).reason, /most on tie is 20/);
  assert.match(s.place('banker', 11).reason, /Not enough chips/, 'a part chip cannot be staked');
  assert.ok(s.place('banker', 10).ok);
  assert.equal(s.double().ok, false);
  assert.deepEqual(s.toObject(), { tie: 20, banker: 10 });
  assert.equal(s.selectChip(2).ok, false);
  assert.equal(s.place('x', 0).ok, false);
  assert.equal(s.place('x', 1.5).ok, false);

  const capped = slip(10000000);
  assert.ok(capped.place('red', 600).ok);
  assert.match(capped.place('black', 600).reason, /limit is 1,000 a round/);
});

test('a slip below the minimum cannot be played, and an empty bankroll points to the reset', () => {
  const s = slip(100000, { spots: { straight: { min: 2 } } });
  assert.equal(s.commit(), null);
  s.place('straight', 1);
  assert.match(s.readiness().reason, /least on straight is 2/);
  s.place('straight', 2);
  assert.match(s.readiness().reason, /minimum is 5/);
  s.place('straight', 2);
  assert.ok(s.readiness().ok);

  s.setBankroll(450);
  assert.ok(isBelowMinimum(450, 5));
  assert.ok(!isBelowMinimum(500, 5));
  assert.match(s.readiness().reason, /Reset Chips at This Table/);
  assert.match(belowMinimumMessage(450, 5), /4\.50 chips here.*minimum of 5\..*Shift\+Ctrl\+Delete/);
});

test('chip breakdown, formatting and exact scaling', () => {
  assert.deepEqual(chipBreakdown(1631), [1000, 500, 100, 25, 5, 1]);
  assert.deepEqual(chipBreakdown(0), []);
  assert.deepEqual(CHIP_VALUES, [1, 5, 25, 100, 500, 1000]);
  assert.equal(formatChips(100000), '1,000');
  assert.equal(formatChips(1250), '12.50');
  assert.equal(formatChips(5), '0.05');
  assert.equal(formatSigned(-1500), '-15');
  assert.equal(formatSigned(0), '±0');
  assert.equal(scale(1000, 3, 2), 1500);
  assert.equal(scale(100, 19, 20), 95);
  assert.equal(scale(1, 1, 2), 0, 'a sub-cent remainder goes to the house');
  assert.equal(scale(Number.MAX_SAFE_INTEGER, 1, 1), Number.MAX_SAFE_INTEGER);
});

test('card notation is strict', () => {
  assert.deepEqual(parseCards('As Td, 9h'), ['As', 'Td', '9h']);
  for (const bad of ['as', 'AS', '10h', 'A', '', 'Xx', null, 42]) assert.equal(isCard(bad), false, String(bad));
  assert.throws(() => parseCards('As 1h'), TypeError);
  assert.equal(cardLabel('Td'), '10♦');
  assert.equal(cardName('As'), 'Ace of Spades');
  assert.equal(rankValue('2c'), 2);
  assert.equal(rankValue('Ah'), 14);
});
