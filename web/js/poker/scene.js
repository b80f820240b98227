// SPDX-License-Identifier: GPL-3.0-or-later
// The Casino Hold'em table in 3D (or flat, without WebGL): the dealer's two
// cards at the far side, the five board cards across the middle, the
// player's two cards near the edge, and the AA bonus, ante and call circles
// in front of them with their chips.
import { createStage } from '../kit/stage3d.js';
import { paced } from '../kit/pace.js';
import { createTableScene, felt } from '../kit/scene-cards.js';
import { CENTS_PER_CHIP } from '../kit/money.js';
import { t } from '../kit/messages.js';

const DEALER_Z = -0.42;
const BOARD_Z = -0.13;
const PLAYER_Z = 0.18;
const SPOT_Z = 0.5;
const SPOT_R = 0.075;
export const SPOTS = { bonus: { x: -0.36, z: SPOT_Z }, ante: { x: 0, z: SPOT_Z }, call: { x: 0.36, z: SPOT_Z } };

function paint(view) {
  felt.text(view, t('poker.felt.title'), 0, 0.036, 0.05, { spacing: 0.006 });
  // Far from the seat, so printed large enough to stay above 11 px on screen.
  felt.text(view, t('poker.felt.qualifies'), 0, -0.285, 0.044,
    { colour: 'rgba(244, 236, 216, 0.9)', font: 'Manrope, sans-serif', weight: 700 });
  for (const at of Object.values(SPOTS)) {
    felt.ring(view, at.x, at.z, SPOT_R, { fill: 'rgba(0, 0, 0, 0.12)' });
    felt.ring(view, at.x, at.z, SPOT_R * 0.8, { colour: 'rgba(240, 210, 142, 0.3)', width: 0.003 });
  }
  // Where the board is laid out.
  for (let i = 0; i < 5; i++) felt.box(view, (i - 2) * 0.19, BOARD_Z, 0.175, 0.24, { colour: 'rgba(240, 210, 142, 0.22)', width: 0.003, radius: 0.015 });
}

export async function createPokerScene(host) {
  const stage = await createStage(host, { shape: 'oval', width: 2.6, depth: 1.4, felt: '#0d5236', paint });
  const scene = createTableScene(stage, host);
  const spots = Object.fromEntries(Object.keys(SPOTS).map((k) => [k, scene.spot(SPOTS[k])]));
  const playerLabel = scene.labels.add({ x: 0.2, z: PLAYER_Z, align: 'start' });
  const dealerLabel = scene.labels.add({ x: 0.2, z: DEALER_Z, align: 'start' });

  return {
    stage, scene, spots,
    webgl: stage.webgl,
    onFrame: (fn) => stage.onFrame(fn),
    /** Screen box of a betting circle, for the DOM button over it. */
    spotBox(name) {
      const at = SPOTS[name];
      const c = stage.project(at.x, 0, at.z), e = stage.project(at.x + SPOT_R, 0, at.z);
      return { left: c.left, top: c.top, r: Math.max(16, Math.abs(e.left - c.left)) * 1.15 };
    },

    /**
     * Shows a hand: `boardUp` board cards face up (the rest face down),
     * the dealer's cards face up when `dealerUp`. A fresh deal goes out as
     * the dealer deals it: two each, then the board; at the showdown the
     * board is turned before the dealer's cards.
     */
    show(hand, { id = 0, boardUp = 0, dealerUp = false, animate = true, onCard = null } = {}) {
      const slots = [];
      if (hand) {
        const p = (i) => ({ key: `${id}:p${i}`, card: hand.player[i], x: (i - 0.5) * 0.175, z: PLAYER_Z, yaw: 0, turnAfter: true });
        const d = (i) => ({ key: `${id}:d${i}`, card: dealerUp ? hand.dealer[i] : null, faceUp: dealerUp,
          x: (i - 0.5) * 0.175, z: DEALER_Z, yaw: 0, turnAfter: true });
        // Below the normal pace the board goes out as one spread.
        const b = (i) => ({ key: `${id}:b${i}`, card: i < boardUp ? hand.board[i] : null, faceUp: i < boardUp,
          x: (i - 2) * 0.19, z: BOARD_Z, yaw: 0, turnAfter: true, together: i < 4 && paced(1) < 1 });
        if (dealerUp) slots.push(p(0), p(1), ...[0, 1, 2, 3, 4].map(b), d(0), d(1));
        else slots.push(p(0), d(0), p(1), d(1), ...[0, 1, 2, 3, 4].map(b));
      }
      return animate ? scene.show(slots, { onCard }) : (scene.place(slots), Promise.resolve());
    },

    labels(player = '', dealer = '', tone = '') {
      playerLabel.set(player, tone);
      dealerLabel.set(dealer, 'dim');
    },

    stakes({ ante = 0, bonus = 0, call = 0 }) {
      spots.ante.set(Math.floor(ante / CENTS_PER_CHIP));
      spots.bonus.set(Math.floor(bonus / CENTS_PER_CHIP));
      spots.call.set(Math.floor(call / CENTS_PER_CHIP));
    },

    /** Pays or takes each circle as the hand settled, then hands the rest back. */
    async settle(hand) {
      const bonusBack = hand.aaBonus ? hand.bonus ?? 0 : 0;
      const main = hand.returned - bonusBack;
      const steps = [];
      if (hand.aaBonus) steps.push(bonusBack ? spots.bonus.pay(Math.floor((bonusBack - hand.aaBonus) / CENTS_PER_CHIP)) : spots.bonus.take());
      if (main === 0) steps.push(spots.ante.take(), spots.call.take());
      else if (main > hand.ante + hand.call) steps.push(spots.ante.pay(Math.floor((main - hand.ante - hand.call) / CENTS_PER_CHIP)));
      await Promise.all(steps);
      await scene.motion.wait(700);
      await Promise.all(Object.values(spots).map((s) => s.collect()));
    },
  };
}
