import { test } from 'node:test';
import assert from 'node:assert/strict';
import { PokerGame, STORE_KEY } from '../../../web/js/poker/game.js';
import { settle } from '../../../web/js/rules/poker.js';
import { freshDeck } from '../../../web/js/kit/cards.js';
import { FakeStorage, logSink } from '../support/fake-storage.mjs';

// A "shuffle" that puts the named cards on top in deal order: player, dealer,
// then the five board cards.
function dealing(text) {
  const top = text.split(' ');
  return { shuffle: () => [...top, ...freshDeck().filter((c) => !top.includes(c))] };
}
const table = (storage, cards = '', log = logSink()) => new PokerGame({ storage, random: dealing(cards), log });

test('a called hand changes the bankroll by exactly the settled amount and survives a reload', () => {
  const storage = new FakeStorage();
  const game = table(storage, 'Kd Kc Qd Qs 2d 7c 9s Jh 3h');
  const start = game.bankroll;
  game.slip.place('ante', 10);
  game.slip.place('bonus', 5);
  assert.ok(game.deal().ok);
  assert.equal(game.bankroll, start - 1500, 'ante and bonus leave the bankroll at the deal');
  assert.equal(game.playerSoFar(), 'Pair of Kings');

  const resumed = table(storage);
  assert.deepEqual(resumed.hand.board, ['2d', '7c', '9s', 'Jh', '3h'], 'a reload keeps the same cards');
  const { settled } = resumed.call();
  const expected = settle({ ante: 1000, call: 2000, aaBonus: 500 },
    ['Kd', 'Kc', '2d', '7c', '9s', 'Jh', '3h'], ['Qd', 'Qs', '2d', '7c', '9s', 'Jh', '3h']);
  assert.equal(settled.returned, expected);
  assert.equal(resumed.bankroll, start - 3500 + expected);
  assert.equal(resumed.bankroll, start + 2500, 'kings beat queens: ante and call 1:1, the bonus lost');

  const later = table(storage);
  assert.equal(later.bankroll, start + 2500);
  assert.equal(later.phase, 'betting');
  assert.equal(later.table.stats.handsWon, 1);
  assert.ok(later.slip.repeat().ok);
  assert.deepEqual(later.slip.toObject(), { ante: 10, bonus: 5 });
});

test('a fold loses the ante but still pays the AA bonus', () => {
  const storage = new FakeStorage();
  const game = table(storage, 'Ac Ad 6c 6d 5h Kh Qh 2c 3d');
  game.slip.place('ante', 10);
  game.slip.place('bonus', 5);
  game.deal();
  const start = game.bankroll;
  const { settled } = game.fold();
  assert.equal(settled.returned, 500 * 8);
  assert.equal(game.bankroll, start + 4000);
  assert.equal(game.table.stats.folds, 1);
  assert.equal(game.table.stats.bonusWins, 1);
});

test('an ante the player could not call is refused before any card is dealt', () => {
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 2900 }) });
  const game = table(storage, 'Ac Ad 6c 6d 5h Kh Qh 2c 3d');
  game.slip.place('ante', 10);
  const refused = game.deal();
  assert.equal(refused.ok, false);
  assert.match(refused.reason, /needs 20 more behind it for the call; you hold 29/);
  assert.equal(game.bankroll, 2900);
  assert.equal(game.hand, null);
  game.slip.clear();
  game.slip.place('bonus', 5);
  assert.match(game.deal().reason, /Place an ante/);
});

test('a saved hand that cannot be read is set aside and the table opens for betting', () => {
  const log = logSink();
  const hand = { ante: 1000, aaBonus: 0, player: ['Ac', 'Ac'], dealer: ['2c', '3c'], board: ['4c', '5c', '6c', '7c', '8c'] };
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 5000, game: { hand } }) });
  const game = table(storage, '', log);
  assert.equal(game.phase, 'betting');
  assert.equal(game.bankroll, 5000);
  assert.deepEqual(JSON.parse(storage.getItem(STORE_KEY)).game.unreadableHand, hand);
  assert.match(log.lines.join('\n'), /set aside/);
});
