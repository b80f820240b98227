// SPDX-License-Identifier: GPL-3.0-or-later
// The Blackjack Royale page: wires the game held by game.js to the kit's
// shared frame and the 3D table (scene.js), and turns clicks and keys into its
// moves. Everything that must survive a reload lives in the game's saved
// state; this file keeps only what is on screen. The cards are also kept as
// DOM elements, out of sight, so a screen reader can name them.
import { BlackjackGame, SPOT, TABLE_MIN, TABLE_MAX } from './game.js';
import { handValue, insuranceCost, dealerHits } from '../rules/blackjack.js';
import { resultOf, describeEntry, handTotalText } from './record.js';
import { announce as speak, setUnavailable, whyUnavailable } from '../kit/table.js';
import { openTable } from '../kit/play.js';
import { t } from '../kit/messages.js';
import { chipUnavailable } from '../kit/bets.js';
import { formatChips, CENTS_PER_CHIP } from '../kit/money.js';
import { cardName } from '../kit/cards.js';
import { houseEdge } from '../rules/edges.js';
import { percentMatched } from '../rules/chart-score.js';
import { showCards, showCounts, pause } from '../kit/dom.js';
import { createBlackjackScene } from './scene.js';

const game = new BlackjackGame({ storage: window.localStorage });
let busy = false;
let view = null;
// While won stakes are paid and handed back, the circles belong to that motion.
let settling = false;

const BETTING = ['undo', 'clear', 'repeat', 'double-bet', 'deal', 'again'];
const INSURANCE = ['even-money', 'insure', 'no-insure'];
const PLAYING = ['hint', 'split', 'double', 'stand', 'hit'];
const MOVES = ['hit', 'stand', 'double', 'split'];

const move = (m) => ({ id: m, label: t(`blackjack.action.${m}`), key: m === 'split' ? 'p' : m[0], hidden: true,
  primary: m === 'hit', onActivate: () => after(game.play(m)) });

const table = openTable({
  id: 'blackjack', game, minimum: TABLE_MIN, render,
  deal: { id: 'deal', label: t('action.deal'), key: 'Enter', run: () => after(game.deal()) },
  busy: () => busy, busyText: t('blackjack.busy'),
  doubleId: 'double-bet', doubleLabel: t('blackjack.action.doubleBet'),
  actions: [
    { id: 'even-money', label: t('blackjack.action.evenMoney'), key: 'e', hidden: true, onActivate: () => after(game.evenMoney()) },
    { id: 'insure', label: t('blackjack.action.insure'), key: 'i', hidden: true, onActivate: () => after(game.insure(true)) },
    { id: 'no-insure', label: t('blackjack.action.noInsure'), key: 'n', primary: true, hidden: true,
      onActivate: () => after(game.insure(false)) },
    { id: 'hint', label: t('blackjack.action.hint'), key: 't', hidden: true, onActivate: showHint },
    ...['split', 'double', 'stand', 'hit'].map(move),
  ],
  // Space or B puts the chosen chip in the circle; Space on a focused button presses that button.
  onKey: (e) => {
    if (e.key !== 'b' && e.key !== 'B' && !(e.key === ' ' && !(e.target instanceof HTMLButtonElement))) return false;
    spot.click();
    return true;
  },
  panels: {
    limits: t('blackjack.limits', { min: TABLE_MIN * CENTS_PER_CHIP, max: TABLE_MAX * CENTS_PER_CHIP }),
    describe: describeEntry,
    rules: [t('help.blackjack.1'), t('help.blackjack.2'), t('help.blackjack.3')],
    bets: [{ name: t('blackjack.hand'), pays: t('blackjack.mainPays'), edge: houseEdge('blackjack', 'main').value },
      { name: t('blackjack.action.insure'), pays: t('odds', { odds: 2 }), edge: houseEdge('blackjack', 'insurance').value }],
    keys: [{ key: `${t('key.space')} / B`, what: t('blackjack.spot') }],
  },
});
const { frame, sound } = table;

