// SPDX-License-Identifier: GPL-3.0-or-later
// The table seen from the player's seat: a lit three.js scene with a felt
// table, cards and chips, or, where WebGL cannot be had, the same layout drawn
// flat on a 2D canvas, so every table is playable either way.
//
// Positions are in table units on the felt: x runs left to right, z from the
// far (dealer's) edge at -depth/2 to the player's edge at +depth/2, y is height.
import { chipBreakdown } from './bets.js';
import { cardLabel, isCard, isRed, rankOf, suitOf, suitSymbol } from './cards.js';
import { loadFonts } from './fonts.js';
import { paced } from './pace.js';

export const CARD_W = 0.16;
export const CARD_H = 0.224;
const CARD_T = 0.003;
export const CHIP_R = 0.048;
const CHIP_T = 0.011;
const RIM = 0.11;
const MAX_STACK = 24;

export const CHIP_COLOURS = {
  1: ['#ece6d6', '#2a2a2a'], 5: ['#c0392b', '#fff6e6'], 25: ['#1f7a4a', '#fff6e6'],
  100: ['#1d1d1f', '#f0d28e'], 500: ['#6a3d9a', '#fff6e6'], 1000: ['#d4af62', '#24180a'],
};

// A trial frame of the table at PROBE_SIZE, in milliseconds, beyond which the
// stage is drawn the cheap way: a GPU needs a few, llvmpipe well over fifty.
const SOFTWARE_FRAME_MS = 25;
const PROBE_SIZE = [960, 540];

const reducedMotion = () => globalThis.matchMedia?.('(prefers-reduced-motion: reduce)').matches ?? false;
const easeOut = (t) => 1 - (1 - t) ** 3;
const easeInOut = (t) => (t < 0.5 ? 4 * t * t * t : 1 - (-2 * t + 2) ** 3 / 2);

/** The table's outline as a list of drawing steps, shared by both renderers. */
function outline(shape, w, d) {
  if (shape === 'half') {
    // A flat dealer's edge at the far side and an arc toward the players.
    return { kind: 'half', w, d };
  }
  if (shape === 'rect') return { kind: 'rect', w, d, r: Math.min(w, d) * 0.12 };
  return { kind: 'rect', w, d, r: d / 2 };
}

function tracePath(p, o, flipY) {
  // p has moveTo/lineTo/quadraticCurveTo/absellipse-like methods (a THREE.Path
  // or a CanvasRenderingContext2D adapter); flipY maps the far edge upward.
  const s = flipY ? -1 : 1;
  if (o.kind === 'half') {
    const hw = o.w / 2, top = -o.d / 2;
    p.moveTo(-hw, s * top);
    p.lineTo(hw, s * top);
    // Through the near side: clockwise in the felt's coordinates, which the
    // canvas (y pointing at the player) sees as anticlockwise = false.
    p.ellipse(0, s * top, hw, o.d, 0, Math.PI, flipY);
    return;
  }
  const hw = o.w / 2, hd = o.d / 2, r = Math.min(o.r, hw, hd);
  p.moveTo(-hw + r, -hd);
  p.lineTo(hw - r, -hd);
  p.quadraticCurveTo(hw, -hd, hw, -hd + r);
  p.lineTo(hw, hd - r);
  p.quadraticCurveTo(hw, hd, hw - r, hd);
  p.lineTo(-hw + r, hd);
  p.quadraticCurveTo(-hw, hd, -hw, hd - r);
  p.lineTo(-hw, -hd + r);
  p.quadraticCurveTo(-hw, -hd, -hw + r, -hd);
}

/** Paints the felt: cloth, grain, the game's own markings, a soft vignette. */
function paintFelt(canvas, { w, d, felt, paint }) {
  const ctx = canvas.getContext('2d');
  const cw = canvas.width, ch = canvas.height;
  const g = ctx.createRadialGradient(cw / 2, ch * 0.45, ch * 0.1, cw / 2, ch / 2, cw * 0.6);
  g.addColorStop(0, shade(felt, 1.18));
  g.addColorStop(1, shade(felt, 0.78));
  ctx.fillStyle = g;
  ctx.fillRect(0, 0, cw, ch);
  // Cloth grain: a fixed pattern so the felt does not shimmer between repaints.
  let seed = 12345;
  const rnd = () => ((seed = (seed * 1103515245 + 12345) >>> 0) / 4294967296);
  ctx.globalAlpha = 0.05;
  for (let i = 0; i < (cw * ch) / 90; i++) {
    ctx.fillStyle = rnd() < 0.5 ? '#000' : '#fff';
    ctx.fillRect(rnd() * cw, rnd() * ch, 1 + rnd() * 2, 1);
  }
  ctx.globalAlpha = 1;
  const view = {
    ctx, width: cw, height: ch, tableWidth: w, tableDepth: d,
    scale: cw / w,
    at: (x, z) => [(x / w + 0.5) * cw, (z / d + 0.5) * ch],
    size: (units) => units * (cw / w),
  };
  if (paint) {
    ctx.save();
    try { paint(view); } catch (e) { console.warn('Velmar Casino: felt painting failed', e); }
    ctx.restore();
  }
  return view;
}

