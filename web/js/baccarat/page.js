// SPDX-License-Identifier: GPL-3.0-or-later
// Baccarat Royale: wires the table's game flow to the shared frame, the 3D
// table (scene.js) where the cards are turned and the chips stand, the
// betting spots, the scoreboards and the sounds. The hands are also kept as
// DOM elements, out of sight, so a screen reader can name the cards.
import { mountTable, announce as speak } from '../kit/table.js';
import { createSound } from '../kit/sound.js';
import { paced } from '../kit/pace.js';
import { PlayerSettings } from '../kit/player.js';
import { formatChips, STARTING_BANKROLL } from '../kit/money.js';
import { t, fillPage } from '../kit/messages.js';
import { baccaratResult, baccaratSpotName } from '../kit/results.js';
import { mountPanels } from '../kit/panels.js';
import { stakesOf } from '../kit/history.js';
import { houseEdge } from '../rules/edges.js';
import { isBelowMinimum, belowMinimumMessage, chipUnavailable } from '../kit/bets.js';
import { cardLabel, cardName, isRed } from '../kit/cards.js';
import { dealOrder, handTotal } from '../rules/baccarat.js';
import { BaccaratTable, TABLE_MIN, TABLE_MAX, SPOT_MAX } from './game.js';
import { drawScoreboards } from './scoreboard.js';
import { createBaccaratScene, PAYS } from './scene.js';

const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)').matches;
const table = new BaccaratTable({ storage: window.localStorage });
// The chip and the sound are the player's, the same at every table.
const player = new PlayerSettings(window.localStorage, table.state.settings);
table.slip.selectChip(player.settings.chip);
const sound = createSound(player);
let dealing = false;
let view = null;
// While the bets are paid and handed back, their chips belong to that motion.
let settling = false;

const SPOT_KEYS = { playerPair: 'q', player: 'p', tie: 't', banker: 'b', bankerPair: 'w' };

const frame = mountTable({
  id: 'baccarat',
  initialChip: table.slip.chip,
  actions: [
    { id: 'undo', label: t('action.undo'), key: 'u', onActivate: () => act(table.undo()) },
    { id: 'clear', label: t('action.clear'), key: 'c', onActivate: () => act(table.clear()) },
    { id: 'repeat', label: t('action.repeat'), key: 'r', onActivate: () => act(table.repeat()) },
    { id: 'double', label: t('action.double'), key: 'x', onActivate: () => act(table.double()) },
    { id: 'deal', label: t('action.deal'), key: 'Enter', primary: true, onActivate: deal, onRefused: refusedDeal },
    { id: 'again', label: t('action.again', { action: t('action.deal') }), key: 'g', onActivate: again, onRefused: refusedDeal },
  ],
  onChip: (value) => { table.slip.selectChip(value); player.setSetting('chip', value); sound.chip(); },
  onMute: () => { sound.toggleMute(); frame.setMuted(sound.muted); },
  onKey: (e) => {
    const spot = Object.keys(SPOT_KEYS).find((k) => SPOT_KEYS[k] === e.key.toLowerCase());
    if (!spot) return false;
    place(spot);
    return true;
  },
});
frame.setMuted(sound.muted);
const limits = t('baccarat.limits', { min: TABLE_MIN * 100, mainMax: SPOT_MAX.player * 100, sideMax: SPOT_MAX.tie * 100,
  max: TABLE_MAX * 100 });
frame.setLimits(limits);
mountPanels(frame, {
  player, sound, limits,
  history: () => table.state.history,
  describe: (entry) => ({
    what: Array.isArray(entry.player) && Array.isArray(entry.banker)
      ? t('history.baccarat', { player: entry.player.map(cardLabel).join(' '), playerTotal: entry.playerTotal,
        banker: entry.banker.map(cardLabel).join(' '), bankerTotal: entry.bankerTotal }) : '',
    bets: stakesOf(entry).map(({ spot, chips }) => `${baccaratSpotName(spot)} ${chips}`).join(', '),
  }),
  rules: [t('help.baccarat.1'), t('help.baccarat.2'), t('help.baccarat.3')],
  bets: Object.keys(SPOT_KEYS).map((spot) => ({ name: baccaratSpotName(spot), pays: PAYS[spot](), edge: houseEdge('baccarat', spot).value })),
  keys: Object.entries(SPOT_KEYS).map(([spot, key]) => ({ key: key.toUpperCase(), what: baccaratSpotName(spot) })),
});
const MOST_ON_A_SPOT = Math.max(...Object.values(SPOT_MAX));

