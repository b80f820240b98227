// SPDX-License-Identifier: GPL-3.0-or-later
// The Blackjack Royale page: wires the game held by game.js to the kit's
// shared frame and the 3D table (scene.js), and turns clicks and keys into its
// moves. Everything that must survive a reload lives in the game's saved
// state; this file keeps only what is on screen. The cards are also kept as
// DOM elements, out of sight, so a screen reader can name them.
import { BlackjackGame, SPOT, TABLE_MIN, TABLE_MAX, SIDE_BETS, SIDE_MAX } from './game.js';
import { handValue, insuranceCost, dealerHits, options as rulesAllow, actionCost } from '../rules/blackjack.js';
import { resultOf, describeEntry, handTotalText, sideBetText } from './record.js';
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
// After a reload the moves wait until the table and its cards are drawn.
let drawn = false;
// While won stakes are paid and handed back, the circles belong to that motion.
let settling = false;

const BETTING = ['undo', 'clear', 'repeat', 'double-bet', 'deal', 'again'];
const INSURANCE = ['even-money', 'insure', 'no-insure'];
const PLAYING = ['hint', 'surrender', 'split', 'double', 'stand', 'hit'];
const MOVES = ['hit', 'stand', 'double', 'split', 'surrender'];
const KEYS = { split: 'p', surrender: 'q' };
// The side bets' keys, beside Space and B for the main circle.
const SIDE_KEYS = { f: 'twentyOnePlusThree', a: 'perfectPairs' };

const move = (m) => ({ id: m, label: t(`blackjack.action.${m}`), key: KEYS[m] ?? m[0], hidden: true,
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
    ...['surrender', 'split', 'double', 'stand', 'hit'].map(move),
  ],
  // Space or B puts the chosen chip in the circle (Space on a focused button presses that button), F and A on the side bets.
  onKey: (e) => {
    const key = e.key.toLowerCase();
    if (SIDE_KEYS[key]) { sideSpots[SIDE_KEYS[key]].click(); return true; }
    // Surrender out of sight (the option off) still says why it is not offered.
    if (key === 'q' && game.phase === 'player' && !surrenderShown()) { frame.say(game.whyNot('surrender'), 'warn'); return true; }
    if (key !== 'b' && !(e.key === ' ' && !(e.target instanceof HTMLButtonElement))) return false;
    spot.click();
    return true;
  },
  panels: {
    limits: `${t('blackjack.limits', { min: TABLE_MIN * CENTS_PER_CHIP, max: TABLE_MAX * CENTS_PER_CHIP })} ${
      t('blackjack.sideLimits', { min: CENTS_PER_CHIP, max: SIDE_MAX * CENTS_PER_CHIP })}`,
    describe: describeEntry,
    rules: [t('help.blackjack.1'), t('help.blackjack.2'), t('help.blackjack.3'), t('help.blackjack.surrender'), t('help.blackjack.sides')],
    // The side bets' edges are counted only when the sheet first opens.
    bets: () => [{ name: t('blackjack.hand'), pays: t('blackjack.mainPays'), edge: houseEdge('blackjack', 'main').value },
        { name: t('blackjack.mainSurrender'), pays: t('blackjack.surrenderPays'), edge: houseEdge('blackjack', 'mainSurrender').value },
        { name: t('blackjack.action.insure'), pays: t('odds', { odds: 2 }), edge: houseEdge('blackjack', 'insurance').value },
        { name: t('blackjack.side.twentyOnePlusThree'), pays: t('blackjack.twentyOnePlusThreePays'),
          edge: houseEdge('blackjack', 'twentyOnePlusThree').value },
        { name: t('blackjack.side.perfectPairs'), pays: t('blackjack.perfectPairsPays'), edge: houseEdge('blackjack', 'perfectPairs').value }],
    keys: [{ key: `${t('key.space')} / B`, what: t('blackjack.spot') },
      { key: 'F', what: t('blackjack.spot.twentyOnePlusThree') }, { key: 'A', what: t('blackjack.spot.perfectPairs') }],
    options: [{ id: 'surrender', label: t('blackjack.option.surrender'), checked: () => game.state.settings.surrender,
      set: (on) => { game.setSurrender(on); render(); return ''; } }],
  },
});
const { frame, sound } = table;