function shade(hex, f) {
  const n = parseInt(hex.slice(1), 16);
  const c = [(n >> 16) & 255, (n >> 8) & 255, n & 255].map((v) => Math.max(0, Math.min(255, Math.round(v * f))));
  return `rgb(${c[0]}, ${c[1]}, ${c[2]})`;
}

function roundRect(ctx, x, y, w, h, r) {
  ctx.beginPath();
  ctx.moveTo(x + r, y);
  ctx.arcTo(x + w, y, x + w, y + h, r);
  ctx.arcTo(x + w, y + h, x, y + h, r);
  ctx.arcTo(x, y + h, x, y, r);
  ctx.arcTo(x, y, x + w, y, r);
  ctx.closePath();
}

/** A card face or back on a canvas of the given width (height follows). */
export function drawCard(ctx, card, x, y, width, faceUp = true) {
  const h = width * (CARD_H / CARD_W), r = width * 0.07;
  roundRect(ctx, x, y, width, h, r);
  if (!faceUp || !isCard(card)) {
    ctx.fillStyle = '#fbf7ec'; ctx.fill();
    const m = width * 0.07;
    roundRect(ctx, x + m, y + m, width - 2 * m, h - 2 * m, r * 0.6);
    ctx.fillStyle = '#7a1f2b'; ctx.fill();
    ctx.save(); ctx.clip();
    ctx.strokeStyle = 'rgba(212, 175, 98, 0.55)'; ctx.lineWidth = Math.max(1, width * 0.012);
    for (let i = -h; i < width + h; i += width * 0.11) {
      ctx.beginPath(); ctx.moveTo(x + i, y); ctx.lineTo(x + i + h, y + h); ctx.stroke();
      ctx.beginPath(); ctx.moveTo(x + i + h, y); ctx.lineTo(x + i, y + h); ctx.stroke();
    }
    ctx.restore();
    return;
  }
  ctx.fillStyle = '#fbf7ec'; ctx.fill();
  ctx.strokeStyle = '#d9cfb6'; ctx.lineWidth = Math.max(1, width * 0.01); ctx.stroke();
  const colour = isRed(card) ? '#b3261e' : '#161616';
  const label = cardLabel(card).slice(0, -1);
  const suit = suitSymbol(suitOf(card));
  ctx.fillStyle = colour;
  ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
  ctx.font = `800 ${width * 0.24}px Manrope, sans-serif`;
  ctx.fillText(label, x + width * 0.2, y + width * 0.2);
  ctx.font = `${width * 0.2}px sans-serif`;
  ctx.fillText(suit, x + width * 0.2, y + width * 0.42);
  ctx.save();
  ctx.translate(x + width * 0.8, y + h - width * 0.2); ctx.rotate(Math.PI);
  ctx.font = `800 ${width * 0.24}px Manrope, sans-serif`;
  ctx.fillText(label, 0, 0);
  ctx.restore();
  const face = 'JQK'.includes(rankOf(card));
  ctx.font = `${face ? 700 : 400} ${width * (face ? 0.46 : 0.5)}px ${face ? '"Playfair Display", serif' : 'sans-serif'}`;
  ctx.fillText(face ? rankOf(card) : suit, x + width / 2, y + h / 2 + width * 0.04);
}

/** A chip seen from above: the one chip drawing, for the 3D tops, the flat view and the atlas. */
export function paintChip(ctx, cx, cy, r, value) {
  const [fill, ink] = CHIP_COLOURS[value] ?? CHIP_COLOURS[1];
  ctx.beginPath(); ctx.arc(cx, cy, r, 0, Math.PI * 2); ctx.fillStyle = fill; ctx.fill();
  ctx.fillStyle = '#f3ead2';
  for (let i = 0; i < 6; i++) {
    const a = (i / 6) * Math.PI * 2;
    ctx.beginPath(); ctx.arc(cx, cy, r, a, a + 0.32); ctx.arc(cx, cy, r * 0.78, a + 0.32, a, true); ctx.fill();
  }
  ctx.beginPath(); ctx.arc(cx, cy, r * 0.62, 0, Math.PI * 2);
  ctx.strokeStyle = 'rgba(255,255,255,0.55)'; ctx.lineWidth = Math.max(1, r * 0.05); ctx.stroke();
  ctx.fillStyle = ink; ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
  ctx.font = `800 ${r * 0.62}px Manrope, sans-serif`;
  ctx.fillText(value >= 1000 ? `${value / 1000}K` : String(value), cx, cy + r * 0.04);
}

