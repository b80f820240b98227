import { test } from 'node:test';
import assert from 'node:assert/strict';
import { TableState, loadState, UNREADABLE_SUFFIX } from '../../web/js/kit/state.js';
import { STARTING_BANKROLL, chipsToCents, winnings, lessCommission } from '../../web/js/kit/money.js';
import { FakeStorage, logSink } from './support/fake-storage.mjs';

const KEY = 'blackjack-royale.v1';
const options = (log) => ({ settings: { decks: 6, hints: true, speed: 'normal' }, stats: { blackjacks: 0 }, log });

test('every corrupt shape falls back to defaults field by field, never below zero', () => {
  const shapes = [
    ['not json', '{bankroll: 5'],
    ['empty text', ''],
    ['null', 'null'],
    ['an array', '[1,2]'],
    ['a number', '42'],
    ['a string', '"rich"'],
    ['a negative bankroll', '{"bankroll":-500}'],
    ['a bankroll as text', '{"bankroll":"100000"}'],
    ['a fractional bankroll', '{"bankroll":12.5}'],
    ['a huge bankroll', '{"bankroll":1e300}'],
    ['NaN written by a careless script', '{"bankroll":NaN}'],
    ['wrong-typed settings', '{"bankroll":700,"settings":{"decks":"six","hints":1,"speed":null,"muted":"yes"}}'],
    ['settings as a list', '{"bankroll":700,"settings":[true]}'],
    ['negative and text statistics', '{"bankroll":700,"stats":{"rounds":-1,"won":"9","blackjacks":2.5}}'],
    ['history that is not a list', '{"bankroll":700,"history":{"0":{}}}'],
    ['history with junk entries', '{"bankroll":700,"history":[1,null,"x",{"net":100}]}'],
    ['a game field that is not an object', '{"bankroll":700,"game":"midhand"}'],
  ];
  for (const [name, text] of shapes) {
    const log = logSink();
    const state = loadState(new FakeStorage({ [KEY]: text }), KEY, options(log));
    assert.ok(Number.isSafeInteger(state.bankroll) && state.bankroll >= 0, name);
    assert.deepEqual(Object.keys(state.settings).sort(), ['decks', 'hints', 'muted', 'speed'], name);
    for (const v of Object.values(state.stats)) assert.ok(Number.isSafeInteger(v) && v >= 0, name);
    assert.ok(Array.isArray(state.history) && state.history.every((e) => e && typeof e === 'object'), name);
    assert.equal(typeof state.game, 'object', name);
    assert.ok(log.lines.length > 0, `${name} is logged`);
  }
});

test('a sound field survives when its neighbours are broken', () => {
  const text = '{"bankroll":700,"settings":{"decks":8,"hints":"no"},"stats":{"rounds":3,"won":-1},"history":[7,{"net":100}]}';
  const state = loadState(new FakeStorage({ [KEY]: text }), KEY, options(logSink()));
  assert.equal(state.bankroll, 700);
  assert.equal(state.settings.decks, 8);
  assert.equal(state.settings.hints, true);
  assert.equal(state.stats.rounds, 3);
  assert.equal(state.stats.won, 0);
  assert.deepEqual(state.history, [{ net: 100 }]);
});

test('an unreadable entry is set aside before anything can overwrite it', () => {
  const storage = new FakeStorage({ [KEY]: '{"bankroll": 12' });
  const log = logSink();
  const table = new TableState({ storage, storeKey: KEY, ...options(log) });
  assert.equal(table.bankroll, STARTING_BANKROLL);
  assert.equal(storage.getItem(KEY + UNREADABLE_SUFFIX), '{"bankroll": 12');
  assert.match(log.lines[0], /not readable JSON/);
  table.adjust(-100);
  assert.equal(storage.getItem(KEY + UNREADABLE_SUFFIX), '{"bankroll": 12');
});

