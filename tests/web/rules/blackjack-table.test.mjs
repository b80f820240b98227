import { test } from 'node:test';
import assert from 'node:assert/strict';
import { BlackjackGame, STORE_KEY, handTotalText } from '../../../web/js/blackjack/game.js';
import { FakeStorage, logSink } from '../support/fake-storage.mjs';

// A shoe that deals the given cards in order.
function stacked(text) {
  const queue = text.split(' ');
  return { draw: () => queue.shift(), needsShuffle: false, shuffle() {}, left: () => queue.length };
}

const table = (storage, cards, log = logSink()) => new BlackjackGame({ storage, shoe: stacked(cards), log });
const saved = (storage) => JSON.parse(storage.getItem(STORE_KEY));

test('a hand played changes the bankroll by exactly the settled amount and survives a reload', () => {
  const storage = new FakeStorage();
  const game = table(storage, '6s Th 5d 6c 9s Kd');
  const start = game.bankroll;
  game.slip.place('bet', 25);
  assert.ok(game.deal().ok);
  assert.equal(game.bankroll, start - 2500, 'the bet leaves the bankroll when the cards are dealt');
  assert.equal(game.hint(), 'double');
  assert.ok(game.play('double').ok);               // 11 + 9 = 20 against 16
  assert.equal(game.bankroll, start - 5000);
  while (game.dealerDrawing) assert.ok(game.dealerDraw().ok);
  assert.equal(game.bankroll, start + 5000, 'the double is won: twice the bet');
  assert.equal(saved(storage).bankroll, start + 5000);

  const again = table(storage, '');
  assert.equal(again.bankroll, start + 5000);
  assert.equal(again.phase, 'betting');
  assert.deepEqual(again.table.stats.handsWon, 1);
  assert.equal(again.table.history.at(-1).net, 5000);
  assert.ok(again.slip.repeat().ok, 'the last bet can be repeated after a reload');
  assert.equal(again.slip.amountOn('bet'), 25);
});

test('a reload in the middle of a hand resumes it without paying or charging twice', () => {
  const storage = new FakeStorage();
  const game = table(storage, '8s 9h 8d 7c 3s');
  game.slip.place('bet', 10);
  game.deal();
  assert.ok(game.play('split').ok);
  const mid = game.bankroll;

  const resumed = table(storage, 'Td Ts Kc');
  assert.equal(resumed.bankroll, mid);
  assert.equal(resumed.phase, 'player');
  assert.deepEqual(resumed.round.hands.map((h) => h.cards), [['8s', '3s'], ['8d']]);
  resumed.play('hit');          // 8 3 T = 21 stands by itself; the second hand draws T: 18
  resumed.play('stand');
  assert.equal(resumed.phase, 'dealer');
  const halfway = table(storage, 'Kc');
  assert.ok(halfway.dealerDraw().ok);      // 16 + K: the dealer busts
  assert.equal(halfway.phase, 'betting');
  assert.equal(halfway.bankroll, mid + 2 * 2000, 'both split hands are paid once');
  assert.equal(halfway.table.stats.handsWon, 2);
});

test('moves the bankroll cannot cover are refused and change nothing', () => {
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 1400 }) });
  const game = table(storage, '8s Ah 8d 7c');
  game.slip.place('bet', 10);
  assert.ok(game.deal().ok);
  assert.equal(game.phase, 'insurance');
  const refused = game.insure(true);
  assert.equal(refused.ok, false);
  assert.match(refused.reason, /costs 5 chips; you hold 4/);
  assert.equal(game.bankroll, 400);
  assert.ok(game.insure(false).ok);
  assert.equal(game.moves().split, false, 'a split needs another 10 chips');
  assert.equal(game.play('split').ok, false);
  assert.equal(game.hint(), 'hit', 'the hint plays 16 when the split is out of reach');
  assert.equal(game.bankroll, 400);
  assert.equal(game.round.hands.length, 1);
});

test('a saved hand that cannot be read is set aside and the table opens for betting', () => {
  const log = logSink();
  const broken = { version: 1, bankroll: 90000, game: { round: { hands: 'no', phase: 'player' } } };
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify(broken) });
  const game = table(storage, '', log);
  assert.equal(game.phase, 'betting');
  assert.equal(game.bankroll, 90000);
  assert.deepEqual(saved(storage).game.unreadableRound, broken.game.round);
  assert.match(log.lines.join('\n'), /set aside/);
  assert.equal(handTotalText(['As', '6d']), '7 / 17');
  assert.equal(handTotalText(['As', 'Kd']), '21');
});