/**
 * Creates the stage inside `host` (the frame's stage element) and resolves to
 * its handle. Options: shape ('oval', 'half' for a blackjack table, 'rect'),
 * width and depth in table units, felt colour, paint(view) to draw the
 * game's markings onto the felt, flat: true to force the 2D drawing.
 */
export async function createStage(host, options = {}) {
  const opts = { shape: 'oval', width: 2.6, depth: 1.4, felt: '#0f5a3a', paint: null, flat: false, ...options };
  if (new URLSearchParams(globalThis.location?.search ?? '').has('flat')) opts.flat = true;
  await Promise.race([loadFonts(), new Promise((r) => setTimeout(r, 1500))]);

  let THREE = null;
  if (!opts.flat) {
    try { THREE = await import('../../vendor/three/three.module.js'); } catch (e) {
      console.warn('Velmar Casino: three.js could not be loaded; drawing the table flat', e);
    }
  }
  const core = new StageCore(host, opts);
  if (THREE) {
    try {
      core.useThree(THREE);
      // WebKit reports every renderer as the same masked name, so Mesa's
      // software rasteriser (llvmpipe) cannot be told by its name: a frame that
      // costs far more than any GPU needs gives it away instead.
      let cost = 0;
      try { cost = core.frameCost(); } catch (e) { console.warn('Velmar Casino: the trial frame failed', e); }
      if (cost > SOFTWARE_FRAME_MS) core.useThree(THREE, { software: true });
    } catch (e) {
      console.warn('Velmar Casino: WebGL is not available; drawing the table flat', e);
      core.useFlat();
    }
  } else {
    core.useFlat();
  }
  return core.api();
}

class StageCore {
  constructor(host, opts) {
    this.host = host;
    this.opts = opts;
    this.outline = outline(opts.shape, opts.width, opts.depth);
    this.items = new Set();
    this.tweens = new Set();
    this.frameHooks = new Set();
    this.draw2dHooks = new Set();
    this.raf = 0;
    this.last = 0;
    this.feltCanvas = document.createElement('canvas');
    this.feltCanvas.width = 2048;
    this.feltCanvas.height = Math.round(2048 * (opts.depth / opts.width));
    this.feltView = paintFelt(this.feltCanvas, { w: opts.width, d: opts.depth, felt: opts.felt, paint: opts.paint });
    this.canvas = document.createElement('canvas');
    this.canvas.className = 'stage-canvas';
    this.canvas.setAttribute('aria-hidden', 'true');
    host.prepend(this.canvas);
    this.size = { w: 1, h: 1 };
    new ResizeObserver(() => this.resize()).observe(host);
  }

  // ---------- renderers ----------

