import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  handValue, isBlackjack, dealerHits, basicStrategy, playRound,
  deal, answerInsurance, options, act, dealerStep, settleHand, totalStaked,
} from '../../../web/js/rules/blackjack.js';
import { Shoe, createRandom, seededSource } from '../../../web/js/kit/random.js';

// A shoe that deals the given cards in order and fails loudly when a round
// asks for more than the test scripted.
function stacked(...cards) {
  const queue = cards.flatMap((c) => c.split(' '));
  return { draw: () => { assert.ok(queue.length, 'the round drew more cards than scripted'); return queue.shift(); }, left: () => queue.length };
}

test('hand values count aces as 11 while that does not bust', () => {
  assert.deepEqual(handValue(['As', '6d']), { total: 17, soft: true });
  assert.deepEqual(handValue(['As', '6d', 'Tc']), { total: 17, soft: false });
  assert.deepEqual(handValue(['As', 'Ad']), { total: 12, soft: true });
  assert.deepEqual(handValue(['As', 'Ad', 'Ah', 'Ac']), { total: 14, soft: true });
  assert.deepEqual(handValue(['As', 'Ad', 'Ah', 'Ac', '7s']), { total: 21, soft: true });
  assert.deepEqual(handValue(['As', 'Ad', 'Ah', 'Ac', '8s']), { total: 12, soft: false });
  assert.deepEqual(handValue(['Kh', 'Qd', '5c']), { total: 25, soft: false });
  assert.deepEqual(handValue(['Ah', 'Kd']), { total: 21, soft: true });
  assert.throws(() => handValue(['1s']), RangeError);
});

test('only an unsplit two-card 21 is a blackjack', () => {
  assert.equal(isBlackjack(['As', 'Kd']), true);
  assert.equal(isBlackjack(['As', 'Kd'], true), false);
  assert.equal(isBlackjack(['7s', '7d', '7h']), false);
  assert.equal(isBlackjack(['As', '9d']), false);
});

test('the dealer draws to 16 and stands on every 17, soft 17 included', () => {
  assert.equal(dealerHits(['Ts', '6d']), true);
  assert.equal(dealerHits(['As', '5d']), true);
  assert.equal(dealerHits(['As', '6d']), false);
  assert.equal(dealerHits(['As', '5d', 'Ac']), false);
  assert.equal(dealerHits(['Ts', '7d']), false);
  assert.equal(dealerHits(['As', '6d', '9c']), true); // hard 16 again
});

// The published basic strategy for four to eight decks, dealer stands on soft
// 17, double after split, no surrender. Columns: dealer 2 3 4 5 6 7 8 9 T A.
// H hit, S stand, D double (else hit), Ds double (else stand), P split.
const HARD = {
  8: 'H H H H H H H H H H', 9: 'H D D D D H H H H H', 10: 'D D D D D D D D H H',
  11: 'D D D D D D D D D H', 12: 'H H S S S H H H H H', 13: 'S S S S S H H H H H',
  14: 'S S S S S H H H H H', 15: 'S S S S S H H H H H', 16: 'S S S S S H H H H H',
  17: 'S S S S S S S S S S',
};
const SOFT = {
  2: 'H H H D D H H H H H', 3: 'H H H D D H H H H H', 4: 'H H D D D H H H H H',
  5: 'H H D D D H H H H H', 6: 'H D D D D H H H H H', 7: 'S Ds Ds Ds Ds S S H H H',
  8: 'S S S S S S S S S S', 9: 'S S S S S S S S S S',
};
const PAIRS = {
  2: 'P P P P P P H H H H', 3: 'P P P P P P H H H H', 4: 'H H H P P H H H H H',
  5: 'D D D D D D D D H H', 6: 'P P P P P H H H H H', 7: 'P P P P P P H H H H',
  8: 'P P P P P P P P P P', 9: 'P P P P P S P P S S', T: 'S S S S S S S S S S',
  A: 'P P P P P P P P P P',
};
const UPS = ['2', '3', '4', '5', '6', '7', '8', '9', 'T', 'A'];
const TENS = ['T', 'J', 'Q', 'K'];
const MOVE = { H: 'hit', S: 'stand', D: 'double', Ds: 'double', P: 'split' };
const NO_DOUBLE = { H: 'hit', S: 'stand', D: 'hit', Ds: 'stand' };

function checkRow(label, hands, row, opts, table = MOVE) {
  const cells = row.split(' ');
  UPS.forEach((up, i) => {
    for (const upCard of up === 'T' ? TENS : [up]) {
      for (const cards of hands) {
        assert.equal(basicStrategy(cards, upCard + 'h', opts), table[cells[i]],
          `${label}: ${cards.join(' ')} against ${upCard}`);
      }
    }
  });
}

