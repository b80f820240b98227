// SPDX-License-Identifier: GPL-3.0-or-later
// Baccarat Royale: wires the table's game flow to the shared frame, the 3D
// table (scene.js) where the cards are turned and the chips stand, the
// betting spots, the scoreboards and the sounds. The hands are also kept as
// DOM elements, out of sight, so a screen reader can name the cards.
import { announce as speak } from '../kit/table.js';
import { openTable } from '../kit/play.js';
import { paced } from '../kit/pace.js';
import { formatChips } from '../kit/money.js';
import { t, fillPage } from '../kit/messages.js';
import { houseEdge } from '../rules/edges.js';
import { chipUnavailable } from '../kit/bets.js';
import { cardLabel, cardName, isRed } from '../kit/cards.js';
import { dealOrder, handTotal } from '../rules/baccarat.js';
import { BaccaratGame, TABLE_MIN, TABLE_MAX, SPOT_MAX, squeezeSide } from './game.js';
import { resultOf, describeEntry, spotName } from './record.js';
import { drawScoreboards, createDerivedRoads } from './scoreboard.js';
import { createBaccaratScene, PAYS, tableRules } from './scene.js';

const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)').matches;
const game = new BaccaratGame({ storage: window.localStorage });
let dealing = false;
let view = null;
// While the bets are paid and handed back, their chips belong to that motion.
let settling = false;

const SPOT_KEYS = { playerPair: 'q', player: 'p', tie: 't', banker: 'b', bankerPair: 'w', dragonPlayer: 'a', eitherPair: 'e', dragonBanker: 'd' };
tableRules.noCommission = game.noCommission;
const edge = (kind) => houseEdge('baccarat', kind).value;

const table = openTable({
  id: 'baccarat', game, minimum: TABLE_MIN, render,
  deal: { id: 'deal', label: t('action.deal'), key: 'Enter', run: deal },
  busy: () => dealing, busyText: t('baccarat.busy'), undoKey: 'u',
  onKey: (e) => {
    const key = e.key.toLowerCase();
    if (squeezing && (key === 'v' || key === 'f')) {
      squeezeTo(key === 'f' ? 1 : squeezing.turned + 1 / SQUEEZE_STEPS);
      return true;
    }
    const spot = Object.keys(SPOT_KEYS).find((k) => SPOT_KEYS[k] === e.key.toLowerCase());
    if (!spot) return false;
    table.place(spot);
    return true;
  },
  panels: {
    limits: t('baccarat.limits', { min: TABLE_MIN * 100, mainMax: SPOT_MAX.player * 100, sideMax: SPOT_MAX.tie * 100,
      max: TABLE_MAX * 100 }),
    describe: describeEntry,
    rules: [t('help.baccarat.1'), t('help.baccarat.2'), t('help.baccarat.3'), t('help.baccarat.4'), t('help.baccarat.5'), t('help.baccarat.6')],
    bets: [...Object.keys(SPOT_KEYS).map((spot) => ({ name: spotName(spot),
      pays: spot === 'banker' ? t('baccarat.bankerOdds') : spot.startsWith('dragon') ? t('baccarat.dragonPays') : PAYS[spot](), edge: edge(spot) })),
    { name: t('baccarat.bankerNoCommission'), pays: t('baccarat.bankerNoCommissionOdds'), edge: edge('bankerNoCommission') }],
    keys: [...Object.entries(SPOT_KEYS).map(([spot, key]) => ({ key: key.toUpperCase(), what: spotName(spot) })),
      { key: 'V', what: t('baccarat.squeezeStep') }, { key: 'F', what: t('baccarat.squeezeAll') }],
    options: [{
      id: 'no-commission', label: t('baccarat.noCommission'), note: t('baccarat.noCommissionNote'),
      checked: () => game.noCommission,
      set: (on) => {
        if (!game.setNoCommission(on)) return null;
        tableRules.noCommission = game.noCommission;
        view?.stage.repaintFelt();
        render();
        return t(on ? 'baccarat.noCommissionOn' : 'baccarat.noCommissionOff');
      },
    }, {
      id: 'squeeze', label: t('baccarat.squeeze'), note: t('baccarat.squeezeNote'),
      checked: () => game.squeeze,
      set: (on) => (game.setSqueeze(on) ? t(on ? 'baccarat.squeezeOn' : 'baccarat.squeezeOff') : null),
    }],
  },
});
const { frame, sound } = table;
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
const derived = createDerivedRoads(scene);

