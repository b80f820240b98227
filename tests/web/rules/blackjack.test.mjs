// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { handValue, isBlackjack, dealerHits, basicStrategy, playRound, deal, answerInsurance, options, act, dealerStep, settleHand,
  totalStaked } from '../../../web/js/rules/blackjack.js';
import { BlackjackGame, STORE_KEY } from '../../../web/js/blackjack/game.js';
import { resultOf, describeEntry } from '../../../web/js/blackjack/record.js';
import { Shoe, createRandom, seededSource } from '../../../web/js/kit/random.js';
import { FakeStorage, logSink } from '../support/helpers.mjs';

// Deals the scripted cards in order; a round that wants more fails the test.
function stacked(...cards) {
  const queue = cards.join(' ').split(' ').filter(Boolean);
  return { draw: () => { assert.ok(queue.length, 'the round drew more cards than scripted'); return queue.shift(); },
    left: () => queue.length, needsShuffle: false, shuffle() {} };
}

test('hand values count aces as 11 while that does not bust; only an unsplit two-card 21 is a blackjack', () => {
  const values = [['As 6d', 17, true], ['As 6d Tc', 17, false], ['As Ad', 12, true], ['As Ad Ah Ac', 14, true],
    ['As Ad Ah Ac 7s', 21, true], ['As Ad Ah Ac 8s', 12, false], ['Kh Qd 5c', 25, false], ['Ah Kd', 21, true]];
  for (const [cards, total, soft] of values) assert.deepEqual(handValue(cards.split(' ')), { total, soft }, cards);
  assert.throws(() => handValue(['1s']), RangeError);
  assert.deepEqual([isBlackjack(['As', 'Kd']), isBlackjack(['As', 'Kd'], true), isBlackjack(['7s', '7d', '7h'])], [true, false, false]);
  // The dealer draws to 16 and stands on every 17, soft 17 included.
  const hits = [['Ts 6d', true], ['As 5d', true], ['As 6d', false], ['As 5d Ac', false], ['Ts 7d', false], ['As 6d 9c', true]];
  for (const [cards, hit] of hits) assert.equal(dealerHits(cards.split(' ')), hit, cards);
});

// Published basic strategy for 4 to 8 decks, S17, double after split, no surrender, by the first two cards.
// Columns: dealer 2 to 9, T, A. H hit, S stand, D double (else hit), d double (else stand), P split.
const CHART = {
  '2 6': 'HHHHHHHHHH', '2 7': 'HDDDDHHHHH', '2 8': 'DDDDDDDDHH', '2 9': 'DDDDDDDDDH', '2 T': 'HHSSSHHHHH',
  '3 T': 'SSSSSHHHHH', '4 9': 'SSSSSHHHHH', '5 T': 'SSSSSHHHHH', '7 9': 'SSSSSHHHHH', '7 T': 'SSSSSSSSSS', '9 K': 'SSSSSSSSSS',
  'A 2': 'HHHDDHHHHH', 'A 3': 'HHHDDHHHHH', 'A 4': 'HHDDDHHHHH', 'A 5': 'HHDDDHHHHH', 'A 6': 'HDDDDHHHHH',
  'A 7': 'SddddSSHHH', 'A 8': 'SSSSSSSSSS', 'A 9': 'SSSSSSSSSS', '2 2': 'PPPPPPHHHH', '3 3': 'PPPPPPHHHH',
  '4 4': 'HHHPPHHHHH', '5 5': 'DDDDDDDDHH', '6 6': 'PPPPPHHHHH', '7 7': 'PPPPPPHHHH', '8 8': 'PPPPPPPPPP',
  '9 9': 'PPPPPSPPSS', 'T T': 'SSSSSSSSSS', 'K J': 'SSSSSSSSSS', 'A A': 'PPPPPPPPPP',
};
const MOVE = { H: 'hit', S: 'stand', D: 'double', d: 'double', P: 'split' };
const NO_DOUBLE = { H: 'hit', S: 'stand', D: 'hit', d: 'stand' };

// With late surrender (S17): hard 16 gives up against 9, ten and ace, hard 15 against ten; eights are still split.
const SURRENDERS = new Set(['7 9:9', '7 9:T', '7 9:A', '5 T:T']);

