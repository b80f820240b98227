import { test } from 'node:test';
import assert from 'node:assert/strict';
import { lobbyRows, readBankroll, TABLES } from '../../web/js/kit/tables.js';
import { STARTING_BANKROLL } from '../../web/js/kit/money.js';
import { FakeStorage } from './support/fake-storage.mjs';

test('the lobby shows each table\'s chips from the seeded storage, in catalog order', () => {
  const seeded = {
    'roulette-royale.v1': JSON.stringify({ version: 1, bankroll: 123450, settings: {}, history: [] }),
    // Blackjack never played: no entry at all.
    'baccarat-royale.v1': '{"bankroll": 9',
    'poker-royale.v1': JSON.stringify({ bankroll: -300 }),
    'other-key': 'ignored',
  };
  const storage = new FakeStorage(seeded);
  const rows = lobbyRows(storage);
  assert.deepEqual(rows.map((r) => r.name), ['Roulette Royale', 'Blackjack Royale', 'Baccarat Royale', 'Poker Royale']);
  assert.deepEqual(rows.map((r) => r.file), ['roulette-3d.html', 'blackjack-3d.html', 'baccarat-3d.html', 'poker-3d.html']);
  assert.deepEqual(rows.map((r) => r.bankroll), [123450, STARTING_BANKROLL, STARTING_BANKROLL, STARTING_BANKROLL]);
  assert.deepEqual(rows.map((r) => r.played), [true, false, true, true]);
  assert.deepEqual(Object.fromEntries(storage.map), seeded, 'the lobby only reads');
});

test('a broken bankroll field alone does not hide a sound one, and a dead storage still shows tables', () => {
  const storage = new FakeStorage({ 'roulette-royale.v1': '{"bankroll":0,"settings":"junk"}' });
  assert.equal(readBankroll(storage, 'roulette-royale.v1'), 0, 'a table played down to nothing shows nothing');
  storage.broken = true;
  assert.deepEqual(lobbyRows(storage).map((r) => r.bankroll), TABLES.map(() => STARTING_BANKROLL));
  assert.equal(readBankroll(null, 'poker-royale.v1'), STARTING_BANKROLL);
});

test('every table in the catalog has a picture drawn with finite coordinates', async () => {
  const { PICTURES } = await import('../../web/js/lobby-art.js');
  for (const t of TABLES) {
    const svg = PICTURES[t.id]();
    assert.match(svg, /^<svg viewBox="0 0 400 300" role="img" aria-label="[^"]+">/, t.id);
    assert.doesNotMatch(svg, /NaN|undefined|Infinity/, t.id);
  }
});
