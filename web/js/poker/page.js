// SPDX-License-Identifier: GPL-3.0-or-later
// The Poker Royale page: wires the Casino Hold'em game held by game.js to the
// kit's shared frame and the 3D table (scene.js), and turns clicks and keys
// into its moves. Everything that must survive a reload lives in the game's
// saved state; this file keeps only what is on screen. The cards are also
// kept as DOM elements, out of sight, so a screen reader can name them.
import { PokerGame, ANTE_MAX, BONUS_MAX, SMALLEST_ROUND } from './game.js';
import { resultOf, describeEntry } from './record.js';
import { ANTE_PAYS, AA_BONUS_PAYS, STRAIGHT } from '../rules/poker.js';
import { chipUnavailable } from '../kit/bets.js';
import { formatChips, CENTS_PER_CHIP } from '../kit/money.js';
import { cardName } from '../kit/cards.js';
import { houseEdge } from '../rules/edges.js';
import { showCards, showCounts, pause } from '../kit/dom.js';
import { createPokerScene } from './scene.js';
import { announce as speak, setUnavailable, whyUnavailable } from '../kit/table.js';
import { openTable } from '../kit/play.js';
import { t } from '../kit/messages.js';

const game = new PokerGame({ storage: window.localStorage });
let busy = false;
// How much of the board is face up while a hand is shown: 3 for the flop, 5 after.
let boardShown = 0;
let view = null;
// While the circles are paid and handed back, their chips belong to that motion.
let settling = false;
// The call stays on its circle from the moment it is made until the payout.
let callShown = 0;

const BETTING = ['undo', 'clear', 'repeat', 'double-bet', 'deal', 'again'];

const table = openTable({
  id: 'poker', game, minimum: SMALLEST_ROUND, render,
  deal: { id: 'deal', label: t('action.deal'), key: 'Enter', run: deal },
  busy: () => busy, busyText: t('poker.busy'), doubleId: 'double-bet',
  actions: [
    { id: 'hint', label: t('poker.action.hint'), key: 't', hidden: true, onActivate: showHint },
    { id: 'fold', label: t('poker.action.fold'), key: 'f', hidden: true, onActivate: () => finish(true) },
    { id: 'call', label: t('poker.action.call'), key: 'k', primary: true, hidden: true, onActivate: () => finish(false) },
  ],
  // Space puts the chosen chip on the ante (Space on a focused button presses that button), A on the AA bonus.
  onKey: (e) => {
    const circle = e.key === 'a' || e.key === 'A' ? spots.bonus
      : e.key === ' ' && !(e.target instanceof HTMLButtonElement) ? spots.ante : null;
    circle?.click();
    return !!circle;
  },
  panels: {
    limits: t('poker.limits', { min: CENTS_PER_CHIP, anteMax: ANTE_MAX * CENTS_PER_CHIP, bonusMax: BONUS_MAX * CENTS_PER_CHIP }),
    describe: describeEntry,
    rules: [t('help.poker.1'), t('help.poker.2'), t('help.poker.3')],
    bets: [{ name: t('poker.ante'), pays: t('poker.antePays'), edge: houseEdge('poker', 'ante').value },
      { name: t('poker.call'), pays: t('odds', { odds: 1 }), edge: t('poker.callEdge') },
      { name: t('poker.bonus'), pays: t('poker.bonusPays'), edge: houseEdge('poker', 'aaBonus').value }],
    keys: [{ key: t('key.space'), what: t('poker.spot.ante') }, { key: 'A', what: t('poker.spot.bonus') }],
  },
});
const { frame, sound } = table;

// Over the stage: the cards for screen readers; the table's own view (the 3D
// table with the buttons over its three circles), which keeps clear of the
// column at the right where the paytable and the statistics stand.
const over = document.createElement('div');
over.innerHTML = `
  <section class="visually-hidden"><div id="dealer-cards"></div><div></div></section>
  <section class="visually-hidden"><div id="board-cards"></div></section>
  <section class="visually-hidden"><div id="player-cards"></div><div></div></section>
  <div class="pk-view"><div class="pk-spots">
    <button class="bet-circle pk-spot" id="spot-bonus" type="button"><span class="bet-amount"></span><span class="pk-label"> <kbd aria-hidden="true" data-key="A"></kbd></span></button>
    <button class="bet-circle pk-spot" id="spot-ante" type="button"><span class="bet-amount"></span><span class="pk-label"> <kbd aria-hidden="true" data-key="${t('key.space')}"></kbd></span></button>
    <div class="bet-circle pk-spot pk-call" id="spot-call"><span class="bet-amount"></span><span class="pk-label"></span></div>
  </div></div>
  <aside class="side-panel pk-pays">
    <table class="pk-paytable"><caption></caption><thead><tr><th scope="col"></th><th scope="col"></th><th scope="col"></th></tr></thead><tbody></tbody></table>
    <p class="pk-note"></p>
    <h2></h2><dl id="stats"></dl>
    <label class="pk-toggle"><input type="checkbox"> <span></span></label>
  </aside>`;
