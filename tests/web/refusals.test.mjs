// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { BetSlip, chipUnavailable, isBelowMinimum, belowMinimumMessage } from '../../web/js/kit/bets.js';
import { TableState } from '../../web/js/kit/state.js';
import { BlackjackGame } from '../../web/js/blackjack/game.js';
import { PokerGame, SMALLEST_ROUND } from '../../web/js/poker/game.js';
import { FakeStorage } from './support/helpers.mjs';

test('every betting action that cannot be taken says why before it is tried, and changes nothing', () => {
  const s = new BetSlip({ bankroll: () => s.cents, min: 1, max: 500, spots: { bet: { max: 500 } } });
  s.cents = 2000;
  assert.deepEqual(['undo', 'clear', 'repeat', 'double', 'deal'].map((a) => s.whyNot(a)),
    ['Nothing to undo.', 'There are no bets on the table.', 'No earlier bet to repeat.', 'There are no bets on the table.',
      'Place a bet first.']);
  assert.ok(s.place('bet', 15).ok);
  assert.deepEqual([s.whyNot('double'), s.whyNot('deal')], ['Not enough chips for that bet: it needs 30 and you hold 20.', '']);
  s.commit();
  // Down to nothing: Repeat says why, the deal points to the fresh start and names the menu command.
  s.cents = 0;
  assert.equal(s.whyNot('repeat'), 'Not enough chips for that bet: it needs 15 and you hold 0.');
  assert.equal(s.repeat().ok, false);
  assert.match(s.whyNot('deal'), /^You hold 0 chips here, less than this table's smallest bet of 1\. Start again at this table with 1,000 chips, or choose Table ▸ Reset Chips at This Table… \(Shift\+Ctrl\+Delete\)/);
  assert.deepEqual(s.toObject(), {});
  // Chips: above every spot's limit, above the bankroll, and none at all.
  assert.deepEqual([chipUnavailable(1000, 100000, 500), chipUnavailable(100, 4550, 500), chipUnavailable(5, 0), chipUnavailable(25, 2500, 500)],
    ['Above this table\'s limit of 500 on one spot.', 'You hold only 45 chips.', 'You have no chips left at this table.', '']);
});

test('blackjack moves say why they are closed, and an empty table starts again with 1,000 chips', () => {
  const queue = '8s 9d 8h 9c 3d 2h'.split(' ');
  const shoe = { draw: () => queue.shift(), needsShuffle: false, shuffle() {} };
  const storage = new FakeStorage({ 'blackjack-royale.v1': JSON.stringify({ version: 1, bankroll: 1500, settings: { muted: true } }) });
  const game = new BlackjackGame({ storage, shoe });
  assert.equal(game.whyNot('hit'), 'There is no hand in play: place a bet and deal.');
  game.slip.place('bet', 10);
  assert.ok(game.deal().ok);
  assert.deepEqual(['split', 'double', 'insure'].map((m) => game.whyNot(m)),
    ['To split you need 10 more chips; you hold 5.', 'To double you need 10 more chips; you hold 5.',
      'Insurance is offered only when the dealer shows an ace.']);
  assert.ok(game.play('hit').ok);
  assert.deepEqual([game.whyNot('double'), game.whyNot('split'), game.whyNot('hit')],
    ['You can double only on a hand\'s first two cards.', 'You can split only a hand\'s first two cards.', '']);

  // A table that cannot cover its smallest round: poker needs an ante and its call.
  const poor = new PokerGame({ storage: new FakeStorage({ 'poker-royale.v1': '{"version":1,"bankroll":250,"stats":{"rounds":7}}' }) });
  assert.ok(isBelowMinimum(poor.bankroll, SMALLEST_ROUND));
  assert.match(belowMinimumMessage(poor.bankroll, SMALLEST_ROUND), /2\.50 chips here, less than this table's smallest bet of 3\./);
  assert.ok(poor.state.startAgain());
  assert.deepEqual([poor.bankroll, poor.state.stats.rounds, poor.state.settings.muted, poor.readiness().reason],
    [100000, 0, false, 'Place a bet first.']);
  const saved = new TableState({ storage: poor.state.storage, storeKey: 'poker-royale.v1' });
  assert.equal(saved.bankroll, 100000, 'the fresh start is written at once');
});
