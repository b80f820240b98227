// SPDX-License-Identifier: GPL-3.0-or-later
// The page half of the table contract: what every table's page does the same
// way around its game object. The game holds `state` (a TableState), `slip`
// (a BetSlip), `round` (the round in play, or null) and `bankroll`; this
// builds the frame with the betting actions and the sheets, keeps the
// player's chip and sound, says why a deal is refused, offers the fresh start
// when the chips run out, plays "again", and says and sounds a settled round.
// A table's page hands in only what is its own: its moves, its scene, its words.
import { mountTable, announce, el } from './table.js';
import { mountPanels, dialog } from './panels.js';
import { PlayerSettings } from './player.js';
import { createSound } from './sound.js';
import { isBelowMinimum, belowMinimumMessage } from './bets.js';
import { STARTING_BANKROLL, formatSigned } from './money.js';
import { t } from './messages.js';
import { AUTO_ROUNDS, autoPlan, autoPlay } from './autoplay.js';
import { watchReality } from './reality.js';
import { eveningStart } from './history.js';
import { LOBBY_FILE } from './tables.js';
import { paced } from './pace.js';

// Asks again every 50 ms until `cond()` holds: the round shown ends on its own time.
const until = (cond) => new Promise((done) => {
  const ask = () => (cond() ? done() : setTimeout(ask, 50));
  ask();
});

/**
 *   const table = openTable({
 *     id: 'baccarat', game, minimum: TABLE_MIN,   // the least a round costs, in chips
 *     deal: { id: 'deal', key: 'Enter', label: t('action.deal'), run: deal },
 *     busy: () => dealing, busyText: t('baccarat.busy'),  // betting waits while a round is shown
 *     undoKey: 'u', doubleKey: 'x', doubleId: 'double', doubleLabel,
 *     actions: [...],     // the table's own moves, after the betting ones
 *     render, onKey,
 *     panels: { limits, describe, rules, bets, keys },  // for the help, history and settings sheets
 *   });
 *   table.frame, table.sound, table.player
 *   table.showBetting()          // in render(): why each betting action cannot be taken now
 *   table.refused(verdict)       // says why a move was refused; true when it was
 *   table.finish(result, level)  // a settled round said and heard, or the fresh start offered
 *   table.greet(text)            // the welcome, or the fresh start when the chips are gone
 *   table.mountScene(name, create)  // the table's drawing, or null when it cannot be drawn
 */
