// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces the three card tables share on the kit's stage: playing cards
// that slide out of the shoe and turn over, chip stacks on the betting spots,
// the shoe and the dealer's chip tray, and a way to show a table's cards as a
// list of places so that only what changed moves, in the order it is given.
//
// The same pieces draw themselves flat when the stage has no WebGL, so a
// table is laid out identically either way.
import { paced } from './pace.js';
import { drawCard, CARD_W, CARD_H, CHIP_R } from './stage3d.js';
import { isCard } from './cards.js';
import { chipKit, stackGeometry, stackValues, paintChip, CHIP_T } from './scene-chips.js';
import { createMotion, createLabels, reducedMotion, easeOut, FADE_MS } from './scene-motion.js';

export { reducedMotion } from './scene-motion.js';

const CARD_T = 0.0025;
const CARD_R = CARD_W * 0.07;
const DEAL_MS = 360;
const FLIP_MS = 300;
const SLIDE_MS = 380;

/** Painting helpers for a stage's `paint(view)`: rings and lettering on the felt. */
export const felt = {
  ring(view, x, z, r, { colour = 'rgba(240, 210, 142, 0.75)', width = 0.006, fill = null } = {}) {
    const { ctx } = view;
    const [px, py] = view.at(x, z);
    ctx.beginPath();
    ctx.arc(px, py, view.size(r), 0, Math.PI * 2);
    if (fill) { ctx.fillStyle = fill; ctx.fill(); }
    ctx.strokeStyle = colour; ctx.lineWidth = view.size(width); ctx.stroke();
  },
  box(view, x, z, w, d, { colour = 'rgba(240, 210, 142, 0.75)', width = 0.006, fill = null, radius = 0.04 } = {}) {
    const { ctx } = view;
    const [px, py] = view.at(x - w / 2, z - d / 2);
    const W = view.size(w), D = view.size(d), r = view.size(radius);
    ctx.beginPath();
    ctx.roundRect(px, py, W, D, r);
    if (fill) { ctx.fillStyle = fill; ctx.fill(); }
    ctx.strokeStyle = colour; ctx.lineWidth = view.size(width); ctx.stroke();
  },
  text(view, text, x, z, size, { colour = 'rgba(240, 210, 142, 0.85)', font = '"Playfair Display", Georgia, serif',
    weight = 700, spacing = 0, maxWidth } = {}) {
    const { ctx } = view;
    const [px, py] = view.at(x, z);
    ctx.font = `${weight} ${view.size(size)}px ${font}`;
    ctx.fillStyle = colour; ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
    if ('letterSpacing' in ctx) ctx.letterSpacing = `${view.size(spacing)}px`;
    // A longer word in another language is narrowed to fit its box.
    if (maxWidth) ctx.fillText(text, px, py, view.size(maxWidth));
    else ctx.fillText(text, px, py);
    if ('letterSpacing' in ctx) ctx.letterSpacing = '0px';
  },
  /** Text along an arc centred at (x, z) with radius r, centred at the bottom of the circle. */
  arcText(view, text, x, z, r, size, { colour = 'rgba(240, 210, 142, 0.85)', font = '"Playfair Display", Georgia, serif',
    weight = 700 } = {}) {
    const { ctx } = view;
    const [cx, cy] = view.at(x, z);
    const R = view.size(r);
    ctx.font = `${weight} ${view.size(size)}px ${font}`;
    ctx.fillStyle = colour; ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
    const widths = [...text].map((ch) => ctx.measureText(ch).width);
    const total = widths.reduce((a, b) => a + b, 0);
    let a = Math.PI / 2 + total / R / 2;
    [...text].forEach((ch, i) => {
      const step = widths[i] / R;
      a -= step / 2;
      ctx.save();
      ctx.translate(cx + Math.cos(a) * R, cy + Math.sin(a) * R);
      ctx.rotate(a - Math.PI / 2);
      ctx.fillText(ch, 0, 0);
      ctx.restore();
      a -= step / 2;
    });
  },
};

function roundedCard(THREE) {
  const w = CARD_W / 2, h = CARD_H / 2, r = CARD_R;
  const s = new THREE.Shape();
  s.moveTo(-w + r, -h);
  s.lineTo(w - r, -h); s.quadraticCurveTo(w, -h, w, -h + r);
  s.lineTo(w, h - r); s.quadraticCurveTo(w, h, w - r, h);
  s.lineTo(-w + r, h); s.quadraticCurveTo(-w, h, -w, h - r);
  s.lineTo(-w, -h + r); s.quadraticCurveTo(-w, -h, -w + r, -h);
  return s;
}

