// SPDX-License-Identifier: GPL-3.0-or-later
// The bridge the host injects into every page, run as the host runs it: its
// file called with the JSON of its configuration, in a realm of its own.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const source = readFileSync(new URL('../../src/host/bridge/page.js', import.meta.url), 'utf8');
const PIECE = 256 * 1024;

// The engine's side of a page: a localStorage that refuses the keys in
// `refuse` (over quota) and takes but does not keep those in `forget` (a full
// disk), a message handler whose postMessage lives on its prototype, and
// timers and page events that the test fires.
const ENGINE = `
  class Storage {
    #map = new Map();
    get length() { return this.#map.size; }
    key(i) { return [...this.#map.keys()][i] ?? null; }
    getItem(k) { k = String(k); return this.#map.has(k) ? this.#map.get(k) : null; }
    setItem(k, v) {
      k = String(k);
      if (refuse.includes(k)) throw new Error('QuotaExceededError');
      if (!forget.includes(k)) this.#map.set(k, String(v));
    }
    removeItem(k) { this.#map.delete(String(k)); }
    clear() { this.#map.clear(); }
    lose(k) { this.#map.delete(k); }
  }
  class Handler { postMessage(m) { posts.push(m); } }
  var window = globalThis, posts = [], localStorage = new Storage(), sessionStorage = new Storage();
  var webkit = { messageHandlers: { casino: new Handler() } };
  for (const [k, v] of Object.entries(stale)) localStorage.setItem(k, v);
`;

function openPage(seed, { stale = {}, refuse = [], forget = [] } = {}) {
  const timers = new Map(), events = {};
  let nextTimer = 1;
  const context = vm.createContext({
    stale, refuse, forget,
    console: { warn() {} },
    setTimeout: (fn, ms) => { timers.set(nextTimer, { fn, ms }); return nextTimer++; },
    requestAnimationFrame: (fn) => { timers.set(nextTimer, { fn, ms: 'frame' }); return nextTimer++; },
    clearTimeout: (id) => timers.delete(id),
    addEventListener: (type, fn) => { events[type] = fn; },
    document: { hidden: false, addEventListener: (type, fn) => { events[type] = fn; } },
  });
  vm.runInContext(ENGINE, context);
  const config = { handler: 'casino', eveningKey: 'velmar-casino.evening', evening: '1700000000000', seed };
  vm.runInContext(`${source}(${JSON.stringify(JSON.stringify(config))});`, context);
  const ls = context.localStorage;
  return {
    ls,
    context,
    run: (code) => vm.runInContext(code, context),
    timers: () => [...timers.values()].map((t) => t.ms),
    fire() { const due = [...timers.values()]; timers.clear(); for (const t of due) t.fn(); },
    event: (type) => events[type](),
    posts: () => [...context.posts],
    // What the host reads of each message: the body its text holds.
    bodies: () => [...context.posts].map((m) => (m.type === 'save' ? JSON.parse([].concat(m.json).join('')) : m)),
    stored: () => Object.fromEntries(Array.from({ length: ls.length }, (_, i) => [ls.key(i), ls.getItem(ls.key(i))])),
  };
}

const nothing = { data: {}, removed: [], cleared: false, partial: false, lost: [] };
// Read as the host writes it, "__proto__" is a key like any other.
const SEED = '{"roulette-royale.v1":"{\\"chips\\":500}","__proto__":"odd"}';

test('the seed replaces what the storage held before the page runs, and the host hears at once that it holds', () => {
  const page = openPage(JSON.parse(SEED), { stale: { 'roulette-royale.v1': 'older', stray: 'x' } });
  assert.deepEqual(page.stored(), JSON.parse(SEED));
  assert.equal(page.context.sessionStorage.getItem('velmar-casino.evening'), '1700000000000');
  // The stray key went with the bridge's own clear, not the page's: nothing to report.
  assert.deepEqual(page.bodies(), [nothing]);
  assert.deepEqual(page.timers(), []);
});

test('a key the storage refuses or does not keep makes the saves partial, and the keys after it still go in', () => {
  for (const how of ['refuse', 'forget']) {
    const page = openPage({ a: '1', big: 'x'.repeat(10), z: '2' }, { [how]: ['big'] });
    assert.deepEqual(page.stored(), { a: '1', z: '2' }, how);
    assert.deepEqual(page.bodies(), [{ ...nothing, partial: true, lost: ['big'] }], how);
  }
});

// What the page does, then what the next message says, beside the seed {a, b}.
const changes = [
  ['sets a new key and changes one', (ls) => { ls.setItem('n', 'new'); ls.setItem('a', 'A2'); }, { data: { n: 'new', a: 'A2' } }],
  ['writes a key back as it was', (ls) => ls.setItem('a', 'A'), {}],
  ['removes a key', (ls) => ls.removeItem('a'), { removed: ['a'] }],
  ['removes a key, then sets it again', (ls) => { ls.removeItem('a'); ls.setItem('a', 'back'); }, { data: { a: 'back' } }],
  ['clears its storage after setting a key', (ls) => { ls.setItem('n', '1'); ls.clear(); }, { removed: ['n', 'a', 'b'], cleared: true }],
  ['clears, then sets a key again', (ls) => { ls.clear(); ls.setItem('b', 'B2'); }, { data: { b: 'B2' }, removed: ['a'], cleared: true }],
  ['loses a key it did not remove', (ls) => { ls.lose('a'); ls.setItem('b', 'B2'); }, { data: { b: 'B2' }, lost: ['a'] }],
];

