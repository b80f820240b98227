#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# pages_language.sh LANG: under LANGUAGE=LANG the pages read that language in
# the real web view: the shell hands the user's languages to the engine, the
# pages choose their catalogue from navigator.languages and format numbers
# for it. The self-test's report carries each page's language and the text it
# shows: each page shows its own words as the language's catalogue has them,
# and no line of it is an English entry that the language says otherwise.
source "$(dirname "$0")/../support/e2e.bash"
lang=${1:?a language code of po/LINGUAS}

unset LC_ALL LC_MESSAGES
export LANG=C.UTF-8 LANGUAGE=$lang
"$VELMAR_BUILD/bin/velmar-casino" --selftest="$WORK/report" >"$WORK/app.log" 2>&1 \
  || fail "the self-test did not pass under LANGUAGE=$lang"

# The staged pages, with the catalogues the build generated.
cd "$VELMAR_BUILD/share/velmar-casino/web"
node --input-type=module - "$WORK/report/report.json" "$lang" <<'JS' || fail "a page is not in $lang throughout"
import { readFileSync } from 'node:fs';
import { CATALOGUES } from './js/kit/messages.js';

const [, , reportFile, lang] = process.argv;
const report = JSON.parse(readFileSync(reportFile, 'utf8'));
const en = CATALOGUES.en.messages, own = CATALOGUES[lang]?.messages;
if (!own) { console.error(`no catalogue for ${lang}`); process.exit(1); }
const number = (n) => new Intl.NumberFormat(lang).format(n);
// Each page with entries it must show, as this language has them.
const pages = {
  'velmar-casino.html': [own['lobby.enter'], own['lobby.yourChips'], number(1000)],
  'roulette-3d.html': [own['action.spin'], own['action.undo'], own['frame.bet'], own['frame.soundOn'],
    own['roulette.cloth.dozens'][0]],
  'baccarat-3d.html': [own['action.deal'], own['baccarat.spot.playerPair'], own['baccarat.spot.tie']],
  'blackjack-3d.html': [own['action.deal'], own['blackjack.action.doubleBet'], own['panel.help'], own['stats.title']],
  'poker-3d.html': [own['action.deal'], own['stats.title'], own['poker.row.rest'], own['poker.row.7']],
};
// English entries that the language says otherwise, as whole lines of a page
// (a single letter on a button is a key, the same in every language).
const english = new Set(Object.keys(en).filter((k) => typeof en[k] === 'string' && en[k] !== own[k])
  .map((k) => en[k].toLowerCase()).filter((text) => text.length > 2 && !text.includes('{')));
const problems = [];
for (const [page, words] of Object.entries(pages)) {
  const record = report.pages.find((p) => p.page === page);
  if (!record) { problems.push(`${page}: not in the report`); continue; }
  if (record.language !== lang || record.languages?.[0] !== lang) {
    problems.push(`${page}: lang ${record.language}, navigator.languages ${record.languages}`);
  }
  const text = (record.text ?? '').toLowerCase();
  for (const word of words) if (!text.includes(word.toLowerCase())) problems.push(`${page}: no "${word}"`);
  for (const line of text.split('\n').map((l) => l.trim())) if (english.has(line)) problems.push(`${page}: English line "${line}"`);
}
if (problems.length) { console.error(problems.join('\n')); process.exit(1); }
JS
pass "the lobby and the tables read $lang under LANGUAGE=$lang, numbers written its way"