// One geometry for every card: the face on top (group 0) and the back
// underneath (group 1), both rounded like the printed card.
function cardGeometry(THREE) {
  const shape = roundedCard(THREE);
  const top = new THREE.ShapeGeometry(shape, 4);
  const bottom = top.clone();
  top.rotateX(-Math.PI / 2); top.translate(0, CARD_T / 2, 0);
  bottom.rotateX(Math.PI / 2); bottom.translate(0, -CARD_T / 2, 0);
  const parts = [top, bottom];
  const count = top.attributes.position.count;
  const P = [], N = [], U = [], I = [];
  parts.forEach((g, k) => {
    const pos = g.attributes.position, nor = g.attributes.normal;
    for (let v = 0; v < pos.count; v++) {
      P.push(pos.getX(v), pos.getY(v), pos.getZ(v));
      N.push(nor.getX(v), nor.getY(v), nor.getZ(v));
      // The face reads upright from the player's seat: its top edge is the far one.
      const fx = pos.getX(v) / CARD_W + 0.5;
      const fy = (k === 0 ? -pos.getZ(v) : pos.getZ(v)) / CARD_H + 0.5;
      U.push(fx, fy);
    }
    for (let i = 0; i < g.index.count; i++) I.push(g.index.getX(i) + k * count);
  });
  const g = new THREE.BufferGeometry();
  g.setAttribute('position', new THREE.Float32BufferAttribute(P, 3));
  g.setAttribute('normal', new THREE.Float32BufferAttribute(N, 3));
  g.setAttribute('uv', new THREE.Float32BufferAttribute(U, 2));
  g.setIndex(I);
  g.addGroup(0, top.index.count, 0);
  g.addGroup(top.index.count, bottom.index.count, 1);
  g.computeBoundingSphere();
  top.dispose(); bottom.dispose();
  return g;
}

/**
 * Builds the shared pieces on a stage. `host` is the stage element (labels go
 * in it). Options: shoe (draw the shoe at stage.shoe), tray (the dealer's chip
 * tray at the far edge), discard ({x, z} where used cards go).
 */
export function createTableScene(stage, host, { shoe = true, tray = true, discard = null } = {}) {
  return new TableScene(stage, host, { shoe, tray, discard });
}

class TableScene {
  constructor(stage, host, opts) {
    this.stage = stage;
    this.motion = createMotion(stage);
    this.labels = createLabels(stage, host);
    this.pieces = new Set();
    this.order = 0;
    const { width: W, depth: D } = stage;
    this.shoe = { x: stage.shoe.x, z: stage.shoe.z };
    this.tray = { x: 0, z: -D / 2 + 0.09 };
    this.discard = opts.discard ?? { x: -stage.shoe.x, z: stage.shoe.z };
    this.playerEdge = { x: 0, z: D / 2 + 0.2 };
    this.shown = new Map();
    this.queue = Promise.resolve();
    this.latest = null;
    if (stage.three) this.build3d(opts);
    stage.onFrame(() => { for (const piece of this.pieces) piece.sync(); return false; });
    stage.onDraw2D((ctx, view) => this.draw2d(ctx, view, opts));
  }

  build3d(opts) {
    const { THREE, renderer, scene } = this.stage.three;
    this.three = { THREE, scene, geometry: cardGeometry(THREE), textures: new Map(), chips: chipKit(THREE, renderer),
      aniso: Math.min(8, renderer.capabilities.getMaxAnisotropy()) };
    if (opts.shoe) {
      const body = new THREE.Mesh(new THREE.BoxGeometry(0.17, 0.075, 0.26),
        new THREE.MeshStandardMaterial({ color: 0x2a0d10, roughness: 0.35, metalness: 0.1 }));
      const { x, z } = this.shoe;
      body.position.set(x + 0.05, 0.0375, z - 0.08);
      body.rotation.y = -0.45;
      body.castShadow = true;
      body.receiveShadow = true;
      // The card waiting at the shoe's mouth.
      const lip = new THREE.Mesh(this.three.geometry, this.cardMaterials(null, 1));
      lip.position.set(0, 0.04, 0.1);
      lip.rotation.x = -0.35;
      body.add(lip);
      scene.add(body);
    }
    if (opts.tray) {
      const { THREE: T, chips } = this.three;
      const group = new T.Group();
      const wood = new T.Mesh(new T.BoxGeometry(0.78, 0.028, 0.11),
        new T.MeshStandardMaterial({ color: 0x3a2214, roughness: 0.5 }));
      wood.position.y = 0.014;
      wood.receiveShadow = true;
      group.add(wood);
      const material = new T.MeshStandardMaterial({ map: chips.map, roughness: 0.45 });
      [1000, 500, 100, 25, 5, 1].forEach((v, i) => {
        const m = new T.Mesh(stackGeometry(chips, new Array(4 + (i % 3)).fill(v)), material);
        m.position.set(-0.3 + i * 0.12, 0.028, 0);
        m.castShadow = true;
        group.add(m);
      });
      group.position.set(this.tray.x, 0, this.tray.z);
      scene.add(group);
    }
  }

