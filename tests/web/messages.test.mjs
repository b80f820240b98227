// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, readdirSync } from 'node:fs';
import { execFileSync } from 'node:child_process';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
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

// The other languages are what the build generated from po/: the ones the
// staged pages load (ctest names the folder), else made here from po/.
async function translations() {
  let staged = process.env.VELMAR_STAGED_WEB;
  if (!staged) {
    staged = mkdtempSync(join(tmpdir(), 'velmar-po-'));
    execFileSync('python3', [fileURLToPath(new URL('../../po/pages.py', import.meta.url)), 'catalogue',
      fileURLToPath(new URL('js/kit/messages.js', web)), fileURLToPath(new URL('../../po', import.meta.url)),
      join(staged, 'js/kit/translations.js')]);
  }
  return (await import(pathToFileURL(join(staged, 'js/kit/translations.js')))).TRANSLATIONS;
}
Object.assign(CATALOGUES, await translations());
const LINGUAS = readFileSync(new URL('../../po/LINGUAS', import.meta.url), 'utf8').split('\n')
  .map((l) => l.trim()).filter((l) => l && !l.startsWith('#'));
const others = LINGUAS.map((lang) => [lang, CATALOGUES[lang]]);

test('every language of po/LINGUAS has every key, with the same places, and its own plural rule', () => {
  const en = CATALOGUES.en.messages;
  assert.deepEqual(Object.keys(CATALOGUES).sort(), ['en', ...LINGUAS].sort());
  for (const [lang, { messages, plural }] of others) {
    assert.deepEqual(Object.keys(messages).sort(), Object.keys(en).sort(), `${lang} has the keys English has`);
    // The rule picks a form that exists for every count the tables pass.
    const forms = Object.keys(messages['net.win']);
    for (const n of [0, 1, 1.5, 2, 5, 11, 21, 101, 1000000]) assert.ok(forms.includes(String(plural(n))), `${lang} ${n}`);
    for (const [key, want] of Object.entries(en)) {
      const got = messages[key];
      assert.equal(shape(got), shape(want), `${lang} ${key}`);
      if (shape(want) === 'plural') {
        assert.deepEqual(Object.keys(got), forms, `${lang} ${key} has the forms of its language`);
        // A form may spell its count out ("one pocket") instead of naming it.
        const others = (text) => places(text).split(',').filter((p) => p !== 'count').join();
        for (const form of forms) assert.equal(others(got[form]), others(want.other), `${lang} ${key}.${form}`);
      } else if (shape(want) === 'text') {
        assert.equal(places(got), places(want), `${lang} ${key}`);
      }
    }
  }
});

test('each language throughout a round: its words, numbers and plural forms; English for a language we lack', () => {
  assert.deepEqual([chooseLanguage(['xx-YY']), chooseLanguage([])], ['en', 'en']);
  for (const [lang, { messages }] of others) {
    assert.equal(chooseLanguage(['xx', `${lang}-XX`, 'en']), lang);
    assert.equal(setLanguage(lang), lang);
    try {
      const spin = rouletteResult({ number: 17, colour: 'black', bets: [
        { kind: 'straight', numbers: [17], staked: 5000, returned: 180000 },
        { kind: 'red', numbers: [], staked: 100, returned: 0 }] });
      const net = t('net.win', { amount: 174900, count: 1749 });
      assert.ok(spin.text.startsWith(net) && net.includes(new Intl.NumberFormat(lang).format(1749)), `${lang}: ${spin.text}`);
      assert.notEqual(net, CATALOGUES.en.messages['net.win'].other.replace('{amount}', '1,749'));
      // A card's name and a refusal pointing to the shell's reset come out whole, in this language.
      for (const text of [cardName('Qh'), pokerHandName({ category: 6, score: (12 << 16) | (11 << 12) }),
        belowMinimumMessage(50, 1), new BetSlip({ bankroll: () => 50, min: 1, spots: { ante: { max: 10 } } }).place('ante', 25).reason]) {
        assert.doesNotMatch(text, /\{\w+\}|\b(of|over|The most|less than)\b/, `${lang}: ${text}`);
      }
      assert.ok(cardName('Qh').includes(messages['card.ranks'][10]) && cardName('Qh').includes(messages['card.suits'][2]));
      // The lobby chart's amounts are chips, not cents.
      const chart = t('lobby.chart', { count: 3, startAmount: 97600, endAmount: 91100, min: 85600, max: 100600 });
      assert.ok([976, 911, 856, 1006].every((n) => chart.includes(new Intl.NumberFormat(lang).format(n))) && !/97600|91100/.test(chart), chart);
    } finally {
      setLanguage('en');
    }
  }
  assert.deepEqual([t('net.loss', { amount: 123450, count: 1234.5 }), t('no.such.key')], ['You lose 1,234.50 chips.', 'no.such.key']);
});

// The markup's own words: every text in a page's HTML, and in the HTML a page
// module writes, sits in an element the catalogue fills (data-i18n), unless it
// is a name, a number or a key's letter. <noscript> speaks only where the pages cannot run.
// The tables' page template stands in for a name with its placeholder.
const NAMES = new Set(['Velmar Casino', '@TABLE_NAME@', ...TABLES.map((table) => table.name)]);

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
  const files = readdirSync(web).filter((f) => /\.html(\.in)?$/.test(f));
  const stray = {};
  for (const file of files) stray[file] = strayWords(readFileSync(new URL(file, web), 'utf8'));
  for (const module of ['roulette/page.js', 'baccarat/page.js', 'blackjack/page.js', 'poker/page.js']) {
    const source = readFileSync(new URL(`js/${module}`, web), 'utf8');
    stray[module] = [...source.matchAll(/innerHTML = `([^`]*)`/g)].flatMap(([, html]) => strayWords(html));
  }
  assert.ok(files.includes('velmar-casino.html') && files.includes('table.html.in'));
  assert.deepEqual(Object.entries(stray).filter(([, words]) => words.length), []);
  assert.deepEqual(strayWords('<p>Take a seat <kbd data-i18n="lobby.key">Ctrl+1</kbd></p><h2>Poker Royale</h2>'), ['Take a seat']);
});
