// SPDX-License-Identifier: GPL-3.0-or-later
// The reality check: every so many minutes (the player's choice, off by
// default) a sheet says how long this sitting has lasted and what it has
// won or lost across the casino. The sitting is the application's run (the
// evening of history.js); the time it was last shown is kept with the
// player's settings, so that going to another table does not start the count
// again. Pure: the page hands in its clock, its timers and the sheet.
import { REALITY_MINUTES } from './player.js';

export const MINUTE = 60000;

/** When the next check is due (ms), or null when the player has none. */
export function realityDue({ reality = 0, realityShown = 0 } = {}, since) {
  if (!REALITY_MINUTES.includes(reality) || !reality) return null;
  return Math.max(since, realityShown) + reality * MINUTE;
}

/**
 *   const watch = watchReality({ player, since, show, result, canShow, now, setTimer, clearTimer });
 *   watch.arm()   // again, after the player changes how often
 *
 * `show({ minutes, net })` opens the sheet; `result()` is the sitting's net
 * (cents); while `canShow()` is false (a round being dealt, a sheet open) the
 * check waits, asking again every `retry` ms. The page's clock is read when
 * asked, so that a test in a web view can move it on.
 */
export function watchReality({ player, since, show, result = () => 0, canShow = () => true, now = () => Date.now(),
  setTimer = setTimeout, clearTimer = clearTimeout, retry = 1000 }) {
  let timer = null;
  function arm() {
    if (timer !== null) clearTimer(timer);
    timer = null;
    const due = realityDue(player.settings, since);
    if (due !== null) timer = setTimer(check, Math.max(0, due - now()));
  }
  function check() {
    timer = null;
    if (!canShow()) { timer = setTimer(check, retry); return; }
    const at = now();
    player.setSetting('realityShown', at);
    show({ minutes: Math.floor((at - since) / MINUTE), net: result() });
    arm();
  }
  arm();
  return { arm };
}
