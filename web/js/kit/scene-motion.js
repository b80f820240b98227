// SPDX-License-Identifier: GPL-3.0-or-later
// Motion and labels for the card tables, on top of the kit's stage. The
// stage's own tween turns every move instant under prefers-reduced-motion;
// the tables want a short fade there instead, so they animate through this.
//
// Everything here draws only when the stage asks for a frame, and asks for
// frames only while something moves: an idle table costs nothing.

import { paced } from './pace.js';

export const reducedMotion = () =>
  globalThis.matchMedia?.('(prefers-reduced-motion: reduce)').matches ?? false;

export const easeOut = (t) => 1 - (1 - t) ** 3;
export const easeInOut = (t) => (t < 0.5 ? 4 * t * t * t : 1 - (-2 * t + 2) ** 3 / 2);

/** Fade length when motion is reduced: long enough to notice, too short to wait for. */
export const FADE_MS = 140;

/**
 * A small animator bound to one stage: animate(p, to, ms) moves the numbers
 * of `p` to `to` over `ms` and resolves when done. Overlapping animations of
 * the same keys are fine: the later one wins from where the earlier one was.
 */
export function createMotion(stage) {
  const runs = new Set();
  // Registered at once, so it runs before the hooks that copy positions into
  // meshes; it asks for further frames only while something moves.
  stage.onFrame((dt, time) => {
    for (const run of [...runs]) if (!run(time)) runs.delete(run);
    return runs.size > 0;
  });
  return {
    animate(p, to, ms, ease = easeInOut) {
      return new Promise((resolve) => {
        const from = {};
        for (const k of Object.keys(to)) from[k] = p[k];
        // Timed from the call rather than from the first frame, so on a slow
        // renderer a move still ends on the first frame after its time is up.
        const start = performance.now(), length = paced(ms);
        runs.add((time) => {
          const t = length <= 0 ? 1 : Math.min(1, (time - start) / length);
          const e = ease(t);
          for (const k of Object.keys(to)) p[k] = from[k] + (to[k] - from[k]) * e;
          if (t >= 1) { resolve(); return false; }
          return true;
        });
        stage.invalidate();
      });
    },
    wait(ms) { return new Promise((r) => setTimeout(r, reducedMotion() ? Math.min(paced(ms), 60) : paced(ms))); },
  };
}

let styled = false;
function addLabelStyle() {
  if (styled || !globalThis.document) return;
  styled = true;
  const style = document.createElement('style');
  style.textContent = `
.scene-labels { position: absolute; inset: 0; pointer-events: none; z-index: 0; }
.scene-label {
  position: absolute; left: 0; top: 0; translate: -50% -50%; white-space: nowrap;
  padding: 0.08em 0.7em; border-radius: 999px; font-weight: 800; font-size: max(11px, 0.9em);
  background: rgba(4, 10, 7, 0.72); color: var(--ink, #f4ecd8);
  border: 1px solid rgba(212, 175, 98, 0.35); transition: opacity var(--quick, 160ms);
}
.scene-label.start { translate: 0 -50%; }
.scene-label:empty, .scene-label[hidden] { display: none; }
.scene-label.dim { color: var(--ink-dim, #b9b09a); font-weight: 700; font-size: max(11px, 0.78em); }
.scene-label.good { color: var(--good, #8fd19e); border-color: rgba(143, 209, 158, 0.5); }
.scene-label.bad { color: var(--danger, #e0796b); }
.scene-label.gold { color: var(--gold-bright, #f0d28e); border-color: var(--gold, #d4af62); }`;
  document.head.append(style);
}

/**
 * DOM labels pinned to points on the felt (hand totals, amounts). They follow
 * the camera on every frame the stage draws, so a resize moves them too.
 */
export function createLabels(stage, host) {
  addLabelStyle();
  const layer = document.createElement('div');
  layer.className = 'scene-labels';
  layer.setAttribute('aria-hidden', 'true');
  host.insertBefore(layer, host.querySelector('.message')?.nextSibling ?? null);
  const pins = new Set();
  const place = () => {
    for (const pin of pins) {
      const { left, top } = stage.project(pin.x, pin.y, pin.z);
      pin.el.style.transform = `translate(${left.toFixed(1)}px, ${top.toFixed(1)}px)`;
    }
    return false;
  };
  stage.onFrame(place);
  return {
    /**
     * A label at (x, z) on the felt, centred there or, with align 'start',
     * beginning there; `set(text, tone)`, `moveTo(x, z)`, `remove()`.
     */
    add({ x = 0, z = 0, y = 0.02, text = '', tone = '', align = 'center' } = {}) {
      const el = document.createElement('span');
      const pin = { x, y, z, el };
      pins.add(pin);
      layer.append(el);
      const handle = {
        el,
        set(next = '', nextTone = '') {
          el.textContent = next;
          el.className = 'scene-label' + (align === 'start' ? ' start' : '') + (nextTone ? ` ${nextTone}` : '');
          return handle;
        },
        moveTo(nx, nz) { pin.x = nx; pin.z = nz; stage.invalidate(); return handle; },
        remove() { pins.delete(pin); el.remove(); },
      };
      handle.set(text, tone);
      stage.invalidate();
      return handle;
    },
    refresh: () => stage.invalidate(),
  };
}