export function openTable({ id, game, minimum, deal, render, busy = () => false, busyText = t('refuse.busy'),
  undoKey = ['u', 'Backspace'], doubleKey = 'x', doubleId = 'double', doubleLabel = t('action.double'),
  actions = [], onKey = null, panels = {} }) {
  // The host keeps the page before this one on screen, and the keys pressed
  // meanwhile, until the table can take a bet (the page's first script,
  // hold.js, asked it to wait): once the frame below is drawn, not once the
  // scene, which comes later, is.
  const bridge = globalThis.__vlCasino;
  // 'webgl' or '2d' once the scene is up, 'none' when it cannot be; the
  // self-test pictures the table only then.
  document.body.dataset.stage = 'pending';
  const player = new PlayerSettings(globalThis.localStorage, game.state.settings);
  // The sitting: since the application started.
  const since = eveningStart();
  game.slip.selectChip(player.chipAt(id));
  const sound = createSound(player);
  // Every settled round counts toward the day's result across the casino; the
  // round that reaches the daily limit says so beside the chips at once.
  game.state.onSettle = (record) => {
    const before = player.dayLimitReached();
    player.addToDay(record.net, Date.now(), since);
    if (!before && player.dayLimitReached()) {
      autoNote.textContent = dayLimit();
      announce(autoNote.textContent);
    }
  };
  // While auto-play runs: { stop, wake } (why the player stopped it, and the end of its pause).
  let auto = null;
  const waiting = () => busy() || !!game.round || !!auto;
  const busyNow = () => (auto && !busy() && !game.round ? t('auto.running') : busyText);
  const broke = () => !game.round && isBelowMinimum(game.bankroll, minimum);
  const dayLimit = () => (player.dayLimitReached() ? t('refuse.dayLimit', { amount: player.settings.dayLimit }) : '');
  const ready = () => dayLimit() || (game.readiness ? game.readiness() : game.slip.readiness()).reason;

  function refused(verdict) {
    if (!verdict.ok) frame.say(verdict.reason, 'warn');
    return !verdict.ok;
  }

  // The betting actions work on the slip, and only between rounds.
  const betting = (change) => () => {
    if (!refused(waiting() ? { ok: false, reason: busyNow() } : change(game.slip))) {
      sound.chip();
      frame.say('');
    }
    render();
  };

  // Out of chips: say so, and offer the same fresh start the shell's reset gives.
  function offerFreshStart(result = null) {
    frame.offerFreshStart(belowMinimumMessage(game.bankroll, minimum), () => {
      game.state.startAgain();
      render();
      frame.say(t('broke.done', { fresh: STARTING_BANKROLL }));
    }, result);
  }

  // A refused deal says why; out of chips, the why comes with the fresh start.
  function refusedDeal(why) {
    if (broke()) offerFreshStart();
    else frame.say(why, 'warn');
  }

  // The last round's bets again, then the deal, in one key.
  function again() {
    if (waiting()) { frame.say(busyNow(), 'warn'); return; }
    if (dayLimit()) { frame.say(dayLimit(), 'warn'); return; }
    if (game.slip.total === 0) {
      const repeated = game.slip.repeat();
      if (!repeated.ok) { refusedDeal(repeated.reason); return; }
      sound.chip();
    }
    deal.run();
  }

  const frame = mountTable({
    id,
    initialChip: game.slip.chip,
    actions: [
      { id: 'undo', label: t('action.undo'), key: undoKey, onActivate: betting((slip) => slip.undo()) },
      { id: 'clear', label: t('action.clear'), key: 'c', onActivate: betting((slip) => slip.clear()) },
      { id: 'repeat', label: t('action.repeat'), key: 'r', onActivate: betting((slip) => slip.repeat()) },
      { id: doubleId, label: doubleLabel, key: doubleKey, onActivate: betting((slip) => slip.double()) },
      { id: deal.id, label: deal.label, key: deal.key, primary: true, onActivate: deal.run, onRefused: refusedDeal },
      { id: 'again', label: t('action.again', { action: deal.label }), key: 'g', onActivate: again, onRefused: refusedDeal },
      { id: 'auto', label: t('action.auto'), key: 'o', onActivate: () => (auto ? stopAuto('key') : openAuto()), onRefused: refusedDeal },
      ...actions,
    ],
    onChip: (value) => { game.slip.selectChip(value); player.setChip(id, value); sound.chip(); render(); },
    onMute: () => { sound.toggleMute(); frame.setMuted(sound.muted); },
    onKey,
  });
  frame.setMuted(sound.muted);
  if (panels.limits) frame.setLimits(panels.limits);
  mountPanels(frame, { player, sound, history: () => game.state.history, ...panels,
    onSettings: (key) => { if (key === 'reality') reality.arm(); else render(); } });

  // Auto-play: the player's plan from its sheet, then the last bets round after round.
  const rounds = el('fieldset', {}, el('legend', { text: t('auto.rounds') }),
    ...AUTO_ROUNDS.map((n, i) => el('label', {}, el('input', { type: 'radio', name: 'auto-rounds', value: String(n), checked: i === 0 }), ` ${n}`)));
  const limitField = (name) => {
    const input = el('input', { type: 'number', min: '0', step: '1', value: '0', id: `auto-${name}`, inputmode: 'numeric' });
    return [input, el('label', { for: input.id, text: t(`auto.${name}`) }), input];
  };
  const [lossInput, ...lossRow] = limitField('lossLimit');
  const [winInput, ...winRow] = limitField('winTarget');
  const [bigInput, ...bigRow] = limitField('bigWin');
  const autoProblem = el('p', { class: 'warn', role: 'alert' });
  const startButton = el('button', { class: 'btn primary', type: 'button', text: t('auto.start') });
  const autoSheet = dialog('auto-panel', t('auto.title'), el('div', { class: 'panel-body' },
    el('p', { class: 'note', text: t('auto.intro') }), rounds, ...lossRow, ...winRow, ...bigRow, autoProblem, startButton));
  const autoNote = el('p', { class: 'auto-note' });
  frame.controls.querySelector('.rack-box').append(autoNote);

  function openAuto() {
    autoProblem.textContent = '';
    autoSheet.showModal();
  }
  startButton.addEventListener('click', () => {
    const plan = autoPlan({ rounds: rounds.querySelector('input:checked')?.value, lossLimit: lossInput.value,
      winTarget: winInput.value, bigWin: bigInput.value });
    if (!plan) { autoProblem.textContent = t('auto.invalid'); return; }
    autoSheet.close();
    runAuto(plan);
  });

  function stopAuto(why) {
    if (!auto || auto.stop) return;
    auto.stop = why;
    auto.wake?.();
  }
  // Any key stops it at once (the round being dealt ends as it would), and is not also taken as a move.
  function onAnyKey(e) {
    if (!auto) return;
    stopAuto('key');
    if (!e.ctrlKey && !e.altKey && !e.metaKey) { e.preventDefault(); e.stopImmediatePropagation(); }
  }

  async function runAuto(plan) {
    auto = { stop: '', wake: null };
    frame.setAction('auto', { label: t('action.autoStop') });
    autoNote.textContent = t('auto.on', { count: plan.rounds });
    announce(autoNote.textContent);
    window.addEventListener('keydown', onAnyKey, true);
    let done;
    try {
      done = await autoPlay({
        plan, game,
        deal: () => deal.run(),
        idle: () => until(() => !busy()),
        refusal: ready,
        // A sheet opened over the table (by a click) stops it too: nothing is dealt behind it.
        stopped: () => auto.stop || (document.querySelector('dialog[open]') ? 'sheet' : ''),
        rest: () => new Promise((wake) => { auto.wake = wake; setTimeout(wake, paced(1200)); }),
        onRound: (n) => announce(t('auto.round', { n, count: plan.rounds })),
      });
    } finally {
      window.removeEventListener('keydown', onAnyKey, true);
      auto = null;
      frame.setAction('auto', { label: t('action.auto') });
    }
    const why = done.why === 'refused' ? (done.reason || t('auto.why.table'))
      : t(`auto.why.${done.why}`, { amount: plan[done.why] ?? 0, won: done.last });
    autoNote.textContent = t('auto.stopped', { count: done.played, why, net: formatSigned(done.net) });
    announce(autoNote.textContent);
    render();
  }

  // The reality check, when the player asked for one, over this table.
  // The time and result are the sheet's description, said with its name as
  // it opens; Continue takes the focus, so Return goes on playing.
  const realityText = el('p', { id: 'reality-text' });
  const continueButton = el('button', { class: 'btn primary', type: 'button', autofocus: true, text: t('reality.continue') });
  const realitySheet = dialog('reality-panel', t('reality.title'), el('div', { class: 'panel-body' }, realityText,
    el('div', { class: 'buttons' }, continueButton, ' ', el('a', { class: 'btn', href: LOBBY_FILE, text: t('reality.lobby') }))));
  realitySheet.setAttribute('aria-describedby', realityText.id);
  continueButton.addEventListener('click', () => realitySheet.close());
  const reality = watchReality({
    player, since,
    result: () => { player.read(); return player.sittingNet(since); },
    canShow: () => !busy() && !document.querySelector('dialog[open]'),
    show: ({ minutes, net }) => {
      stopAuto('reality');
      realityText.textContent = t('reality.text', { count: minutes, result: formatSigned(net) });
      realitySheet.showModal();
    },
  });
  // Said past the next frame, so what the page renders in this same turn is in it.
  bridge?.ready?.();
  // The scene is built only past that frame: three.js's parse and the first
  // WebGL frames would otherwise hold it back by seconds on a software renderer.
  const drawn = new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));

  return {
    frame, sound, player, refused, offerFreshStart,
    /** The slip's place on `spot`, refused while a round is shown. */
    place: (spot) => betting((slip) => (game.place ? game.place(spot) : slip.place(spot)))(),
    showBetting() {
      const wait = waiting() ? busyNow() : '';
      for (const action of ['undo', 'clear', 'repeat']) frame.setAction(action, { reason: wait || game.slip.whyNot(action) });
      frame.setAction(doubleId, { reason: wait || game.slip.whyNot('double') });
      frame.setAction(deal.id, { reason: wait || ready() });
      frame.setAction('again', { reason: wait || dayLimit() || (game.slip.total === 0 ? game.slip.whyNot('repeat') : ready()) });
      frame.setAction('auto', { reason: auto ? '' : wait || dayLimit() || (game.slip.total === 0 ? game.slip.whyNot('repeat') : ready()) });
    },
    finish(result, level = 1) {
      if (result.net > 0) sound.win(level);
      else if (result.net < 0) sound.lose();
      if (broke()) offerFreshStart(result);
      else frame.say(result);
    },
    greet(text) {
      if (broke()) offerFreshStart();
      else frame.say(text);
    },
    async mountScene(name, create) {
      try {
        await drawn;
        const view = await create();
        document.body.dataset.stage = view.webgl ? 'webgl' : '2d';
        return view;
      } catch (e) {
        console.warn(`Velmar Casino: the ${name} table could not be drawn`, e);
        document.body.dataset.stage = 'none';
        return null;
      }
    },
  };
}
