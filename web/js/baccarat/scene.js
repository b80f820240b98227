// SPDX-License-Identifier: GPL-3.0-or-later
// The baccarat table in 3D (or flat, without WebGL): the Player's and the
// Banker's boxes where the cards are turned, the five betting areas along
// the player's side with their chips, the shoe and the dealer's tray.
import { createStage } from '../kit/stage3d.js';
import { createTableScene, felt } from '../kit/scene-cards.js';
import { CENTS_PER_CHIP } from '../kit/money.js';
import { t } from '../kit/messages.js';
import { spotName } from './record.js';
import { dealOrder, handTotal } from '../rules/baccarat.js';

const HAND_Z = -0.2;
const HAND_X = { player: -0.47, banker: 0.47 };
const AREA_Z = 0.4;
const AREA_D = 0.22;
// The table's chosen rules, as the felt and the buttons show the banker's pay.
export const tableRules = { noCommission: false };
// What each spot pays, as the felt and the betting buttons say it.
export const PAYS = {
  playerPair: () => t('odds', { odds: 11 }), player: () => t('odds', { odds: 1 }), tie: () => t('odds', { odds: 8 }),
  banker: () => t(tableRules.noCommission ? 'baccarat.bankerNoCommissionOdds' : 'baccarat.bankerOdds'),
  bankerPair: () => t('odds', { odds: 11 }),
  dragonPlayer: () => t('baccarat.dragonOdds'), dragonBanker: () => t('baccarat.dragonOdds'), eitherPair: () => t('odds', { odds: 5 }),
};
const upper = (text) => text.toLocaleUpperCase();
export const AREAS = {
  playerPair: { x: -0.82, w: 0.26, label: () => t('baccarat.felt.playerPair'), colour: 'rgba(156, 192, 255, 0.8)' },
  player: { x: -0.43, w: 0.44, label: () => upper(spotName('player')), colour: 'rgba(156, 192, 255, 0.9)' },
  tie: { x: 0, w: 0.34, label: () => upper(spotName('tie')), colour: 'rgba(143, 209, 158, 0.9)' },
  banker: { x: 0.43, w: 0.44, label: () => upper(spotName('banker')), colour: 'rgba(255, 154, 140, 0.9)' },
  bankerPair: { x: 0.82, w: 0.26, label: () => t('baccarat.felt.bankerPair'), colour: 'rgba(255, 154, 140, 0.8)' },
};

function paint(view) {
  const gold = 'rgba(240, 210, 142, 0.6)';
  for (const side of ['player', 'banker']) {
    const x = HAND_X[side];
    felt.box(view, x, HAND_Z, 0.84, 0.32, { colour: gold, width: 0.004, radius: 0.05 });
    felt.text(view, upper(spotName(side)), x, HAND_Z - 0.2, 0.04,
      { colour: AREAS[side].colour, spacing: 0.008 });
  }
  felt.text(view, 'Baccarat Royale', 0, 0.13, 0.05, { colour: 'rgba(240, 210, 142, 0.55)', weight: 400 });
  for (const [spot, a] of Object.entries(AREAS)) {
    felt.box(view, a.x, AREA_Z, a.w, AREA_D, { colour: gold, width: 0.005, fill: 'rgba(0, 0, 0, 0.1)', radius: 0.035 });
    felt.text(view, a.label(), a.x, AREA_Z - 0.07, 0.03, { colour: a.colour, spacing: 0.004, maxWidth: a.w - 0.03 });
    // The payouts are read from the seat: large enough for 11 px and more at the default window size.
    felt.text(view, PAYS[spot](), a.x, AREA_Z + 0.07, 0.036, { colour: 'rgba(244, 236, 216, 0.9)', font: 'Manrope, sans-serif', weight: 700,
      maxWidth: a.w - 0.02 });
  }
}

// Where card `index` of `side` lies: two side by side, the third turned
// sideways to the right of them, as a baccarat dealer lays it out.
function cardPlace(side, index) {
  const x0 = HAND_X[side];
  if (index < 2) return { x: x0 + (index - 0.5) * 0.175, z: HAND_Z, yaw: 0 };
  return { x: x0 + 0.3, z: HAND_Z, yaw: Math.PI / 2 };
}