// Over the stage: the cards for screen readers, the bet circle's button and the statistics.
const cards = document.createElement('div');
cards.innerHTML = `
  <section class="visually-hidden"><div class="bj-cards" id="dealer-cards"></div><div class="bj-total"></div></section>
  <section class="visually-hidden" id="hands"></section>
  <button class="bet-circle" id="spot" type="button"><span class="bet-amount"></span></button>
  <button class="bet-circle bj-side" id="spot-twentyOnePlusThree" type="button"><span class="bet-amount"></span><span class="bj-side-label"></span></button>
  <button class="bet-circle bj-side" id="spot-perfectPairs" type="button"><span class="bet-amount"></span><span class="bj-side-label"></span></button>
  <aside class="side-panel bj-stats">
    <h2></h2>
    <dl id="stats"></dl>
    <p class="bj-chart"></p>
    <label class="bj-toggle"><input type="checkbox"> <span></span></label>
  </aside>`;
const [dealerBox, handsBox, spot, twentyOne, pairs, side] = cards.children;
const sideSpots = { twentyOnePlusThree: twentyOne, perfectPairs: pairs };
for (const [kind, button] of Object.entries(sideSpots)) {
  // The visible name, with its key, starts the accessible one.
  button.lastElementChild.textContent = t(`blackjack.side.${kind}`);
  button.setAttribute('aria-label', t(`blackjack.spot.${kind}`));
  button.setAttribute('aria-keyshortcuts', kind === 'perfectPairs' ? 'A' : 'F');
  button.addEventListener('click', () => {
    const why = whyUnavailable(button);
    if (why) frame.say(why, 'warn');
    else table.place(kind);
  });
}
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
  for (const kind of SIDE_BETS) {
    const on = phase === 'betting' ? game.slip.amountOn(kind) * CENTS_PER_CHIP : 0;
    sideSpots[kind].firstElementChild.dataset.amount = on ? formatChips(on) : '';
  }
  // Whatever cannot be done now stays reachable and says why.
  const wait = busy ? t('blackjack.busy') : '';
  const betting = phase === 'betting' ? '' : t('blackjack.chipsBetweenHands');
  setUnavailable(spot, wait || betting);
  for (const kind of SIDE_BETS) setUnavailable(sideSpots[kind], wait || betting);
  frame.selectChip(game.slip.chip);
  frame.setChips((value) => betting || chipUnavailable(value, game.bankroll, TABLE_MAX));
  for (const id of BETTING) frame.setAction(id, { hidden: phase !== 'betting' });
  for (const id of INSURANCE) frame.setAction(id, { hidden: !drawn || phase !== 'insurance' });
  frame.setAction('even-money', { hidden: !drawn || !game.evenMoneyOffered, reason: wait });
  for (const id of PLAYING) frame.setAction(id, { hidden: !drawn || (phase !== 'player' && phase !== 'dealer') });
  frame.setAction('surrender', { hidden: !drawn || !surrenderShown() });
  table.showBetting();
  frame.setAction('insure', { reason: wait || game.whyNot('insure'),
    label: live && phase === 'insurance' ? t('blackjack.action.insureCost', { amount: insuranceCost(live) }) : t('blackjack.action.insure') });
  frame.setAction('no-insure', { reason: wait });
  for (const m of MOVES) frame.setAction(m, { reason: wait || game.whyNot(m) });
  frame.setAction('hint', { reason: wait || (phase === 'player' ? '' : t('blackjack.noHint')) });
  renderStats();
  frame.setMuted(sound.muted);
  hintsBox.checked = game.state.settings.hints;
  speakCards(round, hideHole);
  showTable(round, hideHole);
}

// Surrender is shown during play while the hand was dealt with it, or the option is on.
function surrenderShown() {
  const live = game.round;
  return !!live && (live.phase === 'player' || live.phase === 'dealer') && (live.surrender === true || game.state.settings.surrender);
}

const orList = (items) => new Intl.ListFormat(document.documentElement.lang || undefined, { type: 'disjunction' }).format(items);

