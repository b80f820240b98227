// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics board beside the hot and cold numbers: how the last spins
// (up to 500) fell on the even chances, the dozens, the columns and zero, in
// whole per cent. The grid is for the eye; a screen reader gets the same as
// sentences with the counts.
import { t, entry } from '../kit/messages.js';
import { element as el } from '../kit/dom.js';

export function createStatsBoard(container) {
  const section = el('section', 'rl-col rl-stats');
  const title = el('span', 'label');
  title.id = 'rl-stats-title';
  const bar = el('div', 'rl-stat-bar');
  bar.setAttribute('aria-hidden', 'true');
  const segments = ['red', 'green', 'black'].map((c) => el('span', c));
  bar.append(...segments);
  const grid = el('div', 'rl-stat-grid num');
  grid.setAttribute('aria-hidden', 'true');
  const spoken = el('ul', 'visually-hidden rl-stat-text');
  spoken.setAttribute('aria-labelledby', title.id);
  section.append(title, bar, grid, spoken);
  section.hidden = true;
  container.append(section);

  return {
    element: section,
    /** `counts`: spinStats() of rules/spins.js. */
    show(counts) {
      section.hidden = counts.spins === 0;
      if (!counts.spins) return;
      const share = new Intl.NumberFormat(document.documentElement.lang || undefined, { style: 'percent', maximumFractionDigits: 0 });
      const of = (n) => share.format(n / counts.spins);
      const dozens = entry('roulette.cloth.dozens');
      const named = [
        [t('roulette.spot.red'), counts.red], [t('roulette.spot.black'), counts.black],
        [t('roulette.spot.odd'), counts.odd], [t('roulette.spot.even'), counts.even],
        [t('roulette.spot.low'), counts.low], [t('roulette.spot.high'), counts.high],
        ...counts.dozens.map((n, i) => [dozens[i], n]),
        ...counts.columns.map((n, i) => [t('roulette.spot.column', { which: i + 1 }), n]),
        [t('roulette.statsZero'), counts.zero],
      ];
      title.textContent = t('roulette.stats', { count: counts.spins });
      [counts.red, counts.zero, counts.black].forEach((n, i) => { segments[i].style.flexGrow = String(n); });
      const cell = (text, className = '') => el('span', className, text);
      const pair = (i) => [cell(named[i][0], 'name'), cell(of(named[i][1])), cell(named[i + 1][0], 'name'), cell(of(named[i + 1][1]))];
      grid.replaceChildren(
        ...pair(0), ...pair(2), ...pair(4),
        cell(t('roulette.statsDozens'), 'name'), ...counts.dozens.map((n) => cell(of(n))),
        cell(t('roulette.statsColumns'), 'name'), ...counts.columns.map((n) => cell(of(n))),
        cell(t('roulette.statsZero'), 'name'), cell(of(counts.zero)));
      spoken.replaceChildren(...named.map(([name, n]) => el('li', '', t('roulette.statsCount', { name, share: of(n), count: n }))));
    },
  };
}