test('basic strategy follows the published chart cell by cell', () => {
  const ranks = ['2', '3', '4', '5', '6', '7', '8', '9', 'T', 'J', 'Q', 'K'];
  const value = (r) => (TENS.includes(r) ? 10 : Number(r));
  for (const [total, row] of Object.entries(HARD)) {
    // Every two-card non-pair hand without an ace that makes this total (17
    // stands for 17 to 20).
    const hands = [];
    for (const a of ranks) for (const b of ranks) {
      const t = value(a) + value(b);
      if (a < b && value(a) !== value(b) && (t === Number(total) || (total === '17' && t > 17))) hands.push([a + 's', b + 'd']);
    }
    if (Number(total) > 8) assert.ok(hands.length, `no hand for hard ${total}`);
    checkRow(`hard ${total}`, hands, row, { canDouble: true, canSplit: true });
    checkRow(`hard ${total} without doubling`, hands, row, { canDouble: false, canSplit: true }, NO_DOUBLE);
  }
  for (const [other, row] of Object.entries(SOFT)) {
    checkRow(`soft A${other}`, [['As', other + 'd'], [other + 'c', 'Ah']], row, { canDouble: true, canSplit: true });
    checkRow(`soft A${other} without doubling`, [['As', other + 'd']], row, { canDouble: false, canSplit: true }, NO_DOUBLE);
  }
  for (const [rank, row] of Object.entries(PAIRS)) {
    const hands = rank === 'T' ? [['Ts', 'Td'], ['Ks', 'Jd']] : [[rank + 's', rank + 'd']];
    checkRow(`pair ${rank}`, hands, row, { canDouble: true, canSplit: true });
  }
});

test('basic strategy plays a pair it may not split, and long hands, by their totals', () => {
  assert.equal(basicStrategy(['8s', '8d'], 'Th', { canDouble: true, canSplit: false }), 'hit');
  assert.equal(basicStrategy(['8s', '8d'], '6h', { canDouble: true, canSplit: false }), 'stand');
  assert.equal(basicStrategy(['9s', '9d'], '7h', { canDouble: true, canSplit: false }), 'stand');
  assert.equal(basicStrategy(['As', 'Ad'], '6h', { canDouble: false, canSplit: false }), 'hit');
  assert.equal(basicStrategy(['2s', '3d', '6c'], 'Ah', { canDouble: false }), 'hit');
  assert.equal(basicStrategy(['2s', '3d', '6c'], '5h', { canDouble: false }), 'hit');
  assert.equal(basicStrategy(['As', '2d', '4c'], '5h', { canDouble: false }), 'hit'); // soft 17
  assert.equal(basicStrategy(['As', '2d', '5c'], '8h', { canDouble: false }), 'stand'); // soft 18
  assert.equal(basicStrategy(['Ts', '2d', '4c'], '6h', { canDouble: false }), 'stand');
});

test('settlement pays every outcome exactly in cents', () => {
  const bet = 1000;
  const cases = [
    // [cards in deal order: p1 up p2 hole, then draws], moves, net
    [['As 9h Kd 7c'], [], 1500, 'a blackjack pays 3:2'],
    [['As Ah Kd Kc'], [], 0, 'blackjack against blackjack pushes'],
    [['9s Th 9d Ac'], [], -1000, 'a dealer blackjack under a ten is peeked before the player acts'],
    [['Ts 9h 9d 8c'], ['stand'], 1000, '18 beats 17'],
    [['Ts 9h 8d 9c'], ['stand'], 0, 'equal totals push'],
    [['Ts 9h 7d 9c'], ['stand'], -1000, 'a lower total loses'],
    [['Ts 6h 6d Tc', 'Ks'], ['stand'], 1000, 'a dealer bust pays every standing hand'],
    [['Ts 6h 6d Tc', '9s'], ['hit'], -1000, 'a player bust loses before the dealer draws'],
    [['6s 6h 5d Tc', '9s', 'Kd'], ['double'], 2000, 'a double wins twice the bet'],
    [['6s 9h 5d Tc', '2s'], ['double'], -2000, 'a double loses twice the bet'],
    [['8s Th 8d 7c', '3s Td Ts'], ['split', 'double', 'stand'], 3000, 'double after split: 21 on a double, 18 beats 17'],
    [['As Th Ad Kc', 'Kd 9s'], ['split'], 1000, 'split aces take one card each; 21 after a split pays even money'],
    [['As 7h Ad Tc', '5d 6s'], ['split'], -1000, 'split aces: 16 loses, 17 pushes'],
  ];
  for (const [cards, moves, net, why] of cases) {
    const shoe = stacked(...cards);
    const decisions = [...moves];
    const result = playRound(shoe, bet, () => decisions.shift());
    assert.equal(result, net, why);
    assert.equal(decisions.length, 0, `${why}: not every scripted move was asked for`);
    assert.equal(shoe.left(), 0, `${why}: cards left over`);
  }
});

