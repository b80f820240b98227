// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { TableState, loadState, UNREADABLE_SUFFIX } from '../../web/js/kit/state.js';
import { STARTING_BANKROLL, chipsToCents, winnings, lessCommission } from '../../web/js/kit/money.js';
import { lobbyRows, readBankroll, TABLES } from '../../web/js/kit/tables.js';
import { PICTURES } from '../../web/js/lobby-art.js';
import { PlayerSettings, PLAYER_KEY } from '../../web/js/kit/player.js';
import { FakeStorage, logSink } from './support/helpers.mjs';

const KEY = 'blackjack-royale.v1';
const options = (log = logSink(), more = {}) =>
  ({ settings: { decks: 6, hints: true, speed: 'normal' }, stats: { blackjacks: 0 }, log, ...more });
const open = (storage, log, more) => new TableState({ storage, storeKey: KEY, ...options(log, more) });

test('every corrupt shape falls back to defaults field by field, never below zero, and is logged', () => {
  const shapes = ['{bankroll: 5', '', 'null', '[1,2]', '42', '"rich"', '{"bankroll":-500}', '{"bankroll":"100000"}',
    '{"bankroll":12.5}', '{"bankroll":1e300}', '{"bankroll":NaN}', '{"bankroll":700,"settings":[true]}',
    '{"bankroll":700,"settings":{"decks":"six","hints":1,"speed":null,"muted":"yes","colour":"red"}}',
    '{"bankroll":700,"stats":{"rounds":-1,"won":"9","blackjacks":2.5}}', '{"bankroll":700,"history":{"0":{}}}',
    '{"bankroll":700,"history":[1,null,"x",[],{"net":100}]}', '{"bankroll":700,"game":"midhand"}', '{"bankroll":700,"game":[]}'];
  const isObject = (v) => v && typeof v === 'object' && !Array.isArray(v);
  for (const text of shapes) {
    const log = logSink(), state = loadState(new FakeStorage({ [KEY]: text }), KEY, options(log));
    assert.ok(Number.isSafeInteger(state.bankroll) && state.bankroll >= 0, text);
    assert.deepEqual(Object.keys(state.settings).sort(), ['decks', 'hints', 'muted', 'speed'], text);
    assert.ok(Object.values(state.stats).every((v) => Number.isSafeInteger(v) && v >= 0), text);
    assert.ok(Array.isArray(state.history) && state.history.every(isObject) && isObject(state.game), text);
    assert.ok(log.lines.length > 0, `${text} is logged`);
  }
  const text = '{"bankroll":700,"settings":{"decks":8,"hints":"no"},"stats":{"rounds":3,"won":-1},"history":[7,{"net":100}]}';
  const state = loadState(new FakeStorage({ [KEY]: text }), KEY, options());
  assert.deepEqual([state.bankroll, state.settings.decks, state.settings.hints, state.stats.rounds, state.stats.won, state.history],
    [700, 8, true, 3, 0, [{ net: 100 }]], 'a sound field survives when its neighbours are broken');
});

test('an unreadable entry is set aside, and a missing entry or a throwing storage still gives a playable table', () => {
  for (const text of ['{"bankroll": 12', '[1,2]']) {
    const storage = new FakeStorage({ [KEY]: text });
    const table = open(storage);
    assert.ok(table.bankroll === STARTING_BANKROLL && table.adjust(-100));
    assert.equal(storage.getItem(KEY + UNREADABLE_SUFFIX), text, 'set aside before anything can overwrite it');
    // A second bad entry keeps the first copy.
    storage.setItem(KEY, 'garbage');
    open(storage);
    assert.deepEqual([storage.getItem(KEY + UNREADABLE_SUFFIX), storage.getItem(KEY + UNREADABLE_SUFFIX + '-2')], [text, 'garbage']);
  }
  const fresh = open(new FakeStorage());
  assert.deepEqual([fresh.bankroll, fresh.settings.speed, fresh.settings.muted], [STARTING_BANKROLL, 'normal', false]);
  const broken = new FakeStorage({ [KEY]: '{"bankroll":5}' });
  broken.broken = true;
  const log = logSink(), table = open(broken, log);
  assert.ok(table.adjust(500), 'play goes on even though nothing can be saved');
  assert.equal(table.bankroll, STARTING_BANKROLL + 500);
  assert.ok(log.lines.some((l) => /could not save/.test(l)));
});