  texture(key, paint) {
    const { THREE, textures, aniso } = this.three;
    if (textures.has(key)) return textures.get(key);
    const c = document.createElement('canvas');
    c.width = 256; c.height = Math.round(256 * (CARD_H / CARD_W));
    paint(c.getContext('2d'), c.width);
    const t = new THREE.CanvasTexture(c);
    t.colorSpace = THREE.SRGBColorSpace;
    t.anisotropy = aniso;
    textures.set(key, t);
    return t;
  }

  cardMaterials(card, opacity = 1) {
    const { THREE } = this.three;
    const back = this.texture('back', (ctx, w) => drawCard(ctx, null, 0, 0, w, false));
    const face = isCard(card) ? this.texture(card, (ctx, w) => drawCard(ctx, card, 0, 0, w, true)) : back;
    const make = (map) => new THREE.MeshStandardMaterial({ map, roughness: 0.55, transparent: true, opacity });
    return [make(face), make(back)];
  }

  // ---------- pieces ----------

  /**
   * A card on the felt. With `from` it slides there (face down, turning on the
   * way when `faceUp`); `turnAfter` turns it only once it has landed, as a
   * baccarat dealer does. Resolves `arrived` when it is in place.
   */
  card(card, { x = 0, z = 0, yaw = 0, faceUp = true, from = null, turnAfter = false } = {}) {
    const reduced = reducedMotion();
    const start = from && !reduced ? from : { x, z };
    const p = { x: start.x, y: from && !reduced ? 0.05 : 0, z: start.z, yaw: from && !reduced ? yaw + 0.7 : yaw,
      flip: from && !reduced ? 0 : faceUp && !(turnAfter && from) ? 1 : 0, o: from && reduced ? 0 : 1 };
    const piece = this.addPiece('card', p);
    piece.card = isCard(card) ? card : null;
    if (this.three) {
      piece.mesh = new this.three.THREE.Mesh(this.three.geometry, this.cardMaterials(piece.card, p.o));
      piece.mesh.castShadow = true;
      piece.mesh.receiveShadow = true;
      this.three.scene.add(piece.mesh);
    }
    const { animate } = this.motion;
    let arrived;
    if (!from) arrived = Promise.resolve();
    else if (reduced) {
      arrived = animate(p, { o: 1 }, FADE_MS).then(() => (faceUp && turnAfter ? handle.flip(true) : undefined));
    } else {
      const slide = animate(p, { x, z, y: 0, yaw }, DEAL_MS, easeOut);
      // Below the normal pace a card turns in the last of its slide, done as
      // it lands, rather than after: on a slow renderer each move waits for a
      // frame of its own to end, and a hand's cards dealt one by one add
      // those frames up.
      const overlap = paced(1) < 1;
      arrived = !turnAfter
        ? Promise.all([slide, faceUp ? animate(p, { flip: 1 }, DEAL_MS) : null])
        : !faceUp ? slide
          : overlap ? Promise.all([slide, this.motion.wait(DEAL_MS * 0.6).then(() => animate(p, { flip: 1 }, DEAL_MS * 0.4))])
            : slide.then(() => handle.flip(true));
    }
    const scene = this;
    const handle = {
      piece,
      get card() { return piece.card; },
      get faceUp() { return p.flip >= 0.5; },
      arrived,
      /** Shows a card learnt later (a hole card) before it is turned. */
      setCard(next) {
        piece.card = isCard(next) ? next : null;
        if (piece.mesh) {
          for (const m of piece.mesh.material) m.dispose();
          piece.mesh.material = scene.cardMaterials(piece.card, p.o);
        }
        scene.stage.invalidate();
      },
      flip(up = p.flip < 0.5) {
        if (!reducedMotion()) return animate(p, { flip: up ? 1 : 0 }, FLIP_MS);
        return animate(p, { o: 0 }, FADE_MS / 2).then(() => { p.flip = up ? 1 : 0; return animate(p, { o: 1 }, FADE_MS / 2); });
      },
      moveTo(to) { return scene.travel(p, { x: to.x ?? p.x, z: to.z ?? p.z, yaw: to.yaw ?? p.yaw }); },
      /** Slides away (to the discard, say) fading, then is gone. */
      async remove(to = null) {
        if (to && !reducedMotion()) await Promise.all([animate(p, { x: to.x, z: to.z, y: 0.03 }, SLIDE_MS), animate(p, { o: 0 }, SLIDE_MS, (t) => t * t)]);
        else if (to) await animate(p, { o: 0 }, FADE_MS);
        scene.dropPiece(piece);
      },
    };
    return handle;
  }

