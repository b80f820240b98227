// SPDX-License-Identifier: GPL-3.0-or-later
// The Blackjack Royale page: shows the game held by game.js on the 3D table
// (scene.js) and turns clicks and keys into its moves. Everything that must
// survive a reload lives in the game's saved state; this file keeps only what
// is on screen. The cards are also kept as DOM elements, out of sight, so a
// screen reader can name them.
import { BlackjackGame, SPOT, TABLE_MIN, TABLE_MAX } from './game.js';
import { handValue, insuranceCost, dealerHits } from '../rules/blackjack.js';
import { blackjackResult, handTotalText } from '../kit/results.js';
import { writeMessage, chipButton, announce as speak, setUnavailable, whyUnavailable, offerFreshStart as offerFresh } from '../kit/table.js';
import { t } from '../kit/messages.js';
import { PlayerSettings } from '../kit/player.js';
import { CHIP_VALUES, chipBreakdown, chipUnavailable, isBelowMinimum, belowMinimumMessage } from '../kit/bets.js';
import { formatChips, CENTS_PER_CHIP, STARTING_BANKROLL } from '../kit/money.js';
import { cardName } from '../kit/cards.js';
import { loadFonts } from '../kit/fonts.js';
import { showCards, loadSound, bindKeys, pause } from '../kit/dom.js';
import { createBlackjackScene } from './scene.js';

const $ = (id) => document.getElementById(id);
const game = new BlackjackGame({ storage: window.localStorage });
// The chip and the sound are the player's, the same at every table.
const player = new PlayerSettings(window.localStorage, game.table.settings);
game.slip.selectChip(player.settings.chip);
let sound = null;
let busy = false;
let view = null;
// While won stakes are paid and handed back, the circles belong to that motion.
let settling = false;

const MOVE_NAMES = { hit: 'Hit', stand: 'Stand', double: 'Double', split: 'Split' };

function say(content, tone = '') { writeMessage($('message'), content, tone); }

function buildRack() {
  const rack = $('rack');
  CHIP_VALUES.forEach((v, i) => {
    const b = chipButton(v, i);
    b.addEventListener('click', () => {
      const why = whyUnavailable(b);
      if (why) { say(why, 'warn'); return; }
      game.slip.selectChip(v); player.setSetting('chip', v); sound.chip(); render();
    });
    b.dataset.value = v;
    rack.append(b);
  });
}

function renderStack(chips) {
  const stack = $('stack');
  stack.replaceChildren(...chipBreakdown(chips).slice(0, 12).map((v, i) => {
    const c = document.createElement('span');
    c.className = `chip v${v}`;
    c.style.setProperty('--i', i);
    return c;
  }));
  stack.dataset.amount = chips ? formatChips(chips * CENTS_PER_CHIP) : '';
}

function renderHands(round) {
  const box = $('hands');
  const hands = round ? round.hands : [];
  while (box.children.length > hands.length) box.lastChild.remove();
  hands.forEach((hand, i) => {
    let el = box.children[i];
    if (!el) {
      el = document.createElement('div');
      el.className = 'bj-hand';
      el.innerHTML = '<div class="bj-cards"></div><div class="bj-total"></div><div class="bj-wager num"></div>';
      box.append(el);
    }
    showCards(el.firstChild, hand.cards);
    const { total } = handValue(hand.cards);
    const outcome = round.outcomes?.[i]?.outcome;
    // Both values of a soft total only while this hand may still draw.
    const open = round.phase === 'player' && !hand.done;
    const shown = total > 21 ? `${total} bust` : handTotalText(hand.cards, open);
    el.querySelector('.bj-total').textContent = shown;
    el.querySelector('.bj-wager').textContent = formatChips(hand.bet) + (hand.doubled ? ' doubled' : '') +
      (outcome ? ` · ${outcome}` : '');
    el.classList.toggle('active', round.phase === 'player' && round.active === i);
    el.dataset.outcome = outcome ?? '';
    el.setAttribute('aria-label', `Hand ${i + 1}: ${shown}${outcome ? ', ' + outcome : ''}`);
  });
}

function renderStats() {
  const s = game.table.stats;
  const rows = [['Won', s.handsWon], ['Lost', s.handsLost], ['Pushed', s.handsPushed], ['Blackjacks', s.blackjacks]];
  $('stats').innerHTML = rows.map(([k, v]) => `<dt>${k}</dt><dd class="num">${v}</dd>`).join('');
}