// What the hand waiting for a decision may do, with what a double or a split costs.
function moveText() {
  const round = game.round;
  if (!round || round.phase !== 'player') return '';
  const hand = round.hands[round.active];
  const allowed = rulesAllow(round);
  const choices = ['hit', 'stand', 'double', 'split', 'surrender'].filter((m) => allowed[m]).map((m) => t(`blackjack.choice.${m}`,
    { amount: m === 'surrender' ? Math.floor(hand.bet / 2) : actionCost(round, m) }));
  const name = round.hands.length > 1 ? t('blackjack.handN', { n: round.active + 1 }) : t('blackjack.hand');
  return t('blackjack.yourMove', { hand: name, total: handTotalText(hand.cards, true), moves: orList(choices) });
}

// The message line while the player is to move: the choices, then the hint when it is on.
function sayMove(before = '') {
  const best = game.state.settings.hints ? game.hint() : null;
  const hint = best ? t('blackjack.hintSays', { move: t(`blackjack.action.${best}`) }) : '';
  frame.say([before, moveText(), hint].filter(Boolean).join(' '));
}

// What has been said of each hand, so each new card is said once: a hand
// whose cards no longer start with what was said (a split) is said again.
let heard = { id: null, rows: new Map() };
function speakCards(round, hideHole) {
  const id = roundId();
  const fresh = heard.id !== id;
  if (fresh) heard = { id, rows: new Map() };
  if (!round) return;
  // A finished round is said to its last card only when it was followed here, not when a page opens on it.
  const quiet = fresh && !game.round;
  const rows = round.hands.map((hand, i) => [round.hands.length > 1 ? t('blackjack.handN', { n: i + 1 }) : t('say.you'),
    hand.cards, handTotalText(hand.cards, round.phase === 'player' && !hand.done)]);
  rows.push([t('say.dealer'), hideHole ? [round.dealer[0]] : round.dealer,
    hideHole ? '' : handTotalText(round.dealer)]);
  for (const [who, cards, total] of rows) {
    const before = heard.rows.get(who) ?? [];
    heard.rows.set(who, cards);
    const same = before.every((c, i) => c === cards[i]);
    const added = same ? cards.slice(before.length) : cards;
    if (!added.length || quiet) continue;
    const named = added.map(cardName).join(', ');
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
  view.sides(roundId(), game.round, Object.fromEntries(SIDE_BETS.map((k) => [k, game.slip.amountOn(k)])), animate);
}

// The bet circle is painted on the felt; the button over it follows the camera.
function placeSpot() {
  const { left, top, r } = view.spotBox();
  spot.style.left = `${left}px`;
  spot.style.top = `${top}px`;
  spot.style.width = spot.style.height = `${2 * r}px`;
  for (const [kind, button] of Object.entries(sideSpots)) {
    const box = view.sideBox(kind);
    button.style.left = `${box.left}px`;
    button.style.top = `${box.top}px`;
    button.style.width = button.style.height = `${2 * box.r}px`;
  }
  return false;
}

function showHint() {
  const best = game.hint();
  if (best) frame.say([moveText(), t('blackjack.hintSays', { move: t(`blackjack.action.${best}`) })].join(' '));
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
  // The side bets are settled on the first cards: said as soon as those are out.
  const sides = (result.sides ?? []).map(sideBetText).join(' ');
  if (sides) speak(sides);
  if (game.phase === 'dealer') {
    frame.say([sides, t('blackjack.dealerTurn')].filter(Boolean).join(' '));
    announce(await runDealer());
  } else if (result.settled) {
    announce(result);
  } else if (game.phase === 'insurance') {
    offerInsurance(sides);
  } else if (game.phase === 'player') {
    sayMove(sides);
  }
  render();
}

function offerInsurance(before = '') {
  const amount = insuranceCost(game.round);
  frame.say([before, t(game.evenMoneyOffered ? 'blackjack.evenMoneyOffer' : 'blackjack.insuranceOffer', { amount })].filter(Boolean).join(' '));
}

async function start() {
  render();
  view = await table.mountScene('blackjack', () => createBlackjackScene(frame.stage));
  view?.onFrame(placeSpot);
  const round = game.round ?? game.lastRound;
  showTable(round, (game.round && (game.phase === 'insurance' || game.phase === 'player')) || !!round?.evenMoney, false);
  await view?.scene.idle();
  drawn = true;
  render();
  if (game.phase === 'dealer') await after({ ok: true });
  else if (game.phase === 'insurance') offerInsurance(t('blackjack.stillInPlay'));
  else if (game.round) sayMove(t('blackjack.stillInPlay'));
  else table.greet(t('blackjack.welcome'));
}

start();
