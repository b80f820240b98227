// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, readdirSync } from 'node:fs';
import { CATALOGUES, chooseLanguage, setLanguage, t } from '../../web/js/kit/messages.js';
import { resultOf as rouletteResult } from '../../web/js/roulette/record.js';
import { resultOf as blackjackResult } from '../../web/js/blackjack/record.js';
import { handName as pokerHandName } from '../../web/js/poker/record.js';
import { cardName } from '../../web/js/kit/cards.js';
import { BetSlip, belowMinimumMessage } from '../../web/js/kit/bets.js';
import { TABLES } from '../../web/js/kit/tables.js';

const web = new URL('../../web/', import.meta.url);
const places = (text) => [...String(text).matchAll(/\{(\w+)\}/g)].map((m) => m[1]).sort().join();
const shape = (v) => (Array.isArray(v) ? `list of ${v.length}` : typeof v === 'object' ? 'plural' : 'text');

test('every catalogue has every key of every other, with the same places and the plural forms its language needs', () => {
  const [en, ...others] = Object.entries(CATALOGUES);
  for (const [lang, cat] of others) {
    assert.deepEqual(Object.keys(cat).sort(), Object.keys(en[1]).sort(), `${lang} has the keys English has`);
    const forms = new Intl.PluralRules(lang).resolvedOptions().pluralCategories;
    for (const [key, want] of Object.entries(en[1])) {
      const got = cat[key];
      assert.equal(shape(got), shape(want), `${lang} ${key}`);
      if (shape(want) === 'plural') {
        for (const form of forms) assert.equal(places(got[form]), places(want.other), `${lang} ${key}.${form}`);
      } else if (shape(want) === 'text') {
        assert.equal(places(got), places(want), `${lang} ${key}`);
      }
    }
    // Nothing is left in English by mistake: only names and signs read the same.
    const same = Object.keys(cat).filter((k) => JSON.stringify(cat[k]) === JSON.stringify(en[1][k]));
    assert.deepEqual(same, ['roulette.spot.trio', 'roulette.spot.low', 'roulette.spot.high', 'roulette.call.voisins', 'roulette.call.tiers',
      'roulette.call.orphelins', 'roulette.call.jeuZero', 'blackjack.handN', 'baccarat.letter.banker', 'poker.ante',
      'poker.call', 'say.cards', 'say.cardsNoTotal', 'frame.lobby', 'frame.chips', 'panel.limits', 'panel.speed.normal',
      'blackjack.stats.blackjacks', 'blackjack.handLabel', 'blackjack.handLabelOutcome', 'poker.row.5', 'poker.felt.title'], `${lang}: the same as English`);
  }
});

test('German throughout a round: words, numbers, plurals and card names, English for a language we lack', () => {
  assert.deepEqual([chooseLanguage(['fr-CA', 'de-AT']), chooseLanguage(['fr']), chooseLanguage([])], ['de', 'en', 'en']);
  assert.equal(setLanguage('de-DE'), 'de');
  try {
    const spin = rouletteResult({ number: 17, colour: 'black', bets: [
      { kind: 'straight', numbers: [17], staked: 5000, returned: 180000 },
      { kind: 'red', numbers: [], staked: 100, returned: 0 },
      { kind: 'dozen', numbers: [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12], staked: 100, returned: 0 }] });
    assert.equal(spin.text, 'Sie gewinnen 1.748 Chips. Die Kugel fällt auf 17, Schwarz. ' +
      'Plein 17: 50 gewinnt 1.750. Ihre anderen Einsätze verlieren 2.');
    const hand = { cards: ['Ts', '9h'], bet: 1000, doubled: false, split: false };
    assert.match(blackjackResult({ hands: [hand], outcomes: [{ outcome: 'lose' }], dealer: ['As', 'Kd'], net: -1000 }).text,
      /^Sie verlieren 10 Chips\. Ihre Hand: 19 verliert 10 gegen den Croupier \(Blackjack\)\.$/);
    assert.deepEqual([cardName('Qh'), pokerHandName({ category: 6, score: (12 << 16) | (11 << 12) }), t('net.win', { amount: 150, count: 1.5 })],
      ['Herz-Dame', 'Full House, Asse über Könige', 'Sie gewinnen 1,50 Chips.']);
    // A refusal names the spot and points to the shell's reset as its German menu reads.
    const slip = new BetSlip({ bankroll: () => 50, min: 1, spots: { ante: { max: 10 } } });
    assert.deepEqual([slip.place('ante', 25).reason, belowMinimumMessage(50, 1)],
      ['Auf das Ante sind höchstens 10 erlaubt.', 'Sie haben hier 0,50 Chips, weniger als der kleinste Einsatz dieses ' +
        'Tisches von 1. Beginnen Sie an diesem Tisch neu mit 1.000 Chips, oder wählen Sie im Menü ' +
        'Tisch ▸ Chips an diesem Tisch zurücksetzen … (Umschalt+Strg+Entf).']);
  } finally {
    setLanguage('en');
  }
  assert.deepEqual([t('net.loss', { amount: 123450, count: 1234.5 }), t('no.such.key')], ['You lose 1,234.50 chips.', 'no.such.key']);
});

// The markup's own words: every text in a page's HTML, and in the HTML a page
// module writes, sits in an element the catalogue fills (data-i18n), unless it
// is a name, a number or a key's letter. <noscript> speaks only where the pages cannot run.
const NAMES = new Set(['Velmar Casino', ...TABLES.map((table) => table.name)]);

function strayWords(html) {
  const stray = [];
  const open = [];
  const clean = html.replace(/<!--[\s\S]*?-->|<!doctype[^>]*>|<noscript>[\s\S]*?<\/noscript>|\$\{[^}]*\}/gi, '');
  for (const [, close, tag, attrs, text] of clean.matchAll(/<(\/?)([a-zA-Z][\w-]*)([^>]*)>|([^<]+)/g)) {
    if (text !== undefined) {
      const words = text.trim();
      if (words.length > 1 && !NAMES.has(words) && !/^[\d\s.,:+–‹←·-]*$/.test(words) && !open.some((o) => o.marked)) stray.push(words);
    } else if (close) {
      open.splice(open.map((o) => o.tag).lastIndexOf(tag.toLowerCase()));
    } else if (!/^(meta|link|br|input|img)$/i.test(tag) && !attrs.endsWith('/')) {
      open.push({ tag: tag.toLowerCase(), marked: /\bdata-i18n=/.test(attrs) });
    }
  }
  return stray;
}

test('the pages\' markup holds no words of its own outside the catalogue', () => {
  const files = readdirSync(web).filter((f) => f.endsWith('.html'));
  const stray = {};
  for (const file of files) stray[file] = strayWords(readFileSync(new URL(file, web), 'utf8'));
  for (const module of ['roulette/page.js', 'baccarat/page.js', 'blackjack/page.js', 'poker/page.js']) {
    const source = readFileSync(new URL(`js/${module}`, web), 'utf8');
    stray[module] = [...source.matchAll(/innerHTML = `([^`]*)`/g)].flatMap(([, html]) => strayWords(html));
  }
  assert.ok(files.includes('velmar-casino.html') && files.includes('roulette-3d.html'));
  assert.deepEqual(Object.entries(stray).filter(([, words]) => words.length), []);
  assert.deepEqual(strayWords('<p>Take a seat <kbd data-i18n="lobby.key">Ctrl+1</kbd></p><h2>Poker Royale</h2>'), ['Take a seat']);
});