  /** A stack of `chips` whole chips at (x, z); with `from` it slides in from there. */
  chips(chips, { x = 0, z = 0, from = null } = {}) {
    const reduced = reducedMotion();
    const p = { x: from && !reduced ? from.x : x, y: 0, z: from && !reduced ? from.z : z, o: from && reduced ? 0 : 1 };
    const piece = this.addPiece('chips', p);
    piece.values = [];
    const scene = this;
    const build = (amount) => {
      piece.values = stackValues(amount);
      if (!this.three) return;
      const { THREE, chips: kit, scene: s } = this.three;
      if (!piece.mesh) {
        piece.mesh = new THREE.Mesh(new THREE.BufferGeometry(),
          new THREE.MeshStandardMaterial({ map: kit.map, roughness: 0.42, metalness: 0.05, transparent: true, opacity: p.o }));
        piece.mesh.castShadow = true;
        piece.mesh.receiveShadow = true;
        s.add(piece.mesh);
      }
      piece.mesh.geometry.dispose();
      piece.mesh.geometry = stackGeometry(kit, piece.values);
      piece.mesh.visible = piece.values.length > 0;
    };
    let amount = chips;
    build(amount);
    const { animate } = this.motion;
    const arrived = !from ? Promise.resolve() : reduced ? animate(p, { o: 1 }, FADE_MS) : animate(p, { x, z }, SLIDE_MS, easeOut);
    return {
      piece,
      arrived,
      get amount() { return amount; },
      get at() { return { x: p.x, z: p.z }; },
      set(next) { amount = next; build(next); scene.stage.invalidate(); },
      moveTo(to) { return scene.travel(p, { x: to.x, z: to.z }); },
      async remove(to = null) {
        if (to && !reducedMotion()) await Promise.all([animate(p, { x: to.x, z: to.z }, SLIDE_MS), animate(p, { o: 0 }, SLIDE_MS, (t) => t ** 4)]);
        else if (to) await animate(p, { o: 0 }, FADE_MS);
        scene.dropPiece(piece);
      },
    };
  }

  /** Moves a piece, or under reduced motion fades it out and in at its new place. */
  travel(p, to) {
    const { animate } = this.motion;
    if (!reducedMotion()) return animate(p, to, SLIDE_MS);
    return animate(p, { o: 0 }, FADE_MS / 2).then(() => { Object.assign(p, to); return animate(p, { o: 1 }, FADE_MS / 2); });
  }

  addPiece(kind, p) {
    const scene = this;
    const piece = {
      kind, p, order: this.order++, mesh: null,
      sync() {
        const m = piece.mesh;
        if (!m) return;
        if (kind === 'card') {
          const lift = Math.sin(Math.PI * p.flip) * CARD_W * 0.5;
          // Later cards lie a hair higher, so overlapping cards never fight for depth.
          m.position.set(p.x, CARD_T / 2 + 0.0008 + (piece.order % 24) * 0.0003 + p.y + lift, p.z);
          m.rotation.set(0, -p.yaw, Math.PI * (1 - p.flip));
          for (const mat of m.material) mat.opacity = p.o;
        } else {
          m.position.set(p.x, p.y, p.z);
          m.material.opacity = p.o;
        }
        m.visible = p.o > 0.01 && (kind === 'card' || piece.values.length > 0);
      },
    };
    this.pieces.add(piece);
    scene.stage.invalidate();
    return piece;
  }

