// SPDX-License-Identifier: GPL-3.0-or-later
// The Poker Royale page: shows the Casino Hold'em game held by game.js on the
// 3D table (scene.js) and turns clicks and keys into its moves. Everything
// that must survive a reload lives in the game's saved state; this file keeps
// only what is on screen. The cards are also kept as DOM elements, out of
// sight, so a screen reader can name them.
import { PokerGame, ANTE_MAX, BONUS_MAX, SMALLEST_ROUND } from './game.js';
import { CHIP_VALUES, chipBreakdown, chipUnavailable, isBelowMinimum, belowMinimumMessage } from '../kit/bets.js';
import { formatChips, CENTS_PER_CHIP, STARTING_BANKROLL } from '../kit/money.js';
import { cardName } from '../kit/cards.js';
import { loadFonts } from '../kit/fonts.js';
import { showCards, loadSound, bindKeys, pause } from '../kit/dom.js';
import { createPokerScene } from './scene.js';
import { writeMessage, chipButton, announce as speak, setUnavailable, whyUnavailable, offerFreshStart as offerFresh } from '../kit/table.js';
import { t } from '../kit/messages.js';
import { PlayerSettings } from '../kit/player.js';
import { pokerResult } from '../kit/results.js';

const $ = (id) => document.getElementById(id);
const game = new PokerGame({ storage: window.localStorage });
// The chip and the sound are the player's, the same at every table.
const player = new PlayerSettings(window.localStorage, game.table.settings);
game.slip.selectChip(player.settings.chip);
let sound = null;
let busy = false;
// How much of the board is face up while a hand is shown: 3 for the flop, 5 after.
let boardShown = 0;
let view = null;
// While the circles are paid and handed back, their chips belong to that motion.
let settling = false;
// The call stays on its circle from the moment it is made until the payout.
let callShown = 0;

function say(content, tone = '') { writeMessage($('message'), content, tone); }

function buildRack() {
  CHIP_VALUES.forEach((v, i) => {
    const b = chipButton(v, i);
    b.addEventListener('click', () => {
      const why = whyUnavailable(b);
      if (why) { say(why, 'warn'); return; }
      game.slip.selectChip(v); player.setSetting('chip', v); sound.chip(); render();
    });
    $('rack').append(b);
  });
}

function stack(id, cents) {
  const chips = Math.floor(cents / CENTS_PER_CHIP);
  $(id).replaceChildren(...chipBreakdown(chips).slice(0, 10).map((v, i) => {
    const c = document.createElement('span');
    c.className = `chip v${v}`;
    c.style.setProperty('--i', i);
    return c;
  }));
  $(id).dataset.amount = cents ? formatChips(cents) : '';
}

function renderStats() {
  const s = game.table.stats;
  const rows = [['Won', s.handsWon], ['Lost', s.handsLost], ['Pushed', s.handsPushed], ['Folded', s.folds],
    ['AA bonus wins', s.bonusWins]];
  $('stats').innerHTML = rows.map(([k, v]) => `<dt>${k}</dt><dd class="num">${v}</dd>`).join('');
}

