// SPDX-License-Identifier: GPL-3.0-or-later
// Roulette Royale: wires the table's game flow to the shared frame, the
// layout, the racetrack, the wheel and the sounds.
import { mountTable } from '../kit/table.js';
import { createSound } from '../kit/sound.js';
import { PlayerSettings } from '../kit/player.js';
import { STARTING_BANKROLL } from '../kit/money.js';
import { rouletteResult, rouletteSpotName } from '../kit/results.js';
import { mountPanels } from '../kit/panels.js';
import { stakesOf } from '../kit/history.js';
import { createFavourites } from './favourites.js';
import { createStatsBoard } from './stats.js';
import { houseEdge } from '../rules/edges.js';
import { paced } from '../kit/pace.js';
import { t, fillPage } from '../kit/messages.js';
import { isBelowMinimum, belowMinimumMessage, chipUnavailable } from '../kit/bets.js';
import { colorOf, PAYOUT } from '../rules/roulette.js';
import { RouletteTable, TABLE_MIN, TABLE_MAX, SPOT_MAX, SPOTS } from './game.js';
import { createLayout } from './layout.js';
import { createRacetrack } from './racetrack.js';
import { createWheel } from './wheel.js';

const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)').matches;
const table = new RouletteTable({ storage: window.localStorage });
// The chip and the sound are the player's, the same at every table.
const player = new PlayerSettings(window.localStorage, table.state.settings);
table.slip.selectChip(player.settings.chip);
const sound = createSound(player);
let spinning = false;

const frame = mountTable({
  id: 'roulette',
  initialChip: table.slip.chip,
  actions: [
    { id: 'undo', label: t('action.undo'), key: 'u', onActivate: () => act(table.undo()) },
    { id: 'clear', label: t('action.clear'), key: 'c', onActivate: () => act(table.clear()) },
    { id: 'repeat', label: t('action.repeat'), key: 'r', onActivate: () => act(table.repeat()) },
    { id: 'double', label: t('action.double'), key: 'd', onActivate: () => act(table.double()) },
    { id: 'spin', label: t('action.spin'), key: 's', primary: true, onActivate: spin, onRefused: refusedDeal },
    { id: 'again', label: t('action.again', { action: t('action.spin') }), key: 'g', onActivate: again, onRefused: refusedDeal },
  ],
  onChip: (value) => { table.slip.selectChip(value); player.setSetting('chip', value); sound.chip(); },
  onMute: () => { sound.toggleMute(); frame.setMuted(sound.muted); },
});
frame.setMuted(sound.muted);
const limits = t('roulette.limits', { min: TABLE_MIN * 100, straightMax: SPOT_MAX.straight * 100,
  evenMax: SPOT_MAX.red * 100, max: TABLE_MAX * 100 });
frame.setLimits(limits);
mountPanels(frame, {
  player, sound, limits,
  history: () => table.state.history,
  describe: (entry) => ({
    what: entry.number === 0 ? t('roulette.landedZero') : t('roulette.landed', { colour: t(`roulette.${colorOf(entry.number)}`), number: entry.number }),
    bets: describeBets(stakesOf(entry).map(({ spot, chips }) => [spot, chips])),
  }),
  rules: [t('help.roulette.1'), t('help.roulette.2'), t('help.roulette.3'), t('help.roulette.4')],
  bets: Object.entries(PAYOUT).map(([kind, pays]) => ({
    name: t(`roulette.spot.${kind}`, { numbers: '', which: '' }).trim(), pays: t('odds', { odds: pays }), edge: houseEdge('roulette', kind).value })),
});
const MOST_ON_A_SPOT = Math.max(...Object.values(SPOT_MAX));

// Bets ([spot, chips] pairs) as the history and the favourites list them: "Red 5, Straight up 17 1".
function describeBets(pairs) {
  return pairs.map(([spot, chips]) => {
    const bet = SPOTS.get(spot);
    return bet ? `${rouletteSpotName(bet.kind, bet.numbers)} ${chips}` : '';
  }).filter(Boolean).join(', ');
}

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
  onPlace: (spot) => { if (act(table.place(spot))) sound.chip(); },
  onRemove: (spot) => act(table.slip.bets.has(spot) && !table.pending ? table.slip.remove(spot) : { ok: false, reason: t('refuse.noBetThere') }),
  onFocus: (spot, text) => frame.say(text),
});
// The racetrack with its spread of neighbours, and the favourites below it.
const trackSide = document.createElement('div');
trackSide.className = 'rl-track-side';
felt.append(trackSide);
const track = createRacetrack(trackSide, {
  spread: table.spread,
  onSpread: (spread) => {
    if (!table.setSpread(spread)) return false;
    frame.say(t('roulette.spreadSet', { count: spread }));
    return true;
  },
  onPreview: (numbers) => layout.highlight(numbers),
  onCall: (name) => {
    if (act(table.placeCall(name))) {
      sound.chip();
      frame.say(t('roulette.placed', { name: t(`roulette.call.${name}`) }));
    }
  },
  onNeighbours: (n) => { if (act(table.placeCall('neighbours', n))) { sound.chip(); frame.say(t('roulette.placed', { name: t('roulette.call.neighbours', { n }) })); } },
});
const favourites = createFavourites(trackSide, frame, {
  list: () => table.favourites,
  describe: (bets) => describeBets(Object.entries(bets)),
  save: (name) => table.saveFavourite(name),
  remove: (name) => table.removeFavourite(name),
  place: (name) => {
    if (!act(table.placeFavourite(name))) return false;
    sound.chip();
    frame.say(t('roulette.placed', { name }));
    return true;
  },
});

