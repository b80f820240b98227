// SPDX-License-Identifier: GPL-3.0-or-later
// The lobby's pictures of the four tables, drawn as SVG so they stay sharp from
// the smallest window to 4K and need no image files.
import { t } from './kit/messages.js';

const GOLD = '#d4af62';
const WOOD = '#3a2315';

function defs(id) {
  return `<defs>
    <radialGradient id="felt-${id}" cx="50%" cy="45%" r="65%">
      <stop offset="0" stop-color="#17774d"/><stop offset="0.7" stop-color="#0f5a3a"/><stop offset="1" stop-color="#083822"/>
    </radialGradient>
    <linearGradient id="rim-${id}" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#6b4426"/><stop offset="1" stop-color="${WOOD}"/>
    </linearGradient>
    <filter id="shadow-${id}" x="-20%" y="-20%" width="140%" height="140%">
      <feDropShadow dx="0" dy="3" stdDeviation="3" flood-color="#000" flood-opacity="0.55"/>
    </filter>
  </defs>`;
}

function card(x, y, rank, suit, rotate = 0) {
  const red = suit === '♥' || suit === '♦';
  return `<g transform="translate(${x} ${y}) rotate(${rotate})" filter="url(#shadow-c)">
    <rect x="-17" y="-24" width="34" height="48" rx="4" fill="#fbf7ec" stroke="#d9cfb6"/>
    <text x="-12" y="-9" font-family="Manrope" font-weight="800" font-size="12" fill="${red ? '#b3261e' : '#1b1b1b'}">${rank}</text>
    <text x="0" y="14" text-anchor="middle" font-size="20" fill="${red ? '#b3261e' : '#1b1b1b'}">${suit}</text>
  </g>`;
}

function cardBack(x, y, rotate = 0) {
  return `<g transform="translate(${x} ${y}) rotate(${rotate})">
    <rect x="-17" y="-24" width="34" height="48" rx="4" fill="#7a1f2b" stroke="#fbf7ec" stroke-width="2.5"/>
    <rect x="-11" y="-18" width="22" height="36" rx="2" fill="none" stroke="${GOLD}" stroke-width="1"/>
  </g>`;
}

function chips(x, y, colour, count = 4) {
  let out = '';
  for (let i = 0; i < count; i++) {
    const cy = y - i * 4;
    out += `<ellipse cx="${x}" cy="${cy + 2}" rx="13" ry="5.5" fill="#000" opacity="0.25"/>
      <ellipse cx="${x}" cy="${cy}" rx="13" ry="5.5" fill="${colour}" stroke="#f3ead2" stroke-width="1.6" stroke-dasharray="3 3"/>`;
  }
  return out;
}

function ovalTable(id, rx = 170, ry = 105) {
  return `<ellipse cx="200" cy="160" rx="${rx + 14}" ry="${ry + 12}" fill="url(#rim-${id})" filter="url(#shadow-${id})"/>
    <ellipse cx="200" cy="156" rx="${rx}" ry="${ry}" fill="url(#felt-${id})" stroke="${GOLD}" stroke-opacity="0.55" stroke-width="1.5"/>`;
}