  /**
   * Builds the three.js scene. `software` trades looks for speed where every
   * pixel is shaded on the CPU: no multisampling, one shadow sample from a
   * smaller map, an unlit floor and at most one pixel per CSS pixel.
   */
  useThree(THREE, { software = false } = {}) {
    if (this.three) {
      // The antialias choice belongs to the context, so a cheaper stage needs
      // a canvas of its own.
      this.three.renderer.dispose();
      this.three.renderer.forceContextLoss();
      this.three = null;
      this.freshCanvas();
    }
    const renderer = new THREE.WebGLRenderer({ canvas: this.canvas, antialias: !software,
      // Keeps the last frame readable after it is shown, so snapshots of the
      // window (the self-test's pictures) see the table as it stands.
      preserveDrawingBuffer: true });
    if (!renderer.getContext()) throw new Error('no WebGL context');
    renderer.setPixelRatio(Math.min(globalThis.devicePixelRatio || 1, software ? 1 : 2));
    renderer.shadowMap.enabled = true;
    renderer.shadowMap.type = software ? THREE.BasicShadowMap : THREE.PCFShadowMap;
    renderer.toneMapping = THREE.NeutralToneMapping ?? THREE.ACESFilmicToneMapping;
    renderer.toneMappingExposure = 1.05;

    const { width: W, depth: D } = this.opts;
    const scene = new THREE.Scene();
    scene.background = new THREE.Color(4 / 255, 10 / 255, 7 / 255);
    scene.fog = new THREE.Fog(scene.background, 4, 9);
    const camera = new THREE.PerspectiveCamera(36, 1, 0.05, 30);

    scene.add(new THREE.HemisphereLight(0xfff1d6, 0x0a1a10, 0.9));
    const spot = new THREE.SpotLight(0xffe6b8, 3.2, 0, Math.PI / 5, 0.65, 0);
    spot.position.set(0.3, 3.4, 0.9);
    spot.target.position.set(0, 0, -0.05);
    spot.castShadow = true;
    spot.shadow.mapSize.setScalar(software ? 512 : 1024);
    spot.shadow.bias = -0.0004;
    spot.shadow.normalBias = 0.01;
    spot.shadow.radius = 4;
    scene.add(spot, spot.target);
    const fill = new THREE.DirectionalLight(0x9fc3ff, 0.25);
    fill.position.set(-2, 1.5, 2);
    scene.add(fill);

    const table = new THREE.Group();
    const feltShape = new THREE.Shape();
    tracePath(shapeAdapter(feltShape), this.outline, true);
    const feltGeometry = new THREE.ExtrudeGeometry(feltShape, { depth: 0.04, bevelEnabled: false, curveSegments: 48 });
    feltGeometry.rotateX(-Math.PI / 2);
    feltGeometry.translate(0, -0.04, 0);
    const feltTexture = new THREE.CanvasTexture(this.feltCanvas);
    feltTexture.colorSpace = THREE.SRGBColorSpace;
    // Anisotropic filtering of the felt seen at a slant is costly on the CPU.
    feltTexture.anisotropy = software ? 1 : renderer.capabilities.getMaxAnisotropy();
    feltTexture.repeat.set(1 / W, 1 / D);
    feltTexture.offset.set(0.5, 0.5);
    const felt = new THREE.Mesh(feltGeometry, new THREE.MeshStandardMaterial({ map: feltTexture, roughness: 0.95, metalness: 0 }));
    felt.receiveShadow = true;
    table.add(felt);

    const rimShape = new THREE.Shape();
    tracePath(shapeAdapter(rimShape), outline(this.opts.shape, W + 2 * RIM, D + 2 * RIM), true);
    const hole = new THREE.Path();
    tracePath(shapeAdapter(hole), this.outline, true);
    rimShape.holes.push(hole);
    const rimGeometry = new THREE.ExtrudeGeometry(rimShape, { depth: 0.06, bevelEnabled: true, bevelThickness: 0.025,
      bevelSize: 0.025, bevelSegments: 4, curveSegments: 48 });
    rimGeometry.rotateX(-Math.PI / 2);
    rimGeometry.translate(0, -0.045, 0);
    const rim = new THREE.Mesh(rimGeometry, new THREE.MeshStandardMaterial({ color: 0x2b160c, roughness: 0.55, metalness: 0.05 }));
    rim.castShadow = true;
    rim.receiveShadow = true;
    table.add(rim);

    const baseShape = new THREE.Shape();
    tracePath(shapeAdapter(baseShape), outline(this.opts.shape, W + 2 * RIM - 0.04, D + 2 * RIM - 0.04), true);
    const baseGeometry = new THREE.ExtrudeGeometry(baseShape, { depth: 0.18, bevelEnabled: false, curveSegments: 48 });
    baseGeometry.rotateX(-Math.PI / 2);
    baseGeometry.translate(0, -0.25, 0);
    table.add(new THREE.Mesh(baseGeometry, new THREE.MeshStandardMaterial({ color: 0x3b2114, roughness: 0.6 })));

    // The floor fills much of the picture and shows little: lit, it is where
    // a software renderer spends most of its time.
    const floor = new THREE.Mesh(new THREE.CircleGeometry(8, 48), software
      ? new THREE.MeshBasicMaterial({ color: 0x050e09 })
      : new THREE.MeshStandardMaterial({ color: 0x07130d, roughness: 1 }));
    floor.rotation.x = -Math.PI / 2;
    floor.position.y = -0.9;
    floor.receiveShadow = !software;
    scene.add(table, floor);

    this.three = { THREE, renderer, scene, camera, table, feltTexture, spot,
      cardGeometry: new THREE.BoxGeometry(CARD_W, CARD_T, CARD_H),
      chipGeometry: new THREE.CylinderGeometry(CHIP_R, CHIP_R, CHIP_T, 40),
      edgeMaterial: new THREE.MeshStandardMaterial({ color: 0xf1ead8, roughness: 0.7 }),
      textures: new Map(), raycaster: new THREE.Raycaster(), plane: new THREE.Plane(new THREE.Vector3(0, 1, 0), 0) };
    this.webgl = true;
    this.software = software;
    this.canvas.addEventListener('webglcontextlost', (e) => e.preventDefault());
    this.resize();
  }

