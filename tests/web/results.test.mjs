// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { resultOf as rouletteResult } from '../../web/js/roulette/record.js';
import { resultOf as blackjackResult, handTotalText } from '../../web/js/blackjack/record.js';
import { resultOf as baccaratResult } from '../../web/js/baccarat/record.js';
import { resultOf as pokerResult, handName as pokerHandName } from '../../web/js/poker/record.js';
import { deal, answerInsurance, act, dealerStep } from '../../web/js/rules/blackjack.js';
import { playCoup, settle as settleCoup } from '../../web/js/rules/baccarat.js';
import { evaluate5 } from '../../web/js/rules/poker.js';
import { RouletteGame } from '../../web/js/roulette/game.js';
import { WHEEL } from '../../web/js/rules/roulette.js';
import { PokerGame } from '../../web/js/poker/game.js';
import { BlackjackGame } from '../../web/js/blackjack/game.js';
import { FakeStorage } from './support/helpers.mjs';

// A blackjack round played from scripted cards and moves, settled by the rules.
function blackjackRound(cards, moves, { insure = false, bet = 1000 } = {}) {
  const queue = cards.split(' ');
  const draw = () => queue.shift();
  const round = deal(draw, bet);
  if (round.phase === 'insurance') answerInsurance(round, insure);
  for (const m of moves) act(round, m, draw);
  while (round.phase === 'dealer') dealerStep(round, draw);
  assert.equal(round.phase, 'done');
  return round;
}

test('roulette says the net first, by its sign, then only the bets that won and the rest in one sum', () => {
  // A win on red that still loses money overall must read as a loss.
  const pockets = [30, 0];
  const table = new RouletteGame({ storage: new FakeStorage(), random: { randomInt: () => WHEEL.indexOf(pockets.shift()) } });
  for (const [spot, chips] of [['red', 5], ['17', 1], ['1st dozen', 10]]) assert.ok(table.place(spot, chips).ok);
  table.spin();
  const done = table.settle();
  const r = rouletteResult({ number: done.number, colour: done.color, bets: done.bets });
  assert.deepEqual([r.tone, r.headline, r.lines],
    ['loss', 'You lose 6 chips.', ['The ball lands on red 30.', 'Red: 5 wins 5.', 'Your other bets lose 11.']]);
  assert.ok(table.slip.repeat().ok);
  table.spin();
  const zero = table.settle();
  const z = rouletteResult({ number: zero.number, colour: zero.color, bets: zero.bets });
  assert.equal(z.text, 'You lose 16 chips. The ball lands on zero. None of your bets covers it.');
  const even = rouletteResult({ number: 17, colour: 'black', bets: [
    { kind: 'split', numbers: [17, 20], staked: 100, returned: 1800 }, { kind: 'column', numbers: [2, 5], staked: 1700, returned: 0 }] });
  assert.deepEqual([even.tone, even.text],
    ['even', 'You break even. The ball lands on black 17. Split 17/20: 1 wins 17. Your other bet loses 17.']);
});

test('blackjack names every hand of a split, the insurance and the dealer, and nets them together', () => {
  // Split eights: the first wins, the second busts: even, not "push".
  const split = blackjackRound('8s 9d 8h 9c 2d 9h Kc 5s', ['split', 'hit', 'stand', 'hit']);
  const s = blackjackResult(split);
  assert.deepEqual([s.tone, s.headline, s.lines], ['even', 'You break even.', [
    'Hand 1: 19 beats the dealer\'s 18, wins 10.', 'Hand 2: busts with 23, loses 10.']]);
  // Insurance taken and won over a lost hand: the lost hand and the insurance each say so.
  const insured = blackjackRound('Ts As 9d Kh', [], { insure: true });
  assert.deepEqual([insured.net, blackjackResult(insured).text], [0,
    'You break even. Your hand: 19 loses 10 to the dealer\'s blackjack. Insurance: the dealer has blackjack, it pays 10.']);
  const lostInsurance = blackjackResult(blackjackRound('Ts As 9d 7h', ['stand'], { insure: true }));
  assert.equal(lostInsurance.text, 'You win 5 chips. Your hand: 19 beats the dealer\'s 18, wins 10. ' +
    'Insurance: no dealer blackjack, it loses 5.');
  // A doubled hand against a dealer bust, and a blackjack paid 3 to 2 in cents.
  const doubled = blackjackResult(blackjackRound('5s 6d 6h Td Kc 9s', ['double']));
  assert.equal(doubled.text, 'You win 20 chips. Your hand (doubled): 21 wins 20; the dealer busts with 25.');
  const bj = blackjackResult(blackjackRound('As 9h Kd 7c', [], { bet: 500 }));
  assert.deepEqual([bj.tone, bj.text], ['win', 'You win 7.50 chips. Your hand: blackjack pays 7.50.']);
  // Soft totals show both values only while the hand may still draw.
  assert.deepEqual([handTotalText(['As', '6d'], true), handTotalText(['As', '6d']), handTotalText(['As', 'Kd'], true)],
    ['7 / 17', '17', '21']);
});