test('basic strategy follows the published chart cell by cell, with and without doubling or surrender', () => {
  for (const [hand, row] of Object.entries(CHART)) {
    const cards = hand.split(' ').map((rank, i) => rank + 'sd'[i]);
    [...row].forEach((cell, i) => {
      for (const up of i === 8 ? 'TJQK' : '23456789_A'[i]) {
        assert.equal(basicStrategy(cards, up + 'h', { canDouble: true, canSplit: true }), MOVE[cell], `${hand} against ${up}`);
        const surrender = SURRENDERS.has(`${hand}:${i === 8 ? 'T' : up}`) ? 'surrender' : MOVE[cell];
        assert.equal(basicStrategy(cards, up + 'h', { canDouble: true, canSplit: true, canSurrender: true }), surrender, `${hand} against ${up}, surrender`);
        if (cell !== 'P') assert.equal(basicStrategy(cards, up + 'h', { canDouble: false, canSplit: true }), NO_DOUBLE[cell], `${hand}, no double`);
      }
    });
  }
  // A pair that may not be split, and a hand of three cards, are played on their totals.
  const byTotal = [['8s 8d', 'T', 'hit'], ['9s 9d', '7', 'stand'], ['As Ad', '6', 'hit'], ['2s 3d 6c', '5', 'hit'], ['As 2d 4c', '5', 'hit'],
    ['As 2d 5c', '8', 'stand'], ['Ts 2d 4c', '6', 'stand']];
  const noChoice = { canDouble: false, canSplit: false };
  for (const [cards, up, move] of byTotal) assert.equal(basicStrategy(cards.split(' '), up + 'h', noChoice), move, cards);
  // Surrender is of two cards only; a pair of eights that may not be split gives up as hard 16.
  for (const [cards, move] of [['8s 8d', 'surrender'], ['Ts 2d 4c', 'hit'], ['9s 6d', 'surrender']]) {
    assert.equal(basicStrategy(cards.split(' '), 'Th', { ...noChoice, canSurrender: true }), move, cards);
  }
});

// Deals one round of 1,000 from the scripted cards, playing the scripted moves.
function play(cards, moves, insure) {
  const shoe = stacked(cards), decisions = [...moves], round = deal(shoe, 1000);
  if (round.phase === 'insurance') answerInsurance(round, insure);
  while (round.phase === 'player') act(round, decisions.shift(), shoe);
  while (round.phase === 'dealer') dealerStep(round, shoe);
  assert.deepEqual([decisions.length, shoe.left()], [0, 0], `${cards}: every move asked for, every card used`);
  return round;
}

test('every outcome, insurance included, is paid exactly in cents', () => {
  const cases = [
    // [cards in deal order: p1 up p2 hole, then draws], moves, net, insured
    ['As 9h Kd 7c', [], 1500, 'a blackjack pays 3:2'],
    ['As Ah Kd Kc', [], 0, 'blackjack against blackjack pushes'],
    ['9s Th 9d Ac', [], -1000, 'a dealer blackjack under a ten is peeked before the player acts'],
    ['Ts 9h 9d 8c', ['stand'], 1000, '18 beats 17'], ['Ts 9h 8d 9c', ['stand'], 0, 'equal totals push'],
    ['Ts 9h 7d 9c', ['stand'], -1000, 'a lower total loses'],
    ['Ts 6h 6d Tc Ks', ['stand'], 1000, 'a dealer bust pays every standing hand'],
    ['Ts 6h 6d Tc 9s', ['hit'], -1000, 'a player bust loses before the dealer draws'],
    ['6s 6h 5d Tc 9s Kd', ['double'], 2000, 'a double wins twice the bet'], ['6s 9h 5d Tc 2s', ['double'], -2000, 'or loses it'],
    ['8s Th 8d 7c 3s Td Ts', ['split', 'double', 'stand'], 3000, 'double after split: 21 on a double, 18 beats 17'],
    ['As Th Ad Kc Kd 9s', ['split'], 1000, 'split aces take one card each; 21 after a split pays even money'],
    ['As 7h Ad Tc 5d 6s', ['split'], -1000, 'split aces: 16 loses, 17 pushes'], ['As 7h Ad Tc Ac Ah', ['split'], -2000, 'no resplit'],
    ['Ts Ah 9d Kc', [], 0, 'insured: the bet is lost, 500 insured win 2:1', true],
    ['As Ah Kd Kc', [], 1000, 'insured blackjack: it pushes, the insurance wins', true],
    ['Ts Ah 9d 8c', ['stand'], -500, 'insured 19 pushes the dealer\'s soft 19; the insurance is lost', true],
  ];
  for (const [cards, moves, net, why, insure = false] of cases) assert.equal(play(cards, moves, insure).net, net, why);
  assert.equal(totalStaked(play('Ts Ah 9d Kc', [], true)), 1500);
  assert.deepEqual(settleHand({ cards: ['Ts', 'Kd', '5c'], bet: 100, split: false }, ['Ts', 'Kd', '5c']),
    { outcome: 'bust', net: -100 }, 'a player bust loses even when the dealer busts too');
});

