// Roulette Royale: wires the table's game flow to the shared frame, the
// layout, the racetrack, the wheel and the sounds.
import { mountTable } from '../kit/table.js';
import { createSound } from '../kit/sound.js';
import { wholeChipsIn } from '../kit/money.js';
import { rouletteResult } from '../kit/results.js';
import { t } from '../kit/messages.js';
import { isBelowMinimum, belowMinimumMessage } from '../kit/bets.js';
import { colorOf, CALL_BETS } from '../rules/roulette.js';
import { RouletteTable, TABLE_MIN } from './table.js';
import { createLayout } from './layout.js';
import { createRacetrack } from './racetrack.js';
import { createWheel } from './wheel.js';

const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)').matches;
const table = new RouletteTable({ storage: window.localStorage });
const sound = createSound(table.state);
let spinning = false;

const frame = mountTable({
  id: 'roulette',
  initialChip: table.slip.chip,
  actions: [
    { id: 'undo', label: 'Undo', key: 'u', onActivate: () => act(table.undo()) },
    { id: 'clear', label: 'Clear', key: 'c', onActivate: () => act(table.clear()) },
    { id: 'repeat', label: 'Repeat', key: 'r', onActivate: () => act(table.repeat()) },
    { id: 'double', label: 'Double', key: 'd', onActivate: () => act(table.double()) },
    { id: 'spin', label: 'Spin', key: 's', primary: true, onActivate: spin },
  ],
  onChip: (value) => { table.selectChip(value); sound.chip(); },
  onMute: () => { sound.toggleMute(); frame.setMuted(sound.muted); },
});
frame.setMuted(sound.muted);

// The wheel and the board of numbers above the layout, the layout and the
// racetrack in the overlay at the bottom of the stage.
const top = document.createElement('section');
top.className = 'rl-top';
const wheelBox = document.createElement('div');
wheelBox.className = 'rl-wheel';
const side = document.createElement('aside');
side.className = 'rl-side';
side.innerHTML = `
  <div class="rl-result" aria-live="polite"><span class="label">Last number</span><span class="rl-last num">–</span></div>
  <div class="rl-history"><span class="label">History</span><ol class="rl-numbers num" aria-label="Last numbers, newest first"></ol></div>
  <div class="rl-hotcold">
    <div><span class="label">Hot</span><ol class="rl-hot-list num"></ol></div>
    <div><span class="label">Cold</span><ol class="rl-cold-list num"></ol></div>
  </div>
  <p class="rl-limits">Limits: straight up to 100, splits 200, streets 300, corners 400, lines 600,
    columns and dozens 1,000, even chances 2,000; at most 10,000 a spin.</p>`;
top.append(wheelBox, side);
frame.stage.insertBefore(top, frame.board);

const felt = document.createElement('div');
felt.className = 'rl-felt';
frame.board.append(felt);
const layout = createLayout(felt, {
  onPlace: (spot) => { if (act(table.place(spot))) sound.chip(); },
  onRemove: (spot) => act(table.slip.bets.has(spot) && !table.pending ? table.slip.remove(spot) : { ok: false, reason: 'There is no bet there.' }),
  onFocus: (spot, text) => frame.say(text),
});
const track = createRacetrack(felt, {
  onCall: (name) => {
    if (act(table.placeCall(name))) {
      sound.chip();
      frame.say(`${CALL_BETS.find((c) => c.name === name).label}: placed.`);
    }
  },
  onNeighbours: (n) => { if (act(table.placeCall('neighbours', n))) { sound.chip(); frame.say(`Neighbours of ${n}: placed.`); } },
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
  frame.say('No more bets.');
  sound.wheel(reducedMotion ? 0.6 : 5);
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
  frame.say(result);
  render(done.number, bets);
}

function render(winning = null, wonBets = null) {
  frame.setBankroll(table.bankroll);
  frame.setBet(table.pending ? table.pending.staked : table.slip.totalCents);
  frame.setChipsEnabled(wholeChipsIn(table.bankroll));
  const busy = spinning || !!table.pending;
  frame.setAction('spin', { disabled: busy || table.slip.isEmpty });
  frame.setAction('undo', { disabled: busy || !table.slip.canUndo });
  frame.setAction('clear', { disabled: busy || table.slip.isEmpty });
  frame.setAction('repeat', { disabled: busy || !table.slip.canRepeat });
  frame.setAction('double', { disabled: busy || table.slip.isEmpty });
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
  const { hot, cold } = table.hotAndCold(5);
  list(side.querySelector('.rl-hot-list'), hot);
  list(side.querySelector('.rl-cold-list'), numbers.length ? cold : []);
}

render();
if (table.recovered) {
  const r = table.recovered;
  const result = rouletteResult({ number: r.number, colour: r.color, bets: r.bets });
  frame.say({ ...result, lines: [t('roulette.recovered'), ...result.lines] });
} else if (isBelowMinimum(table.bankroll, TABLE_MIN)) {
  frame.say(belowMinimumMessage(table.bankroll, TABLE_MIN), 'warn');
} else {
  frame.say('Place your bets: pick a chip, then a spot on the layout or the racetrack.');
}
