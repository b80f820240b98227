#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Under LANGUAGE=de the pages read German in the real web view: the shell
# hands the user's languages to the engine, the pages choose their catalogue
# from navigator.languages and format numbers for it. The self-test's report
# carries each page's language and the text it shows; nothing there may still
# be an English catalogue entry, and the German words and digit grouping must
# be there.
source "$(dirname "$0")/../support/e2e.bash"

unset LC_ALL LC_MESSAGES
export LANG=C.UTF-8 LANGUAGE=de
"$VELMAR_BUILD/bin/velmar-casino" --selftest="$WORK/report" >"$WORK/app.log" 2>&1 \
  || fail "the self-test did not pass under LANGUAGE=de"

cd "$VELMAR_SOURCE/web"
node --input-type=module - "$WORK/report/report.json" <<'JS' || fail "a page is not German throughout"
import { readFileSync } from 'node:fs';
import { CATALOGUES } from './js/kit/messages.js';

const report = JSON.parse(readFileSync(process.argv[2], 'utf8'));
// Each page with words it must show in German.
const pages = {
  'velmar-casino.html': ['Platz nehmen', 'Ihre Chips', 'Strg+1', '1.000'],
  'roulette-3d.html': ['Drehen', 'Rückgängig', 'Einsatz', 'Ton an', '1. Dutzend', '10.000 je Spiel'],
  'baccarat-3d.html': ['Geben', 'Spieler-Paar', 'Unentschieden', 'zahlt 1 zu 1, abzüglich 5 %'],
  'blackjack-3d.html': ['Geben', 'Einsatz verdoppeln', 'So wird gespielt', 'Dieser Tisch'],
  'poker-3d.html': ['Geben', 'Dieser Tisch', 'Straße oder weniger', 'Vierling'],
};
// English entries that German says otherwise, as whole lines of a page (a
// single letter on a button is a key, the same in every language).
const en = CATALOGUES.en, de = CATALOGUES.de;
const english = new Set(Object.keys(en).filter((k) => typeof en[k] === 'string' && en[k] !== de[k])
  .map((k) => en[k].toLowerCase()).filter((text) => text.length > 2 && !text.includes('{')));
const problems = [];
for (const [page, words] of Object.entries(pages)) {
  const record = report.pages.find((p) => p.page === page);
  if (!record) { problems.push(`${page}: not in the report`); continue; }
  if (record.language !== 'de' || record.languages?.[0] !== 'de') {
    problems.push(`${page}: lang ${record.language}, navigator.languages ${record.languages}`);
  }
  const text = record.text ?? '';
  for (const word of words) if (!text.toLowerCase().includes(word.toLowerCase())) problems.push(`${page}: no "${word}"`);
  const lines = text.split('\n').map((l) => l.trim().toLowerCase());
  for (const line of lines) if (english.has(line)) problems.push(`${page}: English line "${line}"`);
}
if (problems.length) { console.error(problems.join('\n')); process.exit(1); }
JS
pass "the lobby and the tables read German under LANGUAGE=de, numbers grouped the German way"