  dropPiece(piece) {
    this.pieces.delete(piece);
    if (piece.mesh) {
      this.three.scene.remove(piece.mesh);
      const mats = Array.isArray(piece.mesh.material) ? piece.mesh.material : [piece.mesh.material];
      for (const m of mats) m.dispose();
      if (piece.kind === 'chips') piece.mesh.geometry.dispose();
    }
    this.stage.invalidate();
  }

  draw2d(ctx, view, opts) {
    if (opts.shoe) {
      const [sx, sy] = view.at(this.shoe.x + 0.05, this.shoe.z - 0.08);
      ctx.save();
      ctx.translate(sx, sy); ctx.rotate(0.45);
      ctx.fillStyle = '#2a0d10'; ctx.shadowColor = 'rgba(0,0,0,0.5)'; ctx.shadowBlur = 8;
      ctx.fillRect(-view.size(0.085), -view.size(0.13), view.size(0.17), view.size(0.26));
      ctx.restore();
    }
    if (opts.tray) {
      const [tx, ty] = view.at(this.tray.x - 0.39, this.tray.z - 0.055);
      ctx.fillStyle = '#3a2214';
      ctx.fillRect(tx, ty, view.size(0.78), view.size(0.11));
      [1000, 500, 100, 25, 5, 1].forEach((v, i) => {
        const [cx, cy] = view.at(this.tray.x - 0.3 + i * 0.12, this.tray.z);
        paintChip(ctx, cx, cy, view.size(CHIP_R), v);
      });
    }
    const sorted = [...this.pieces].sort((a, b) => a.p.y - b.p.y || a.order - b.order);
    for (const piece of sorted) {
      const { p } = piece;
      const [px, py] = view.at(p.x, p.z);
      ctx.save();
      ctx.globalAlpha = Math.max(0, Math.min(1, p.o));
      if (piece.kind === 'card') {
        const w = view.size(CARD_W), h = view.size(CARD_H);
        ctx.translate(px, py - view.size(p.y) * 0.3);
        ctx.rotate(p.yaw);
        ctx.scale(Math.max(0.04, Math.abs(Math.cos(Math.PI * p.flip))), 1);
        ctx.shadowColor = 'rgba(0,0,0,0.5)'; ctx.shadowBlur = 6; ctx.shadowOffsetY = 2;
        drawCard(ctx, p.flip >= 0.5 ? piece.card : null, -w / 2, -h / 2, w, p.flip >= 0.5 && !!piece.card);
      } else {
        const r = view.size(CHIP_R);
        ctx.shadowColor = 'rgba(0,0,0,0.45)'; ctx.shadowBlur = 4; ctx.shadowOffsetY = 1.5;
        piece.values.forEach((v, i) => paintChip(ctx, px, py - i * Math.max(1.5, view.size(CHIP_T) * 0.8), r, v));
      }
      ctx.restore();
    }
  }

  // ---------- cards shown by place ----------

  /**
   * Shows the table's cards as `slots` ([{ key, card, x, z, yaw, faceUp, turnAfter, together }]),
   * listed in the order they are dealt. Cards already showing stay; a card
   * that changed place moves; a face-down card that is now known turns over;
   * new cards are dealt one at a time in list order (one marked `together`
   * goes with the next); cards no longer listed
   * are swept to the discard. Calls come in a queue, and only the newest of
   * the waiting ones is played. `onCard(slot, kind)` fires as each card is
   * dealt ('deal') or turned ('turn'), for sounds.
   */
  show(slots, { onCard = null, pause = 0 } = {}) {
    this.latest = { slots, onCard, pause };
    const mine = this.latest;
    this.queue = this.queue.then(() => (this.latest === mine ? this.apply(mine) : undefined))
      .catch((e) => console.warn('Velmar Casino: the table could not show its cards', e));
    return this.queue;
  }