export async function createBaccaratScene(host) {
  const stage = await createStage(host, { shape: 'oval', width: 2.6, depth: 1.4, felt: '#0e5236', paint });
  const scene = createTableScene(stage, host);
  const spots = Object.fromEntries(Object.entries(AREAS).map(([k, a]) => [k, scene.spot({ x: a.x, z: AREA_Z + 0.005 })]));
  const totals = {
    player: scene.labels.add({ x: HAND_X.player, z: HAND_Z + 0.2 }),
    banker: scene.labels.add({ x: HAND_X.banker, z: HAND_Z + 0.2 }),
  };

  const slots = (coup, id, count) => dealOrder(coup).slice(0, count).map(([side, i]) =>
    ({ key: `${id}:${side}${i}`, card: coup[side][i], ...cardPlace(side, i), turnAfter: true }));

  // `down` holds the cards still face down ("player0"), which count for nothing yet.
  const setTotals = (coup, count, settled, down = new Set()) => {
    for (const side of ['player', 'banker']) {
      const shown = coup ? dealOrder(coup).slice(0, count).filter(([s, i]) => s === side && !down.has(`${s}${i}`)).map(([, i]) => coup[side][i]) : [];
      const won = settled && (coup.winner === side || coup.winner === 'tie');
      totals[side].set(shown.length ? String(handTotal(shown)) : '', won ? 'gold' : '');
    }
  };

  return {
    stage, scene, webgl: stage.webgl,

    /** The betting area under a point of the stage, or null. */
    areaAt(clientX, clientY) {
      const hit = stage.pick(clientX, clientY);
      if (!hit) return null;
      const found = Object.entries(AREAS).find(([, a]) => Math.abs(hit.x - a.x) <= a.w / 2 && Math.abs(hit.z - AREA_Z) <= AREA_D / 2);
      return found ? found[0] : null;
    },

    /** Puts a finished coup on the table at once (after a reload). */
    place(coup, id) {
      scene.place(coup ? slots(coup, id, Infinity) : []);
      setTotals(coup, Infinity, true);
    },

    /** Clears the last coup's cards to the discard. */
    sweep() { setTotals(null); return scene.show([]); },

    /**
     * Deals `coup` in the real order, each card turned as it lands, the
     * totals following; a pause before the third cards. `onStep(n, down)`
     * runs once the first n cards are dealt, `down` the ones still face down.
     * With `squeeze` ('player' or 'banker') that hand's cards stay face down
     * until `turn(side, index)` resolves: the first two once four cards are
     * out, a third card as it lands.
     */
    async deal(coup, id, { onCard = null, onStep = null, squeeze = null, turn = null } = {}) {
      const order = dealOrder(coup);
      const down = new Set(squeeze ? order.filter(([s]) => s === squeeze).map(([s, i]) => `${s}${i}`) : []);
      const now = (n) => slots(coup, id, n).map((slot, k) => (down.has(order[k].join(''))
        ? { ...slot, card: null, faceUp: false, turnAfter: false } : slot));
      for (let n = 1; n <= order.length; n++) {
        if (n === 5) await scene.motion.wait(450);
        await scene.show(now(n), { onCard });
        setTotals(coup, n, false, down);
        onStep?.(n, down);
        if (n < 4) continue;
        for (const [side, i] of order.slice(0, n)) {
          if (!down.has(`${side}${i}`)) continue;
          await turn(side, i);
          down.delete(`${side}${i}`);
          await scene.show(now(n), { onCard });
          setTotals(coup, n, false, down);
          onStep?.(n, down);
        }
      }
      setTotals(coup, Infinity, true);
    },

    stakes(bets) {
      for (const [k, spot] of Object.entries(spots)) spot.set(Math.floor(bets[k] ?? 0));
    },

    /** Pays, pushes or takes each bet as `paid` (cents returned per bet) says, then hands the rest back. */
    async settle(bets, paid) {
      const steps = Object.entries(bets).map(([k, chips]) => {
        const back = paid?.[k] ?? 0, stake = chips * CENTS_PER_CHIP;
        // The side bets off the felt keep their chips on their buttons.
        if (!spots[k]) return null;
        if (back === 0) return spots[k].take();
        return spots[k].pay(Math.floor((back - stake) / CENTS_PER_CHIP));
      });
      await Promise.all(steps);
      await scene.motion.wait(700);
      await Promise.all(Object.values(spots).map((s) => s.collect()));
    },
  };
}