const [dealerRow, boardRow, playerRow, tableView, side] = over.children;
const spotBox = tableView.firstElementChild;
const spots = { bonus: spotBox.children[0], ante: spotBox.children[1], call: spotBox.children[2] };
dealerRow.setAttribute('aria-label', t('poker.dealerArea'));
boardRow.setAttribute('aria-label', t('poker.boardArea'));
playerRow.setAttribute('aria-label', t('poker.playerArea'));
for (const [name, label] of [['bonus', 'poker.bonus'], ['ante', 'poker.ante'], ['call', 'poker.call']]) {
  spots[name].setAttribute('aria-label', t(`poker.spot.${name}`));
  spots[name].querySelector('.pk-label').prepend(t(label));
}
side.setAttribute('aria-label', t('poker.side'));
// One paytable, the ante's and the AA bonus's odds side by side, from the rules' own pay lists.
const paytable = side.querySelector('table');
paytable.caption.textContent = t('poker.paytable');
[t('poker.handColumn'), t('poker.ante'), t('poker.bonus')].forEach((text, i) => { paytable.tHead.rows[0].cells[i].textContent = text; });
for (const [name, category] of [...[9, 8, 7, 6, 5].map((c) => [`poker.row.${c}`, c]), ['poker.row.rest', STRAIGHT]]) {
  const row = paytable.tBodies[0].insertRow();
  const head = document.createElement('th');
  head.scope = 'row';
  head.textContent = t(name);
  row.append(head);
  for (const pays of [ANTE_PAYS, AA_BONUS_PAYS]) row.insertCell().textContent = String(pays[category]);
}
side.querySelector('.pk-note').textContent = t('poker.bonusFrom');
side.querySelector('h2').textContent = t('stats.title');
side.querySelector('.pk-toggle span').textContent = t('poker.showHints');
const hintsBox = side.querySelector('.pk-toggle input');
hintsBox.addEventListener('change', () => { game.setHints(hintsBox.checked); render(); });
frame.stage.insertBefore(over, frame.board);
over.replaceWith(...over.children);

spots.ante.addEventListener('click', () => onSpot(spots.ante, 'ante'));
spots.bonus.addEventListener('click', () => onSpot(spots.bonus, 'bonus'));
function onSpot(button, name) {
  const why = whyUnavailable(button);
  if (why) frame.say(why, 'warn');
  else table.place(name);
}

function stack(button, cents) {
  button.firstElementChild.dataset.amount = cents ? formatChips(cents) : '';
}

function renderStats() {
  const s = game.state.stats;
  showCounts(side.querySelector('#stats'), [['stats.won', s.handsWon], ['stats.lost', s.handsLost], ['stats.pushed', s.handsPushed],
    ['poker.stats.folded', s.folds], ['poker.stats.bonusWins', s.bonusWins]]);
}

/** The dealer's hand as shown at the showdown, with whether it qualifies. */
const dealerHand = (shown) => (shown.qualifies ? shown.dealerHand : t('poker.doesNotQualify', { hand: shown.dealerHand }));

function render() {
  const live = game.round;
  const shown = live ?? game.lastRound;
  const betting = !live;
  frame.setBankroll(game.bankroll);
  frame.setBet(live ? live.ante + live.aaBonus : game.slip.totalCents);

  const [dealerCards, dealerTotal] = dealerRow.children, [playerCards, playerTotal] = playerRow.children;
  if (shown) {
    const revealed = !live;
    const board = shown.board.map((c, i) => (i < (live ? 3 : boardShown || 5) ? c : null));
    showCards(dealerCards, revealed && boardShown >= 5 ? shown.dealer : [null, null]);
    showCards(boardRow.firstElementChild, board);
    showCards(playerCards, shown.player);
    playerTotal.textContent = live ? game.playerSoFar() : boardShown >= 5 ? shown.playerHand : '';
    dealerTotal.textContent = revealed && boardShown >= 5 && !shown.folded ? dealerHand(shown) : '';
  } else {
    for (const row of [dealerCards, boardRow.firstElementChild, playerCards]) showCards(row, []);
    playerTotal.textContent = '';
    dealerTotal.textContent = '';
  }

  stack(spots.ante, betting ? game.slip.amountOn('ante') * CENTS_PER_CHIP : live.ante);
  stack(spots.bonus, betting ? game.slip.amountOn('bonus') * CENTS_PER_CHIP : live.aaBonus);
  stack(spots.call, callShown);
  // Whatever cannot be done now stays reachable and says why.
  const wait = busy ? t('poker.busy') : '';
  const between = betting ? '' : t('poker.chipsBetweenHands');
  setUnavailable(spots.ante, wait || between);
  setUnavailable(spots.bonus, wait || between);
  frame.selectChip(game.slip.chip);
  frame.setChips((value) => between || chipUnavailable(value, game.bankroll, ANTE_MAX));
  for (const id of BETTING) frame.setAction(id, { hidden: !betting });
  frame.setAction('fold', { hidden: betting });
  frame.setAction('hint', { hidden: betting, reason: wait });
  hintsBox.checked = game.state.settings.hints;
  frame.setAction('call', { hidden: betting });
  table.showBetting();
  const noHand = live ? '' : t('poker.noHand');
  frame.setAction('call', { reason: wait || noHand || (2 * live.ante > game.bankroll
    ? t('poker.callCost', { needed: 2 * live.ante, held: game.bankroll }) : ''),
  label: live ? t('poker.action.callCost', { amount: 2 * live.ante }) : t('poker.action.call') });
  frame.setAction('fold', { reason: wait || noHand });
  renderStats();
  frame.setMuted(sound.muted);
  showTable(shown, live);
}