test('splits stop at four hands, and bad bets and moves out of turn are refused', () => {
  const shoe = stacked('8s 9h 8d 7c 8c 8h 8s');
  const round = deal(shoe, 100);
  for (let i = 0; i < 3; i++) act(round, 'split', shoe);
  assert.deepEqual(round.hands.map((h) => h.cards.length), [2, 1, 1, 1]);
  assert.equal(options(round).split, false, 'a fifth hand is refused');
  assert.throws(() => act(round, 'split', shoe));
  // Names every object has are no moves: 'constructor' once split a 9 and a 5 for free.
  const odd = deal(stacked('9s 8h 5d 7c'), 100);
  for (const move of ['constructor', 'toString', '__proto__', 'surrender']) assert.throws(() => act(odd, move, shoe), move);
  assert.equal(odd.hands.length, 1);
  for (const bet of [0, 12.5]) assert.throws(() => deal(stacked('Ts 9h 8d 7c'), bet), RangeError);
  const s3 = stacked('Ts 9h 8d 7c 2s');
  const r3 = deal(s3, 100);
  assert.throws(() => answerInsurance(r3, true), /insurance/);
  assert.throws(() => act(r3, 'split', s3), /split/);
  act(r3, 'hit', s3);
  assert.throws(() => act(r3, 'double', s3), /double/);
  assert.throws(() => dealerStep(deal(stacked('Ts 9h 8d 7c'), 100), s3), /dealer/);
});

// Published house edge for six decks, S17, DAS, split to four, no resplit of aces, no surrender,
// dealer peeks: 0.42%. The seed is fixed, so every run gives the same result.
test('four million rounds of basic strategy lose the published house edge', () => {
  const ROUNDS = 4_000_000, PUBLISHED = 0.0042;
  const shoe = new Shoe({ decks: 6, penetration: 0.75, random: createRandom(seededSource(20240608)) });
  let sum = 0, sumSq = 0;
  for (let i = 0; i < ROUNDS; i++) {
    if (shoe.needsShuffle) shoe.shuffle();
    const net = playRound(shoe, 100, basicStrategy) / 100;
    sum += net; sumSq += net * net;
  }
  const edge = -sum / ROUNDS, se = Math.sqrt((sumSq / ROUNDS - edge * edge) / ROUNDS);
  assert.ok(Math.abs(edge - PUBLISHED) < 4 * se, `simulated house edge ${(edge * 100).toFixed(3)}% ± ${(se * 100).toFixed(3)}%`);
});

const game = (storage, cards, log = logSink()) => new BlackjackGame({ storage, shoe: stacked(cards), log });
const saved = (storage) => JSON.parse(storage.getItem(STORE_KEY));