test('each message reports what the page set, removed and cleared, and what its storage lost, once', () => {
  for (const [what, act, want] of changes) {
    const page = openPage({ a: 'A', b: 'B' });
    act(page.ls);
    page.fire();
    const [, first] = page.bodies();
    assert.deepEqual({ ...first, removed: [...first.removed].sort() }, { ...nothing, ...want, removed: [...(want.removed ?? [])].sort() }, what);
    // The host has it now: the next message repeats nothing, unless the loss goes on.
    page.ls.setItem('later', 'x');
    page.fire();
    assert.deepEqual(page.bodies()[2], { ...nothing, data: { later: 'x' }, lost: want.lost ?? [] }, `${what}, then again`);
  }
});

test('changes are collected for 250 ms into one message, and leaving or hiding the page sends them at once', () => {
  const page = openPage({ a: 'A' });
  page.ls.setItem('a', '1');
  page.ls.setItem('b', '2');
  page.ls.removeItem('a');
  assert.deepEqual([page.posts().length, page.timers()], [1, [250]]);
  page.fire();
  assert.deepEqual(page.bodies()[1], { ...nothing, data: { b: '2' }, removed: ['a'] });

  for (const leave of [() => page.event('pagehide'), () => { page.context.document.hidden = true; page.event('visibilitychange'); }]) {
    const before = page.posts().length;
    page.ls.setItem('b', `left at ${before}`);
    leave();
    assert.deepEqual([page.posts().length - before, page.bodies().at(-1).data, page.timers()], [1, { b: `left at ${before}` }, []]);
  }
});

test('a large text goes in pieces that never split a surrogate pair, and a lone surrogate never reaches the host', () => {
  // The first piece would end on the high half of the card: '{"data":{"k":"' is 14 characters.
  const big = 'x'.repeat(PIECE - 15) + '🂡' + 'y'.repeat(PIECE);
  const page = openPage({});
  page.ls.setItem('k', big);
  page.fire();
  const { json } = page.posts()[1];
  assert.ok(Array.isArray(json) && json.length === 3);
  for (const piece of json) {
    assert.ok(piece.length <= PIECE);
    assert.doesNotMatch(piece.at(-1), /[\ud800-\udbff]/);
  }
  assert.equal(page.bodies()[1].data.k, big);
  assert.equal(typeof page.posts()[0].json, 'string');

  page.ls.setItem('lone\ud800', 'half \udc00');
  page.fire();
  assert.doesNotMatch(page.posts()[2].json, /\\u[dD][89a-fA-F]/);
  assert.deepEqual(page.bodies()[2].data, { 'lone\ufffd': 'half \ufffd' });
});

test('after the freeze, or the hush of a page being left, the page sends and changes nothing more', () => {
  for (const how of ["freeze('blackjack-royale.v1')", 'hush()']) {
    const page = openPage({ 'blackjack-royale.v1': '{"chips":900}', player: 'p' });
    page.ls.setItem('player', 'q');
    page.run(`window.__vlCasino.${how}`);
    const kept = how === 'hush()' ? { 'blackjack-royale.v1': '{"chips":900}', player: 'q' } : { player: 'q' };
    assert.deepEqual([page.stored(), page.timers()], [kept, []], how);
    page.ls.setItem('blackjack-royale.v1', '{"chips":1}');
    page.ls.clear();
    page.run('window.__vlCasino.flush()');
    page.event('pagehide');
    page.fire();
    assert.deepEqual([page.posts().length, page.stored()], [1, kept], how);
  }
});

test('the page says it is ready once, past the frame after its load or after its own ready(), and cannot say it itself', () => {
  const readies = (page) => page.posts().filter((m) => m.type === 'ready').length;
  const plain = openPage({});
  plain.run("webkit.messageHandlers.casino.postMessage({ type: 'ready' })");
  assert.deepEqual({ ...plain.posts()[1] }, { type: 'refused', reason: 'the message is not a save' });
  plain.event('load');
  assert.deepEqual([readies(plain), plain.timers()], [0, ['frame']]);
  plain.fire();
  plain.fire();
  plain.run('window.__vlCasino.ready()');
  plain.fire();
  assert.deepEqual({ ...plain.posts().at(-1) }, { type: 'ready' });
  assert.equal(readies(plain), 1);

  const held = openPage({});
  held.run('window.__vlCasino.holdReady()');
  held.event('load');
  held.fire();
  assert.equal(readies(held), 0);
  held.run('window.__vlCasino.ready()');
  held.fire();
  held.fire();
  assert.equal(readies(held), 1);
});