function render() {
  const round = game.round ?? game.lastRound;
  const phase = game.phase;
  $('bankroll').textContent = formatChips(game.bankroll);
  const live = game.round;
  $('bet').textContent = formatChips(live ? live.hands.reduce((t, h) => t + h.bet, 0) + live.insurance : game.slip.totalCents);

  const hideHole = live && (phase === 'insurance' || phase === 'player');
  const dealerCards = round ? (hideHole ? [round.dealer[0], null] : round.dealer) : [];
  showCards($('dealer-cards'), dealerCards);
  $('dealer-total').textContent = !round ? '' : hideHole ? String(handValue([round.dealer[0]]).total)
    : handTotalText(round.dealer, live && round.phase === 'dealer' && dealerHits(round.dealer));
  renderHands(round);
  // A split moves the stakes to their hands, each labelled there; the middle circle is then empty.
  renderStack(phase === 'betting' ? game.slip.total : live && live.hands.length === 1 ? live.hands[0].bet / CENTS_PER_CHIP : 0);
  // Whatever cannot be done now stays reachable and says why.
  const wait = busy ? t('blackjack.busy') : '';
  const betting = phase === 'betting' ? '' : t('blackjack.chipsBetweenHands');
  setUnavailable($('spot'), wait || betting);
  for (const chip of $('rack').children) {
    chip.setAttribute('aria-pressed', String(Number(chip.dataset.value) === game.slip.chip));
    setUnavailable(chip, betting || chipUnavailable(Number(chip.dataset.value), game.bankroll, TABLE_MAX));
  }
  $('betting').hidden = phase !== 'betting';
  $('insurance').hidden = phase !== 'insurance';
  $('playing').hidden = phase !== 'player' && phase !== 'dealer';
  for (const [id, action] of [['undo', 'undo'], ['clear', 'clear'], ['repeat', 'repeat'], ['double-bet', 'double'], ['deal', 'deal']]) {
    setUnavailable($(id), wait || game.slip.whyNot(action));
  }
  if (live && phase === 'insurance') {
    setUnavailable($('insure'), wait || game.whyNot('insure'));
    $('insure').firstChild.textContent = `Insurance ${formatChips(insuranceCost(live))} `;
  }
  setUnavailable($('no-insure'), wait);
  for (const m of ['hit', 'stand', 'double', 'split']) setUnavailable($(m), wait || game.whyNot(m));
  setUnavailable($('hint'), wait || (phase === 'player' ? '' : t('blackjack.noHint')));
  renderStats();
  $('mute').firstChild.textContent = sound?.muted ? 'Sound off ' : 'Sound on ';
  $('mute').setAttribute('aria-pressed', String(!!sound?.muted));
  $('hints-on').checked = game.table.settings.hints;
  speakCards(live, hideHole);
  showTable(round, hideHole);
}

// What has been said of each hand, so each new card is said once: a hand
// whose cards no longer start with what was said (a split) is said again.
let heard = { id: null, rows: new Map() };
function speakCards(round, hideHole, quiet = false) {
  const id = roundId();
  if (heard.id !== id) heard = { id, rows: new Map() };
  if (!round) return;
  const rows = round.hands.map((hand, i) => [round.hands.length > 1 ? t('blackjack.handN', { n: i + 1 }) : t('say.you'),
    hand.cards, handTotalText(hand.cards, round.phase === 'player' && !hand.done)]);
  rows.push([t('say.dealer'), hideHole ? [round.dealer[0]] : round.dealer,
    hideHole ? '' : handTotalText(round.dealer)]);
  for (const [who, cards, total] of rows) {
    const before = heard.rows.get(who) ?? [];
    heard.rows.set(who, cards);
    if (quiet) continue;
    const same = before.every((c, i) => c === cards[i]);
    const fresh = same ? cards.slice(before.length) : cards;
    if (!fresh.length) continue;
    const named = fresh.map(cardName).join(', ');
    speak(total ? t('say.cards', { who, cards: named, total }) : t('say.cardsNoTotal', { who, cards: named }));
  }
}

// The round's number tells one deal from the next, so a new deal sweeps the
// old cards away even when a card happens to repeat in the same place.
function roundId() {
  const rounds = game.table.stats.rounds;
  return game.round ? rounds : rounds - 1;
}

function showTable(round, hideHole, animate = true) {
  if (!view) return;
  view.show(round, { id: roundId(), hideHole, animate, outcomes: game.round ? null : round?.outcomes,
    onCard: (slot, kind) => (kind === 'turn' ? sound.flip() : sound.card()) });
  if (!settling) view.stakes(game.round, game.phase === 'betting' ? game.slip.total : 0);
}

// The bet circle is painted on the felt; the button over it follows the camera.
function placeSpot() {
  const { left, top, r } = view.spotBox();
  const spot = $('spot');
  spot.style.left = `${left}px`;
  spot.style.top = `${top}px`;
  spot.style.width = spot.style.height = `${2 * r}px`;
  return false;
}

function showHint() {
  const move = game.hint();
  if (move) say(`Basic strategy says: ${MOVE_NAMES[move]}.`);
}

function refused(result) {
  if (!result.ok) say(result.reason, 'warn');
  return !result.ok;
}