  /** What one frame of the bare table costs at PROBE_SIZE, in milliseconds. */
  frameCost() {
    const { renderer, scene, camera } = this.three;
    const gl = renderer.getContext();
    const pixel = new Uint8Array(4);
    renderer.setSize(...PROBE_SIZE, false);
    const frame = () => {
      renderer.render(scene, camera);
      // Reading a pixel back waits until the frame is really drawn.
      gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
    };
    // The first frame compiles the shaders, which says nothing about drawing.
    frame();
    const start = performance.now();
    frame();
    const cost = performance.now() - start;
    this.resize();
    return cost;
  }

  useFlat() {
    this.three = null;
    this.webgl = false;
    // A canvas that already holds a WebGL context has no 2D one to give.
    this.ctx = this.canvas.getContext('2d') ?? this.freshCanvas().getContext('2d');
    this.resize();
  }

  freshCanvas() {
    const canvas = document.createElement('canvas');
    canvas.className = this.canvas.className;
    canvas.setAttribute('aria-hidden', 'true');
    this.canvas.replaceWith(canvas);
    this.canvas = canvas;
    return canvas;
  }

  resize() {
    const r = this.host.getBoundingClientRect();
    const w = Math.max(1, Math.round(r.width)), h = Math.max(1, Math.round(r.height));
    this.size = { w, h };
    if (this.three) {
      const { renderer, camera } = this.three;
      renderer.setSize(w, h, false);
      camera.aspect = w / h;
      // Back away from the table until its rim fits the stage, so a narrow or
      // short window still shows both ends and the player's edge.
      const { THREE } = this.three;
      const hw = this.opts.width / 2 + RIM, hd = this.opts.depth / 2 + RIM;
      const corners = [[-hw, -hd], [hw, -hd], [-hw, hd], [hw, hd], [0, hd]].map(([x, z]) => new THREE.Vector3(x, 0, z));
      const scale = this.opts.width / 2.6;
      for (let k = 0.9, i = 0; i < 40; i++, k *= 1.04) {
        camera.position.set(0, 1.45 * k * scale, (0.5 + 1.2 * k) * scale);
        camera.lookAt(0, 0, 0.04 * scale);
        camera.updateProjectionMatrix();
        camera.updateMatrixWorld();
        if (corners.every((c) => { const v = c.clone().project(camera); return Math.abs(v.x) < 0.96 && v.y > -0.92; })) break;
      }
    } else if (this.ctx) {
      const dpr = Math.min(globalThis.devicePixelRatio || 1, 2);
      this.canvas.width = Math.round(w * dpr);
      this.canvas.height = Math.round(h * dpr);
      this.dpr = dpr;
    }
    this.invalidate();
  }

  // ---------- the frame loop ----------

  invalidate() {
    if (!this.raf) this.raf = requestAnimationFrame((t) => this.frame(t));
  }

  frame(time) {
    this.raf = 0;
    const dt = this.last ? Math.min(0.1, (time - this.last) / 1000) : 0;
    if (this.last) this.lighten(time - this.last);
    this.last = time;
    let again = false;
    for (const tw of [...this.tweens]) if (tw.step(time)) again = true; else this.tweens.delete(tw);
    for (const hook of [...this.frameHooks]) if (hook(dt, time) === true) again = true;
    for (const item of this.items) item.sync?.();
    this.draw();
    if (again) this.invalidate(); else this.last = 0;
  }

  // A frame of a move that runs long (a software renderer, a busy machine):
  // after a few over 40 ms the stage draws fewer pixels, down to half its own.
  lighten(interval) {
    if (!this.three) return;
    this.long = interval > 40 ? (this.long ?? 0) + 1 : 0;
    const { renderer } = this.three;
    const ratio = renderer.getPixelRatio();
    if (this.long < 3 || ratio <= 0.5) return;
    this.long = 0;
    renderer.setPixelRatio(Math.max(0.5, ratio * 0.75));
    renderer.setSize(this.size.w, this.size.h, false);
  }