// Over the stage: the cards for screen readers, the bet circle's button and the statistics.
const cards = document.createElement('div');
cards.innerHTML = `
  <section class="visually-hidden"><div class="bj-cards" id="dealer-cards"></div><div class="bj-total"></div></section>
  <section class="visually-hidden" id="hands"></section>
  <button class="bet-circle" id="spot" type="button"><span class="bet-amount"></span></button>
  <aside class="side-panel bj-stats">
    <h2></h2>
    <dl id="stats"></dl>
    <p class="bj-chart"></p>
    <label class="bj-toggle"><input type="checkbox"> <span></span></label>
  </aside>`;
const [dealerBox, handsBox, spot, side] = cards.children;
dealerBox.setAttribute('aria-label', t('blackjack.dealerArea'));
handsBox.setAttribute('aria-label', t('blackjack.handsArea'));
spot.setAttribute('aria-label', t('blackjack.spot'));
side.setAttribute('aria-label', t('stats.aria'));
side.querySelector('h2').textContent = t('stats.title');
side.querySelector('.bj-toggle span').textContent = t('blackjack.showHints');
const hintsBox = side.querySelector('input');
frame.stage.insertBefore(cards, frame.board);
cards.replaceWith(...cards.children);

spot.addEventListener('click', () => {
  const why = whyUnavailable(spot);
  if (why) frame.say(why, 'warn');
  else table.place(SPOT);
});
hintsBox.addEventListener('change', () => { game.setHints(hintsBox.checked); render(); });

/** A hand's total as its label shows it: both soft values only while it may draw. */
function totalText(cards, open) {
  const { total } = handValue(cards);
  return total > 21 ? t('blackjack.totalBust', { total }) : handTotalText(cards, open);
}

function renderHands(round) {
  const hands = round ? round.hands : [];
  while (handsBox.children.length > hands.length) handsBox.lastChild.remove();
  hands.forEach((hand, i) => {
    let el = handsBox.children[i];
    if (!el) {
      el = document.createElement('div');
      el.className = 'bj-hand';
      el.innerHTML = '<div class="bj-cards"></div><div class="bj-total"></div><div class="bj-wager num"></div>';
      handsBox.append(el);
    }
    showCards(el.firstChild, hand.cards);
    const result = round.outcomes?.[i]?.outcome;
    const outcome = result ? t(`blackjack.outcome.${result}`) : '';
    const shown = totalText(hand.cards, round.phase === 'player' && !hand.done);
    el.querySelector('.bj-total').textContent = shown;
    const stake = hand.doubled ? t('blackjack.stakeDoubled', { stake: hand.bet }) : formatChips(hand.bet);
    el.querySelector('.bj-wager').textContent = outcome ? `${stake} · ${outcome}` : stake;
    el.setAttribute('aria-current', String(round.phase === 'player' && round.active === i));
    el.setAttribute('aria-label', outcome ? t('blackjack.handLabelOutcome', { n: i + 1, total: shown, outcome })
      : t('blackjack.handLabel', { n: i + 1, total: shown }));
  });
}

function renderStats() {
  const s = game.state.stats;
  showCounts(side.querySelector('dl'), [['stats.won', s.handsWon], ['stats.lost', s.handsLost], ['stats.pushed', s.handsPushed],
    ['blackjack.stats.blackjacks', s.blackjacks]]);
  side.querySelector('.bj-chart').textContent = chartText(game.chartScore);
}

// The chart score, once there is a decision to score.
function chartText({ session, overall }) {
  if (!overall.decisions) return '';
  const all = percentMatched(overall);
  return session.decisions
    ? t('blackjack.chartScore', { matched: session.matched, decisions: session.decisions, percent: percentMatched(session), overall: all })
    : t('blackjack.chartScoreOverall', { overall: all });
}