// After the player's last move the dealer turns the hole card and draws,
// one card at a time, each step saved so a reload picks up where it was.
async function runDealer() {
  busy = true;
  render();
  await view?.scene.idle();
  let last = { ok: true };
  while (game.dealerDrawing) {
    await pause(420);
    last = game.dealerDraw();
    render();
    await view?.scene.idle();
  }
  busy = false;
  return last;
}

function announce(result) {
  const round = result.settled;
  if (!round) return;
  payOut(round);
  const shown = blackjackResult(round);
  if (isBelowMinimum(game.bankroll, TABLE_MIN)) offerFreshStart(shown);
  else say(shown);
  if (shown.net > 0) sound.win(shown.net >= 10 * round.bet ? 3 : shown.net > round.bet ? 2 : 1);
  else if (shown.net < 0) sound.lose();
}

// Out of chips: say so, and offer the same fresh start the shell's reset gives.
function offerFreshStart(result = null) {
  offerFresh($('message'), belowMinimumMessage(game.bankroll, TABLE_MIN), () => {
    game.table.startAgain();
    render();
    say(t('broke.done', { fresh: STARTING_BANKROLL }));
  }, result);
}

async function payOut(round) {
  if (!view) return;
  settling = true;
  try { await view.settle(round); } finally { settling = false; }
  render();
}

async function after(result) {
  if (refused(result)) { render(); return; }
  busy = true;
  render();
  await view?.scene.idle();
  busy = false;
  if (game.phase === 'dealer') {
    say('Dealer plays.');
    announce(await runDealer());
  } else if (result.settled) {
    announce(result);
  } else if (game.phase === 'insurance') {
    say(`Dealer shows an ace. Insurance costs ${formatChips(insuranceCost(game.round))} and pays 2 to 1.`);
  } else if (game.phase === 'player') {
    if (game.table.settings.hints) showHint(); else say('');
  }
  render();
}

function wire() {
  // A button that cannot act says why instead.
  const on = (id, fn) => $(id).addEventListener('click', () => {
    const why = whyUnavailable($(id));
    if (!why) fn();
    // Out of chips, a refused deal comes with the fresh start.
    else if (id === 'deal' && !game.round && isBelowMinimum(game.bankroll, TABLE_MIN)) offerFreshStart();
    else say(why, 'warn');
  });
  const slip = (fn) => () => { if (!refused(fn())) { sound.chip(); say(''); } render(); };
  on('spot', slip(() => game.slip.place(SPOT)));
  on('undo', slip(() => game.slip.undo()));
  on('clear', slip(() => game.slip.clear()));
  on('repeat', slip(() => game.slip.repeat()));
  on('double-bet', slip(() => game.slip.double()));
  on('deal', () => after(game.deal()));
  on('insure', () => after(game.insure(true)));
  on('no-insure', () => after(game.insure(false)));
  for (const m of ['hit', 'stand', 'double', 'split']) on(m, () => after(game.play(m)));
  on('hint', showHint);
  on('mute', () => { sound.toggleMute(); render(); });
  $('hints-on').addEventListener('change', (e) => { game.setHints(e.target.checked); render(); });

  const keys = {
    ' ': $('spot'), b: $('spot'), u: $('undo'), Backspace: $('undo'), c: $('clear'), r: $('repeat'),
    x: $('double-bet'), Enter: $('deal'), i: $('insure'), n: $('no-insure'), h: $('hit'), s: $('stand'),
    d: $('double'), p: $('split'), '?': $('hint'), m: $('mute'),
  };
  CHIP_VALUES.forEach((v, i) => { keys[String(i + 1)] = $('rack').children[i]; });
  // Enter on a focused button presses that button; only a bare Enter deals.
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' && e.target instanceof HTMLButtonElement) e.stopImmediatePropagation();
  }, true);
  bindKeys(keys, (text) => say(text, 'warn'));
}

async function start() {
  buildRack();
  $('limits').textContent = t('blackjack.limits', { min: TABLE_MIN * CENTS_PER_CHIP, max: TABLE_MAX * CENTS_PER_CHIP });
  sound = await loadSound(player);
  wire();
  render();
  try {
    view = await createBlackjackScene($('stage'));
    document.body.dataset.stage = view.webgl ? 'webgl' : '2d';
    view.onFrame(placeSpot);
  } catch (e) {
    console.warn('Velmar Casino: the blackjack table could not be drawn', e);
  }
  const round = game.round ?? game.lastRound;
  showTable(round, game.round && (game.phase === 'insurance' || game.phase === 'player'), false);
  loadFonts();
  if (game.phase === 'dealer') await after({ ok: true });
  else if (game.round) say('Your hand is still in play.');
  else if (isBelowMinimum(game.bankroll, TABLE_MIN)) offerFreshStart();
  else say('Choose a chip, place your bet and deal.');
}

start();