const scene = document.createElement('section');
scene.className = 'bc-scene';
scene.innerHTML = `
  <div class="bc-hands">
    <div class="bc-hand player"><h2><span data-i18n="baccarat.spot.player"></span> <span class="bc-total num" aria-live="polite"></span></h2><div class="bc-cards"></div></div>
    <div class="bc-hand banker"><h2><span data-i18n="baccarat.spot.banker"></span> <span class="bc-total num" aria-live="polite"></span></h2><div class="bc-cards"></div></div>
  </div>
  <aside class="bc-roads">
    <canvas class="bc-road-canvas" data-i18n-label="baccarat.roads" role="img"></canvas>
    <p class="bc-tally num"></p>
    <p class="bc-shoe num"></p>
  </aside>`;
fillPage(scene);
frame.stage.insertBefore(scene, frame.board);
const hands = { player: scene.querySelector('.player'), banker: scene.querySelector('.banker') };
const roads = scene.querySelector('canvas');

const spots = document.createElement('div');
spots.className = 'bc-spots';
spots.setAttribute('role', 'group');
spots.setAttribute('aria-label', t('baccarat.bets'));
const spotButtons = {};
for (const spot of Object.keys(SPOT_KEYS)) {
  const b = document.createElement('button');
  b.type = 'button';
  b.className = `bc-spot ${spot}`;
  b.innerHTML = `<span class="name"></span><span class="pays"></span><span class="amount num"></span><kbd aria-hidden="true"></kbd>`;
  b.querySelector('.name').textContent = baccaratSpotName(spot);
  b.querySelector('.pays').textContent = t('baccarat.pays', { odds: PAYS[spot]() });
  b.querySelector('kbd').textContent = SPOT_KEYS[spot].toUpperCase();
  b.setAttribute('aria-keyshortcuts', SPOT_KEYS[spot].toUpperCase());
  b.addEventListener('click', () => place(spot));
  b.addEventListener('contextmenu', (e) => { e.preventDefault(); if (!dealing) act(table.slip.bets.has(spot) ? table.slip.remove(spot) : { ok: false, reason: t('refuse.noBetThere') }); });
  spotButtons[spot] = b;
  spots.append(b);
}
frame.board.append(spots);

function place(spot) {
  if (dealing) { frame.say(t('baccarat.busy'), 'warn'); return; }
  if (act(table.place(spot))) sound.chip();
}

function act(verdict) {
  if (!verdict.ok) { frame.say(verdict.reason, 'warn'); return false; }
  render();
  return true;
}

const wait = (ms) => new Promise((resolve) => setTimeout(resolve, reducedMotion ? Math.min(ms, 60) : paced(ms)));
const onCard = (slot, kind) => (kind === 'turn' ? sound.flip() : sound.card());

function cardElement(card) {
  const el = document.createElement('div');
  el.className = 'bc-card';
  el.innerHTML = '<div class="back"></div><div class="card-face"></div>';
  const face = el.querySelector('.card-face');
  face.textContent = cardLabel(card);
  face.classList.toggle('red', isRed(card));
  el.setAttribute('aria-label', cardName(card));
  return el;
}

// How many cards of the coup being dealt have been said, so each is said once.
let said = 0;

function showHands(coup, count = Infinity) {
  const order = dealOrder(coup).slice(0, count);
  if (dealing) {
    for (const [side, i] of order.slice(said)) {
      const cards = coup[side].slice(0, i + 1);
      speak(t('say.cards', { who: t(`say.${side}`), cards: cardName(coup[side][i]), total: handTotal(cards) }));
    }
    said = order.length;
  }
  for (const side of ['player', 'banker']) {
    const shown = order.filter(([h]) => h === side).map(([, i]) => coup[side][i]);
    hands[side].querySelector('.bc-cards').replaceChildren(...shown.map((c) => {
      const el = cardElement(c);
      el.classList.add('up');
      return el;
    }));
    hands[side].querySelector('.bc-total').textContent = shown.length ? String(handTotal(shown)) : '';
    hands[side].classList.toggle('won', count === Infinity && coup.winner === side);
  }
}

