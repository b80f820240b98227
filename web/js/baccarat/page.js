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
import { BaccaratGame, TABLE_MIN, TABLE_MAX, SPOT_MAX } from './game.js';
import { resultOf, describeEntry, spotName } from './record.js';
import { drawScoreboards, createDerivedRoads } from './scoreboard.js';
import { createBaccaratScene, PAYS } from './scene.js';

const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)').matches;
const game = new BaccaratGame({ storage: window.localStorage });
let dealing = false;
let view = null;
// While the bets are paid and handed back, their chips belong to that motion.
let settling = false;

const SPOT_KEYS = { playerPair: 'q', player: 'p', tie: 't', banker: 'b', bankerPair: 'w' };

const table = openTable({
  id: 'baccarat', game, minimum: TABLE_MIN, render,
  deal: { id: 'deal', label: t('action.deal'), key: 'Enter', run: deal },
  busy: () => dealing, busyText: t('baccarat.busy'), undoKey: 'u',
  onKey: (e) => {
    const spot = Object.keys(SPOT_KEYS).find((k) => SPOT_KEYS[k] === e.key.toLowerCase());
    if (!spot) return false;
    table.place(spot);
    return true;
  },
  panels: {
    limits: t('baccarat.limits', { min: TABLE_MIN * 100, mainMax: SPOT_MAX.player * 100, sideMax: SPOT_MAX.tie * 100,
      max: TABLE_MAX * 100 }),
    describe: describeEntry,
    rules: [t('help.baccarat.1'), t('help.baccarat.2'), t('help.baccarat.3'), t('help.baccarat.4')],
    bets: Object.keys(SPOT_KEYS).map((spot) => ({ name: spotName(spot), pays: PAYS[spot](), edge: houseEdge('baccarat', spot).value })),
    keys: Object.entries(SPOT_KEYS).map(([spot, key]) => ({ key: key.toUpperCase(), what: spotName(spot) })),
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
  const result = game.deal();
  if (table.refused(result)) return;
  dealing = true;
  render();
  if (result.shuffled) {
    frame.say(t('baccarat.newShoe', { card: cardLabel(game.burned.card), count: game.burned.count }));
    await wait(900);
  } else frame.say(t('baccarat.dealing'));
  const { coup } = result;
  said = 0;
  for (const side of ['player', 'banker']) {
    hands[side].querySelector('.bc-cards').replaceChildren();
    hands[side].querySelector('.bc-total').textContent = '';
    hands[side].classList.remove('won');
  }
  const bets = { ...game.round.bets };
  const order = dealOrder(coup);
  if (view) {
    await view.sweep();
    await view.deal(coup, game.state.stats.rounds, { onCard, onStep: (n) => showHands(coup, n) });
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