let wheel = null;
createWheel(wheelBox, { reducedMotion }).then((w) => {
  wheel = w;
  document.body.dataset.stage = w.webgl ? 'webgl' : '2d';
  const last = table.numbers.at(-1);
  if (last !== undefined) w.rest(last);
});

// Shows a refusal; true when the action went through.
function act(verdict) {
  if (!verdict.ok) {
    frame.say(verdict.reason, 'warn');
    return false;
  }
  render();
  return true;
}

async function spin() {
  if (spinning) return;
  const result = table.spin();
  if (!result.ok) { frame.say(result.reason, 'warn'); return; }
  spinning = true;
  render();
  frame.say(t('say.spin'));
  if (paced(5000) > 0) sound.wheel(reducedMotion ? 0.6 : paced(5000) / 1000);
  const bets = Object.entries(table.pending.bets);
  layout.show(bets);
  if (wheel) await wheel.spin(result.number);
  const done = table.finishSpin();
  spinning = false;
  sound.ball();
  announce(done, bets);
}

function announce(done, bets) {
  const result = rouletteResult({ number: done.number, colour: done.color, bets: done.bets });
  if (result.net > 0) sound.win(Math.min(3, Math.ceil(result.net / Math.max(1, done.staked))));
  else if (result.net < 0) sound.lose();
  render(done.number, bets);
  if (isBelowMinimum(table.bankroll, TABLE_MIN)) offerFreshStart(result);
  else frame.say(result);
}

// The last spin's bets again, then the spin, in one key.
function again() {
  if (spinning || table.pending) { frame.say(t('roulette.spinning'), 'warn'); return; }
  if (table.slip.total === 0) {
    const repeated = table.repeat();
    if (!repeated.ok) { refusedDeal(repeated.reason); return; }
  }
  spin();
}

// A refused deal says why; out of chips, the why comes with the fresh start.
function refusedDeal(why) {
  if (isBelowMinimum(table.bankroll, TABLE_MIN) && !table.pending) offerFreshStart();
  else frame.say(why, 'warn');
}

// Out of chips: say so, and offer the same fresh start the shell's reset gives.
function offerFreshStart(result = null) {
  frame.offerFreshStart(belowMinimumMessage(table.bankroll, TABLE_MIN), () => {
    table.state.startAgain();
    render();
    frame.say(t('broke.done', { fresh: STARTING_BANKROLL }));
  }, result);
}

function render(winning = null, wonBets = null) {
  frame.setBankroll(table.bankroll);
  frame.setBet(table.pending ? table.pending.staked : table.slip.totalCents);
  frame.setChips((value) => chipUnavailable(value, table.bankroll, MOST_ON_A_SPOT));
  // While the ball rolls every betting action waits, and says so.
  const wait = spinning || table.pending ? t('roulette.spinning') : '';
  for (const id of ['undo', 'clear', 'repeat', 'double']) frame.setAction(id, { reason: wait || table.slip.whyNot(id) });
  frame.setAction('spin', { reason: wait || table.slip.whyNot('deal') });
  frame.setAction('again', { reason: wait || (table.slip.total === 0 ? table.slip.whyNot('repeat') : table.slip.whyNot('deal')) });
  layout.show(wonBets ?? table.slip.entries(), winning);
  const numbers = table.lastNumbers;
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
  const counts = table.spinStats(5);
  list(side.querySelector('.rl-hot-list'), counts.hot);
  list(side.querySelector('.rl-cold-list'), counts.spins ? counts.cold : []);
  stats.show(counts);
}

render();
if (table.recovered) {
  const r = table.recovered;
  const result = rouletteResult({ number: r.number, colour: r.color, bets: r.bets });
  frame.say({ ...result, lines: [t('roulette.recovered'), ...result.lines] });
} else if (isBelowMinimum(table.bankroll, TABLE_MIN)) {
  offerFreshStart();
} else {
  frame.say(t('roulette.welcome'));
}