  draw() {
    if (this.three) {
      this.three.renderer.render(this.three.scene, this.three.camera);
      return;
    }
    const { ctx } = this;
    if (!ctx) return;
    const { w, h } = this.size;
    ctx.setTransform(this.dpr, 0, 0, this.dpr, 0, 0);
    ctx.fillStyle = 'rgb(4, 10, 7)';
    ctx.fillRect(0, 0, w, h);
    const view = this.flatView();
    const path = (o) => {
      ctx.beginPath();
      tracePath(canvasAdapter(ctx, view), o, false);
      ctx.closePath();
    };
    ctx.save();
    ctx.shadowColor = 'rgba(0,0,0,0.6)'; ctx.shadowBlur = 24; ctx.shadowOffsetY = 8;
    path(outline(this.opts.shape, this.opts.width + 2 * RIM, this.opts.depth + 2 * RIM));
    ctx.fillStyle = '#2b160c'; ctx.fill();
    ctx.restore();
    ctx.save();
    path(this.outline);
    ctx.clip();
    const [x0, y0] = view.at(-this.opts.width / 2, -this.opts.depth / 2);
    ctx.drawImage(this.feltCanvas, x0, y0, view.scale * this.opts.width, view.scale * this.opts.depth);
    ctx.restore();
    for (const hook of this.draw2dHooks) {
      ctx.save();
      try { hook(ctx, view); } catch (e) { console.warn('Velmar Casino: drawing failed', e); }
      ctx.restore();
    }
    const sorted = [...this.items].sort((a, b) => a.p.y - b.p.y || a.order - b.order);
    for (const item of sorted) item.draw2d(ctx, view);
  }

  flatView() {
    const { w, h } = this.size;
    const W = this.opts.width + 2 * RIM + 0.1, D = this.opts.depth + 2 * RIM + 0.1;
    const scale = Math.min(w / W, h / D);
    const cx = w / 2, cy = h / 2;
    return { scale, at: (x, z) => [cx + x * scale, cy + z * scale], size: (u) => u * scale,
      from: (px, py) => ({ x: (px - cx) / scale, z: (py - cy) / scale }) };
  }

  tween(p, to, duration, ease = easeInOut) {
    return new Promise((resolve) => {
      const from = {};
      for (const k of Object.keys(to)) from[k] = p[k];
      const ms = reducedMotion() ? 0 : paced(duration);
      let start = null;
      const tw = {
        step(time) {
          if (start === null) start = time;
          const t = ms <= 0 ? 1 : Math.min(1, (time - start) / ms);
          const e = ease(t);
          for (const k of Object.keys(to)) p[k] = from[k] + (to[k] - from[k]) * e;
          if (t >= 1) { resolve(); return false; }
          return true;
        },
      };
      this.tweens.add(tw);
      this.invalidate();
    });
  }

  // ---------- things on the felt ----------

  texture(key, width, height, paint) {
    const { THREE, textures, renderer } = this.three;
    if (textures.has(key)) return textures.get(key);
    const c = document.createElement('canvas');
    c.width = width; c.height = height;
    paint(c.getContext('2d'), width, height);
    const t = new THREE.CanvasTexture(c);
    t.colorSpace = THREE.SRGBColorSpace;
    t.anisotropy = renderer.capabilities.getMaxAnisotropy();
    textures.set(key, t);
    return t;
  }

  cardMaterials(card) {
    const { THREE, edgeMaterial } = this.three;
    const face = this.texture(`card:${card}`, 256, 358, (ctx, w) => drawCard(ctx, card, 0, 0, w, true));
    const back = this.texture('card:back', 256, 358, (ctx, w) => drawCard(ctx, null, 0, 0, w, false));
    const faceMat = new THREE.MeshStandardMaterial({ map: face, roughness: 0.55 });
    const backMat = new THREE.MeshStandardMaterial({ map: back, roughness: 0.55 });
    // Box faces: +x, -x, +y (face), -y (back), +z, -z. The back texture is
    // seen from below, which mirrors it; its pattern is symmetric.
    return [edgeMaterial, edgeMaterial, faceMat, backMat, edgeMaterial, edgeMaterial];
  }

  chipMaterials(value) {
    const { THREE } = this.three;
    const top = this.texture(`chip:${value}`, 128, 128, (ctx, w) => paintChip(ctx, w / 2, w / 2, w / 2, value));
    const [fill] = CHIP_COLOURS[value] ?? CHIP_COLOURS[1];
    const side = this.texture(`chipside:${value}`, 256, 8, (ctx, w, h) => {
      ctx.fillStyle = fill; ctx.fillRect(0, 0, w, h);
      ctx.fillStyle = '#f3ead2';
      for (let i = 0; i < 6; i++) ctx.fillRect((i / 6) * w, 0, w / 24, h);
    });
    const topMat = new THREE.MeshStandardMaterial({ map: top, roughness: 0.5 });
    return [new THREE.MeshStandardMaterial({ map: side, roughness: 0.6 }), topMat, topMat];
  }

