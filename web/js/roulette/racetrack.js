// SPDX-License-Identifier: GPL-3.0-or-later
// The racetrack: the wheel's numbers round an oval in wheel order, for
// neighbours bets, with the four announced bets in the middle.
import { WHEEL, RED } from '../rules/roulette.js';
import { t } from '../kit/messages.js';

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

export function createRacetrack(container, { onCall, onNeighbours }) {
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
    b.setAttribute('aria-label', t('roulette.neighboursOf', { n }));
    b.style.left = `${positions[i].x}%`;
    b.style.top = `${(positions[i].y / 30) * 100}%`;
    b.addEventListener('click', () => onNeighbours(n));
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
  container.append(track);
  return {
    element: track,
    mark(number) {
      for (const b of buttons) b.classList.toggle('winner', Number(b.dataset.number) === number);
    },
  };
}
