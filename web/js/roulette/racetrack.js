// SPDX-License-Identifier: GPL-3.0-or-later
// The racetrack: the wheel's numbers round an oval in wheel order, for
// neighbours bets, with the four announced bets in the middle, the player's
// spread of neighbours below it and the finales.
import { WHEEL, RED, NEIGHBOURS_MAX, neighbours } from '../rules/roulette.js';
import { t } from '../kit/messages.js';
import { setUnavailable, whyUnavailable } from '../kit/table.js';

// Where each wheel position sits on a stadium of the given proportions,
// walking clockwise from zero at the right-hand end.
export function trackPositions(count = WHEEL.length, width = 100, height = 30) {
  const r = height / 2;
  const straight = width - height;
  const perimeter = 2 * straight + 2 * Math.PI * r;
  const out = [];
  for (let i = 0; i < count; i++) {
    let s = (i / count) * perimeter;
    // Start on the right end's middle, going down round it, then leftwards
    // along the bottom, up round the left end and back along the top.
    const half = Math.PI * r;
    let x;
    let y;
    if (s < half / 2) {
      const a = s / r;
      x = width - r + r * Math.cos(a); y = r + r * Math.sin(a);
    } else if ((s -= half / 2) < straight) {
      x = width - r - s; y = height;
    } else if ((s -= straight) < half) {
      const a = Math.PI / 2 + s / r;
      x = r + r * Math.cos(a); y = r + r * Math.sin(a);
    } else if ((s -= half) < straight) {
      x = r + s; y = 0;
    } else {
      s -= straight;
      const a = -Math.PI / 2 + s / r;
      x = width - r + r * Math.cos(a); y = r + r * Math.sin(a);
    }
    out.push({ x, y });
  }
  return out;
}

export function createRacetrack(container, { onCall, onNeighbours, spread = 2, onSpread, onPreview, onFinale, onRefused }) {
  const track = document.createElement('div');
  track.className = 'rl-track';
  track.setAttribute('role', 'group');
  track.setAttribute('aria-label', t('roulette.track'));
  const positions = trackPositions();
  const buttons = WHEEL.map((n, i) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = `rl-track-num ${n === 0 ? 'green' : RED.has(n) ? 'red' : 'black'}`;
    b.textContent = String(n);
    b.tabIndex = n === 0 ? 0 : -1;
    b.dataset.number = String(n);
    b.style.left = `${positions[i].x}%`;
    b.style.top = `${(positions[i].y / 30) * 100}%`;
    b.addEventListener('click', () => onNeighbours(n));
    // What a click would cover lights up on the track and the layout.
    b.addEventListener('pointerenter', () => preview(n));
    b.addEventListener('focus', () => preview(n));
    b.addEventListener('pointerleave', () => preview(null));
    b.addEventListener('blur', () => preview(null));
    b.addEventListener('keydown', (e) => {
      const step = { ArrowRight: 1, ArrowDown: 1, ArrowLeft: -1, ArrowUp: -1 }[e.key];
      if (!step) return;
      e.preventDefault();
      e.stopPropagation();
      const next = buttons[(i + step + WHEEL.length) % WHEEL.length];
      b.tabIndex = -1;
      next.tabIndex = 0;
      next.focus();
    });
    track.append(b);
    return b;
  });
  const middle = document.createElement('div');
  middle.className = 'rl-track-calls';
  // Left to right as the sections lie on the wheel round the oval.
  for (const name of ['tiers', 'orphelins', 'voisins', 'jeuZero']) {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = `rl-call ${name}`;
    b.textContent = t(`roulette.call.${name}`);
    b.addEventListener('click', () => onCall(name));
    middle.append(b);
  }
  track.append(middle);

  const stepper = document.createElement('div');
  stepper.className = 'rl-spread';
  stepper.setAttribute('role', 'group');
  stepper.setAttribute('aria-label', t('roulette.spreadGroup'));
  const title = document.createElement('span');
  title.className = 'label';
  title.textContent = t('roulette.spread');
  title.setAttribute('aria-hidden', 'true');
  const shown = document.createElement('output');
  shown.className = 'num';
  const step = (by, sign, label) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = 'btn rl-spread-step';
    b.textContent = sign;
    b.setAttribute('aria-label', t(label));
    b.addEventListener('click', () => {
      if (whyUnavailable(b)) { onRefused?.(whyUnavailable(b)); return; }
      const next = Math.min(NEIGHBOURS_MAX, Math.max(1, spread + by));
      if (onSpread?.(next) !== false) setSpread(next);
    });
    return b;
  };
  const fewer = step(-1, '−', 'roulette.spreadFewer'), more = step(1, '+', 'roulette.spreadMore');
  stepper.append(title, fewer, shown, more);

  // The finales: en plein on the first digit, à cheval on both.
  const finales = document.createElement('div');
  finales.className = 'rl-finales';
  finales.setAttribute('role', 'group');
  finales.setAttribute('aria-label', t('roulette.finales'));
  const digits = (label, chosen) => {
    const select = document.createElement('select');
    select.setAttribute('aria-label', t(label));
    for (let d = 0; d <= 9; d++) select.append(new Option(String(d), String(d), false, d === chosen));
    return select;
  };
  const heading = document.createElement('span');
  heading.className = 'label';
  heading.textContent = t('roulette.finales');
  heading.setAttribute('aria-hidden', 'true');
  const first = digits('roulette.finaleFirst', 0), second = digits('roulette.finaleSecond', 3);
  const finale = (label, both) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = 'btn rl-finale';
    b.textContent = t(label);
    b.addEventListener('click', () => onFinale?.(Number(first.value), both ? Number(second.value) : null));
    return b;
  };
  finales.append(heading, first, finale('roulette.finaleEnPlein', false), second, finale('roulette.finaleACheval', true));
  container.append(track, stepper, finales);

  let previewing = null;
  function preview(n) {
    previewing = n;
    const covered = new Set(n === null ? [] : neighbours(n, spread));
    for (const b of buttons) b.classList.toggle('covered', covered.has(Number(b.dataset.number)));
    onPreview?.([...covered]);
  }
  function setSpread(next) {
    spread = next;
    shown.value = `±${spread}`;
    setUnavailable(fewer, spread <= 1 ? t('roulette.spreadLeast') : '');
    setUnavailable(more, spread >= NEIGHBOURS_MAX ? t('roulette.spreadMost') : '');
    for (const b of buttons) b.setAttribute('aria-label', t('roulette.neighboursSpread', { n: Number(b.dataset.number), count: spread }));
    if (previewing !== null) preview(previewing);
  }
  setSpread(spread);

  return {
    element: track,
    setSpread,
    mark(number) {
      for (const b of buttons) b.classList.toggle('winner', Number(b.dataset.number) === number);
    },
  };
}