  addCard(card, { x = 0, z = 0, yaw = 0, faceUp = true, from = null, duration = 380 } = {}) {
    const core = this;
    const start = from ?? { x, z };
    const p = { x: start.x, y: from ? 0.06 : 0, z: start.z, yaw: from ? yaw + 0.6 : yaw, flip: faceUp ? 1 : 0 };
    let mesh = null;
    const item = {
      p, card, order: this.items.size, object: null,
      sync() {
        if (!mesh) return;
        mesh.position.set(p.x, CARD_T / 2 + 0.001 + p.y + Math.sin(Math.PI * p.flip) * CARD_W * 0.5, p.z);
        mesh.rotation.set(0, -p.yaw, Math.PI * (1 - p.flip));
      },
      draw2d(ctx, view) {
        const [px, py] = view.at(p.x, p.z);
        const w = view.size(CARD_W), h = view.size(CARD_H);
        const squeeze = Math.max(0.04, Math.abs(Math.cos(Math.PI * p.flip)));
        ctx.save();
        ctx.translate(px, py - view.size(p.y) * 0.3);
        ctx.rotate(p.yaw);
        ctx.scale(squeeze, 1);
        ctx.shadowColor = 'rgba(0,0,0,0.5)'; ctx.shadowBlur = 6 + view.size(p.y) * 0.5; ctx.shadowOffsetY = 2;
        drawCard(ctx, item.card, -w / 2, -h / 2, w, p.flip >= 0.5);
        ctx.restore();
      },
    };
    if (this.three) {
      mesh = new this.three.THREE.Mesh(this.three.cardGeometry, this.cardMaterials(isCard(card) ? card : 'As'));
      if (!isCard(card)) mesh.material[2] = mesh.material[3];
      mesh.castShadow = true;
      mesh.receiveShadow = true;
      this.three.scene.add(mesh);
      item.object = mesh;
    }
    this.items.add(item);
    item.sync();
    const arrived = from ? this.tween(p, { x, z, y: 0, yaw }, duration, easeOut) : Promise.resolve();
    this.invalidate();
    return {
      get card() { return item.card; },
      get faceUp() { return p.flip >= 0.5; },
      arrived,
      /** Shows another card (a hole card learnt later, say). */
      setCard(next) {
        item.card = next;
        if (mesh && isCard(next)) mesh.material = core.cardMaterials(next);
        core.invalidate();
      },
      flip(up = !(p.flip >= 0.5), ms = 320) { return core.tween(p, { flip: up ? 1 : 0 }, ms); },
      moveTo({ x: tx = p.x, z: tz = p.z, yaw: ty = p.yaw } = {}, ms = 380) { return core.tween(p, { x: tx, z: tz, yaw: ty }, ms); },
      remove() { core.remove(item, mesh); },
    };
  }

  addChips(chips, { x = 0, z = 0, from = null, duration = 320 } = {}) {
    const core = this;
    const start = from ?? { x, z };
    const p = { x: start.x, y: 0, z: start.z };
    let values = [];
    const group = this.three ? new this.three.THREE.Group() : null;
    if (group) this.three.scene.add(group);
    const build = (amount) => {
      values = chipBreakdown(amount).reverse().slice(-MAX_STACK);
      if (!group) return;
      group.clear();
      values.forEach((v, i) => {
        const m = new this.three.THREE.Mesh(this.three.chipGeometry, this.chipMaterials(v));
        m.position.y = CHIP_T / 2 + i * CHIP_T;
        m.rotation.y = (i * 1.7) % (Math.PI * 2);
        m.castShadow = true;
        m.receiveShadow = true;
        group.add(m);
      });
    };
    let amount = chips;
    build(amount);
    const item = {
      p, order: this.items.size, object: group,
      sync() { if (group) group.position.set(p.x, p.y, p.z); },
      draw2d(ctx, view) {
        const [px, py] = view.at(p.x, p.z);
        const r = view.size(CHIP_R);
        values.forEach((v, i) => {
          ctx.save();
          ctx.shadowColor = 'rgba(0,0,0,0.45)'; ctx.shadowBlur = 4; ctx.shadowOffsetY = 1.5;
          paintChip(ctx, px, py - i * Math.max(1.5, r * 0.14), r, v);
          ctx.restore();
        });
      },
    };
    this.items.add(item);
    item.sync();
    const arrived = from ? this.tween(p, { x, z }, duration, easeOut) : Promise.resolve();
    this.invalidate();
    return {
      get amount() { return amount; },
      arrived,
      setAmount(next) { amount = next; build(next); core.invalidate(); },
      moveTo({ x: tx = p.x, z: tz = p.z } = {}, ms = 360) { return core.tween(p, { x: tx, z: tz }, ms); },
      remove() { core.remove(item, group); },
    };
  }

