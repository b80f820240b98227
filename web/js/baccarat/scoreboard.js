// SPDX-License-Identifier: GPL-3.0-or-later
// The scoreboards baccarat players read: the bead plate (one disc per coup)
// above the big road (streaks in columns) on one canvas, and beside them the
// three derived roads with the marks each would take after the next coup.
import { beadPlate, bigRoad } from '../rules/baccarat.js';
import { DERIVED_ROADS, derivedRoads, derivedRoad, nextMarks } from '../rules/roads.js';
import { t } from '../kit/messages.js';
import { element as el } from '../kit/dom.js';

const COLOUR = { banker: '#c0392b', player: '#2f6fd0', tie: '#2e9e5b' };

const lastColumn = (cells) => cells.reduce((most, c) => Math.max(most, c.col), 0);

export function drawScoreboards(canvas, results) {
  const dpr = window.devicePixelRatio || 1;
  const box = canvas.getBoundingClientRect();
  const w = Math.max(60, Math.round(box.width * dpr));
  const h = Math.max(60, Math.round(box.height * dpr));
  if (canvas.width !== w || canvas.height !== h) { canvas.width = w; canvas.height = h; }
  const ctx = canvas.getContext('2d');
  ctx.clearRect(0, 0, w, h);
  const rows = 6;
  const gap = 4 * dpr;
  const cell = Math.min((h - gap * 3) / (rows * 2), w / 8);
  const columns = Math.floor(w / cell);
  const grid = (top) => {
    ctx.fillStyle = '#f6f1e4';
    ctx.fillRect(0, top, columns * cell, rows * cell);
    ctx.strokeStyle = 'rgba(0, 0, 0, 0.15)';
    ctx.lineWidth = 1;
    for (let c = 0; c <= columns; c++) { ctx.beginPath(); ctx.moveTo(c * cell, top); ctx.lineTo(c * cell, top + rows * cell); ctx.stroke(); }
    for (let r = 0; r <= rows; r++) { ctx.beginPath(); ctx.moveTo(0, top + r * cell); ctx.lineTo(columns * cell, top + r * cell); ctx.stroke(); }
  };
  const pairDots = (x, y, r, cellInfo) => {
    // Ringed in white so a pair dot stands out from the disc it sits on.
    for (const [on, colour, dx] of [[cellInfo.bankerPair, COLOUR.banker, -1], [cellInfo.playerPair, COLOUR.player, 1]]) {
      if (!on) continue;
      ctx.fillStyle = colour; ctx.strokeStyle = '#fff'; ctx.lineWidth = Math.max(1, r * 0.08);
      ctx.beginPath(); ctx.arc(x + dx * r * 0.7, y + dx * r * 0.7, r * 0.36, 0, Math.PI * 2); ctx.fill(); ctx.stroke();
    }
  };

  grid(0);
  for (const c of beadPlate(results, rows, columns)) {
    const x = (c.col + 0.5) * cell;
    const y = (c.row + 0.5) * cell;
    const r = cell * 0.42;
    ctx.fillStyle = COLOUR[c.winner];
    ctx.beginPath(); ctx.arc(x, y, r, 0, Math.PI * 2); ctx.fill();
    ctx.fillStyle = '#fff';
    ctx.font = `800 ${Math.max(11 * dpr, Math.round(cell * 0.56))}px Manrope, sans-serif`;
    ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
    ctx.fillText(t(`baccarat.letter.${c.winner}`), x, y + cell * 0.02);
    pairDots(x, y, r, c);
  }

  const top = rows * cell + gap * 2;
  grid(top);
  const road = bigRoad(results, rows);
  // The rightmost column may be an earlier streak's dragon tail, not the last entry's.
  const first = Math.max(0, lastColumn(road) - columns + 1);
  for (const c of road) {
    if (c.col < first) continue;
    const x = (c.col - first + 0.5) * cell;
    const y = top + (c.row + 0.5) * cell;
    const r = cell * 0.36;
    ctx.strokeStyle = COLOUR[c.winner];
    ctx.lineWidth = cell * 0.14;
    ctx.beginPath(); ctx.arc(x, y, r, 0, Math.PI * 2); ctx.stroke();
    if (c.ties) {
      ctx.strokeStyle = COLOUR.tie;
      ctx.lineWidth = cell * 0.1;
      ctx.beginPath(); ctx.moveTo(x - r, y + r); ctx.lineTo(x + r, y - r); ctx.stroke();
      if (c.ties > 1) {
        ctx.fillStyle = '#1b5e35';
        ctx.font = `800 ${Math.max(11 * dpr, Math.round(cell * 0.52))}px Manrope, sans-serif`;
        ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
        ctx.fillText(String(c.ties), x, y);
      }
    }
    pairDots(x, y, r, c);
  }
}

const MARK = { red: COLOUR.banker, blue: COLOUR.player };
// How each road draws its marks, as the tables print them: big eye boy a
// ring, small road a dot, cockroach pig a slash.
const SHAPE = { bigEyeBoy: 'ring', smallRoad: 'dot', cockroachPig: 'slash' };

function fitCanvas(canvas) {
  const dpr = window.devicePixelRatio || 1;
  const box = canvas.getBoundingClientRect();
  const w = Math.max(20, Math.round(box.width * dpr));
  const h = Math.max(12, Math.round(box.height * dpr));
  if (canvas.width !== w || canvas.height !== h) { canvas.width = w; canvas.height = h; }
  return { w, h, dpr };
}

