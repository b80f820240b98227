// SPDX-License-Identifier: GPL-3.0-or-later
// The blackjack table in 3D (or flat, without WebGL): the half-moon felt, the
// dealer's cards along the far side, the player's hands above their betting
// circles, chips that slide in, are paid or taken, and the hand totals on
// labels beside the cards. The page tells it what the round holds; the scene
// works out what moved and plays it in the dealer's order.
import { createStage } from '../kit/stage3d.js';
import { createTableScene, felt } from '../kit/scene-cards.js';
import { CENTS_PER_CHIP, formatChips } from '../kit/money.js';
import { handValue, isBlackjack, dealerHits } from '../rules/blackjack.js';
import { handTotalText } from './record.js';
import { t } from '../kit/messages.js';

export const WIDTH = 2.6;
export const DEPTH = 1.4;
const DEALER_Z = -0.35;
const HAND_Z = 0.19;
const SPOT_Z = 0.48;
const SPOT_R = 0.085;
const INSURANCE = { x: 0.4, z: 0.15 };
// The side bets' smaller circles, either side of the main one.
const SIDES = { twentyOnePlusThree: { x: -0.25, z: SPOT_Z - 0.02 }, perfectPairs: { x: 0.25, z: SPOT_Z - 0.02 } };
const SIDE_R = 0.06;
// The totals never lie over the cards: a hand's sits under its first card,
// above the betting circle; the dealer's just right of the dealer's cards.
const HAND_LABEL_Z = HAND_Z + 0.18;
const dealerLabelX = (cards) => ((cards - 1) / 2) * 0.125 + 0.1;

function paint(view) {
  const gold = 'rgba(240, 210, 142, 0.85)';
  felt.arcText(view, t('blackjack.felt.pays'), 0, -0.7, 0.62, 0.062, { colour: gold });
  felt.arcText(view, t('blackjack.felt.stands'), 0, -0.7, 0.72, 0.034,
    { colour: 'rgba(244, 236, 216, 0.6)', font: 'Manrope, sans-serif', weight: 600 });
  // The insurance band: a thin arc with its promise printed on it.
  const [cx, cy] = view.at(0, -0.7);
  view.ctx.beginPath();
  view.ctx.arc(cx, cy, view.size(0.8), Math.PI * 0.3, Math.PI * 0.7);
  view.ctx.strokeStyle = 'rgba(240, 210, 142, 0.45)'; view.ctx.lineWidth = view.size(0.004); view.ctx.stroke();
  view.ctx.beginPath();
  view.ctx.arc(cx, cy, view.size(0.87), Math.PI * 0.3, Math.PI * 0.7);
  view.ctx.stroke();
  felt.arcText(view, t('blackjack.felt.insurance'), 0, -0.7, 0.835, 0.03,
    { colour: 'rgba(240, 210, 142, 0.7)', font: 'Manrope, sans-serif', weight: 800 });
  felt.ring(view, 0, SPOT_Z, SPOT_R, { fill: 'rgba(0, 0, 0, 0.12)' });
  felt.ring(view, 0, SPOT_Z, SPOT_R * 0.82, { colour: 'rgba(240, 210, 142, 0.35)', width: 0.003 });
  for (const { x, z } of Object.values(SIDES)) felt.ring(view, x, z, SIDE_R, { fill: 'rgba(0, 0, 0, 0.1)' });
}

/** Where hand `h` of `n` sits, left to right as the dealer plays them. */
const handX = (h, n) => (h - (n - 1) / 2) * Math.min(0.44, 1.1 / Math.max(1, n - 1));