const spots = document.createElement('div');
spots.className = 'bc-spots';
spots.setAttribute('role', 'group');
spots.setAttribute('aria-label', t('baccarat.bets'));
const spotButtons = {};
for (const spot of Object.keys(SPOT_KEYS)) {
  const b = document.createElement('button');
  b.type = 'button';
  b.className = `bc-spot ${spot}`;
  // Spaces between the parts, so their words never run together where the spot's text is read whole.
  b.innerHTML = `<span class="name"></span> <span class="pays"></span> <span class="amount num"></span><kbd aria-hidden="true"></kbd>`;
  b.querySelector('.name').textContent = spotName(spot);
  b.querySelector('.pays').textContent = t('baccarat.pays', { odds: PAYS[spot]() });
  b.querySelector('kbd').dataset.key = SPOT_KEYS[spot].toUpperCase();
  b.setAttribute('aria-keyshortcuts', SPOT_KEYS[spot].toUpperCase());
  b.addEventListener('click', () => table.place(spot));
  b.addEventListener('contextmenu', (e) => {
    e.preventDefault();
    if (!dealing && !table.refused(game.slip.bets.has(spot) ? game.slip.remove(spot) : { ok: false, reason: t('refuse.noBetThere') })) render();
  });
  spotButtons[spot] = b;
  spots.append(b);
}
frame.board.append(spots);

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

// The cards of the coup being dealt that have been said ("player0"), so each is said once.
let said = new Set();