function drawMark(ctx, shape, x, y, r) {
  ctx.beginPath();
  if (shape === 'ring') { ctx.arc(x, y, r * 0.78, 0, Math.PI * 2); ctx.stroke(); }
  else if (shape === 'dot') { ctx.arc(x, y, r * 0.8, 0, Math.PI * 2); ctx.fill(); }
  else { ctx.moveTo(x - r * 0.8, y + r * 0.8); ctx.lineTo(x + r * 0.8, y - r * 0.8); ctx.stroke(); }
}

/** One derived road on its own canvas: six rows, the newest columns in sight. */
export function drawDerivedRoad(canvas, name, cells) {
  const { w, h, dpr } = fitCanvas(canvas);
  const ctx = canvas.getContext('2d');
  ctx.clearRect(0, 0, w, h);
  const rows = 6;
  const cell = h / rows;
  const columns = Math.max(1, Math.floor(w / cell));
  ctx.fillStyle = '#f6f1e4';
  ctx.fillRect(0, 0, columns * cell, h);
  ctx.strokeStyle = 'rgba(0, 0, 0, 0.13)';
  ctx.lineWidth = 1;
  for (let c = 0; c <= columns; c++) { ctx.beginPath(); ctx.moveTo(c * cell, 0); ctx.lineTo(c * cell, h); ctx.stroke(); }
  for (let r = 0; r <= rows; r++) { ctx.beginPath(); ctx.moveTo(0, r * cell); ctx.lineTo(columns * cell, r * cell); ctx.stroke(); }
  const first = Math.max(0, lastColumn(cells) - columns + 1);
  ctx.lineWidth = Math.max(1.5 * dpr, cell * 0.16);
  ctx.lineCap = 'round';
  for (const c of cells) {
    if (c.col < first) continue;
    ctx.strokeStyle = ctx.fillStyle = MARK[c.mark];
    drawMark(ctx, SHAPE[name], (c.col - first + 0.5) * cell, (c.row + 0.5) * cell, cell * 0.42);
  }
}

// The last marks of a road in words, oldest first, for a screen reader.
const LATEST = 4;

/** The derived roads and what the next coup would add to them, as sentences. */
export function describeDerivedRoads(results) {
  const sentences = DERIVED_ROADS.map(({ name, offset }) => {
    const marks = derivedRoad(results, offset);
    const road = t(`baccarat.road.${name}`);
    if (!marks.length) return t('baccarat.roadEmpty', { road });
    const latest = marks.slice(-LATEST).map((m) => t(`baccarat.mark.${m}`)).join(', ');
    return t('baccarat.roadMarks', { road, count: marks.length, latest });
  });
  const next = nextMarks(results);
  for (const side of ['banker', 'player']) {
    const marks = DERIVED_ROADS.filter(({ name }) => next[side][name])
      .map(({ name }) => t('baccarat.nextMark', { road: t(`baccarat.road.${name}`), mark: t(`baccarat.mark.${next[side][name]}`) }));
    sentences.push(t('baccarat.nextIf', { side: t(`baccarat.spot.${side}`), marks: marks.length ? marks.join(', ') : t('baccarat.nextNone') }));
  }
  return sentences.join(' ');
}

/**
 * Builds the derived roads' panel in `container`: a canvas per road under
 * its name, the next coup's marks for a banker and a player win, and the
 * whole in words for a screen reader. show(results) draws them.
 */
export function createDerivedRoads(container) {
  const panel = el('aside', 'bc-derived');
  panel.setAttribute('aria-label', t('baccarat.derived'));
  const canvases = {};
  for (const { name } of DERIVED_ROADS) {
    const figure = el('div', `bc-derived-road ${name}`);
    const canvas = el('canvas');
    canvas.setAttribute('aria-hidden', 'true');
    figure.append(el('span', 'label', t(`baccarat.road.${name}`)), canvas);
    figure.setAttribute('aria-hidden', 'true');
    canvases[name] = canvas;
    panel.append(figure);
  }
  const next = el('div', 'bc-next');
  next.setAttribute('aria-hidden', 'true');
  next.append(el('span', 'label', t('baccarat.next')));
  const nextMarksEl = {};
  for (const side of ['banker', 'player']) {
    const box = el('span', `bc-next-side ${side}`);
    box.append(el('b', '', t(`baccarat.letter.${side}`)));
    nextMarksEl[side] = DERIVED_ROADS.map(({ name }) => el('i', `bc-mark ${SHAPE[name]}`));
    box.append(...nextMarksEl[side]);
    next.append(box);
  }
  const words = el('p', 'visually-hidden bc-derived-text');
  panel.append(next, words);
  container.append(panel);

  let shown = [];
  const draw = () => {
    const roads = derivedRoads(shown);
    for (const { name } of DERIVED_ROADS) drawDerivedRoad(canvases[name], name, roads[name]);
  };
  new ResizeObserver(draw).observe(panel);
  return {
    element: panel,
    show(results) {
      shown = results;
      draw();
      const coming = nextMarks(results);
      for (const side of ['banker', 'player']) {
        DERIVED_ROADS.forEach(({ name }, i) => { nextMarksEl[side][i].dataset.mark = coming[side][name] ?? ''; });
      }
      words.textContent = describeDerivedRoads(results);
    },
  };
}