function render() {
  const live = game.hand;
  const shown = live ?? game.lastHand;
  const betting = !live;
  $('bankroll').textContent = formatChips(game.bankroll);
  $('bet').textContent = formatChips(live ? live.ante + live.aaBonus : betting ? game.slip.totalCents : 0);

  if (shown) {
    const revealed = !live;
    const board = shown.board.map((c, i) => (i < (live ? 3 : boardShown || 5) ? c : null));
    showCards($('dealer-cards'), revealed && boardShown >= 5 ? shown.dealer : [null, null]);
    showCards($('board-cards'), board);
    showCards($('player-cards'), shown.player);
    $('player-hand').textContent = live ? game.playerSoFar() : boardShown >= 5 ? shown.playerHand : '';
    $('dealer-hand').textContent = revealed && boardShown >= 5 && !shown.folded
      ? shown.dealerHand + (shown.qualifies ? '' : ' · does not qualify') : '';
  } else {
    for (const id of ['dealer-cards', 'board-cards', 'player-cards']) showCards($(id), []);
    $('player-hand').textContent = '';
    $('dealer-hand').textContent = '';
  }

  stack('stack-ante', betting ? game.slip.amountOn('ante') * CENTS_PER_CHIP : live.ante);
  stack('stack-bonus', betting ? game.slip.amountOn('bonus') * CENTS_PER_CHIP : live.aaBonus);
  stack('stack-call', callShown);
  // Whatever cannot be done now stays reachable and says why.
  const wait = busy ? t('poker.busy') : '';
  const between = betting ? '' : t('poker.chipsBetweenHands');
  setUnavailable($('spot-ante'), wait || between);
  setUnavailable($('spot-bonus'), wait || between);
  for (const chip of $('rack').children) {
    chip.setAttribute('aria-pressed', String(Number(chip.dataset.value) === game.slip.chip));
    setUnavailable(chip, between || chipUnavailable(Number(chip.dataset.value), game.bankroll, ANTE_MAX));
  }
  $('betting').hidden = !betting;
  $('deciding').hidden = betting;
  for (const [id, action] of [['undo', 'undo'], ['clear', 'clear'], ['repeat', 'repeat'], ['double-bet', 'double']]) {
    setUnavailable($(id), wait || game.slip.whyNot(action));
  }
  setUnavailable($('deal'), wait || game.readiness().reason);
  const noHand = live ? '' : t('poker.noHand');
  setUnavailable($('call'), wait || noHand || (2 * live.ante > game.bankroll
    ? t('poker.callCost', { needed: 2 * live.ante, held: game.bankroll }) : ''));
  setUnavailable($('fold'), wait || noHand);
  if (live) $('call').firstChild.textContent = `Call ${formatChips(2 * live.ante)} `;
  renderStats();
  $('mute').firstChild.textContent = sound?.muted ? 'Sound off ' : 'Sound on ';
  $('mute').setAttribute('aria-pressed', String(!!sound?.muted));
  showTable(shown, live);
}

function showTable(shown, live, animate = true) {
  if (!view) return;
  const rounds = game.table.stats.rounds;
  const finished = !live && shown;
  view.show(shown, { id: live ? rounds : rounds - 1, animate,
    boardUp: live ? 3 : boardShown || 5, dealerUp: !!finished && (boardShown || 5) >= 5,
    onCard: (slot, kind) => (kind === 'turn' ? sound.flip() : sound.card()) });
  if (!shown) view.labels();
  else if (live) view.labels(game.playerSoFar());
  else if ((boardShown || 5) >= 5) {
    const tone = { win: 'good', 'dealer does not qualify': 'good', lose: 'bad', fold: 'bad' }[shown.outcome] ?? '';
    view.labels(shown.playerHand, shown.folded ? '' : shown.dealerHand + (shown.qualifies ? '' : ' · does not qualify'), tone);
  }
  if (!settling) {
    view.stakes(live ? { ante: live.ante, bonus: live.aaBonus, call: callShown }
      : { ante: game.slip.amountOn('ante') * CENTS_PER_CHIP, bonus: game.slip.amountOn('bonus') * CENTS_PER_CHIP, call: callShown });
  }
}

// The circles are painted on the felt; the buttons over them follow the camera.
function placeSpots() {
  for (const [name, id] of [['ante', 'spot-ante'], ['bonus', 'spot-bonus'], ['call', 'spot-call']]) {
    const { left, top, r } = view.spotBox(name);
    const el = $(id);
    el.style.left = `${left}px`;
    el.style.top = `${top}px`;
    el.style.width = el.style.height = `${2 * r}px`;
  }
  return false;
}

function refused(result) {
  if (!result.ok) say(result.reason, 'warn');
  return !result.ok;
}

async function deal() {
  const result = game.deal();
  if (refused(result)) { render(); return; }
  boardShown = 3;
  busy = true;
  say('');
  render();
  await view?.scene.idle();
  busy = false;
  const h = game.hand;
  speak(t('say.cardsNoTotal', { who: t('say.you'), cards: h.player.map(cardName).join(', ') }));
  speak(t('say.flop', { cards: h.board.slice(0, 3).map(cardName).join(', '), hand: game.playerSoFar().toLowerCase() }));
  say(`You hold ${game.playerSoFar().toLowerCase()}. Call ${formatChips(2 * game.hand.ante)} or fold.`);
  render();
}

