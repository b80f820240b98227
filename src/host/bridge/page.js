// SPDX-License-Identifier: GPL-3.0-or-later
// The bridge every page runs before its own scripts, as a function of one
// JSON text: {handler, eveningKey, evening, seed}. It restores localStorage
// from the seed, posts what the page changed since on every change and once at
// the start, offers window.__vlCasino.flush(), freeze(key) and hush(), and
// tells the host once when the page is ready for the player: after the first
// frame that follows its load, or, for a page that called holdReady(), the
// first frame after it calls ready().
// The text goes through JSON.parse rather than in as an object literal: a
// literal's "__proto__" member sets the prototype instead of making a key.
((config) => {
  const { handler: handlerName, eveningKey, evening, seed: SEED } = JSON.parse(config);
  const ls = window.localStorage;
  // Every page has a web view, and so a session storage, of its own: the
  // evening they share comes from here.
  try { window.sessionStorage.setItem(eveningKey, evening); } catch (e) {}
  // The page's own scripts run after this one and may replace any of these.
  const P = Storage.prototype, set = P.setItem, rem = P.removeItem, clr = P.clear, get = P.getItem, keyAt = P.key;
  const count = Object.getOwnPropertyDescriptor(P, 'length').get;
  const call = (fn, self, ...args) => Reflect.apply(fn, self, args);
  const { stringify } = JSON, { keys, getPrototypeOf, create, defineProperty } = Object, { isArray } = Array;
  const wellFormed = String.prototype.toWellFormed;
  const storageKeys = () => { const out = []; for (let i = 0, n = call(count, ls); i < n; i++) out.push(call(keyAt, ls, i)); return out; };

  // A key beyond the storage quota is skipped, not every key after it. A
  // storage may also take a key and not keep it (a full disk under the
  // engine): each key is read back. Either way the page's saves say they are
  // partial, and the host keeps its own.
  let partial = false;
  const known = new Map();
  try { call(clr, ls); } catch (e) { partial = true; }
  for (const k of keys(SEED)) { known.set(k, SEED[k]); try { call(set, ls, k, SEED[k]); } catch (e) { partial = true; } }
  for (const [k, v] of known) { try { if (call(get, ls, k) !== v) partial = true; } catch (e) { partial = true; } }
  if (partial) console.warn('Velmar Casino: the saves did not all fit into this page');

  // Only what the page did is sent: what it set (found by comparing with
  // what the host knows), and what it removed through removeItem or clear.
  // A key that merely went missing is not the page's doing.
  const removed = new Set();
  let cleared = false, frozen = false, timer = 0;
  const handler = window.webkit?.messageHandlers?.[handlerName];
  const post = handler && handler.postMessage;
  const plain = (o) => o !== null && typeof o === 'object' && [Object.prototype, null].includes(getPrototypeOf(o));
  const texts = (list) => list === undefined || (isArray(list) && list.every((k) => typeof k === 'string'));
  const well = (t) => call(wellFormed, t);
  const PIECE = 256 * 1024;
  // Whatever the page posts to the host is checked and turned into text
  // here, where a Map or a boxed string is still what it is: the engine's
  // copy of a message may make a plain object of it.
  const encode = (m) => {
    if (!plain(m)) return 'the message is not a plain object';
    if (m.type !== 'save') return 'the message is not a save';
    const data = m.data, { removed, lost } = m;
    if (!plain(data)) return 'its data is not a plain object';
    const names = keys(data);
    if (!names.every((k) => typeof data[k] === 'string')) return 'its data holds a value that is not text';
    if (!texts(removed) || !texts(lost)) return 'its keys are not a list of text';
    const body = { data, removed: removed ?? [], cleared: m.cleared === true, partial: m.partial === true, lost: lost ?? [] };
    let json = stringify(body);
    // A lone surrogate comes out as an escape that no JSON reader takes.
    if (/\\u[dD][89a-fA-F]/.test(json)) {
      const clean = create(null);
      for (const k of names) clean[well(k)] = well(data[k]);
      json = stringify({ ...body, data: clean, removed: body.removed.map(well), lost: body.lost.map(well) });
    }
    // A large text goes in pieces, which the host takes one at a time; no
    // piece ends between the halves of a surrogate pair.
    if (json.length <= PIECE) return { json };
    const pieces = [];
    for (let at = 0; at < json.length;) {
      let end = Math.min(at + PIECE, json.length);
      const last = json.charCodeAt(end - 1);
      if (end < json.length && last >= 0xd800 && last < 0xdc00) end--;
      pieces.push(json.slice(at, end));
      at = end;
    }
    return { json: pieces };
  };
  const guarded = function postMessage(message) {
    let out;
    try { out = encode(message); } catch (e) { out = 'it could not be read'; }
    return call(post, this, typeof out === 'string' ? { type: 'refused', reason: out } : { type: 'save', json: out.json });
  };
  for (const where of handler ? [getPrototypeOf(handler), handler] : []) {
    try { defineProperty(where, 'postMessage', { value: guarded, writable: false, configurable: false }); } catch (e) {}
  }

  const flush = () => {
    clearTimeout(timer); timer = 0;
    if (frozen) return;
    try {
      const data = create(null), present = new Set(storageKeys());
      for (const k of present) { const v = call(get, ls, k); if (known.get(k) !== v) data[k] = v; }
      const gone = [...removed].filter((k) => !present.has(k));
      const lost = [...known.keys()].filter((k) => !present.has(k) && !removed.has(k));
      const message = { type: 'save', data };
      if (gone.length) message.removed = gone;
      if (cleared) message.cleared = true;
      if (lost.length) message.lost = lost;
      if (partial) message.partial = true;
      handler.postMessage(message);
      for (const k of keys(data)) known.set(k, data[k]);
      for (const k of gone) known.delete(k);
      removed.clear(); cleared = false;
    } catch (e) { console.warn('Velmar Casino: save failed', e); }
  };
  const later = () => { if (!timer) timer = setTimeout(flush, 250); };
  const guard = (fn, before) => function (...args) {
    if (this === ls && frozen) return;
    if (this === ls && before) before(args);
    const out = call(fn, this, ...args);
    if (this === ls) later();
    return out;
  };
  P.setItem = guard(set);
  P.removeItem = guard(rem, ([k]) => removed.add(`${k}`));
  P.clear = guard(clr, () => {
    cleared = true;
    for (const k of [...storageKeys(), ...known.keys()]) removed.add(k);
  });

  addEventListener('pagehide', flush);
  document.addEventListener('visibilitychange', () => { if (document.hidden) flush(); });
  // Posted past the frame the page asked for, so the host swaps to a page
  // that has drawn it.
  let held = false, told = false;
  const ready = () => {
    if (told || !post) return;
    told = true;
    requestAnimationFrame(() => setTimeout(() => { try { call(post, handler, { type: 'ready' }); } catch (e) {} }, 0));
  };
  addEventListener('load', () => { if (!held) ready(); });
  window.__vlCasino = {
    flush,
    freeze(key) { frozen = true; clearTimeout(timer); try { call(rem, ls, key); } catch (e) {} },
    // The page being left stays on screen a moment and must change nothing.
    hush() { frozen = true; clearTimeout(timer); },
    holdReady() { held = true; },
    ready,
  };
  // The host learns at once whether this page holds its saves.
  flush();
})
