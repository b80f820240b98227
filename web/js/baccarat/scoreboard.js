// SPDX-License-Identifier: GPL-3.0-or-later
// The two scoreboards baccarat players read, drawn on one canvas: the bead
// plate (one disc per coup) above the big road (streaks in columns).
import { beadPlate, bigRoad } from '../rules/baccarat.js';
import { t } from '../kit/messages.js';

const COLOUR = { banker: '#c0392b', player: '#2f6fd0', tie: '#2e9e5b' };

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
    ctx.font = `800 ${Math.round(cell * 0.56)}px Manrope, sans-serif`;
    ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
    ctx.fillText(t(`baccarat.letter.${c.winner}`), x, y + cell * 0.02);
    pairDots(x, y, r, c);
  }

  const top = rows * cell + gap * 2;
  grid(top);
  const road = bigRoad(results, rows);
  const first = Math.max(0, (road.at(-1)?.col ?? 0) - columns + 1);
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
        ctx.font = `800 ${Math.round(cell * 0.52)}px Manrope, sans-serif`;
        ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
        ctx.fillText(String(c.ties), x, y);
      }
    }
    pairDots(x, y, r, c);
  }
}