test('a round trip through storage keeps every field, written on every change', () => {
  const storage = new FakeStorage(), first = open(storage);
  first.setSetting('decks', 2);
  first.setSetting('muted', true);
  first.settle({ record: { staked: 1000, returned: 2500, net: 1500, bets: [{ kind: 'main', staked: 1000, returned: 2500 }] }, stats: { blackjacks: 1 } });
  first.change((s) => { s.game = { shoeRound: 4, lastBets: { main: 10 } }; });
  assert.deepEqual([open(storage).snapshot(), JSON.parse(storage.getItem(KEY))], [first.snapshot(), first.snapshot()]);
  assert.deepEqual([first.bankroll, first.stats.blackjacks, first.stats.wagered, first.stats.won, first.stats['staked.main']],
    [STARTING_BANKROLL + 2500, 1, 1000, 1500, 1000]);
});

test('a change that would break the state is refused and loses nothing', () => {
  const storage = new FakeStorage(), log = logSink();
  const table = open(storage, log, { validate: { speed: (v) => ['slow', 'normal', 'fast'].includes(v) } });
  table.adjust(-99900);
  const before = storage.getItem(KEY);
  const refused = [table.adjust(-200), table.adjust(0.5), table.setSetting('decks', 'many'), table.setSetting('decks', NaN),
    table.setSetting('speed', 'warp'), table.setSetting('colour', 'red'), table.change(() => { throw new Error('bug'); })];
  assert.deepEqual(refused, refused.map(() => false));
  assert.deepEqual([table.bankroll, storage.getItem(KEY), log.lines.length], [100, before, refused.length]);
});

test('integer money never drifts over a thousand rounds of mixed payouts and reloads', () => {
  const storage = new FakeStorage(), reopen = () => open(storage, logSink(), { historyLimit: 20 });
  let table = reopen();
  // Odds as num:den paid on top of the returned stake; banker wins less 5%.
  const payouts = [[35, 1], [3, 2], [1, 1], [8, 1], [17, 1], [6, 5], [2, 1], [11, 1], 'banker', 'lose', 'push'];
  let expected = BigInt(STARTING_BANKROLL), wagered = 0n;
  for (let round = 0; round < 1000; round++) {
    const stake = chipsToCents(1 + ((round * 37) % 25)), s = BigInt(stake);
    const kind = payouts[round % payouts.length];
    let returned = 0;
    if (kind === 'push') returned = stake;
    else if (kind === 'banker') { returned = stake + lessCommission(stake, 5); expected += (s * 95n) / 100n; }
    else if (kind === 'lose') expected -= s;
    else { returned = stake + winnings(stake, ...kind); expected += (s * BigInt(kind[0])) / BigInt(kind[1]); }
    wagered += s;
    assert.ok(table.adjust(-stake) && table.settle({ record: { staked: stake, returned, net: returned - stake, bets: [] }, entry: { round } }));
    if (round % 100 === 99) table = reopen();
  }
  assert.deepEqual([BigInt(table.bankroll), BigInt(table.stats.wagered), table.stats.rounds], [expected, wagered, 1000]);
  assert.deepEqual(table.history.map((h) => h.round), Array.from({ length: 20 }, (_, i) => 980 + i));
});

