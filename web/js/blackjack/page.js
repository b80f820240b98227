// SPDX-License-Identifier: GPL-3.0-or-later
// The Blackjack Royale page: wires the game held by game.js to the kit's
// shared frame and the 3D table (scene.js), and turns clicks and keys into its
// moves. Everything that must survive a reload lives in the game's saved
// state; this file keeps only what is on screen. The cards are also kept as
// DOM elements, out of sight, so a screen reader can name them.
import { BlackjackGame, SPOT, TABLE_MIN, TABLE_MAX, SIDE_BETS, SIDE_MAX, MAX_SEATS, spotOf } from './game.js';
import { handValue, insuranceCost, dealerHits, options as rulesAllow, actionCost, seatsOf, seatOf } from '../rules/blackjack.js';
import { resultOf, describeEntry, handTotalText, sidesText, handName } from './record.js';
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
// The seat that B, Space, F and A bet on, with several open; not kept, as the page's focus is not.
let betSeat = 0;

const BETTING = ['undo', 'clear', 'repeat', 'double-bet', 'deal', 'again', 'seats', 'next-seat'];
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
    { id: 'seats', label: t('blackjack.action.seats', { count: game.seats }), key: 'w', onActivate: changeSeats },
    { id: 'next-seat', label: t('blackjack.action.nextSeat'), key: 'j', hidden: true, onActivate: nextSeat },
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
    if (SIDE_KEYS[key]) { seatSpots[betSeat][SIDE_KEYS[key]].click(); return true; }
    // Surrender out of sight (the option off) still says why it is not offered.
    if (key === 'q' && game.phase === 'player' && !surrenderShown()) { frame.say(game.whyNot('surrender'), 'warn'); return true; }
    if (key !== 'b' && !(e.key === ' ' && !(e.target instanceof HTMLButtonElement))) return false;
    seatSpots[betSeat][SPOT].click();
    return true;
  },
  panels: {
    limits: `${t('blackjack.limits', { min: TABLE_MIN * CENTS_PER_CHIP, max: TABLE_MAX * CENTS_PER_CHIP })} ${
      t('blackjack.sideLimits', { min: CENTS_PER_CHIP, max: SIDE_MAX * CENTS_PER_CHIP })}`,
    describe: describeEntry,
    rules: [t('help.blackjack.1'), t('help.blackjack.2'), t('help.blackjack.3'), t('help.blackjack.surrender'), t('help.blackjack.sides'),
      t('help.blackjack.seats', { seats: MAX_SEATS })],
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
// Each seat's circles: the first seat's are the ones the table always had.
const seatSpots = [{ [SPOT]: spot, twentyOnePlusThree: twentyOne, perfectPairs: pairs }];
for (let seat = 1; seat < MAX_SEATS; seat++) {
  const own = { [SPOT]: spot.cloneNode(true), twentyOnePlusThree: twentyOne.cloneNode(true), perfectPairs: pairs.cloneNode(true) };
  for (const [kind, button] of Object.entries(own)) button.id = `${kind === SPOT ? 'spot' : `spot-${kind}`}-${seat + 1}`;
  seatSpots.push(own);
  pairs.after(...Object.values(own));
  Object.values(own).forEach((b) => { b.hidden = true; });
}
seatSpots.forEach((own, seat) => {
  for (const [kind, button] of Object.entries(own)) {
    // The visible name, with its key, starts the accessible one.
    if (kind !== SPOT) button.lastElementChild.textContent = t(`blackjack.side.${kind}`);
    button.addEventListener('click', () => {
      const why = whyUnavailable(button);
      if (why) { frame.say(why, 'warn'); return; }
      // A click on a seat's circle makes it the seat the keys bet on.
      betSeat = seat;
      table.place(spotOf(kind, seat));
    });
  }
});
const SPOT_KEYS = { [SPOT]: 'B', twentyOnePlusThree: 'F', perfectPairs: 'A' };
// The circles' names: the seat's number first once there are several; the keys on the seat they bet on.
function nameSpots() {
  seatSpots.forEach((own, seat) => {
    for (const [kind, button] of Object.entries(own)) {
      const name = t(kind === SPOT ? 'blackjack.spot' : `blackjack.spot.${kind}`);
      button.hidden = seat >= game.seats;
      button.setAttribute('aria-label', game.seats > 1 ? t('blackjack.seatSays', { seat: seat + 1, text: name }) : name);
      if (seat === betSeat) button.setAttribute('aria-keyshortcuts', SPOT_KEYS[kind]);
      else button.removeAttribute('aria-keyshortcuts');
      button.classList.toggle('bj-bet-seat', game.seats > 1 && seat === betSeat);
    }
  });
}
dealerBox.setAttribute('aria-label', t('blackjack.dealerArea'));
handsBox.setAttribute('aria-label', t('blackjack.handsArea'));
side.setAttribute('aria-label', t('stats.aria'));
side.querySelector('h2').textContent = t('stats.title');
side.querySelector('.bj-toggle span').textContent = t('blackjack.showHints');
const hintsBox = side.querySelector('input');
frame.stage.insertBefore(cards, frame.board);
cards.replaceWith(...cards.children);

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
    const name = handName(round, i);
    showCards(el.firstChild, hand.cards);
    const result = round.outcomes?.[i]?.outcome;
    const outcome = result ? t(`blackjack.outcome.${result}`) : '';
    const shown = totalText(hand.cards, round.phase === 'player' && !hand.done);
    el.querySelector('.bj-total').textContent = shown;
    const stake = hand.doubled ? t('blackjack.stakeDoubled', { stake: hand.bet }) : formatChips(hand.bet);
    el.querySelector('.bj-wager').textContent = outcome ? `${stake} · ${outcome}` : stake;
    el.setAttribute('aria-current', String(round.phase === 'player' && round.active === i));
    // At several seats a hand is named by its seat.
    const label = round.seats ? { hand: name, total: shown, outcome } : { n: i + 1, total: shown, outcome };
    el.setAttribute('aria-label', t(`blackjack.${round.seats ? 'namedHand' : 'hand'}Label${outcome ? 'Outcome' : ''}`, label));
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
  betSeat = Math.min(betSeat, game.seats - 1);
  nameSpots();
  // A split moves the stakes to their hands, each labelled there; the seat's circle is then empty.
  seatSpots.forEach((own, seat) => {
    const hands = live ? live.hands.filter((h) => seatOf(h) === seat) : [];
    // One seat's circle holds the whole slip, as it always did.
    const inCircle = phase === 'betting' ? (game.seats === 1 ? game.slip.total : game.slip.amountOn(spotOf(SPOT, seat)))
      : hands.length === 1 ? hands[0].bet / CENTS_PER_CHIP : 0;
    own[SPOT].firstElementChild.dataset.amount = inCircle ? formatChips(inCircle * CENTS_PER_CHIP) : '';
    for (const kind of SIDE_BETS) {
      const on = phase === 'betting' ? game.slip.amountOn(spotOf(kind, seat)) * CENTS_PER_CHIP : 0;
      own[kind].firstElementChild.dataset.amount = on ? formatChips(on) : '';
    }
  });
  // Whatever cannot be done now stays reachable and says why.
  const wait = busy ? t('blackjack.busy') : '';
  const betting = phase === 'betting' ? '' : t('blackjack.chipsBetweenHands');
  for (const own of seatSpots) for (const button of Object.values(own)) setUnavailable(button, wait || betting);
  frame.selectChip(game.slip.chip);
  frame.setChips((value) => betting || chipUnavailable(value, game.bankroll, TABLE_MAX));
  for (const id of BETTING) frame.setAction(id, { hidden: phase !== 'betting' || (id === 'next-seat' && game.seats === 1) });
  table.showBetting();
  frame.setAction('seats', { label: t('blackjack.action.seats', { count: game.seats }), reason: wait || betting });
  frame.setAction('next-seat', { reason: wait || betting || (game.seats === 1 ? t('blackjack.oneSeat') : '') });
  for (const id of INSURANCE) frame.setAction(id, { hidden: !drawn || phase !== 'insurance' });
  frame.setAction('even-money', { hidden: !drawn || !game.evenMoneyOffered, reason: wait });
  for (const id of PLAYING) frame.setAction(id, { hidden: !drawn || (phase !== 'player' && phase !== 'dealer') });
  frame.setAction('surrender', { hidden: !drawn || !surrenderShown() });
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
  const name = handName(round, round.active);
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
  const rows = round.hands.map((hand, i) => [round.hands.length > 1 ? handName(round, i) : t('say.you'),
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
  if (!game.round) view.setSeats(game.seats);
  const slip = Array.from({ length: game.seats }, (_, seat) => (game.phase !== 'betting' ? 0
    : game.seats === 1 ? game.slip.total : game.slip.amountOn(spotOf(SPOT, seat))));
  if (!settling) view.stakes(game.round, slip);
  view.sides(roundId(), game.round, slip.map((_, seat) => Object.fromEntries(SIDE_BETS.map((k) => [k, game.slip.amountOn(spotOf(k, seat))]))), animate);
}

// The bet circle is painted on the felt; the button over it follows the camera.
function placeSpot() {
  seatSpots.forEach((own, seat) => {
    for (const [kind, button] of Object.entries(own)) {
      const box = kind === SPOT ? view.spotBox(seat) : view.sideBox(kind, seat);
      button.style.left = `${box.left}px`;
      button.style.top = `${box.top}px`;
      button.style.width = button.style.height = `${2 * box.r}px`;
    }
  });
  return false;
}

// W opens one seat more, up to three, then back to one; the newest seat takes the keys' chips.
function changeSeats() {
  const n = game.seats % MAX_SEATS + 1;
  const done = game.setSeats(n);
  if (!done.ok) { frame.say(done.reason, 'warn'); return; }
  betSeat = n - 1;
  render();
  frame.say(n === 1 ? t('blackjack.seatsOne') : t('blackjack.seatsNow', { count: n, seat: n }));
}

// J moves the keys' chips to the next open seat.
function nextSeat() {
  betSeat = (betSeat + 1) % game.seats;
  render();
  frame.say(t('blackjack.betSeat', { seat: betSeat + 1 }));
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
  const bet = seatsOf(round).reduce((sum, s) => sum + s.bet, 0);
  table.finish(resultOf(round), net >= 10 * bet ? 3 : net > bet ? 2 : 1);
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
  const dealt = result.settled ?? game.round;
  const sides = result.sides && dealt ? sidesText(dealt).join(' ') : '';
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

// At several seats each is asked in turn, by name.
function offerInsurance(before = '') {
  const round = game.round;
  const amount = insuranceCost(round);
  const offer = t(game.evenMoneyOffered ? 'blackjack.evenMoneyOffer' : 'blackjack.insuranceOffer', { amount });
  frame.say([before, round.seats ? t('blackjack.seatSays', { seat: round.asking + 1, text: offer }) : offer].filter(Boolean).join(' '));
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