  remove(item, object) {
    this.items.delete(item);
    if (object && this.three) this.three.scene.remove(object);
    this.invalidate();
  }

  clear() {
    for (const item of [...this.items]) this.remove(item, item.object);
  }

  repaintFelt(paint = this.opts.paint) {
    this.opts.paint = paint;
    this.feltView = paintFelt(this.feltCanvas, { w: this.opts.width, d: this.opts.depth, felt: this.opts.felt, paint });
    if (this.three) this.three.feltTexture.needsUpdate = true;
    this.invalidate();
  }

  pick(clientX, clientY) {
    const r = this.canvas.getBoundingClientRect();
    const px = clientX - r.left, py = clientY - r.top;
    if (!this.three) return this.flatView().from(px, py);
    const { THREE, raycaster, camera, plane } = this.three;
    raycaster.setFromCamera(new THREE.Vector2((px / r.width) * 2 - 1, -(py / r.height) * 2 + 1), camera);
    const hit = raycaster.ray.intersectPlane(plane, new THREE.Vector3());
    return hit ? { x: hit.x, z: hit.z } : null;
  }

  project(x, y, z) {
    if (!this.three) {
      const [left, top] = this.flatView().at(x, z);
      return { left, top };
    }
    const v = new this.three.THREE.Vector3(x, y, z).project(this.three.camera);
    return { left: ((v.x + 1) / 2) * this.size.w, top: ((1 - v.y) / 2) * this.size.h };
  }

  api() {
    const core = this;
    const { width, depth } = this.opts;
    return {
      webgl: this.webgl,
      /** Whether the cheap way of drawing was chosen for a slow renderer. */
      software: !!this.software,
      canvas: this.canvas,
      width, depth,
      /** Where cards come from: the shoe at the dealer's right. */
      shoe: { x: width * 0.36, z: -depth * 0.32 },
      three: this.three ? { THREE: this.three.THREE, scene: this.three.scene, camera: this.three.camera,
        renderer: this.three.renderer, table: this.three.table } : null,
      reducedMotion,
      addCard: (card, o) => core.addCard(card, o),
      addChips: (chips, o) => core.addChips(chips, o),
      clear: () => core.clear(),
      repaintFelt: (paint) => core.repaintFelt(paint),
      pick: (x, y) => core.pick(x, y),
      project: (x, y, z) => core.project(x, y, z),
      tween: (obj, to, ms, ease) => core.tween(obj, to, ms, ease),
      /** fn(dtSeconds, time) runs every frame while it returns true (and once after any change). */
      onFrame(fn) { core.frameHooks.add(fn); core.invalidate(); return () => core.frameHooks.delete(fn); },
      /** fn(ctx, view) draws the game's own things in the flat drawing, over the felt. */
      onDraw2D(fn) { core.draw2dHooks.add(fn); core.invalidate(); return () => core.draw2dHooks.delete(fn); },
      invalidate: () => core.invalidate(),
    };
  }
}

// Lets tracePath drive a THREE.Shape/Path (whose y axis points at the far edge).
function shapeAdapter(path) {
  return {
    moveTo: (x, y) => path.moveTo(x, y),
    lineTo: (x, y) => path.lineTo(x, y),
    quadraticCurveTo: (a, b, x, y) => path.quadraticCurveTo(a, b, x, y),
    ellipse: (x, y, rx, ry, rot, end, clockwise) => path.absellipse(x, y, rx, ry, 0, end, clockwise, rot),
  };
}

// And a 2D context in the flat view, whose y axis points at the player.
function canvasAdapter(ctx, view) {
  const s = view.scale;
  const [ox, oy] = view.at(0, 0);
  return {
    moveTo: (x, y) => ctx.moveTo(ox + x * s, oy + y * s),
    lineTo: (x, y) => ctx.lineTo(ox + x * s, oy + y * s),
    quadraticCurveTo: (a, b, x, y) => ctx.quadraticCurveTo(ox + a * s, oy + b * s, ox + x * s, oy + y * s),
    ellipse: (x, y, rx, ry, rot, end, anticlockwise) =>
      ctx.ellipse(ox + x * s, oy + y * s, rx * s, ry * s, rot, 0, end, anticlockwise),
  };
}
