// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { deal, answerInsurance, act, evenMoneyOffered, takeEvenMoney } from '../../../web/js/rules/blackjack.js';
import { judgeMove, sessionScore, addDecision, overallScore, percentMatched } from '../../../web/js/rules/chart-score.js';
import { resultOf as blackjackResult } from '../../../web/js/blackjack/record.js';
import { Shoe, createRandom, seededSource } from '../../../web/js/kit/random.js';

// Deals in the table's order: player, dealer up, player, dealer hole.
const stacked = (text) => { const cards = text.split(' '); let i = 0; return () => cards[i++]; };

test('even money is offered only to a blackjack under an ace and is worth exactly the insured blackjack', () => {
  for (const hole of ['Kc', '9c']) { // the dealer has blackjack, or not
    const shoe = `As Ad Kh ${hole}`;
    const taken = deal(stacked(shoe), 1000);
    assert.ok(evenMoneyOffered(taken), shoe);
    takeEvenMoney(taken);
    assert.deepEqual([taken.phase, taken.net, taken.evenMoney], ['done', 1000, true], shoe);
    assert.equal(answerInsurance(deal(stacked(shoe), 1000), true).net, 1000, `${shoe}: insured`);
    assert.match(blackjackResult(taken).headline, /10/);
  }
  assert.equal(answerInsurance(deal(stacked('As Ad Kh 9c'), 1000), false).net, 1500, 'declined: 3:2 when the dealer has none');
  // A hand that is no blackjack under an ace, and a blackjack under a ten (settled at once), are offered none.
  for (const shoe of ['9s Ad 8h 5c', 'As Kd Kh 5c']) {
    const round = deal(stacked(shoe), 1000);
    assert.equal(evenMoneyOffered(round), false, shoe);
    assert.throws(() => takeEvenMoney(round), /even money/);
  }
});

test('a saved shoe deals on exactly as before, and a tampered one is shuffled afresh', () => {
  const make = (seed, decks = 6) => new Shoe({ decks, penetration: 0.75, random: createRandom(seededSource(seed)) });
  const shoe = make(1);
  for (let i = 0; i < 40; i++) shoe.draw();
  const back = Shoe.fromJSON(JSON.parse(JSON.stringify(shoe)), { decks: 6, penetration: 0.75, random: createRandom(seededSource(2)) });
  assert.deepEqual([back.restored, back.remaining, back.dealt, back.needsShuffle], [true, 272, 40, false]);
  const next = (s, n) => Array.from({ length: n }, () => s.draw());
  assert.deepEqual(next(back, 194), next(shoe, 194));
  assert.deepEqual([back.needsShuffle, JSON.stringify(back)], [true, JSON.stringify(shoe)], 'the cut card comes out where it was');
  // The dealt cards are made up again, so the next shuffle has every card of six decks.
  back.shuffle();
  assert.deepEqual([...back.cards].sort(), [...make(3).cards].sort());

  const one = make(4, 1);
  for (let i = 0; i < 52; i++) one.draw();
  assert.equal(Shoe.fromJSON(one.toJSON(), { decks: 1, penetration: 0.75 }).restored, true, 'a shoe dealt to its end');
  one.shuffle(); one.draw();
  const good = one.toJSON();
  const tampered = [
    null, { ...good, decks: 2 }, { ...good, cut: good.cut + 1 }, { ...good, cut: 1.5 },
    { ...good, cards: good.cards.slice(2) }, // a card gone: the cut card would move
    { ...good, cards: good.cards.slice(0, 2) + good.cards.slice(0, -2) }, // one card twice in one deck
    { ...good, cards: good.cards.slice(0, -2) + 'Xx' },
  ];
  for (const bad of tampered) {
    const s = Shoe.fromJSON(bad, { decks: 1, penetration: 0.75, random: createRandom(seededSource(5)) });
    assert.deepEqual([s.restored, s.remaining], [false, 52], JSON.stringify(bad)?.slice(0, 60));
  }
});

test('the chart score judges each move against the hint and keeps session and overall counts', () => {
  const cases = [
    ['Ts Tc 6h 9c', 'stand', 'hit', false], // 16 against a ten hits
    ['6s 6c 5h 9c', 'double', 'double', true], // 11 against a six doubles
    ['8s Tc 8h 9c', 'hit', 'split', false], // eights split
    ['As 5c 5h 9c', 'stand', 'stand', true], // soft 18 against a five doubles, but only on two cards
  ];
  let score = sessionScore(undefined, 'tonight');
  for (const [shoe, move, chart, matched] of cases) {
    const round = deal(stacked(shoe), 100);
    if (shoe.startsWith('As')) act(round, 'hit', () => '2d'); // soft 16 takes a two: soft 18 in three cards
    const judged = judgeMove(round, move);
    assert.deepEqual([judged.chart, judged.matched], [chart, matched], shoe);
    score = addDecision(score, judged);
  }
  assert.deepEqual([score, percentMatched(score)], [{ session: 'tonight', decisions: 4, matched: 2 }, 50]);
  const done = deal(stacked('As Kc Kh 9c'), 100); // a blackjack: nothing to decide, nothing counted
  assert.deepEqual([judgeMove(done, 'hit').stats, addDecision(score, judgeMove(done, 'hit'))], [{}, score]);
  // A new session starts at nothing; an unsound saved score is not believed.
  assert.deepEqual([sessionScore(score, 'tomorrow'), sessionScore({ ...score, matched: 9 }, 'tonight').decisions],
    [{ session: 'tomorrow', decisions: 0, matched: 0 }, 0]);
  assert.deepEqual(overallScore({ chartDecisions: 3, chartMatched: 5 }), { decisions: 3, matched: 3 });
  assert.deepEqual([percentMatched({ decisions: 0, matched: 0 }), percentMatched({ decisions: 200, matched: 199 })], [null, 99]);
});
