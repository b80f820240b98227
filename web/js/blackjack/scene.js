// SPDX-License-Identifier: GPL-3.0-or-later
// The blackjack table in 3D (or flat, without WebGL): the half-moon felt, the
// dealer's cards along the far side, the player's hands above their betting
// circles, chips that slide in, are paid or taken, and the hand totals on
// labels beside the cards. Up to three seats sit along the arc, the first on
// the right, each with its own circles. The page tells it what the round
// holds; the scene works out what moved and plays it in the dealer's order.
import { createStage } from '../kit/stage3d.js';
import { createTableScene, felt } from '../kit/scene-cards.js';
import { CENTS_PER_CHIP, formatChips } from '../kit/money.js';
import { handValue, isBlackjack, dealerHits, seatsOf, seatOf } from '../rules/blackjack.js';
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

// The seats sit along the arc round the dealer (at z -0.7), the first on the
// right; one seat sits in the middle, where the table always had it.
const CENTRE_Z = -0.7;
const SEAT_ANGLES = [[0], [0.3, -0.3], [0.55, 0, -0.55]];
const angleOf = (seat, seats) => SEAT_ANGLES[Math.max(0, Math.min(2, seats - 1))][seat] ?? 0;
/** A place `u` along a seat's edge of the table at the depth `z` straight ahead of the dealer. */
function atSeat(seat, seats, z, u = 0) {
  const a = angleOf(seat, seats), r = z - CENTRE_Z;
  return { x: Math.sin(a) * r + Math.cos(a) * u, z: CENTRE_Z + Math.cos(a) * r - Math.sin(a) * u };
}
// Each seat's insurance chips lie on the band in front of it; one seat's where they always did.
const insuranceAt = (seat, seats) => (seats === 1 ? INSURANCE : atSeat(seat, seats, 0.12, 0.16));

function paintSeats(seats) {
  return (view) => paint(view, seats);
}

function paint(view, seats = 1) {
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
  for (let seat = 0; seat < seats; seat++) {
    const { x, z } = atSeat(seat, seats, SPOT_Z);
    felt.ring(view, x, z, SPOT_R, { fill: 'rgba(0, 0, 0, 0.12)' });
    felt.ring(view, x, z, SPOT_R * 0.82, { colour: 'rgba(240, 210, 142, 0.35)', width: 0.003 });
    for (const kind of Object.keys(SIDES)) {
      const at = sideAt(kind, seat, seats);
      felt.ring(view, at.x, at.z, SIDE_R, { fill: 'rgba(0, 0, 0, 0.1)' });
    }
  }
}

// A seat's side circles either side of its main one: closer together when three seats share the arc.
function sideAt(kind, seat, seats) {
  const { x, z } = SIDES[kind];
  return atSeat(seat, seats, z, seats === 3 ? Math.sign(x) * 0.2 : x);
}

/** Where hand `h` of a seat's `n` sits along its edge, left to right as the dealer plays them; closer at several seats. */
const handX = (h, n, seats = 1) => (h - (n - 1) / 2) * Math.min(seats > 1 ? 0.16 : 0.44, (seats > 1 ? 0.45 : 1.1) / Math.max(1, n - 1));

// Where each hand of a round sits: its seat's place, and its place among that seat's hands.
function handPlaces(round, z) {
  const seats = seatsOf(round).length;
  return round.hands.map((hand, i) => {
    const seat = seatOf(hand);
    const own = round.hands.filter((h) => seatOf(h) === seat);
    const k = round.hands.slice(0, i).filter((h) => seatOf(h) === seat).length;
    return (dz = 0, du = 0) => atSeat(seat, seats, z - dz, handX(k, own.length, seats) + du);
  });
}

