// SPDX-License-Identifier: GPL-3.0-or-later
// Roulette Royale: wires the table's game flow to the shared frame, the
// layout, the racetrack, the wheel and the sounds.
import { paced } from '../kit/pace.js';
import { t, fillPage } from '../kit/messages.js';
import { openTable } from '../kit/play.js';
import { chipUnavailable } from '../kit/bets.js';
import { houseEdge } from '../rules/edges.js';
import { colorOf, PAYOUT } from '../rules/roulette.js';
import { RouletteGame, TABLE_MIN, TABLE_MAX, SPOT_MAX } from './game.js';
import { resultOf, describeEntry, describeBets } from './record.js';
import { createFavourites } from './favourites.js';
import { createStatsBoard } from './stats.js';
import { createLayout } from './layout.js';
import { createRacetrack } from './racetrack.js';
import { createRouletteScene } from './scene.js';

const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)').matches;
const game = new RouletteGame({ storage: window.localStorage });
let spinning = false;

const table = openTable({
  id: 'roulette', game, minimum: TABLE_MIN, render,
  deal: { id: 'spin', label: t('action.spin'), key: 's', run: spin },
  busy: () => spinning, busyText: t('roulette.spinning'), undoKey: 'u', doubleKey: 'd',
  panels: {
    limits: t('roulette.limits', { min: TABLE_MIN * 100, straightMax: SPOT_MAX.straight * 100,
      evenMax: SPOT_MAX.red * 100, max: TABLE_MAX * 100 }),
    describe: describeEntry,
    rules: [t('help.roulette.1'), t('help.roulette.2'), t('help.roulette.3'), t('help.roulette.4'), t('help.roulette.5')],
    bets: [...Object.entries(PAYOUT).map(([kind, pays]) => ({
      name: t(`roulette.spot.${kind}`, { numbers: '', which: '' }).trim(), pays: t('odds', { odds: pays }), edge: houseEdge('roulette', kind).value })),
    { name: t('roulette.partageBet'), pays: t('odds', { odds: 1 }), edge: houseEdge('roulette', 'redLaPartage').value }],
    options: [{
      id: 'la-partage', label: t('roulette.laPartage'), note: t('roulette.laPartageNote'),
      checked: () => game.laPartage,
      set: (on) => (game.setLaPartage(on) ? t(on ? 'roulette.laPartageOn' : 'roulette.laPartageOff') : null),
    }],
  },
});
const { frame, sound } = table;
const MOST_ON_A_SPOT = Math.max(...Object.values(SPOT_MAX));

// The wheel and the board of numbers above the layout, the layout and the
// racetrack in the overlay at the bottom of the stage.
const top = document.createElement('section');
top.className = 'rl-top';
const wheelBox = document.createElement('div');
wheelBox.className = 'rl-wheel';
const side = document.createElement('aside');
side.className = 'rl-side';
// Three columns side by side (the numbers, hot and cold, the statistics), so
// that a short window still shows all of them.
side.innerHTML = `
  <div class="rl-col">
    <div class="rl-result" aria-live="polite"><span class="label" data-i18n="roulette.lastNumber"></span><span class="rl-last num">–</span></div>
    <div class="rl-history"><span class="label" data-i18n="roulette.history"></span><ol class="rl-numbers num" data-i18n-label="roulette.historyList"></ol></div>
  </div>
  <div class="rl-col rl-hotcold">
    <div><span class="label" data-i18n="roulette.hot"></span><ol class="rl-hot-list num"></ol></div>
    <div><span class="label" data-i18n="roulette.cold"></span><ol class="rl-cold-list num"></ol></div>
  </div>`;
fillPage(side);
const stats = createStatsBoard(side);
top.append(wheelBox, side);
frame.stage.insertBefore(top, frame.board);