test('baccarat states the coup, then each bet: commission, the tie pushing Player and Banker, side bets', () => {
  const coup = (cards) => { const q = cards.split(' '); return playCoup(() => q.shift()); };
  const tie = coup('4s 2d 2h 4c');
  const bets = { player: 10, tie: 1, bankerPair: 1 };
  const tieResult = baccaratResult({ coup: tie, bets, paid: settleCoup({ player: 1000, tie: 100, bankerPair: 100 }, tie) });
  assert.deepEqual([tie.winner, tieResult.tone, tieResult.text], ['tie', 'win',
    'You win 7 chips. Tie, 6 all. Player: 10 comes back (a tie). Tie: 1 wins 8. Banker pair: 1 loses.']);
  const banker = coup('2s 9d 3h Kc');
  const b = baccaratResult({ coup: banker, bets: { banker: 10 }, paid: settleCoup({ banker: 1000 }, banker) });
  assert.equal(b.text, 'You win 9.50 chips. Banker wins with a natural 9 over 5. Banker: 10 wins 9.50 (less 5% commission).');
});

test('poker names hands in plain words and reports the ante, call and AA bonus apart', () => {
  const names = ['3s 3d 3h 9c Kd', 'As Ad 4c 4d 4h', '2s 3s 4s 5s 6s', 'Ts Js Qs Ks As']
    .map((c) => pokerHandName(evaluate5(c.split(' ')), true));
  assert.deepEqual(names, ['Three of a kind, threes', 'Full house, fours over aces', 'Straight flush to the six', 'Royal flush']);
  // Player, dealer, then the board, as the table deals them from its shuffled deck.
  const play = (cards, ante, bonus, folded) => {
    const game = new PokerGame({ storage: new FakeStorage(), random: { shuffle: () => cards.split(' ') } });
    game.slip.place('ante', ante);
    if (bonus) game.slip.place('bonus', bonus);
    assert.ok(game.deal().ok);
    return pokerResult(folded ? game.fold().settled : game.call().settled);
  };
  // A folded pair of aces still collects its AA bonus.
  const fold = play('As Ad 2c 7d Ah 9s 4c Jd 3h', 5, 1, true);
  assert.equal(fold.text, 'You win 2 chips. You fold: the ante is lost. Ante: 5 loses. AA bonus: 1 wins 7 (pays 7 to 1).');
  const notQualified = play('Ks Kd 2c 3d 7h 9s Jc 5d 6h', 5, 0, false);
  assert.equal(notQualified.text, 'You win 5 chips. The dealer\'s jack high does not qualify (a pair of fours or better ' +
    'is needed): the ante is paid, the call comes back. Ante: 5 wins 5. Call: 10 comes back.');
  const flush = play('Ah 2h Qc Qd Kh 9h 4c 8s 3h', 5, 0, false);
  assert.equal(flush.headline, 'You win 20 chips.');
  assert.match(flush.text, /Your flush, ace high beats the dealer's pair of queens\. Ante: 5 wins 10 \(pays 2 to 1\)\. Call: 10 wins 10\./);
  // Hands that read alike name what parts them; the same kickers tie.
  const lines = ['6s Kd 6h Qc 6d 2c 8h 9s 3d', 'Kc 3s As 3d Qh Qd 7s 7c 2h', 'Kc 3s Kh 3d Qh Qd 7s 7c 2h']
    .map((cards) => play(cards, 5, 0, false).lines[0]);
  assert.deepEqual(lines, ['Your pair of sixes beats the dealer\'s pair of sixes on the kicker: king against queen.',
    'The dealer\'s two pair, queens and sevens beats your two pair, queens and sevens on the kicker: ace against king.',
    'Your two pair, queens and sevens ties the dealer\'s two pair, queens and sevens.']);
});

test('even money pays the blackjack 1:1 at once and says so without the dealer\'s hole card', () => {
  const queue = 'As Ac Kh 9d'.split(' ');
  const storage = new FakeStorage();
  const game = new BlackjackGame({ storage, shoe: { draw: () => queue.shift(), needsShuffle: false, shuffle() {} }, log: () => {} });
  assert.equal(game.evenMoney().ok, false, 'nothing is offered before a hand');
  game.slip.place('bet', 10);
  game.deal();
  assert.ok(game.evenMoneyOffered);
  const before = game.bankroll;
  const { settled } = game.evenMoney();
  const shown = blackjackResult(settled);
  assert.deepEqual([game.bankroll - before, game.round, shown.text],
    [2000, null, 'You win 10 chips. Even money: your blackjack is paid 10 at once.']);
  assert.equal(game.state.history[0].shown.evenMoney, true);
});