test('a hand changes the bankroll by exactly the settled amount, and a reload, even mid-hand, never pays or charges twice', () => {
  const storage = new FakeStorage(), g = game(storage, '6s Th 5d 6c 9s Kd');
  g.slip.place('bet', 25);
  assert.ok(g.deal().ok);
  assert.deepEqual([g.bankroll, g.hint()], [97500, 'double'], 'the bet leaves the bankroll when the cards are dealt');
  assert.ok(g.play('double').ok && g.bankroll === 95000); // 11 + 9 = 20 against 16
  while (g.dealerDrawing) assert.ok(g.dealerDraw().ok);
  assert.deepEqual([g.bankroll, saved(storage).bankroll], [105000, 105000], 'the double is won: twice the bet');
  const again = game(storage, '8s 9h 8d 7c 3s');
  assert.ok(again.slip.repeat().ok, 'the last bet can be repeated after a reload');
  assert.deepEqual([again.bankroll, again.phase, again.state.stats.handsWon, again.state.history.at(-1).net, again.slip.amountOn('bet')],
    [105000, 'betting', 1, 5000, 25]);
  assert.ok(again.deal().ok && again.play('split').ok);
  const resumed = game(storage, 'Td Ts');
  assert.deepEqual([resumed.bankroll, resumed.phase, resumed.round.hands.map((h) => h.cards)], [100000, 'player', [['8s', '3s'], ['8d']]]);
  resumed.play('hit'); // 8 3 T = 21 stands by itself; the second hand draws T: 18
  assert.ok(resumed.play('stand').ok && resumed.phase === 'dealer');
  const halfway = game(storage, 'Kc');
  assert.ok(halfway.dealerDraw().ok); // 16 + K: the dealer busts
  assert.deepEqual([halfway.phase, halfway.bankroll, halfway.state.stats.handsWon], ['betting', 110000, 3], 'both split hands paid once');
});

// Each case: the cards (player, up, player, hole, then draws), the bets in chips, the moves; then the chips
// after the deal (the side bets already paid) and after the round, and the record's bets as kind:staked:returned.
const OPTION_ROUNDS = [
  // 16 against a ten, given up: half the main bet back; both side bets lose.
  { cards: '9s Th 7d 8c', bets: { bet: 10, twentyOnePlusThree: 5, perfectPairs: 5 }, surrender: true, moves: ['surrender'],
    dealt: 98000, after: 98500, record: 'mainSurrender:1000:500 twentyOnePlusThree:500:0 perfectPairs:500:0',
    says: /surrendered; half the bet, 5, is lost.*21\+3: nothing, loses 5\. Perfect Pairs: nothing, loses 5\./ },
  // Two eights of hearts under the king of hearts: a flush 5:1 and a perfect pair 25:1; the 16 stands and loses.
  { cards: '8h Kh 8h 9c', bets: { bet: 10, twentyOnePlusThree: 2, perfectPairs: 4 }, moves: ['stand'],
    dealt: 110000, after: 110000, record: 'main:1000:0 twentyOnePlusThree:200:1200 perfectPairs:400:10400',
    says: /21\+3: a flush, wins 10\. Perfect Pairs: a perfect pair, wins 100\./ },
  // A suited J-Q-K is a straight flush 40:1, paid although the dealer's blackjack ends the round at the deal.
  { cards: 'Js Qs Ks Ad', bets: { bet: 10, twentyOnePlusThree: 1 }, moves: [],
    dealt: 103000, after: 103000, record: 'main:1000:0 twentyOnePlusThree:100:4100', says: /a straight flush, wins 40\./ },
  // A mixed pair pays 6:1; the surrender option on, the 8-8 is split as the chart says, so no surrender after it.
  { cards: '8s 9h 8h 7c Ts Kd Tc', bets: { bet: 10, perfectPairs: 1 }, surrender: true, moves: ['split', 'stand', 'stand'],
    dealt: 99600, after: 102600, record: 'mainSurrender:1000:2000 split:1000:2000 perfectPairs:100:700', says: /a mixed pair, wins 6\./ },
];

test('the table options pay exactly through the game, in the bankroll, the record and the result, and survive a reload', () => {
  for (const c of OPTION_ROUNDS) {
    const storage = new FakeStorage(), g = game(storage, c.cards);
    if (c.surrender) g.setSurrender(true);
    for (const [spot, chips] of Object.entries(c.bets)) assert.ok(g.slip.place(spot, chips).ok, spot);
    const dealt = g.deal();
    assert.deepEqual([dealt.ok, g.bankroll, dealt.sides.length], [true, c.dealt, Object.keys(c.bets).length - 1], c.cards);
    // Mid-round, a reload carries on with the side bets paid once and surrender still open.
    const resumed = g.round ? game(storage, c.cards.split(' ').slice(4).join(' ')) : g;
    if (g.round) assert.deepEqual([resumed.bankroll, resumed.moves().surrender], [c.dealt, !!c.surrender], c.cards);
    for (const m of c.moves) {
      if (c.moves[0] === 'split' && m !== 'split') assert.match(resumed.whyNot('surrender'), /never after a split/);
      assert.ok(resumed.play(m).ok, `${c.cards} ${m}`);
    }
    while (resumed.dealerDrawing) resumed.dealerDraw();
    const entry = resumed.state.history.at(-1);
    assert.deepEqual([resumed.bankroll, resumed.state.history.length, entry.bets.map((b) => `${b.kind}:${b.staked}:${b.returned}`).join(' ')],
      [c.after, 1, c.record], c.cards);
    assert.equal(entry.net, c.after - 100000, 'the record says what the chips did');
    assert.match(resultOf(resumed.lastRound).text, c.says);
    assert.equal(resumed.state.stats.rounds, 1);
    // Repeat puts the side bets back with the main bet.
    assert.deepEqual(resumed.slip.repeat().ok && resumed.slip.toObject(), c.bets);
  }
});