const felt = document.createElement('div');
felt.className = 'rl-felt';
frame.board.append(felt);
const layout = createLayout(felt, {
  onPlace: (spot) => table.place(spot),
  onRemove: (spot) => act(game.slip.bets.has(spot) && !game.round ? game.slip.remove(spot) : { ok: false, reason: t('refuse.noBetThere') }),
  onFocus: (spot, text) => frame.say(text),
});
// The racetrack with its spread of neighbours, and the favourites below it.
const trackSide = document.createElement('div');
trackSide.className = 'rl-track-side';
felt.append(trackSide);
const track = createRacetrack(trackSide, {
  spread: game.spread,
  onSpread: (spread) => {
    if (!game.setSpread(spread)) return false;
    frame.say(t('roulette.spreadSet', { count: spread }));
    return true;
  },
  onPreview: (numbers) => layout.highlight(numbers),
  onCall: (name) => {
    if (act(game.placeCall(name))) {
      sound.chip();
      frame.say(t('roulette.placed', { name: t(`roulette.call.${name}`) }));
    }
  },
  onRefused: (reason) => frame.say(reason, 'warn'),
  onFinale: (first, second) => {
    if (act(game.placeFinale(first, second))) {
      sound.chip();
      frame.say(t('roulette.placed', { name: second === null ? t('roulette.finaleEnPleinName', { digit: first })
        : t('roulette.finaleAChevalName', { first: Math.min(first, second), second: Math.max(first, second) }) }));
    }
  },
  onNeighbours: (n) => { if (act(game.placeCall('neighbours', n))) { sound.chip(); frame.say(t('roulette.placed', { name: t('roulette.call.neighbours', { n }) })); } },
});
const favourites = createFavourites(trackSide, frame, {
  list: () => game.favourites,
  describe: (bets) => describeBets(Object.entries(bets)),
  save: (name) => game.saveFavourite(name),
  remove: (name) => game.removeFavourite(name),
  place: (name) => {
    if (!act(game.placeFavourite(name))) return false;
    sound.chip();
    frame.say(t('roulette.placed', { name }));
    return true;
  },
});

let wheel = null;
table.mountScene('roulette', () => createRouletteScene(wheelBox, { reducedMotion })).then((w) => {
  wheel = w;
  const last = game.numbers.at(-1);
  if (w && last !== undefined) w.rest(last);
});

// Shows a refusal; true when the action went through.
function act(verdict) {
  if (table.refused(verdict)) return false;
  render();
  return true;
}

// The wheel's own refusal covers a second press while the ball rolls.
async function spin() {
  const result = game.spin();
  if (table.refused(result)) return;
  spinning = true;
  render();
  frame.say(t('say.spin'));
  if (paced(5000) > 0) sound.wheel(reducedMotion ? 0.6 : paced(5000) / 1000);
  const bets = Object.entries(game.round.bets);
  layout.show(bets);
  if (wheel) await wheel.spin(result.number);
  const done = game.settle();
  spinning = false;
  sound.ball();
  render(done.number, bets);
  table.finish(resultOf({ number: done.number, colour: done.color, bets: done.bets, laPartage: done.laPartage }),
    Math.min(3, Math.ceil((done.returned - done.staked) / Math.max(1, done.staked))));
}

function render(winning = null, wonBets = null) {
  frame.setBankroll(game.bankroll);
  frame.setBet(game.round ? game.round.staked : game.slip.totalCents);
  frame.setChips((value) => chipUnavailable(value, game.bankroll, MOST_ON_A_SPOT));
  table.showBetting();
  layout.show(wonBets ?? game.slip.entries(), winning);
  const numbers = game.lastNumbers;
  const last = numbers[0];
  layout.mark(last ?? null);
  track.mark(last ?? null);
  const lastEl = side.querySelector('.rl-last');
  lastEl.textContent = last === undefined ? '–' : String(last);
  lastEl.className = `rl-last num ${last === undefined ? '' : colorOf(last)}`;
  const list = (el, items) => el.replaceChildren(...items.map((n) => {
    const li = document.createElement('li');
    li.textContent = String(n);
    li.className = colorOf(n);
    return li;
  }));
  list(side.querySelector('.rl-numbers'), numbers.slice(0, 14));
  const counts = game.spinStats(5);
  list(side.querySelector('.rl-hot-list'), counts.hot);
  list(side.querySelector('.rl-cold-list'), counts.spins ? counts.cold : []);
  stats.show(counts);
}

render();
if (game.recovered) {
  const r = game.recovered;
  const result = resultOf({ number: r.number, colour: r.color, bets: r.bets, laPartage: r.laPartage });
  frame.say({ ...result, lines: [t('roulette.recovered'), ...result.lines] });
} else {
  table.greet(t('roulette.welcome'));
}