test('a missing entry or a storage that throws gives a playable table', () => {
  const fresh = new TableState({ storage: new FakeStorage(), storeKey: KEY, ...options(logSink()) });
  assert.equal(fresh.bankroll, STARTING_BANKROLL);
  assert.equal(fresh.settings.speed, 'normal');

  const broken = new FakeStorage({ [KEY]: '{"bankroll":5}' });
  broken.broken = true;
  const log = logSink();
  const table = new TableState({ storage: broken, storeKey: KEY, ...options(log) });
  assert.equal(table.bankroll, STARTING_BANKROLL);
  assert.equal(table.adjust(500), true, 'play goes on even though nothing can be saved');
  assert.equal(table.bankroll, STARTING_BANKROLL + 500);
  assert.ok(log.lines.some((l) => /could not save/.test(l)));
});

test('a round trip through storage keeps every field', () => {
  const storage = new FakeStorage();
  const first = new TableState({ storage, storeKey: KEY, ...options(logSink()) });
  first.setSetting('decks', 2);
  first.setSetting('muted', true);
  first.settle({ staked: 1000, returned: 2500, entry: { hand: ['As', 'Kd'], net: 1500 }, stats: { blackjacks: 1 } });
  first.change((s) => { s.game = { shoeRound: 4, lastBets: { main: 10 } }; });
  const second = new TableState({ storage, storeKey: KEY, ...options(logSink()) });
  assert.deepEqual(second.snapshot(), first.snapshot());
  assert.equal(second.bankroll, STARTING_BANKROLL + 2500);
  assert.equal(second.stats.blackjacks, 1);
  assert.deepEqual(JSON.parse(storage.getItem(KEY)), first.snapshot(), 'written on every change');
});

test('a change that would break the state is refused and loses nothing', () => {
  const storage = new FakeStorage();
  const log = logSink();
  const table = new TableState({ storage, storeKey: KEY, ...options(log) });
  table.adjust(-99900);
  const before = storage.getItem(KEY);
  assert.equal(table.adjust(-200), false, 'below zero');
  assert.equal(table.adjust(0.5), false, 'part of a cent');
  assert.equal(table.setSetting('decks', 'many'), false);
  assert.equal(table.setSetting('colour', 'red'), false, 'a setting the table never declared');
  assert.equal(table.change(() => { throw new Error('bug'); }), false);
  assert.equal(table.bankroll, 100);
  assert.equal(storage.getItem(KEY), before);
  assert.equal(log.lines.length, 5);
});

test('integer money never drifts over a thousand rounds of mixed payouts', () => {
  const storage = new FakeStorage();
  let table = new TableState({ storage, storeKey: KEY, historyLimit: 20, ...options(logSink()) });
  // Odds as num:den with the stake returned on a win, commission-free unless marked.
  const payouts = [[35, 1], [3, 2], [1, 1], [8, 1], [17, 1], [6, 5], [2, 1], [11, 1], 'banker', 'lose', 'push'];
  let expected = BigInt(STARTING_BANKROLL), wagered = 0n;
  for (let round = 0; round < 1000; round++) {
    const stake = chipsToCents(1 + ((round * 37) % 25));
    const kind = payouts[round % payouts.length];
    let returned = 0;
    if (kind === 'push') returned = stake;
    else if (kind === 'banker') returned = stake + lessCommission(stake, 5);
    else if (kind !== 'lose') returned = stake + winnings(stake, kind[0], kind[1]);

    const s = BigInt(stake);
    if (kind === 'push') expected += 0n;
    else if (kind === 'lose') expected -= s;
    else if (kind === 'banker') expected += (s * 95n) / 100n;
    else { assert.equal((s * BigInt(kind[0])) % BigInt(kind[1]), 0n); expected += (s * BigInt(kind[0])) / BigInt(kind[1]); }
    wagered += s;

    assert.ok(table.adjust(-stake));
    assert.ok(table.settle({ staked: stake, returned, entry: { round } }));
    if (round % 100 === 99) table = new TableState({ storage, storeKey: KEY, historyLimit: 20, ...options(logSink()) });
  }
  assert.equal(BigInt(table.bankroll), expected);
  assert.equal(BigInt(table.stats.wagered), wagered);
  assert.equal(table.stats.rounds, 1000);
  assert.equal(table.history.length, 20);
  assert.deepEqual(table.history.at(-1), { round: 999 });
});
