// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { BlackjackGame } from '../../web/js/blackjack/game.js';
import { FakeStorage } from './support/helpers.mjs';
import { createRandom, seededSource } from '../../web/js/kit/random.js';

test('the blackjack shoe carries on after a reload; a damaged one is shuffled afresh and logged', () => {
  const storage = new FakeStorage();
  const before = new BlackjackGame({ storage, random: createRandom(seededSource(11)) });
  before.slip.place('bet', 5);
  before.deal();
  // Mid-hand and between hands alike, the next card is the one the shoe would have dealt.
  for (const step of [() => {}, () => { if (before.round?.phase === 'insurance') before.insure(false); if (before.round) before.play('stand'); while (before.dealerDrawing) before.dealerDraw(); }]) {
    step();
    const after = new BlackjackGame({ storage, random: createRandom(seededSource(99)), log: () => {} });
    assert.deepEqual([after.shoe.restored, after.shoe.remaining, after.shoe.toJSON()], [true, before.shoe.remaining, before.shoe.toJSON()]);
  }
  const logged = [];
  const saved = JSON.parse(storage.getItem('blackjack-royale.v1'));
  saved.game.shoe.cards = saved.game.shoe.cards.slice(2);
  storage.setItem('blackjack-royale.v1', JSON.stringify(saved));
  const fresh = new BlackjackGame({ storage, log: (m) => logged.push(m) });
  assert.deepEqual([fresh.shoe.restored, fresh.shoe.remaining, logged.some((m) => /shoe/.test(m))], [false, 312, true]);
});

test('the chart score counts each decision, per evening and overall, through a reload', () => {
  const queue = 'Ts 9d 6h 7c 5s Ts 9d Th 7c 2c'.split(' ');
  const shoe = { draw: () => queue.shift(), needsShuffle: false, shuffle() {} };
  const storage = new FakeStorage();
  const round = (game, move) => {
    game.slip.place('bet', 5); game.deal(); game.play(move);
    while (game.dealerDrawing) game.dealerDraw();
  };
  round(new BlackjackGame({ storage, shoe, evening: () => 7 }), 'stand');  // 16 against a nine: the chart hits
  const later = new BlackjackGame({ storage, shoe, evening: () => 8 });
  round(later, 'stand');
  assert.deepEqual(later.chartScore, { session: { session: 8, decisions: 1, matched: 1 }, overall: { decisions: 2, matched: 1 } });
  assert.deepEqual(new BlackjackGame({ storage, shoe, evening: () => 8 }).chartScore.session.decisions, 1);
});