function showTable(shown, live, animate = true) {
  if (!view) return;
  const rounds = game.state.stats.rounds;
  const finished = !live && shown;
  view.show(shown, { id: live ? rounds : rounds - 1, animate,
    boardUp: live ? 3 : boardShown || 5, dealerUp: !!finished && (boardShown || 5) >= 5,
    onCard: (slot, kind) => (kind === 'turn' ? sound.flip() : sound.card()) });
  if (!shown) view.labels();
  else if (live) view.labels(game.playerSoFar());
  else if ((boardShown || 5) >= 5) {
    const tone = { win: 'good', 'dealer does not qualify': 'good', lose: 'bad', fold: 'bad' }[shown.outcome] ?? '';
    view.labels(shown.playerHand, shown.folded ? '' : dealerHand(shown), tone);
  }
  if (!settling) {
    view.stakes(live ? { ante: live.ante, bonus: live.aaBonus, call: callShown }
      : { ante: game.slip.amountOn('ante') * CENTS_PER_CHIP, bonus: game.slip.amountOn('bonus') * CENTS_PER_CHIP, call: callShown });
  }
}

// The circles are painted on the felt; the buttons over them follow the camera.
function placeSpots() {
  for (const [name, el] of Object.entries(spots)) {
    const { left, top, r } = view.spotBox(name);
    el.style.left = `${left}px`;
    el.style.top = `${top}px`;
    el.style.width = el.style.height = `${2 * r}px`;
  }
  return false;
}

async function deal() {
  const result = game.deal();
  if (table.refused(result)) { render(); return; }
  boardShown = 3;
  busy = true;
  frame.say('');
  render();
  await view?.scene.idle();
  busy = false;
  const h = game.round;
  speak(t('say.cardsNoTotal', { who: t('say.you'), cards: h.player.map(cardName).join(', ') }));
  speak(t('say.flop', { cards: h.board.slice(0, 3).map(cardName).join(', '), hand: game.playerSoFar(false) }));
  frame.say(t('poker.youHold', { hand: game.playerSoFar(false), amount: 2 * h.ante }));
  if (game.state.settings.hints) showHint(true);
  render();
}

// The simple strategy's call or fold with its reason; as the hand is dealt it follows what was said.
function showHint(after = false) {
  const hint = game.hint();
  if (!hint) return;
  const said = t('poker.hintSays', { move: t(`poker.action.${hint.move}`), reason: t(`poker.reason.${hint.reason}`) });
  frame.say(after ? `${t('poker.youHold', { hand: game.playerSoFar(false), amount: 2 * game.round.ante })} ${said}` : said);
}

// The turn, the river and the dealer's cards are turned one after another,
// each with a short pause; the result is already settled and saved.
async function finish(folded) {
  const result = folded ? game.fold() : game.call();
  if (table.refused(result)) { render(); return; }
  const hand = result.settled;
  busy = true;
  boardShown = 3;
  render();
  if (!folded) {
    sound.chip();
    callShown = hand.call;
    stack(spots.call, hand.call);
    for (boardShown = 4; boardShown <= 5; boardShown++) {
      speak(t(boardShown === 4 ? 'say.turn' : 'say.river', { card: cardName(hand.board[boardShown - 1]) }));
      render();
      stack(spots.call, hand.call);
      await view?.scene.idle();
      await pause(view ? 250 : 550);
    }
  }
  boardShown = 5;
  render();
  await view?.scene.idle();
  busy = false;
  render();
  if (!folded) {
    speak(t('say.dealerHole', { cards: hand.dealer.map(cardName).join(', '), hand: hand.dealerHand.toLowerCase() }));
  }
  payOut(hand);
  const shown = resultOf(hand);
  table.finish(shown, shown.net >= 10 * hand.ante ? 3 : 1);
}

async function payOut(hand) {
  if (!view) { callShown = 0; return; }
  settling = true;
  try { await view.settle(hand); } finally { settling = false; callShown = 0; }
  render();
}

async function start() {
  if (game.round) boardShown = 3;
  render();
  view = await table.mountScene('poker', () => createPokerScene(tableView));
  view?.onFrame(placeSpots);
  showTable(game.round ?? game.lastRound, game.round, false);
  if (game.round) frame.say(t('poker.stillInPlay', { amount: 2 * game.round.ante }));
  else table.greet(t('poker.welcome'));
}

start();