function roulette() {
  const cx = 200, cy = 150, r = 92;
  const order = [0, 32, 15, 19, 4, 21, 2, 25, 17, 34, 6, 27, 13, 36, 11, 30, 8, 23, 10, 5, 24, 16, 33, 1, 20, 14, 31, 9, 22, 18, 29, 7, 28, 12, 35, 3, 26];
  const reds = new Set([1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36]);
  let pockets = '';
  order.forEach((n, i) => {
    const a0 = (i / 37) * 2 * Math.PI - Math.PI / 2, a1 = ((i + 1) / 37) * 2 * Math.PI - Math.PI / 2;
    const p = (rad, a) => `${(cx + rad * Math.cos(a)).toFixed(2)} ${(cy + rad * Math.sin(a)).toFixed(2)}`;
    const fill = n === 0 ? '#1f8a4c' : reds.has(n) ? '#b3261e' : '#151515';
    pockets += `<path d="M${p(r, a0)} A${r} ${r} 0 0 1 ${p(r, a1)} L${p(r * 0.7, a1)} A${r * 0.7} ${r * 0.7} 0 0 0 ${p(r * 0.7, a0)}Z" fill="${fill}" stroke="${GOLD}" stroke-width="0.6"/>`;
  });
  let spokes = '';
  for (let i = 0; i < 4; i++) {
    const a = (i * Math.PI) / 2 + 0.4;
    spokes += `<line x1="${cx}" y1="${cy}" x2="${(cx + 52 * Math.cos(a)).toFixed(1)}" y2="${(cy + 52 * Math.sin(a)).toFixed(1)}" stroke="${GOLD}" stroke-width="4" stroke-linecap="round"/>`;
  }
  return `<svg viewBox="0 0 400 300" role="img" aria-label="${t('art.roulette')}">
    ${defs('r')}<defs><filter id="shadow-c"><feDropShadow dx="0" dy="2" stdDeviation="2" flood-opacity="0.5"/></filter></defs>
    <circle cx="${cx}" cy="${cy + 4}" r="${r + 22}" fill="#000" opacity="0.45"/>
    <circle cx="${cx}" cy="${cy}" r="${r + 20}" fill="url(#rim-r)" stroke="${GOLD}" stroke-width="2"/>
    <circle cx="${cx}" cy="${cy}" r="${r + 6}" fill="#2a180d" stroke="#5b3a22" stroke-width="3"/>
    ${pockets}
    <circle cx="${cx}" cy="${cy}" r="${r * 0.7}" fill="#5b3a22" stroke="${GOLD}" stroke-width="1.5"/>
    <circle cx="${cx}" cy="${cy}" r="${r * 0.46}" fill="#7a5232"/>
    ${spokes}
    <circle cx="${cx}" cy="${cy}" r="10" fill="${GOLD}"/>
    <circle cx="${cx + r * 0.86 * Math.cos(-1.2)}" cy="${cy + r * 0.86 * Math.sin(-1.2)}" r="5" fill="#fbf7ec"/>
    ${chips(322, 262, '#c0392b', 3)}${chips(350, 270, '#1d1d1f', 5)}
  </svg>`;
}

function blackjack() {
  return `<svg viewBox="0 0 400 300" role="img" aria-label="${t('art.blackjack')}">
    ${defs('b')}<defs><filter id="shadow-c"><feDropShadow dx="0" dy="2" stdDeviation="2" flood-opacity="0.5"/></filter>
    <path id="arc-b" d="M70 120 Q200 215 330 120"/></defs>
    <path d="M20 40 H380 V70 Q380 285 200 285 Q20 285 20 70Z" fill="url(#rim-b)" filter="url(#shadow-b)"/>
    <path d="M34 40 H366 V70 Q366 270 200 270 Q34 270 34 70Z" fill="url(#felt-b)" stroke="${GOLD}" stroke-opacity="0.55"/>
    <text font-family="Playfair Display" font-weight="700" font-size="14" fill="${GOLD}" letter-spacing="2"><textPath href="#arc-b" startOffset="50%" text-anchor="middle">${t('art.blackjackPays')}</textPath></text>
    ${cardBack(182, 82, -4)}${card(210, 80, 'Q', '♦', 5)}
    ${card(185, 225, 'A', '♠', -6)}${card(215, 222, 'K', '♥', 8)}
    <circle cx="200" cy="190" r="22" fill="none" stroke="${GOLD}" stroke-opacity="0.6" stroke-width="1.5"/>
    ${chips(200, 192, '#1f7a4a', 4)}
    ${chips(300, 60, '#c0392b', 3)}${chips(328, 64, '#6a3d9a', 2)}
  </svg>`;
}

const upper = (text) => text.toLocaleUpperCase();