test('the lobby shows each table\'s chips as the table would read them, and only reads', () => {
  const seeded = {
    'roulette-royale.v1': JSON.stringify({ version: 1, bankroll: 123450, settings: {}, history: [] }),
    'baccarat-royale.v1': '{"bankroll": 9', // blackjack never played: no entry at all
    'poker-royale.v1': JSON.stringify({ bankroll: -300 }),
  };
  const storage = new FakeStorage(seeded);
  assert.deepEqual(lobbyRows(storage).map((r) => [r.file, r.bankroll, r.played]), [['roulette-3d.html', 123450, true],
    ['blackjack-3d.html', STARTING_BANKROLL, false], ['baccarat-3d.html', STARTING_BANKROLL, true], ['poker-3d.html', STARTING_BANKROLL, true]]);
  assert.deepEqual(Object.fromEntries(storage.map), seeded);
  assert.equal(readBankroll(new FakeStorage({ 'roulette-royale.v1': '{"bankroll":0,"settings":"junk"}' }), 'roulette-royale.v1'), 0,
    'a broken field does not hide a sound bankroll, even an empty one');
  storage.broken = true;
  assert.deepEqual([...lobbyRows(storage).map((r) => r.bankroll), readBankroll(null, 'x')], [...TABLES, 0].map(() => STARTING_BANKROLL));
  for (const t of TABLES) assert.doesNotMatch(PICTURES[t.id](), /NaN|undefined|Infinity/, t.id);
});

test('the sound, the pace and the limits are the player\'s at every table, the chip each table\'s own; older saves keep theirs', () => {
  const storage = new FakeStorage();
  const fresh = { chip: 5, chips: {}, muted: false, volume: 0.8, speed: 'normal', reality: 0, dayLimit: 0 };
  assert.deepEqual(new PlayerSettings(storage, { muted: true, chip: 7 }).settings, { ...fresh, muted: true });
  const here = new PlayerSettings(storage);
  assert.ok(here.setChip('blackjack', 500) && here.setSetting('muted', true) && here.setSetting('speed', 'fast') &&
    here.setSetting('volume', 0.3) && here.setSetting('reality', 30) && here.setSetting('dayLimit', 5000));
  const refused = [['chip', 3], ['colour', 'red'], ['speed', 'warp'], ['volume', 1.5], ['volume', NaN], ['reality', 20],
    ['dayLimit', 150], ['dayLimit', -100]];
  assert.deepEqual(refused.map(([k, v]) => here.setSetting(k, v)), refused.map(() => false));
  assert.equal(here.setChip('blackjack', 3), false);
  const next = new PlayerSettings(storage, { muted: false, chip: 1 });
  assert.deepEqual([next.chipAt('blackjack'), next.chipAt('roulette'), next.settings.muted, next.settings.reality, next.settings.dayLimit],
    [500, 5, true, 30, 5000], 'a 500 chosen at blackjack stays there');
  // A save from before each table kept its own chip: that one chip holds at every table until chosen there.
  const old = new PlayerSettings(new FakeStorage({ [PLAYER_KEY]: '{"chip":100,"muted":false,"volume":0.5,"speed":"instant"}' }));
  assert.deepEqual([old.chipAt('poker'), old.settings.speed, old.setChip('poker', 25), old.chipAt('poker'), old.chipAt('baccarat')],
    [100, 'instant', true, 25, 100]);
  storage.map.set(PLAYER_KEY, '{"chip":"lots"');
  assert.deepEqual(new PlayerSettings(storage).settings, fresh);
  // The day's result counts toward the limit on its own day only, the sitting's in its own sitting,
  // each kept where every table's page reads it.
  const noon = new Date(2026, 2, 3, 12).getTime(), day = 86400000;
  assert.ok(here.addToDay(-3000, noon, 7) && new PlayerSettings(storage).addToDay(-2500, noon + 3600000, 7));
  const later = new PlayerSettings(storage);
  assert.deepEqual([later.dayNet(noon), later.dayLimitReached(noon), later.dayLimitReached(noon + day), later.sittingNet(7), later.sittingNet(8)],
    [-5500, true, false, -5500, 0]);
  assert.ok(here.setSetting('dayLimit', 0) && !here.dayLimitReached(noon), 'no limit set, nothing stops');
  assert.equal(new PlayerSettings(storage).dayNet(noon), -5500, 'a page that read before another wrote keeps what it wrote');
});
