// Drawing helpers both card tables share until the kit's stage takes over the
// cards: playing cards as DOM elements (so screen readers can name them), the
// felt painted on a canvas, keyboard wiring and a quiet stand-in for sound.
import { cardLabel, cardName, isRed } from '../kit/cards.js';
import { t } from '../kit/messages.js';

export const reducedMotion = () =>
  globalThis.matchMedia?.('(prefers-reduced-motion: reduce)').matches ?? false;

/** Waits `ms`, or almost nothing when the player asked for less motion. */
export const pause = (ms) => new Promise((done) => setTimeout(done, reducedMotion() ? 30 : ms));

/** A card element; face down when `card` is null. `fresh` plays the deal motion. */
export function cardElement(card, { fresh = false } = {}) {
  const el = document.createElement('div');
  el.className = 'pcard' + (fresh ? ' dealt' : '');
  el.setAttribute('role', 'img');
  if (!card) {
    el.classList.add('back');
    el.setAttribute('aria-label', 'Face-down card');
    return el;
  }
  if (isRed(card)) el.classList.add('red');
  const label = cardLabel(card);
  el.setAttribute('aria-label', cardName(card));
  el.innerHTML = `<span class="corner">${label}</span><span class="pip">${label.slice(-1)}</span>` +
    `<span class="corner low">${label}</span>`;
  return el;
}

/**
 * Puts `cards` into `row`, re-using the elements already there so that only
 * new or newly turned cards animate.
 */
export function showCards(row, cards) {
  const old = [...row.children];
  cards.forEach((card, i) => {
    const key = card ?? 'back';
    if (old[i] && old[i].dataset.card === key) return;
    const el = cardElement(card, { fresh: !old[i] || old[i].dataset.card === 'back' });
    el.dataset.card = key;
    if (old[i]) old[i].replaceWith(el); else row.append(el);
  });
  for (let i = cards.length; i < old.length; i++) old[i].remove();
}

/**
 * Paints the felt on a 2D canvas: the table's curve, its printed lines and
 * betting circles. `layout(w, h)` returns what to print; redrawn on resize.
 */
export function paintFelt(canvas, layout) {
  const draw = () => {
    const ratio = globalThis.devicePixelRatio || 1;
    const w = canvas.clientWidth, h = canvas.clientHeight;
    if (!w || !h) return;
    canvas.width = Math.round(w * ratio);
    canvas.height = Math.round(h * ratio);
    const g = canvas.getContext('2d');
    if (!g) return;
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    const felt = g.createRadialGradient(w / 2, h * 0.25, h * 0.05, w / 2, h * 0.35, Math.max(w, h) * 0.75);
    felt.addColorStop(0, '#177048');
    felt.addColorStop(0.55, '#0f5a3a');
    felt.addColorStop(1, '#062a1b');
    g.fillStyle = felt;
    g.fillRect(0, 0, w, h);
    // A fine weave so the felt does not look like flat paint.
    g.globalAlpha = 0.05;
    g.fillStyle = '#000';
    for (let y = 0; y < h; y += 3) g.fillRect(0, y, w, 1);
    g.globalAlpha = 1;
    // The padded rail along the dealer's side.
    g.strokeStyle = '#d4af62';
    g.lineWidth = 2;
    g.beginPath();
    g.ellipse(w / 2, -h * 0.62, w * 0.6, h * 0.98, 0, 0.1 * Math.PI, 0.9 * Math.PI);
    g.stroke();
    const { lines = [], circles = [] } = layout(w, h);
    g.textAlign = 'center';
    g.textBaseline = 'middle';
    for (const { text, y, size, color = 'rgba(240, 210, 142, 0.85)', font = 'Playfair Display' } of lines) {
      g.font = `700 ${size}px "${font}", Georgia, serif`;
      g.fillStyle = color;
      g.fillText(text, w / 2, y);
    }
    for (const { x, y, r, label } of circles) {
      g.strokeStyle = 'rgba(240, 210, 142, 0.7)';
      g.lineWidth = 2;
      g.beginPath();
      g.arc(x, y, r, 0, 2 * Math.PI);
      g.stroke();
      if (label) {
        g.font = `700 ${Math.round(r * 0.32)}px Manrope, sans-serif`;
        g.fillStyle = 'rgba(244, 236, 216, 0.6)';
        g.fillText(label, x, y + r + r * 0.35);
      }
    }
  };
  new ResizeObserver(draw).observe(canvas);
  document.fonts?.ready.then(draw);
  draw();
  return draw;
}

/**
 * Sound through the kit when its module is there; otherwise silence that still
 * remembers the mute setting.
 */
export async function loadSound(table) {
  try {
    const kit = await import('../kit/sound.js');
    return kit.createSound(table);
  } catch {
    const quiet = () => {};
    return {
      chip: quiet, card: quiet, flip: quiet, win: quiet, lose: quiet,
      get muted() { return table.settings.muted; },
      toggleMute() { table.setSetting('muted', !table.settings.muted); return table.settings.muted; },
    };
  }
}

/**
 * One key handler for the page: `keys` maps a key (as KeyboardEvent.key,
 * lower case for letters) to a button, which is clicked (and says itself why
 * when it cannot act). A key whose button is not offered now is answered
 * through `say`. Keys typed with Ctrl or Alt belong to the shell.
 */
export function bindKeys(keys, say = () => {}) {
  document.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.altKey || e.metaKey || e.repeat) return;
    const button = keys[e.key.length === 1 ? e.key.toLowerCase() : e.key];
    if (!button) return;
    e.preventDefault();
    if (button.hidden || button.closest('[hidden]')) {
      const label = (button.firstChild?.textContent ?? '').trim();
      say(t('refuse.notOffered', { action: label }));
      return;
    }
    button.click();
  });
}