test('the table options say why they are refused', () => {
  const g = game(new FakeStorage(), '9s Th 7d 8c 2c');
  g.slip.place('perfectPairs', 5);
  assert.match(g.deal().reason, /only beside a bet in the main circle/);
  assert.match(g.slip.place('perfectPairs', 100).reason, /100/);
  g.slip.place('bet', 10);
  assert.ok(g.deal().ok);
  assert.match(g.whyNot('surrender'), /off at this table/);
  assert.equal(g.hint(), 'hit', 'the chart without surrender');
  g.setSurrender(true);
  assert.equal(g.play('surrender').ok, false);
  assert.match(g.whyNot('surrender'), /from the next hand/);
  // A saved side bet whose return its pay table could not give is set aside, not paid.
  const storage = new FakeStorage(), h = game(storage, '9s Th 7d 8c');
  h.slip.place('bet', 10); h.slip.place('twentyOnePlusThree', 5);
  h.deal();
  const tampered = saved(storage);
  tampered.game.round.sides[0].back = 1500;
  storage.setItem(STORE_KEY, JSON.stringify(tampered));
  assert.equal(game(storage, '', logSink()).round, null);
});

test('an unreadable saved hand is set aside, moves the bankroll cannot cover are refused, a blackjack is paid at once', () => {
  const log = logSink();
  const broken = { version: 1, bankroll: 1400, game: { round: { hands: 'no', phase: 'player' } } };
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify(broken) });
  const g = game(storage, '8s Ah 8d 7c', log);
  assert.deepEqual([g.phase, g.bankroll, saved(storage).game.unreadableRound], ['betting', 1400, broken.game.round]);
  assert.match(log.lines.join('\n'), /set aside/);
  g.slip.place('bet', 10);
  assert.ok(g.deal().ok && g.phase === 'insurance');
  assert.match(g.insure(true).reason, /costs 5 chips; you hold 4/);
  assert.ok(g.bankroll === 400 && g.insure(false).ok);
  assert.deepEqual([g.moves().split, g.play('split').ok, g.hint()], [false, false, 'hit'], 'a split needs another 10 chips: play 16');
  assert.deepEqual([g.bankroll, g.round.hands.length], [400, 1]);
  const bj = game(new FakeStorage(), 'As 9h Kd 7c');
  bj.slip.place('bet', 10);
  assert.ok(bj.deal().ok);
  assert.deepEqual([bj.phase, bj.bankroll, bj.state.stats.blackjacks, bj.state.stats.handsWon], ['betting', 101500, 1, 1]);
});