  async apply({ slots, onCard, pause }) {
    const want = new Map(slots.map((s) => [s.key, s]));
    const pool = [];
    for (const [key, handle] of this.shown) {
      const s = want.get(key);
      const target = s && isCard(s.card) ? s.card : null;
      if (!s || (handle.card !== target && handle.card !== null) || (handle.card === null && target && s.faceUp === false)) {
        pool.push(handle);
        this.shown.delete(key);
      }
    }
    // Cards that moved (a split pair) keep their piece; the rest are swept.
    const moves = [];
    const fresh = [];
    for (const s of slots) {
      if (this.shown.has(s.key)) continue;
      const i = isCard(s.card) ? pool.findIndex((h) => h.card === s.card && h.faceUp === (s.faceUp !== false)) : -1;
      if (i >= 0) {
        const [handle] = pool.splice(i, 1);
        this.shown.set(s.key, handle);
        moves.push(handle.moveTo(s));
      } else {
        fresh.push(s);
      }
    }
    await Promise.all([...pool.map((h) => h.remove(this.discard)), ...moves]);
    // Fresh cards marked `together` leave the shoe with the next one, as a
    // spread, rather than each after the last has landed.
    const spread = [];
    for (const s of slots) {
      const handle = this.shown.get(s.key);
      if (handle) {
        const piece = handle.piece.p;
        if (Math.abs(piece.x - s.x) > 1e-6 || Math.abs(piece.z - s.z) > 1e-6 || Math.abs(piece.yaw - (s.yaw ?? 0)) > 1e-6) {
          handle.moveTo(s);
        }
        const up = s.faceUp !== false;
        if (handle.card === null && isCard(s.card) && up) {
          handle.setCard(s.card);
          onCard?.(s, 'turn');
          await handle.flip(true);
          if (pause) await this.motion.wait(pause);
        }
        continue;
      }
      if (!fresh.includes(s)) continue;
      const handle2 = this.card(s.card, { x: s.x, z: s.z, yaw: s.yaw ?? 0, faceUp: s.faceUp !== false && isCard(s.card),
        from: this.shoe, turnAfter: !!s.turnAfter });
      this.shown.set(s.key, handle2);
      onCard?.(s, 'deal');
      if (s.together) { spread.push(handle2.arrived); continue; }
      await handle2.arrived;
      if (pause) await this.motion.wait(pause);
    }
    await Promise.all(spread);
  }

  /** Puts the cards straight into their places, with no motion (a reload). */
  place(slots) {
    for (const h of this.shown.values()) h.remove();
    this.shown.clear();
    for (const s of slots) {
      this.shown.set(s.key, this.card(s.card, { x: s.x, z: s.z, yaw: s.yaw ?? 0, faceUp: s.faceUp !== false && isCard(s.card) }));
    }
  }

  /** Resolves once every queued showing has played. */
  idle() { return this.queue; }

  // ---------- betting spots ----------

  /**
   * A betting spot at (x, z): `set(chips)` shows the bet (sliding in from the
   * player's side when it appears), `pay(chips)` slides winnings out of the
   * tray beside it, `take()` sweeps the stake to the tray, `collect()` slides
   * everything on it back to the player. `moveTo` follows a hand that moved.
   */
  spot({ x = 0, z = 0, payAt = null } = {}) {
    const scene = this;
    let at = { x, z };
    let main = null;
    let extras = [];
    const payPlace = () => payAt ?? { x: at.x + CHIP_R * 2.3, z: at.z };
    return {
      get amount() { return main?.amount ?? 0; },
      set(chips, { from = scene.playerEdge } = {}) {
        if (chips > 0 && !main) { main = scene.chips(chips, { ...at, from }); return main.arrived; }
        if (chips > 0) { main.set(chips); return Promise.resolve(); }
        if (main) { const m = main; main = null; return m.remove(scene.playerEdge); }
        return Promise.resolve();
      },
      pay(chips) {
        if (chips <= 0) return Promise.resolve();
        const s = scene.chips(chips, { ...payPlace(), from: scene.tray });
        extras.push(s);
        return s.arrived;
      },
      take() {
        const m = main;
        main = null;
        return m ? m.remove(scene.tray) : Promise.resolve();
      },
      collect() {
        const all = [main, ...extras].filter(Boolean);
        main = null; extras = [];
        return Promise.all(all.map((s) => s.remove(scene.playerEdge)));
      },
      moveTo(to) {
        at = { x: to.x, z: to.z };
        return Promise.all([main?.moveTo(at), ...extras.map((s, i) => s.moveTo({ x: payPlace().x + i * 0.01, z: payPlace().z }))]);
      },
      clear() {
        for (const s of [main, ...extras]) s?.remove();
        main = null; extras = [];
      },
    };
  }
}
