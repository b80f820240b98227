// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the poker hint's call-or-fold rule against the best play: for a
// seeded sample of hole cards and flops, the exact expectation of calling
// (every turn, river and dealer hand counted) against folding's −1 ante.
// About a quarter of a second per hand:
//   node bench/poker_strategy.mjs [hands = 400] [seed = 1]
import { callExpectation, callOrFold } from '../web/js/rules/poker-strategy.js';
import { freshDeck } from '../web/js/kit/cards.js';
import { createRandom, seededSource } from '../web/js/kit/random.js';

const hands = Number(process.argv[2] ?? 400), seed = Number(process.argv[3] ?? 1);
const random = createRandom(seededSource(seed));
let best = 0, rule = 0, calls = 0, bestCalls = 0, disagree = 0;
const byReason = {};
for (let i = 1; i <= hands; i++) {
  const deck = random.shuffle(freshDeck());
  const hole = deck.slice(0, 2), flop = deck.slice(2, 5);
  const { call } = callExpectation(hole, flop);
  const { move, reason } = callOrFold(hole, flop);
  const ruleEv = move === 'call' ? call : -1;
  best += Math.max(call, -1);
  rule += ruleEv;
  calls += move === 'call';
  bestCalls += call > -1;
  disagree += (move === 'call') !== (call > -1);
  const r = (byReason[reason] ??= { hands: 0, lost: 0 });
  r.hands++;
  r.lost += Math.max(call, -1) - ruleEv;
  if (i % 100 === 0 || i === hands) {
    console.log(`${i} hands: best play ${(best / i).toFixed(4)}, the rule ${(rule / i).toFixed(4)} antes a hand ` +
      `(gives up ${((best - rule) / i).toFixed(4)}); calls ${(100 * calls / i).toFixed(1)}% against ${(100 * bestCalls / i).toFixed(1)}%, ` +
      `${disagree} decisions differ`);
  }
}
for (const [reason, r] of Object.entries(byReason)) console.log(`  ${reason}: ${r.hands} hands, ${(r.lost / r.hands).toFixed(4)} antes given up a hand`);