// Cards go a card to each seat, the dealer's up card, a second to each seat, the hole card; then as drawn.
test('two seats are played from the right, each with its own bets, limits, split and record line', () => {
  const storage = new FakeStorage(), g = game(storage, '8s Ts 6h 8d 9s Tc 3c Kd 7d Kh');
  assert.ok(g.setSeats(2).ok);
  for (const [spot, chips] of [['bet', 10], ['perfectPairs', 5], ['twentyOnePlusThree2', 5]]) assert.ok(g.slip.place(spot, chips).ok, spot);
  assert.match(g.deal().reason, /^Seat 2 has no bet/, 'a side bet needs its own seat\'s bet');
  assert.ok(g.slip.place('bet2', 20).ok);
  // The limits hold per seat: a full bet on each, more than one seat's most in all.
  assert.ok(g.slip.place('bet2', 480).ok && g.slip.place('bet', 400).ok);
  assert.match(g.slip.place('bet2', 1).reason, /Your hand at seat 2 is 500/);
  g.slip.undo(); g.slip.undo();
  assert.ok(g.deal().ok);
  // Perfect Pairs on 8s 8d is a mixed pair, paid at the deal; 21+3 on Ts 9s 6h loses.
  assert.deepEqual([g.bankroll, g.round.hands.map((h) => h.seat), g.round.active], [99500, [0, 1], 0]);
  assert.ok(g.play('split').ok && g.bankroll === 98500, 'the split costs the first seat\'s bet');
  assert.deepEqual(g.round.hands.map((h) => h.seat), [0, 0, 1], 'the split hand stays at its seat, before the next seat');
  assert.ok(g.play('double').ok && g.bankroll === 97500); // 8 3 K: 21
  assert.ok(g.play('stand').ok); // 8 7
  assert.equal(g.round.active, 2);
  assert.ok(g.play('stand').ok && g.phase === 'dealer');
  while (g.dealerDrawing) g.dealerDraw(); // 16 + K: busts
  const entry = g.state.history.at(-1);
  assert.deepEqual([g.bankroll, entry.net, entry.bets.map((b) => `${b.kind}:${b.spot}:${b.staked}:${b.returned}`).join(' ')],
    [107500, 7500, 'main:bet:1000:2000 double:bet:1000:2000 split:bet:1000:2000 main:bet2:2000:4000 ' +
      'perfectPairs:perfectPairs:500:3500 twentyOnePlusThree:twentyOnePlusThree2:500:0']);
  assert.match(resultOf(g.lastRound).text, /^You win 75 chips\. Seat 1, hand 1 \(doubled\).*Seat 1, hand 2.*Seat 2: 19 wins 20.*Seat 2, 21\+3: nothing/);
  assert.match(describeEntry(entry).what, /^Seat 1 8♠ 3♣ K♦ \| 8♦ 7♦; Seat 2 10♠ 9♠; dealer/);
  // A fresh page repeats every seat's bets; a closed seat's chips are refused, not dealt.
  const again = game(storage, '');
  assert.ok(again.slip.repeat().ok && again.setSeats(1).ok);
  assert.deepEqual(again.slip.toObject(), { bet: 10, perfectPairs: 5 }, 'closing a seat takes its chips off');
  assert.ok(again.slip.repeat().ok);
  assert.match(again.deal().reason, /seat 2, which is closed/);
});

test('a save of one seat from before seats loads, plays on and repeats its bets', () => {
  const old = { version: 1, bankroll: 99800, settings: { muted: false, hints: false, surrender: false },
    stats: { rounds: 1, wagered: 1200, won: 800, handsWon: 1, handsLost: 0, handsPushed: 0, blackjacks: 0, 'staked.main': 1000, 'staked.perfectPairs': 200 },
    history: [{ bet: 1000, net: 800, insurance: 0, dealer: ['9h', '8c'], hands: [['Ts', '9d']], outcomes: ['win'], table: 'blackjack',
      shown: { dealer: ['9h', '8c'], hands: [['Ts', '9d']] }, bets: [{ kind: 'main', staked: 1000, returned: 2000 },
        { kind: 'perfectPairs', staked: 200, returned: 0 }], staked: 1200, returned: 2000, bankroll: 100800 }],
    game: { round: { bet: 1000, hands: [{ cards: ['8s', '8d'], bet: 1000, doubled: false, split: false, done: false }],
      dealer: ['6h', '7c'], active: 0, insurance: 0, phase: 'player', outcomes: null, net: 0, staked: 1000 } } };
  const log = logSink(), g = game(new FakeStorage({ [STORE_KEY]: JSON.stringify(old) }), '3s Ts Kd', log);
  assert.deepEqual([g.bankroll, g.seats, g.phase, Object.fromEntries(g.slip.last), log.lines], [99800, 1, 'player', { bet: 10, perfectPairs: 2 }, []]);
  for (const m of ['split', 'stand', 'stand']) assert.ok(g.play(m).ok, m);
  while (g.dealerDrawing) g.dealerDraw();
  assert.deepEqual([g.bankroll, g.state.history.at(-1).bets.map((b) => b.kind)], [102800, ['main', 'split']]);
});