function render() {
  const round = game.round ?? game.lastRound;
  const phase = game.phase;
  const live = game.round;
  frame.setBankroll(game.bankroll);
  frame.setBet(live ? live.hands.reduce((sum, h) => sum + h.bet, 0) + live.insurance : game.slip.totalCents);

  // Even money ends the round before the dealer looks, so the hole card stays down.
  const hideHole = (live && (phase === 'insurance' || phase === 'player')) || !!round?.evenMoney;
  showCards(dealerBox.firstElementChild, round ? (hideHole ? [round.dealer[0], null] : round.dealer) : []);
  dealerBox.lastElementChild.textContent = !round ? '' : hideHole ? String(handValue([round.dealer[0]]).total)
    : handTotalText(round.dealer, live && round.phase === 'dealer' && dealerHits(round.dealer));
  renderHands(round);
  // A split moves the stakes to their hands, each labelled there; the middle circle is then empty.
  const inCircle = phase === 'betting' ? game.slip.total : live && live.hands.length === 1 ? live.hands[0].bet / CENTS_PER_CHIP : 0;
  spot.firstElementChild.dataset.amount = inCircle ? formatChips(inCircle * CENTS_PER_CHIP) : '';
  // Whatever cannot be done now stays reachable and says why.
  const wait = busy ? t('blackjack.busy') : '';
  const betting = phase === 'betting' ? '' : t('blackjack.chipsBetweenHands');
  setUnavailable(spot, wait || betting);
  frame.selectChip(game.slip.chip);
  frame.setChips((value) => betting || chipUnavailable(value, game.bankroll, TABLE_MAX));
  for (const id of BETTING) frame.setAction(id, { hidden: phase !== 'betting' });
  for (const id of INSURANCE) frame.setAction(id, { hidden: phase !== 'insurance' });
  frame.setAction('even-money', { hidden: !game.evenMoneyOffered, reason: wait });
  for (const id of PLAYING) frame.setAction(id, { hidden: phase !== 'player' && phase !== 'dealer' });
  table.showBetting();
  frame.setAction('insure', { reason: wait || game.whyNot('insure'),
    label: live && phase === 'insurance' ? t('blackjack.action.insureCost', { amount: insuranceCost(live) }) : t('blackjack.action.insure') });
  frame.setAction('no-insure', { reason: wait });
  for (const m of MOVES) frame.setAction(m, { reason: wait || game.whyNot(m) });
  frame.setAction('hint', { reason: wait || (phase === 'player' ? '' : t('blackjack.noHint')) });
  renderStats();
  frame.setMuted(sound.muted);
  hintsBox.checked = game.state.settings.hints;
  speakCards(live, hideHole);
  showTable(round, hideHole);
}

// What has been said of each hand, so each new card is said once: a hand
// whose cards no longer start with what was said (a split) is said again.
let heard = { id: null, rows: new Map() };
function speakCards(round, hideHole) {
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
  const rounds = game.state.stats.rounds;
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
  spot.style.left = `${left}px`;
  spot.style.top = `${top}px`;
  spot.style.width = spot.style.height = `${2 * r}px`;
  return false;
}

function showHint() {
  const best = game.hint();
  if (best) frame.say(t('blackjack.hintSays', { move: t(`blackjack.action.${best}`) }));
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
  const net = round.net;
  table.finish(resultOf(round), net >= 10 * round.bet ? 3 : net > round.bet ? 2 : 1);
}

async function payOut(round) {
  if (!view) return;
  settling = true;
  try { await view.settle(round); } finally { settling = false; }
  render();
}

async function after(result) {
  if (table.refused(result)) { render(); return; }
  busy = true;
  render();
  await view?.scene.idle();
  busy = false;
  if (game.phase === 'dealer') {
    frame.say(t('blackjack.dealerTurn'));
    announce(await runDealer());
  } else if (result.settled) {
    announce(result);
  } else if (game.phase === 'insurance') {
    offerInsurance();
  } else if (game.phase === 'player') {
    if (game.state.settings.hints) showHint(); else frame.say('');
  }
  render();
}

function offerInsurance() {
  const amount = insuranceCost(game.round);
  frame.say(t(game.evenMoneyOffered ? 'blackjack.evenMoneyOffer' : 'blackjack.insuranceOffer', { amount }));
}

async function start() {
  render();
  view = await table.mountScene('blackjack', () => createBlackjackScene(frame.stage));
  view?.onFrame(placeSpot);
  const round = game.round ?? game.lastRound;
  showTable(round, (game.round && (game.phase === 'insurance' || game.phase === 'player')) || !!round?.evenMoney, false);
  if (game.phase === 'dealer') await after({ ok: true });
  else if (game.phase === 'insurance') offerInsurance();
  else if (game.round) frame.say(t('blackjack.stillInPlay'));
  else table.greet(t('blackjack.welcome'));
}

start();
