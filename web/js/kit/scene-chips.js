// SPDX-License-Identifier: GPL-3.0-or-later
// Chip stacks for the card tables. A whole stack is one mesh over one texture
// atlas (the six chip faces and their edge stripes), so a table full of bets
// costs a draw call per stack rather than three per chip: the software
// renderer the tests run on feels every one.
import { chipBreakdown, CHIP_VALUES } from './bets.js';
import { CHIP_COLOURS, CHIP_R, paintChip } from './stage3d.js';

export const CHIP_T = 0.011;
const MAX_SHOWN = 30;
const CELL = 128;
const ATLAS_W = CELL * 8;
const ATLAS_H = CELL * 2;

// The chip drawing is the stage's own, so every chip on every table looks the same.
export { paintChip };

function paintAtlas(canvas) {
  const ctx = canvas.getContext('2d');
  CHIP_VALUES.forEach((value, i) => {
    paintChip(ctx, i * CELL + CELL / 2, CELL / 2, CELL / 2 - 2, value);
    const [fill] = CHIP_COLOURS[value];
    ctx.fillStyle = fill;
    ctx.fillRect(i * CELL, CELL, CELL, CELL);
    ctx.fillStyle = '#f3ead2';
    for (let k = 0; k < 6; k++) ctx.fillRect(i * CELL + (k / 6) * CELL + 4, CELL, CELL / 18, CELL);
  });
}

/**
 * Shared pieces for every stack on one stage: the atlas material and a
 * template chip whose vertices know whether they are edge or face.
 */
export function chipKit(THREE, renderer) {
  const canvas = document.createElement('canvas');
  canvas.width = ATLAS_W; canvas.height = ATLAS_H;
  paintAtlas(canvas);
  const map = new THREE.CanvasTexture(canvas);
  map.colorSpace = THREE.SRGBColorSpace;
  map.anisotropy = Math.min(8, renderer.capabilities.getMaxAnisotropy());
  const template = new THREE.CylinderGeometry(CHIP_R, CHIP_R, CHIP_T, 28, 1);
  const side = new Uint8Array(template.attributes.position.count);
  const { index } = template;
  for (const g of template.groups) {
    if (g.materialIndex !== 0) continue;
    for (let i = g.start; i < g.start + g.count; i++) side[index.getX(i)] = 1;
  }
  return { THREE, map, template, side };
}

/** The geometry of a stack of `values` (bottom first), one chip above the other. */
export function stackGeometry(kit, values) {
  const { THREE, template, side } = kit;
  const pos = template.attributes.position, nor = template.attributes.normal, uv = template.attributes.uv;
  const n = pos.count, m = template.index.count;
  const P = new Float32Array(values.length * n * 3), N = new Float32Array(values.length * n * 3);
  const U = new Float32Array(values.length * n * 2);
  const I = new (values.length * n > 65535 ? Uint32Array : Uint16Array)(values.length * m);
  values.forEach((value, k) => {
    const cell = Math.max(0, CHIP_VALUES.indexOf(value));
    // Each chip a little turned and off centre, as a dealer's stack is.
    const a = (k * 2.39996) % (Math.PI * 2), c = Math.cos(a), s = Math.sin(a);
    const ox = Math.sin(k * 12.9898) * 0.0018, oz = Math.cos(k * 78.233) * 0.0018;
    const y0 = CHIP_T / 2 + k * CHIP_T;
    for (let v = 0; v < n; v++) {
      const x = pos.getX(v), z = pos.getZ(v), nx = nor.getX(v), nz = nor.getZ(v);
      const o = (k * n + v) * 3;
      P[o] = x * c - z * s + ox; P[o + 1] = pos.getY(v) + y0; P[o + 2] = x * s + z * c + oz;
      N[o] = nx * c - nz * s; N[o + 1] = nor.getY(v); N[o + 2] = nx * s + nz * c;
      const u0 = uv.getX(v), v0 = uv.getY(v), t = (k * n + v) * 2;
      // Faces take the top half of the atlas, edges the bottom half.
      U[t] = (cell * CELL + 3 + u0 * (CELL - 6)) / ATLAS_W;
      U[t + 1] = side[v] ? (3 + v0 * (CELL - 6)) / ATLAS_H : 0.5 + (3 + v0 * (CELL - 6)) / ATLAS_H;
    }
    for (let i = 0; i < m; i++) I[k * m + i] = template.index.getX(i) + k * n;
  });
  const g = new THREE.BufferGeometry();
  g.setAttribute('position', new THREE.BufferAttribute(P, 3));
  g.setAttribute('normal', new THREE.BufferAttribute(N, 3));
  g.setAttribute('uv', new THREE.BufferAttribute(U, 2));
  g.setIndex(new THREE.BufferAttribute(I, 1));
  g.computeBoundingSphere();
  return g;
}

/** The chips a stack of `chips` whole chips shows, the largest at the bottom. */
export function stackValues(chips) {
  return chipBreakdown(Math.max(0, Math.floor(chips))).slice(0, MAX_SHOWN);
}