// `down`: the cards dealt face down and not yet turned, which are neither said nor shown.
function showHands(coup, count = Infinity, down = new Set()) {
  const order = dealOrder(coup).slice(0, count).filter(([side, i]) => !down.has(`${side}${i}`));
  if (dealing) {
    for (const [side, i] of order.filter(([h, k]) => !said.has(`${h}${k}`))) {
      const cards = order.filter(([h]) => h === side).map(([, k]) => coup[side][k]);
      speak(t('say.cards', { who: t(`say.${side}`), cards: cardName(coup[side][i]), total: handTotal(cards) }));
      said.add(`${side}${i}`);
    }
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

// The squeeze: the player turns a face-down card by dragging it up, step by
// step with V, or at once with O; the coup carries on once it is face up.
const SQUEEZE_STEPS = 4;
const squeezeBox = document.createElement('section');
squeezeBox.className = 'bc-squeeze';
squeezeBox.hidden = true;
squeezeBox.setAttribute('aria-labelledby', 'bc-squeeze-title');
squeezeBox.innerHTML = `<h2 id="bc-squeeze-title"></h2>
  <button type="button" class="bc-squeeze-card" aria-keyshortcuts="V"><span class="card-face" aria-hidden="true"></span><span class="cover"></span></button>
  <p class="note"></p>
  <button type="button" class="btn bc-squeeze-all" aria-keyshortcuts="F"><span></span> <kbd aria-hidden="true">F</kbd></button>`;
frame.stage.append(squeezeBox);
const squeezeCard = squeezeBox.querySelector('.bc-squeeze-card');
squeezeBox.querySelector('.note').textContent = t('baccarat.squeezeHow');
squeezeBox.querySelector('.bc-squeeze-all span').textContent = t('baccarat.squeezeAll');
let squeezing = null;

function squeezeTo(turned) {
  if (!squeezing) return;
  squeezing.turned = Math.min(1, Math.max(squeezing.turned, turned));
  squeezeCard.style.setProperty('--turned', String(squeezing.turned));
  const percent = Math.round(squeezing.turned * 100);
  squeezeCard.setAttribute('aria-label', t('baccarat.squeezeCard', { who: squeezing.who, percent }));
  if (squeezing.turned < 1) return;
  const done = squeezing.done;
  squeezing = null;
  squeezeBox.hidden = true;
  done();
}

function turnFaceDown(coup, side, index) {
  const card = coup[side][index];
  const who = t(`say.${side}`);
  const face = squeezeCard.querySelector('.card-face');
  face.textContent = cardLabel(card);
  face.classList.toggle('red', isRed(card));
  squeezeBox.querySelector('h2').textContent = t('baccarat.squeezeTitle', { who, n: index + 1 });
  return new Promise((done) => {
    squeezing = { turned: 0, who, done };
    squeezeTo(0);
    squeezeBox.hidden = false;
    speak(t('baccarat.squeezeSay', { who, n: index + 1 }));
    squeezeCard.focus({ preventScroll: true });
  });
}

squeezeCard.addEventListener('click', () => squeezeTo(squeezing ? squeezing.turned + 1 / SQUEEZE_STEPS : 0));
squeezeBox.querySelector('.bc-squeeze-all').addEventListener('click', () => squeezeTo(1));
// Dragging up turns the card as far as the pointer has gone over its height.
squeezeCard.addEventListener('pointerdown', (e) => {
  if (!squeezing) return;
  const from = e.clientY, height = squeezeCard.getBoundingClientRect().height, start = squeezing.turned;
  squeezeCard.setPointerCapture(e.pointerId);
  const move = (m) => squeezeTo(start + (from - m.clientY) / height);
  const up = () => { squeezeCard.removeEventListener('pointermove', move); squeezeCard.removeEventListener('pointerup', up); };
  squeezeCard.addEventListener('pointermove', move);
  squeezeCard.addEventListener('pointerup', up);
});

// Deals the cards in the real order, each turned face up after it lands; the
// squeezed hand's cards wait face down for the player to turn them.
async function deal() {
  const result = game.deal();
  if (table.refused(result)) return;
  dealing = true;
  render();
  if (result.shuffled) {
    frame.say(t('baccarat.newShoe', { card: cardLabel(game.burned.card), count: game.burned.count }));
    await wait(900);
  } else frame.say(t('baccarat.dealing'));
  const { coup } = result;
  said = new Set();
  for (const side of ['player', 'banker']) {
    hands[side].querySelector('.bc-cards').replaceChildren();
    hands[side].querySelector('.bc-total').textContent = '';
    hands[side].classList.remove('won');
  }
  const bets = { ...game.round.bets };
  const order = dealOrder(coup);
  const squeeze = game.squeeze ? squeezeSide(bets) : null;
  const turn = (side, i) => turnFaceDown(coup, side, i);
  if (view) {
    await view.sweep();
    await view.deal(coup, game.state.stats.rounds, { onCard, onStep: (n, down) => showHands(coup, n, down), squeeze, turn });
  }
  // Without a drawing the cards are only said and kept for the screen reader.
  const down = new Set();
  for (let i = 0; i < order.length && !view; i++) {
    const [side, index] = order[i];
    if (i === 4) await wait(500);
    sound.card();
    if (side === squeeze) down.add(`${side}${index}`);
    await wait(380);
    showHands(coup, i + 1, down);
    for (const [s2, k] of i >= 3 ? order.slice(0, i + 1) : []) {
      if (!down.has(`${s2}${k}`)) continue;
      await turn(s2, k);
      down.delete(`${s2}${k}`);
      showHands(coup, i + 1, down);
    }
    sound.flip();
    await wait(320);
  }
  const done = game.settle();
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
  table.finish(resultOf(done), Math.min(3, Math.ceil((done.returned - done.staked) / Math.max(1, done.staked))));
  render();
}

function render() {
  frame.setBankroll(game.bankroll);
  frame.setBet(game.round ? game.round.staked : game.slip.totalCents);
  frame.setChips((value) => chipUnavailable(value, game.bankroll, MOST_ON_A_SPOT));
  table.showBetting();
  const bets = game.round ? game.round.bets : game.slip.toObject();
  for (const [spot, b] of Object.entries(spotButtons)) {
    const chips = bets[spot] ?? 0;
    b.querySelector('.pays').textContent = t('baccarat.pays', { odds: PAYS[spot]() });
    b.querySelector('.amount').textContent = chips ? formatChips(chips * 100) : '';
    b.classList.toggle('has-bet', chips > 0);
    b.setAttribute('aria-label', t(chips ? 'baccarat.spotKeyBet' : 'baccarat.spotKey',
      { name: spotName(spot), odds: PAYS[spot](), amount: chips * 100, key: SPOT_KEYS[spot].toUpperCase() }));
  }
  if (view && !settling) view.stakes(bets);
  const results = game.results;
  drawScoreboards(roads, results);
  derived.show(results);
  const wins = results.reduce((m, r) => { m[r.winner]++; return m; }, { player: 0, banker: 0, tie: 0 });
  scene.querySelector('.bc-tally').textContent = t('baccarat.tally', wins);
  scene.querySelector('.bc-shoe').textContent = t('baccarat.cardsLeft', { count: game.cardsLeft });
}

new ResizeObserver(() => drawScoreboards(roads, game.results)).observe(roads);
render();
const last = game.state.history.at(-1);
let lastCoup = null;
if (last && Array.isArray(last.player) && Array.isArray(last.banker)) {
  try { showHands({ ...last, winner: last.winner }); lastCoup = last; } catch { /* an old or edited entry: show an empty table */ }
}
table.mountScene('baccarat', () => createBaccaratScene(frame.stage)).then((v) => {
  if (!v) return;
  view = v;
  if (lastCoup && !dealing) {
    try { v.place(lastCoup, game.state.stats.rounds - 1); } catch { v.place(null); }
  }
  // The painted areas take bets too, as the buttons below them do.
  v.stage.canvas.addEventListener('click', (e) => {
    const spot = v.areaAt(e.clientX, e.clientY);
    if (spot) table.place(spot);
  });
  render();
});
if (game.recovered) announce(game.recovered);
else table.greet(t('baccarat.welcome'));