function baccarat() {
  // A label longer than the box (another language's word) is narrowed to its width.
  const fit = (label) => (label.length > 8 ? ' textLength="84" lengthAdjust="spacingAndGlyphs"' : '');
  const box = (x, label, colour) => `<rect x="${x}" y="168" width="86" height="54" rx="10" fill="none" stroke="${colour}" stroke-width="2"/>
    <text x="${x + 43}" y="235" text-anchor="middle" font-family="Manrope" font-weight="800" font-size="11" fill="${colour}" letter-spacing="2"${fit(label)}>${label}</text>`;
  return `<svg viewBox="0 0 400 300" role="img" aria-label="${t('art.baccarat')}">
    ${defs('c')}<defs><filter id="shadow-c"><feDropShadow dx="0" dy="2" stdDeviation="2" flood-opacity="0.5"/></filter></defs>
    ${ovalTable('c')}
    <text x="200" y="80" text-anchor="middle" font-family="Playfair Display" font-weight="700" font-size="15" fill="${GOLD}" letter-spacing="3">PUNTO BANCO</text>
    ${card(118, 126, '9', '♣', -5)}${card(146, 126, '7', '♥', 4)}
    ${card(254, 126, '6', '♠', -4)}${card(282, 126, 'K', '♦', 6)}
    ${box(64, upper(t('baccarat.spot.player')), '#7fb0e8')}${box(157, t('art.tie'), '#8fd19e')}${box(250, upper(t('baccarat.spot.banker')), '#e0796b')}
    ${chips(107, 200, '#1d1d1f', 3)}${chips(293, 200, '#d4af62', 4)}
  </svg>`;
}

function poker() {
  return `<svg viewBox="0 0 400 300" role="img" aria-label="${t('art.poker')}">
    ${defs('p')}<defs><filter id="shadow-c"><feDropShadow dx="0" dy="2" stdDeviation="2" flood-opacity="0.5"/></filter></defs>
    ${ovalTable('p', 176, 110)}
    <ellipse cx="200" cy="156" rx="150" ry="86" fill="none" stroke="${GOLD}" stroke-opacity="0.35" stroke-width="1.2"/>
    ${card(128, 140, 'A', '♥')}${card(164, 140, 'K', '♥')}${card(200, 140, 'Q', '♥')}${card(236, 140, 'J', '♥')}${card(272, 140, 'T'.replace('T', '10'), '♥')}
    ${chips(182, 214, '#c0392b', 5)}${chips(210, 220, '#1f7a4a', 3)}${chips(234, 212, '#1d1d1f', 4)}
    ${cardBack(96, 226, -12)}${cardBack(118, 230, 8)}
    ${cardBack(290, 74, 172)}${cardBack(312, 78, 186)}
  </svg>`;
}

export const PICTURES = { roulette, blackjack, baccarat, poker };

// The small chart of a table's chips: drawn in a box of CHART_WIDTH × CHART_HEIGHT
// stretched to the card, its lines kept at their pixel width.
export const CHART_WIDTH = 120;
export const CHART_HEIGHT = 36;
const CHART_PAD = 4;

/**
 * The chart's points for a series of chips, oldest first: the highest at the
 * top, the lowest at the bottom, a level series (or a single round) across
 * the middle.
 */
export function chartPoints(series) {
  const lo = Math.min(...series), hi = Math.max(...series);
  const y = (v) => (hi > lo ? CHART_PAD + ((hi - v) / (hi - lo)) * (CHART_HEIGHT - 2 * CHART_PAD) : CHART_HEIGHT / 2);
  if (series.length === 1) return [[0, y(series[0])], [CHART_WIDTH, y(series[0])]];
  return series.map((v, i) => [(i / (series.length - 1)) * CHART_WIDTH, y(v)]);
}

/** The chart as SVG markup; the page names it (role img) and marks its last point. */
export function chipChart(series) {
  const points = chartPoints(series);
  const at = ([x, y]) => `${x.toFixed(2)} ${y.toFixed(2)}`;
  const line = 'M' + points.map(at).join(' L');
  return `<svg viewBox="0 0 ${CHART_WIDTH} ${CHART_HEIGHT}" preserveAspectRatio="none" role="img" focusable="false">
    <path d="${line} L${CHART_WIDTH} ${CHART_HEIGHT} L0 ${CHART_HEIGHT}Z" fill="${GOLD}" fill-opacity="0.14"/>
    <path d="M0 ${points[0][1].toFixed(2)} H${CHART_WIDTH}" stroke="#a8a28e" stroke-width="1" stroke-dasharray="3 3" vector-effect="non-scaling-stroke"/>
    <path d="${line}" fill="none" stroke="${GOLD}" stroke-width="2" stroke-linejoin="round" stroke-linecap="round" vector-effect="non-scaling-stroke"/>
  </svg>`;
}