test('insurance pays 2:1 and is lost when the dealer has no blackjack', () => {
  const taken = deal(stacked('Ts Ah 9d Kc'), 1000);
  assert.equal(taken.phase, 'insurance');
  answerInsurance(taken, true);
  assert.equal(taken.phase, 'done');
  assert.equal(taken.net, -1000 + 1000); // the bet lost, 500 insured at 2:1
  assert.equal(totalStaked(taken), 1500);

  const evenMoney = deal(stacked('As Ah Kd Kc'), 1000);
  answerInsurance(evenMoney, true);
  assert.equal(evenMoney.net, 1000); // blackjack pushes, insurance wins 2:1

  const shoe = stacked('Ts Ah 9d 8c');
  const lost = answerInsurance(deal(shoe, 1000), true);
  assert.equal(lost.phase, 'player');
  act(lost, 'stand', shoe);
  assert.equal(lost.net, -500); // 19 pushes the dealer's soft 19; the insurance is lost
});

test('splits stop at four hands and aces are never resplit', () => {
  const shoe = stacked('8s 9h 8d 7c', '8c 8h 8s');
  const round = deal(shoe, 100);
  act(round, 'split', shoe); // 8s 8c | 8d
  act(round, 'split', shoe); // 8s 8h | 8c | 8d
  assert.equal(round.hands.length, 3);
  act(round, 'split', shoe); // 8s 8s | 8h | 8c | 8d
  assert.deepEqual(round.hands.map((h) => h.cards.length), [2, 1, 1, 1]);
  assert.equal(options(round).split, false, 'a fifth hand is refused');
  assert.throws(() => act(round, 'split', shoe));

  const aces = stacked('As Th Ad 7c', 'Ac Ah');
  const r2 = deal(aces, 100);
  act(r2, 'split', aces);
  assert.equal(r2.phase, 'done', 'both split aces are finished after one card');
  assert.equal(r2.hands.length, 2);
  assert.equal(r2.net, -200, 'soft 12 twice loses to 17');
});

test('a bad bet or a move out of turn is refused', () => {
  assert.throws(() => deal(stacked('Ts 9h 8d 7c'), 0), RangeError);
  assert.throws(() => deal(stacked('Ts 9h 8d 7c'), 12.5), RangeError);
  const shoe = stacked('Ts 9h 8d 7c', '2s');
  const round = deal(shoe, 100);
  assert.throws(() => answerInsurance(round, true), /insurance/);
  assert.throws(() => act(round, 'split', shoe), /split/);
  act(round, 'hit', shoe);
  assert.throws(() => act(round, 'double', shoe), /double/);
  assert.throws(() => dealerStep(deal(stacked('Ts 9h 8d 7c'), 100), shoe), /dealer/);
  assert.deepEqual(settleHand({ cards: ['Ts', 'Kd', '5c'], bet: 100, split: false }, ['Ts', 'Kd', '5c']),
    { outcome: 'bust', net: -100 }, 'a player bust loses even when the dealer busts too');
});

// The published house edge for six decks, S17, DAS, split to four, no resplit
// of aces, no surrender, dealer peeks: 0.42% (0.639% for the same game with
// H17, less the 0.22% that standing on soft 17 is worth).
const PUBLISHED_EDGE = 0.0042;
const ROUNDS = 4_000_000;

test('four million rounds of basic strategy lose the published house edge', (t) => {
  const shoe = new Shoe({ decks: 6, penetration: 0.75, random: createRandom(seededSource(20240608)) });
  let sum = 0, sumSq = 0;
  for (let i = 0; i < ROUNDS; i++) {
    if (shoe.needsShuffle) shoe.shuffle();
    const net = playRound(shoe, 100, basicStrategy) / 100;
    sum += net; sumSq += net * net;
  }
  const mean = sum / ROUNDS;
  const se = Math.sqrt((sumSq / ROUNDS - mean * mean) / ROUNDS);
  const edge = -mean;
  const note = `blackjack: simulated house edge ${(edge * 100).toFixed(3)}% ± ${(se * 100).toFixed(3)}% ` +
    `(one standard error, ${ROUNDS} rounds); published ${(PUBLISHED_EDGE * 100).toFixed(2)}%`;
  t.diagnostic(note);
  assert.ok(Math.abs(edge - PUBLISHED_EDGE) < 4 * se, note);
});
