import { test } from 'node:test';
import assert from 'node:assert/strict';
import { BaccaratTable, STORE_KEY } from '../../../web/js/baccarat/table.js';
import { createRandom, seededSource } from '../../../web/js/kit/random.js';
import { FakeStorage, logSink } from '../support/fake-storage.mjs';

const make = (storage, seed = 7) => new BaccaratTable({ storage, random: createRandom(seededSource(seed)), log: logSink() });

test('each coup changes the bankroll by exactly its settled amount, and a reload shows the same', () => {
  const storage = new FakeStorage();
  const table = make(storage);
  let expected = table.bankroll;
  for (let round = 0; round < 40; round++) {
    table.selectChip(round % 2 ? 5 : 25);
    for (const spot of ['banker', 'tie', 'playerPair']) assert.ok(table.place(spot).ok);
    const staked = table.slip.totalCents;
    const deal = table.deal();
    assert.ok(deal.ok, deal.reason);
    assert.equal(table.bankroll, expected - staked);
    const done = table.finishCoup();
    assert.equal(done.returned, Object.values(done.paid).reduce((a, b) => a + b, 0));
    expected += done.returned - staked;
    assert.equal(table.bankroll, expected);
  }
  assert.equal(table.results.length, 40);
  const again = make(storage, 99);
  assert.equal(again.bankroll, expected);
  assert.deepEqual(again.results, table.results);
  assert.deepEqual(again.state.history, table.state.history);
  assert.equal(again.cardsLeft, table.cardsLeft, 'the shoe carries on where it stopped');
  assert.ok(again.repeat().ok);
  assert.deepEqual(again.slip.toObject(), { banker: 5, tie: 5, playerPair: 5 });
});

test('the reloaded shoe holds exactly the cards not yet seen', () => {
  const storage = new FakeStorage();
  const table = make(storage, 3);
  table.place('player', 10); table.deal(); table.finishCoup();
  const again = make(storage, 4);
  const count = (cards) => cards.reduce((m, c) => m.set(c, (m.get(c) ?? 0) + 1), new Map());
  const all = count(again.shoe.cards);
  assert.equal(again.shoe.cards.length, 416);
  assert.ok([...all.values()].every((n) => n === 8));
  assert.deepEqual(again.shoe.cards.slice(0, again.shoe.dealt), table.shoe.cards.slice(0, table.shoe.dealt));
});

test('a coup interrupted by a reload is paid on the next visit, once', () => {
  const storage = new FakeStorage();
  const table = make(storage, 11);
  table.place('player', 100);
  const deal = table.deal();
  const reloaded = make(storage, 12);
  assert.equal(reloaded.recovered.returned, deal.returned);
  assert.equal(reloaded.bankroll, 100000 - 10000 + deal.returned);
  assert.equal(make(storage, 13).bankroll, reloaded.bankroll);
  assert.equal(reloaded.results.length, 1);
});

test('a new shoe burns by its first card and the scoreboard starts again after the cut card', () => {
  const table = make(new FakeStorage(), 5);
  const { card, count } = table.burned;
  assert.equal(table.shoe.dealt, 1 + count);
  assert.equal(count, ({ A: 1, T: 10, J: 10, Q: 10, K: 10 })[card[0]] ?? Number(card[0]));
  let shuffled = false;
  for (let i = 0; i < 90 && !shuffled; i++) {
    table.place('banker', 1);
    shuffled = table.deal().shuffled;
    table.finishCoup();
  }
  assert.ok(shuffled, 'the cut card came out within 90 coups');
  assert.equal(table.results.length, 1);
  assert.equal(table.state.stats.shoes, 2);
});

test('unreadable saves fall back safely and bad bets are refused with a reason', () => {
  const log = logSink();
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({
    version: 1, bankroll: 20000, game: { shoe: { dealt: ['Zz', 'As'] }, pending: { staked: 'x', bets: {}, coup: {} } },
  }) });
  const table = new BaccaratTable({ storage, random: createRandom(seededSource(1)), log });
  assert.equal(table.bankroll, 20000);
  assert.equal(table.pending, null);
  assert.ok(log.lines.some((l) => /saved shoe was unreadable/.test(l)));
  assert.match(table.place('dragon', 1).reason, /no such place/);
  assert.match(table.place('tie', 501).reason, /most on tie/);
  assert.match(table.deal().reason, /Place a bet/);
});
