// SPDX-License-Identifier: GPL-3.0-or-later
// The page half of the table contract: what every table's page does the same
// way around its game object. The game holds `state` (a TableState), `slip`
// (a BetSlip), `round` (the round in play, or null) and `bankroll`; this
// builds the frame with the betting actions and the sheets, keeps the
// player's chip and sound, says why a deal is refused, offers the fresh start
// when the chips run out, plays "again", and says and sounds a settled round.
// A table's page hands in only what is its own: its moves, its scene, its words.
import { mountTable } from './table.js';
import { mountPanels } from './panels.js';
import { PlayerSettings } from './player.js';
import { createSound } from './sound.js';
import { isBelowMinimum, belowMinimumMessage } from './bets.js';
import { STARTING_BANKROLL } from './money.js';
import { t } from './messages.js';

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
  // meanwhile, until the table can take a bet: once the frame below is drawn,
  // not once the scene, which comes later, is.
  const bridge = globalThis.__vlCasino;
  bridge?.holdReady?.();
  const player = new PlayerSettings(globalThis.localStorage, game.state.settings);
  game.slip.selectChip(player.settings.chip);
  const sound = createSound(player);
  const waiting = () => busy() || !!game.round;
  const broke = () => !game.round && isBelowMinimum(game.bankroll, minimum);
  const ready = () => (game.readiness ? game.readiness() : game.slip.readiness()).reason;

  function refused(verdict) {
    if (!verdict.ok) frame.say(verdict.reason, 'warn');
    return !verdict.ok;
  }

  // The betting actions work on the slip, and only between rounds.
  const betting = (change) => () => {
    if (!refused(waiting() ? { ok: false, reason: busyText } : change(game.slip))) {
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
    if (waiting()) { frame.say(busyText, 'warn'); return; }
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
      ...actions,
    ],
    onChip: (value) => { game.slip.selectChip(value); player.setSetting('chip', value); sound.chip(); render(); },
    onMute: () => { sound.toggleMute(); frame.setMuted(sound.muted); },
    onKey,
  });
  frame.setMuted(sound.muted);
  if (panels.limits) frame.setLimits(panels.limits);
  mountPanels(frame, { player, sound, history: () => game.state.history, ...panels });
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
      const wait = waiting() ? busyText : '';
      for (const action of ['undo', 'clear', 'repeat']) frame.setAction(action, { reason: wait || game.slip.whyNot(action) });
      frame.setAction(doubleId, { reason: wait || game.slip.whyNot('double') });
      frame.setAction(deal.id, { reason: wait || ready() });
      frame.setAction('again', { reason: wait || (game.slip.total === 0 ? game.slip.whyNot('repeat') : ready()) });
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
        return null;
      }
    },
  };
}