export async function createBlackjackScene(host) {
  const stage = await createStage(host, { shape: 'half', width: WIDTH, depth: DEPTH, felt: '#0f5a3a', paint });
  const scene = createTableScene(stage, host);
  const { labels } = scene;
  const dealerLabel = labels.add({ x: 0, z: DEALER_Z, align: 'start' });
  const handLabels = [];
  // The seats open between rounds; the felt is painted with their circles.
  let seats = 1;
  const spots = [scene.spot({ x: 0, z: SPOT_Z })];
  const insurance = [scene.spot(INSURANCE)];
  const sideSpots = [Object.fromEntries(Object.entries(SIDES).map(([kind, at]) => [kind, scene.spot(at)]))];
  const seatSides = (seat, n) => {
    while (sideSpots.length <= seat) sideSpots.push(Object.fromEntries(Object.keys(SIDES).map((kind) => [kind, scene.spot(sideAt(kind, sideSpots.length, n))])));
    return sideSpots[seat];
  };
  const seatInsurance = (seat, n) => {
    while (insurance.length <= seat) insurance.push(scene.spot(insuranceAt(insurance.length, n)));
    return insurance[seat];
  };
  // The round whose side bets have been paid or taken on the felt.
  let sidesOf = null;
  // How the stakes were last laid out: a change of hands or seats moves them.
  let shownLayout = '1';

  const handLabel = (i) => {
    while (handLabels.length <= i) handLabels.push(labels.add({}));
    return handLabels[i];
  };

  function slotsFor(round, id, hideHole) {
    const slots = [];
    if (!round) return slots;
    const n = round.hands.length;
    const places = handPlaces(round, HAND_Z);
    const longest = Math.max(round.dealer.length, ...round.hands.map((h) => h.cards.length));
    // The dealer's order: a card to each hand, then one to the dealer, round
    // by round; later cards simply come after the ones already out.
    for (let i = 0; i < longest; i++) {
      round.hands.forEach((hand, h) => {
        if (i >= hand.cards.length) return;
        // The hand in play of a split is pushed a little toward the dealer,
        // clear of its neighbours and of its own label below it.
        const forward = n > 1 && round.phase === 'player' && round.active === h ? 0.05 : 0;
        slots.push({ key: `${id}:h${h}:${i}`, card: hand.cards[i], ...places[h](forward + i * 0.05, (i - 0.5) * 0.042), yaw: 0 });
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
    /** Screen position of a seat's main betting circle, for the DOM button over it. */
    spotBox(seat = 0) {
      const { x, z } = atSeat(seat, seats, SPOT_Z);
      const c = stage.project(x, 0, z);
      const e = stage.project(x + SPOT_R, 0, z);
      return { left: c.left, top: c.top, r: Math.max(18, Math.abs(e.left - c.left)) * 1.15 };
    },
    /** Screen position of a seat's side bet circle. */
    sideBox(kind, seat = 0) {
      const { x, z } = sideAt(kind, seat, seats);
      const c = stage.project(x, 0, z);
      const e = stage.project(x + SIDE_R, 0, z);
      return { left: c.left, top: c.top, r: Math.max(14, Math.abs(e.left - c.left)) * 1.15 };
    },
    /** Opens `n` seats: their circles are painted and the chips move to them. */
    setSeats(n) {
      if (n === seats) return;
      seats = n;
      stage.repaintFelt(paintSeats(n));
      for (let seat = 0; seat < n; seat++) {
        Object.entries(seatSides(seat, n)).forEach(([kind, s]) => s.moveTo(sideAt(kind, seat, n)));
        seatInsurance(seat, n).moveTo(insuranceAt(seat, n));
      }
      shownLayout = '';
    },
    onFrame: (fn) => stage.onFrame(fn),

    /**
     * The side bets: the slip's chips (`slip`, each seat's by kind) between
     * rounds; once the round `id` is dealt, each is paid or taken, then handed back.
     */
    async sides(id, round, slip, animate = true) {
      const all = () => sideSpots.flatMap((o) => Object.values(o));
      if (!round) {
        sidesOf = null;
        sideSpots.forEach((o, seat) => { for (const [kind, s] of Object.entries(o)) s.set(Math.floor(slip[seat]?.[kind] ?? 0)); });
        return;
      }
      if (sidesOf === id) return;
      sidesOf = id;
      if (!animate) { all().forEach((s) => s.clear()); return; }
      const n = seatsOf(round).length;
      await Promise.all(seatsOf(round).flatMap((seat, i) => (seat.sides ?? []).map((b) => {
        const s = seatSides(i, n)[b.kind];
        return b.back ? s.pay(Math.floor((b.back - b.stake) / CENTS_PER_CHIP)) : s.take();
      })));
      await scene.motion.wait(600);
      await Promise.all(all().map((s) => s.collect()));
    },

    /**
     * Shows `round` (live or finished; null for an empty table). `id` tells
     * one round from the next; `hideHole` keeps the dealer's second card
     * down. With `animate` false the cards are simply put in place.
     */
    show(round, { id = 0, hideHole = false, animate = true, onCard = null, outcomes = null } = {}) {
      const slots = slotsFor(round, id, hideHole);
      const done = animate ? scene.show(slots, { onCard }) : (scene.place(slots), Promise.resolve());
      // The stakes follow their hands as a split spreads them out.
      const layout = round ? round.hands.map(seatOf).join('') : '';
      if (round && layout !== shownLayout) {
        handPlaces(round, SPOT_Z).forEach((place, h) => {
          if (!spots[h]) spots[h] = scene.spot(place());
          spots[h].moveTo(place());
        });
        shownLayout = layout;
      }
      return done.then(() => this.labels(round, { hideHole, outcomes }));
    },

    labels(round, { hideHole = false, outcomes = null } = {}) {
      const n = round ? round.hands.length : 0;
      handLabels.forEach((l, i) => { if (i >= n) l.set(''); });
      const places = round ? handPlaces(round, HAND_LABEL_Z) : [];
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
        const own = round.hands.filter((x) => seatOf(x) === seatOf(hand)).length;
        const tone = o === 'win' || o === 'blackjack' ? 'good' : o === 'lose' || o === 'bust' ? 'bad' : active ? 'gold' : '';
        const text = (active ? '▶ ' : '') + totalText(hand.cards, round.phase === 'player' && !hand.done) +
          (n > 1 ? ` · ${formatChips(hand.bet)}${hand.doubled ? ' ×2' : ''}` : '') + (o ? ` · ${t(`blackjack.outcome.${o}`)}` : '');
        // At several seats each label starts with its seat's number.
        const seat = round.seats ? `${seatOf(hand) + 1}${own > 1 ? String.fromCharCode(97 + round.hands.slice(0, h).filter((x) => seatOf(x) === seatOf(hand)).length) : ''} · ` : '';
        const { x, z } = places[h]();
        handLabel(h).moveTo(x, z).set(seat + text, tone);
      });
    },

    /** The stakes on the table: one per hand while a round is live, else each seat's main bet on the slip. */
    stakes(round, slipChips) {
      const bets = round ? round.hands.map((h) => h.bet / CENTS_PER_CHIP) : [slipChips].flat();
      if (!round && shownLayout !== String(bets.length)) {
        bets.forEach((_, s) => {
          const place = atSeat(s, bets.length, SPOT_Z);
          if (!spots[s]) spots[s] = scene.spot(place);
          spots[s].moveTo(place);
        });
        shownLayout = String(bets.length);
      }
      bets.forEach((chips, h) => {
        if (!spots[h]) spots[h] = scene.spot({ x: 0, z: SPOT_Z });
        spots[h].set(Math.floor(chips));
      });
      for (let h = bets.length; h < spots.length; h++) spots[h].set(0);
      const n = round ? seatsOf(round).length : seats;
      for (let seat = 0; seat < Math.max(n, insurance.length); seat++) {
        const on = round && seat < n ? seatsOf(round)[seat].insurance : 0;
        seatInsurance(seat, seats).set(Math.floor(on / CENTS_PER_CHIP));
      }
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
      seatsOf(round).forEach((seat, i) => {
        if (!seat.insurance) return;
        steps.push(isBlackjack(round.dealer)
          ? insurance[i].pay(Math.floor((2 * seat.insurance) / CENTS_PER_CHIP)) : insurance[i].take());
      });
      await Promise.all(steps);
      await scene.motion.wait(700);
      await Promise.all([...spots.map((s) => s.collect()), ...insurance.map((s) => s.collect())]);
      // Back to a circle at each seat for the next bet.
      spots.splice(seats).forEach((s) => s.clear());
      spots.forEach((s, seat) => s.moveTo(atSeat(seat, seats, SPOT_Z)));
      shownLayout = String(seats);
    },
  };
}

// Both values of a soft total only while the hand may still draw.
function totalText(cards, open = false) {
  const { total } = handValue(cards);
  return total > 21 ? t('blackjack.totalBust', { total }) : handTotalText(cards, open);
}