export async function createBlackjackScene(host) {
  const stage = await createStage(host, { shape: 'half', width: WIDTH, depth: DEPTH, felt: '#0f5a3a', paint });
  const scene = createTableScene(stage, host);
  const { labels } = scene;
  const dealerLabel = labels.add({ x: 0, z: DEALER_Z, align: 'start' });
  const handLabels = [];
  const spots = [scene.spot({ x: 0, z: SPOT_Z })];
  const insurance = scene.spot(INSURANCE);
  const sideSpots = Object.fromEntries(Object.entries(SIDES).map(([kind, at]) => [kind, scene.spot(at)]));
  // The round whose side bets have been paid or taken on the felt.
  let sidesOf = null;
  let shownHands = 1;

  const handLabel = (i) => {
    while (handLabels.length <= i) handLabels.push(labels.add({}));
    return handLabels[i];
  };

  function slotsFor(round, id, hideHole) {
    const slots = [];
    if (!round) return slots;
    const n = round.hands.length;
    const longest = Math.max(round.dealer.length, ...round.hands.map((h) => h.cards.length));
    // The dealer's order: a card to each hand, then one to the dealer, round
    // by round; later cards simply come after the ones already out.
    for (let i = 0; i < longest; i++) {
      round.hands.forEach((hand, h) => {
        if (i >= hand.cards.length) return;
        // The hand in play of a split is pushed a little toward the dealer,
        // clear of its neighbours and of its own label below it.
        const forward = n > 1 && round.phase === 'player' && round.active === h ? 0.05 : 0;
        slots.push({ key: `${id}:h${h}:${i}`, card: hand.cards[i],
          x: handX(h, n) + (i - 0.5) * 0.042, z: HAND_Z - forward - i * 0.05, yaw: 0 });
      });
      if (i < round.dealer.length) {
        const hidden = hideHole && i === 1;
        const m = round.dealer.length;
        slots.push({ key: `${id}:d:${i}`, card: hidden ? null : round.dealer[i], faceUp: !hidden,
          x: (i - (m - 1) / 2) * 0.125, z: DEALER_Z, yaw: 0 });
      }
    }
    return slots;
  }

  return {
    stage,
    scene,
    webgl: stage.webgl,
    /** Screen position of the main betting circle, for the DOM button over it. */
    spotBox() {
      const c = stage.project(0, 0, SPOT_Z);
      const e = stage.project(SPOT_R, 0, SPOT_Z);
      return { left: c.left, top: c.top, r: Math.max(18, Math.abs(e.left - c.left)) * 1.15 };
    },
    /** Screen position of a side bet's circle. */
    sideBox(kind) {
      const { x, z } = SIDES[kind];
      const c = stage.project(x, 0, z);
      const e = stage.project(x + SIDE_R, 0, z);
      return { left: c.left, top: c.top, r: Math.max(14, Math.abs(e.left - c.left)) * 1.15 };
    },
    onFrame: (fn) => stage.onFrame(fn),

    /**
     * The side bets: the slip's chips (`slip`, by kind) between rounds; once
     * the round `id` is dealt, each is paid or taken, then handed back.
     */
    async sides(id, round, slip, animate = true) {
      if (!round) {
        sidesOf = null;
        for (const [kind, s] of Object.entries(sideSpots)) s.set(Math.floor(slip[kind] ?? 0));
        return;
      }
      if (sidesOf === id) return;
      sidesOf = id;
      if (!animate) { Object.values(sideSpots).forEach((s) => s.clear()); return; }
      await Promise.all((round.sides ?? []).map((b) => (b.back ? sideSpots[b.kind].pay(Math.floor((b.back - b.stake) / CENTS_PER_CHIP))
        : sideSpots[b.kind].take())));
      await scene.motion.wait(600);
      await Promise.all(Object.values(sideSpots).map((s) => s.collect()));
    },

    /**
     * Shows `round` (live or finished; null for an empty table). `id` tells
     * one round from the next; `hideHole` keeps the dealer's second card
     * down. With `animate` false the cards are simply put in place.
     */
    show(round, { id = 0, hideHole = false, animate = true, onCard = null, outcomes = null } = {}) {
      const slots = slotsFor(round, id, hideHole);
      const n = round ? round.hands.length : 0;
      const done = animate ? scene.show(slots, { onCard }) : (scene.place(slots), Promise.resolve());
      // The stakes follow their hands as a split spreads them out.
      if (round && n !== shownHands) {
        for (let h = 0; h < n; h++) {
          if (!spots[h]) spots[h] = scene.spot({ x: handX(h, n), z: SPOT_Z });
          spots[h].moveTo({ x: handX(h, n), z: SPOT_Z });
        }
        shownHands = n;
      }
      return done.then(() => this.labels(round, { hideHole, outcomes }));
    },

    labels(round, { hideHole = false, outcomes = null } = {}) {
      const n = round ? round.hands.length : 0;
      handLabels.forEach((l, i) => { if (i >= n) l.set(''); });
      if (!round) { dealerLabel.set(''); return; }
      const dealerCards = hideHole ? [round.dealer[0]] : round.dealer;
      dealerLabel.moveTo(dealerLabelX(round.dealer.length), DEALER_Z);
      dealerLabel.set(hideHole ? String(handValue(dealerCards).total)
        : totalText(dealerCards, round.phase === 'dealer' && dealerHits(round.dealer)), 'dim');
      round.hands.forEach((hand, h) => {
        const o = outcomes?.[h]?.outcome;
        // The hand being played carries an arrow as well as the gold, and each
        // hand of a split names its own stake.
        const active = round.phase === 'player' && round.active === h && n > 1;
        const tone = o === 'win' || o === 'blackjack' ? 'good' : o === 'lose' || o === 'bust' ? 'bad' : active ? 'gold' : '';
        const text = (active ? '▶ ' : '') + totalText(hand.cards, round.phase === 'player' && !hand.done) +
          (n > 1 ? ` · ${formatChips(hand.bet)}${hand.doubled ? ' ×2' : ''}` : '') + (o ? ` · ${t(`blackjack.outcome.${o}`)}` : '');
        handLabel(h).moveTo(handX(h, n), HAND_LABEL_Z).set(text, tone);
      });
    },

    /** The stakes on the table: one per hand while a round is live, else the slip. */
    stakes(round, slipChips) {
      const bets = round ? round.hands.map((h) => h.bet / CENTS_PER_CHIP) : [slipChips];
      const n = bets.length;
      bets.forEach((chips, h) => {
        if (!spots[h]) spots[h] = scene.spot({ x: handX(h, n), z: SPOT_Z });
        spots[h].set(Math.floor(chips));
      });
      for (let h = n; h < spots.length; h++) spots[h].set(0);
      insurance.set(round ? Math.floor(round.insurance / CENTS_PER_CHIP) : 0);
    },

    /** Pays or takes each stake as the round settled, then hands the rest back. */
    async settle(round) {
      const steps = round.hands.map((hand, h) => {
        const { outcome, net } = round.outcomes[h];
        if (outcome === 'lose' || outcome === 'bust') return spots[h].take();
        // Half of a surrendered stake stays, to be handed back.
        if (outcome === 'surrender') return spots[h].set(Math.floor(hand.bet / 2 / CENTS_PER_CHIP));
        return spots[h].pay(Math.floor(net / CENTS_PER_CHIP));
      });
      if (round.insurance) {
        steps.push(isBlackjack(round.dealer)
          ? insurance.pay(Math.floor((2 * round.insurance) / CENTS_PER_CHIP)) : insurance.take());
      }
      await Promise.all(steps);
      await scene.motion.wait(700);
      await Promise.all([...spots.map((s) => s.collect()), insurance.collect()]);
      // Back to one circle in the middle for the next bet.
      spots.splice(1).forEach((s) => s.clear());
      spots[0].moveTo({ x: 0, z: SPOT_Z });
      shownHands = 1;
    },
  };
}

// Both values of a soft total only while the hand may still draw.
function totalText(cards, open = false) {
  const { total } = handValue(cards);
  return total > 21 ? t('blackjack.totalBust', { total }) : handTotalText(cards, open);
}