// The turn, the river and the dealer's cards are turned one after another,
// each with a short pause; the result is already settled and saved.
async function finish(folded) {
  const result = folded ? game.fold() : game.call();
  if (refused(result)) { render(); return; }
  const hand = result.settled;
  busy = true;
  boardShown = 3;
  render();
  if (!folded) {
    sound.chip();
    callShown = hand.call;
    stack('stack-call', hand.call);
    for (boardShown = 4; boardShown <= 5; boardShown++) {
      speak(t(boardShown === 4 ? 'say.turn' : 'say.river', { card: cardName(hand.board[boardShown - 1]) }));
      render();
      stack('stack-call', hand.call);
      await view?.scene.idle();
      await pause(view ? 250 : 550);
    }
    boardShown = 5;
  } else {
    boardShown = 5;
  }
  render();
  await view?.scene.idle();
  busy = false;
  render();
  if (!folded) {
    speak(t('say.dealerHole', { cards: hand.dealer.map(cardName).join(', '), hand: hand.dealerHand.toLowerCase() }));
  }
  payOut(hand);
  const shownResult = pokerResult(hand);
  if (isBelowMinimum(game.bankroll, SMALLEST_ROUND)) offerFreshStart(shownResult);
  else say(shownResult);
  if (shownResult.net > 0) sound.win(shownResult.net >= 10 * hand.ante ? 3 : 1);
  else if (shownResult.net < 0) sound.lose();
}

// Out of chips: say so, and offer the same fresh start the shell's reset gives.
function offerFreshStart(result = null) {
  offerFresh($('message'), belowMinimumMessage(game.bankroll, SMALLEST_ROUND), () => {
    game.table.startAgain();
    render();
    say(t('broke.done', { fresh: STARTING_BANKROLL }));
  }, result);
}

async function payOut(hand) {
  if (!view) { callShown = 0; return; }
  settling = true;
  try { await view.settle(hand); } finally { settling = false; callShown = 0; }
  render();
}

function wire() {
  // A button that cannot act says why instead.
  const on = (id, fn) => $(id).addEventListener('click', () => {
    const why = whyUnavailable($(id));
    if (!why) fn();
    // Out of chips, a refused deal comes with the fresh start.
    else if (id === 'deal' && !game.hand && isBelowMinimum(game.bankroll, SMALLEST_ROUND)) offerFreshStart();
    else say(why, 'warn');
  });
  const slip = (fn) => () => { if (!refused(fn())) { sound.chip(); say(''); } render(); };
  on('spot-ante', slip(() => game.slip.place('ante')));
  on('spot-bonus', slip(() => game.slip.place('bonus')));
  on('undo', slip(() => game.slip.undo()));
  on('clear', slip(() => game.slip.clear()));
  on('repeat', slip(() => game.slip.repeat()));
  on('double-bet', slip(() => game.slip.double()));
  on('deal', deal);
  on('call', () => finish(false));
  on('fold', () => finish(true));
  on('mute', () => { sound.toggleMute(); render(); });
  const keys = {
    ' ': $('spot-ante'), a: $('spot-bonus'), u: $('undo'), Backspace: $('undo'), c: $('clear'), r: $('repeat'),
    x: $('double-bet'), Enter: $('deal'), k: $('call'), f: $('fold'), m: $('mute'),
  };
  CHIP_VALUES.forEach((v, i) => { keys[String(i + 1)] = $('rack').children[i]; });
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' && e.target instanceof HTMLButtonElement) e.stopImmediatePropagation();
  }, true);
  bindKeys(keys, (text) => say(text, 'warn'));
}

async function start() {
  buildRack();
  $('limits').textContent = t('poker.limits', { min: CENTS_PER_CHIP, anteMax: ANTE_MAX * CENTS_PER_CHIP,
    bonusMax: BONUS_MAX * CENTS_PER_CHIP });
  sound = await loadSound(player);
  wire();
  if (game.hand) boardShown = 3;
  render();
  try {
    view = await createPokerScene($('stage'));
    document.body.dataset.stage = view.webgl ? 'webgl' : '2d';
    view.onFrame(placeSpots);
  } catch (e) {
    console.warn('Velmar Casino: the poker table could not be drawn', e);
  }
  showTable(game.hand ?? game.lastHand, game.hand, false);
  loadFonts();
  if (game.hand) say(`Your hand is still in play: call ${formatChips(2 * game.hand.ante)} or fold.`);
  else if (isBelowMinimum(game.bankroll, SMALLEST_ROUND)) offerFreshStart();
  else say('Place an ante (and the AA bonus if you like), then deal.');
}

start();