// Deals the cards in the real order, each turned face up after it lands.
async function deal() {
  if (dealing) return;
  const result = table.deal();
  if (!result.ok) { frame.say(result.reason, 'warn'); return; }
  dealing = true;
  render();
  if (result.shuffled) {
    frame.say(t('baccarat.newShoe', { card: cardLabel(table.burned.card), count: table.burned.count }));
    await wait(900);
  } else frame.say(t('baccarat.dealing'));
  const { coup } = result;
  said = 0;
  for (const side of ['player', 'banker']) {
    hands[side].querySelector('.bc-cards').replaceChildren();
    hands[side].querySelector('.bc-total').textContent = '';
    hands[side].classList.remove('won');
  }
  const bets = { ...table.pending.bets };
  const order = dealOrder(coup);
  if (view) {
    await view.sweep();
    await view.deal(coup, table.state.stats.rounds, { onCard, onStep: (n) => showHands(coup, n) });
  }
  for (let i = 0; i < order.length && !view; i++) {
    const [side, index] = order[i];
    if (i === 4) await wait(500);
    const el = cardElement(coup[side][index]);
    hands[side].querySelector('.bc-cards').append(el);
    sound.card();
    await wait(380);
    el.classList.add('up');
    sound.flip();
    const shown = order.slice(0, i + 1).filter(([h]) => h === side).map(([, k]) => coup[side][k]);
    hands[side].querySelector('.bc-total').textContent = String(handTotal(shown));
    speak(t('say.cards', { who: t(`say.${side}`), cards: cardName(coup[side][index]), total: handTotal(shown) }));
    await wait(320);
  }
  const done = table.finishCoup();
  dealing = false;
  showHands(coup);
  announce(done);
  if (view && done) {
    settling = true;
    try { await view.settle(bets, done.paid); } finally { settling = false; }
    render();
  }
}

function announce(done) {
  const result = baccaratResult(done);
  if (result.net > 0) sound.win(Math.min(3, Math.ceil(result.net / Math.max(1, done.staked))));
  else if (result.net < 0) sound.lose();
  if (isBelowMinimum(table.bankroll, TABLE_MIN)) offerFreshStart(result);
  else frame.say(result);
  render();
}

// The last coup's bets again, then the deal, in one key.
function again() {
  if (dealing || table.pending) { frame.say(t('baccarat.busy'), 'warn'); return; }
  if (table.slip.total === 0) {
    const repeated = table.repeat();
    if (!repeated.ok) { refusedDeal(repeated.reason); return; }
  }
  deal();
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

function render() {
  frame.setBankroll(table.bankroll);
  frame.setBet(table.pending ? table.pending.staked : table.slip.totalCents);
  frame.setChips((value) => chipUnavailable(value, table.bankroll, MOST_ON_A_SPOT));
  // While the cards are out every betting action waits, and says so.
  const wait = dealing || table.pending ? t('baccarat.busy') : '';
  for (const id of ['undo', 'clear', 'repeat', 'double']) frame.setAction(id, { reason: wait || table.slip.whyNot(id) });
  frame.setAction('deal', { reason: wait || table.slip.whyNot('deal') });
  frame.setAction('again', { reason: wait || (table.slip.total === 0 ? table.slip.whyNot('repeat') : table.slip.whyNot('deal')) });
  const bets = table.pending ? table.pending.bets : table.slip.toObject();
  for (const [spot, b] of Object.entries(spotButtons)) {
    const chips = bets[spot] ?? 0;
    b.querySelector('.amount').textContent = chips ? formatChips(chips * 100) : '';
    b.classList.toggle('has-bet', chips > 0);
    b.setAttribute('aria-label', t(chips ? 'baccarat.spotKeyBet' : 'baccarat.spotKey',
      { name: baccaratSpotName(spot), odds: PAYS[spot](), amount: chips * 100, key: SPOT_KEYS[spot].toUpperCase() }));
  }
  if (view && !settling) view.stakes(bets);
  const results = table.results;
  drawScoreboards(roads, results);
  const wins = results.reduce((m, r) => { m[r.winner]++; return m; }, { player: 0, banker: 0, tie: 0 });
  scene.querySelector('.bc-tally').textContent = t('baccarat.tally', wins);
  scene.querySelector('.bc-shoe').textContent = t('baccarat.cardsLeft', { count: table.cardsLeft });
}

new ResizeObserver(() => drawScoreboards(roads, table.results)).observe(roads);
render();
const last = table.state.history.at(-1);
let lastCoup = null;
if (last && Array.isArray(last.player) && Array.isArray(last.banker)) {
  try { showHands({ ...last, winner: last.winner }); lastCoup = last; } catch { /* an old or edited entry: show an empty table */ }
}
createBaccaratScene(frame.stage).then((v) => {
  view = v;
  document.body.dataset.stage = v.webgl ? 'webgl' : '2d';
  if (lastCoup && !dealing) {
    try { v.place(lastCoup, table.state.stats.rounds - 1); } catch { v.place(null); }
  }
  // The painted areas take bets too, as the buttons below them do.
  v.stage.canvas.addEventListener('click', (e) => {
    const spot = v.areaAt(e.clientX, e.clientY);
    if (spot) place(spot);
  });
  render();
}).catch((e) => console.warn('Velmar Casino: the baccarat table could not be drawn', e));
if (table.recovered) {
  announce(table.recovered);
} else if (isBelowMinimum(table.bankroll, TABLE_MIN)) {
  offerFreshStart();
} else {
  frame.say(t('baccarat.welcome'));
}
