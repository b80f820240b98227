// SPDX-License-Identifier: GPL-3.0-or-later
// The frame every table page shares: a header with the way back to the lobby,
// the bankroll and the current bet; the stage in the middle (where stage3d.js
// draws); and the controls below: the chip rack, the action buttons with their
// keys, and a message line over the stage. All four tables use it.
import { CHIP_VALUES } from './bets.js';
import { formatChips, STARTING_BANKROLL } from './money.js';
import { t, fillPage } from './messages.js';
import { tableById, LOBBY_FILE } from './tables.js';
import { loadFonts } from './fonts.js';

/** An element with its attributes ('class', 'text' or any other) and children. */
export const el = (tag, attrs = {}, ...children) => {
  const node = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs)) {
    if (v === false || v === null || v === undefined) continue;
    if (k === 'class') node.className = v;
    else if (k === 'text') node.textContent = v;
    else node.setAttribute(k, v === true ? '' : v);
  }
  node.append(...children);
  return node;
};

const CHIP_KEYS = ['1', '2', '3', '4', '5', '6'];

// An action's keys: `key` is one key or a list, the first shown on its button.
const keysOf = (action) => [action.key ?? []].flat();

/** What a key is called on its button: "Enter", "Space", "⌫". */
function keyCap(key) {
  return ({ ' ': t('key.space'), Enter: t('key.enter'), Delete: t('key.delete'), Backspace: '⌫', Escape: 'Esc',
    ArrowLeft: '←', ArrowRight: '→', ArrowUp: '↑', ArrowDown: '↓' })[key] ?? (key.length === 1 ? key.toUpperCase() : key);
}


/**
 * A rack chip: its face ("25", "1K") and its key; the accessible name starts
 * with the face, so what is seen is what a voice command can say.
 */
function chipButton(value, index) {
  const face = value >= 1000 ? `${value / 1000}K` : String(value);
  const key = CHIP_KEYS[index];
  const label = value >= 1000 ? t('chip.nameWorth', { face, value: value * 100, key }) : t('chip.name', { face, key });
  return el('button', { class: `chip v${value}`, type: 'button', 'aria-pressed': 'false', 'aria-label': label,
    'data-value': String(value) }, face, el('span', { class: 'key', 'aria-hidden': 'true', 'data-key': key }));
}

let spoken = null;

/**
 * Says `text` to a screen reader through a polite live region of its own, so
 * every card and deal is heard without changing the message line.
 */
export function announce(text) {
  if (!text) return;
  if (!spoken) {
    spoken = el('div', { class: 'visually-hidden', role: 'log', 'aria-live': 'polite', 'aria-relevant': 'additions' });
    document.body.append(spoken);
  }
  spoken.append(el('p', { text }));
  while (spoken.childElementCount > 6) spoken.firstElementChild.remove();
}

let reasonCount = 0;

/**
 * Marks a button as unable to act now, with `reason` ('' makes it able
 * again). It stays focusable and is still clicked, so the page can say the
 * reason at the moment the player tries; the reason is also its tooltip and,
 * through aria-describedby, what a screen reader reads after its name.
 */
export function setUnavailable(button, reason = '') {
  let note = button.__why;
  if (!note) {
    note = el('span', { class: 'visually-hidden', id: `why-${++reasonCount}` });
    button.__why = note;
    (button.closest('.table-frame') ?? document.body).append(note);
  }
  button.disabled = false;
  if (reason) {
    button.setAttribute('aria-disabled', 'true');
    button.title = reason;
    button.setAttribute('aria-describedby', note.id);
  } else {
    button.removeAttribute('aria-disabled');
    button.removeAttribute('title');
    button.removeAttribute('aria-describedby');
  }
  note.textContent = reason;
}

/** The reason a button is unavailable, or '' when it may act. */
export const whyUnavailable = (button) =>
  (button.getAttribute('aria-disabled') === 'true' ? button.title || t('refuse.busy') : '');

/**
 * Offers a fresh start in the message line: the reason, and a button that
 * calls `onStart` (the page writes its fresh state and redraws).
 */
function offerFreshStart(node, text, onStart, result = null) {
  const button = el('button', { class: 'btn primary fresh-start', type: 'button',
    text: t('broke.button', { fresh: STARTING_BANKROLL }) });
  button.addEventListener('click', () => onStart());
  const before = result ? [el('strong', { class: 'net', text: result.headline }), ' ',
    el('span', { class: 'detail', text: result.lines.join(' ') }), el('br')] : [];
  node.replaceChildren(...before, el('span', { text }), ' ', button);
  node.className = `message offer ${result ? `result ${result.tone}` : 'warn'}`;
}

/**
 * Writes the message line: a plain sentence with its tone ('warn', 'win',
 * 'loss', 'even'), or a round's result from results.js, its net in bold and
 * coloured by its sign, then what happened and each bet.
 */
function writeMessage(node, content, tone = '') {
  if (content && typeof content === 'object') {
    node.replaceChildren(el('strong', { class: 'net', text: content.headline }), ' ',
      el('span', { class: 'detail', text: content.lines.join(' ') }));
    node.className = `message result ${content.tone}`;
    return;
  }
  node.textContent = content ?? '';
  node.className = tone ? `message ${tone}` : 'message';
}

/**
 * Builds the frame into document.body and returns the handles a game needs.
 *
 *   const frame = mountTable({
 *     id: 'blackjack',
 *     actions: [{ id: 'deal', label: 'Deal', key: 'Enter', primary: true, onActivate: deal,
 *                 onRefused: (why) => ... }, ...],   // onRefused: instead of showing why
 *     onChip: (value) => slip.selectChip(value),
 *     onMute: () => sound.toggleMute(),
 *   });
 *   frame.stage     // the element to hand to createStage()
 *   frame.board     // an overlay strip at the bottom of the stage for DOM betting spots
 *   frame.setBankroll(cents); frame.setBet(cents); frame.say(text, 'win' | 'loss' | 'even' | 'warn');
 *   frame.say(result)   // a round's result from results.js
 *   frame.setAction('deal', { reason: 'Place a bet first.', hidden: false, label: 'Deal' });
 *   frame.selectChip(25); frame.setChips((value) => reason or ''); frame.setMuted(bool);
 *   frame.setLimits(text); frame.offerFreshStart(text, onStart);
 *
 * Keys: each action's `key`, or a list of keys of which the button shows the
 * first (compared case-insensitively with KeyboardEvent.key); `hidden: true`
 * starts an action out of sight, for the moves of a later phase;
 * 1 to 6 for the chips, M for mute. Keys with Ctrl, Alt or Super are left to the
 * shell's menus, and keys typed into a form field are left to the field.
 */
export function mountTable({ id, actions = [], onChip = null, onMute = null, chips = true,
  initialChip = 5, onKey = null } = {}) {
  const info = tableById(id);
  const name = info?.name ?? 'Velmar Casino';
  document.title = name;
  fillPage(document);
  document.body.classList.add('table-page');
  loadFonts();

  const bankroll = el('span', { class: 'value num', text: '—' });
  const bet = el('span', { class: 'value num', text: '0' });
  const muteButton = el('button', { class: 'btn mute', type: 'button', 'aria-pressed': 'false', title: t('frame.soundTitle') });
  const header = el('header', { class: 'table-header' },
    el('a', { class: 'lobby-link', href: LOBBY_FILE, title: t('frame.lobbyTitle') }, `‹ ${t('frame.lobby')}`),
    el('h1', { text: name }),
    el('div', { class: 'purse' },
      el('div', { class: 'meter bet', 'aria-live': 'polite' }, el('span', { class: 'label', text: t('frame.bet') }), bet),
      el('div', { class: 'meter bankroll', 'aria-live': 'polite' }, el('span', { class: 'label', text: t('frame.chips') }), bankroll),
      muteButton));

  const message = el('div', { class: 'message', role: 'status', 'aria-live': 'polite' });
  const board = el('div', { class: 'board' });
  const stage = el('main', { class: 'table-stage', 'aria-label': t('frame.stage', { name }) }, message, board);

  const rack = el('div', { class: 'chip-rack', role: 'group', 'aria-label': t('frame.rack') });
  const chipButtons = new Map();
  if (chips) {
    CHIP_VALUES.forEach((value, i) => {
      const b = chipButton(value, i);
      b.addEventListener('click', () => chooseChip(value));
      chipButtons.set(value, b);
      rack.append(b);
    });
  }

  const actionBar = el('div', { class: 'actions', role: 'group', 'aria-label': t('frame.actions') });
  const actionButtons = new Map();
  for (const a of actions) {
    const label = el('span', { text: a.label });
    const keys = keysOf(a);
    const b = el('button', { class: a.primary ? 'btn primary' : 'btn', type: 'button', 'data-action': a.id,
      'aria-keyshortcuts': keys.length ? keys.map((k) => (k === ' ' ? 'Space' : k)).join(' ') : null }, label);
    if (keys.length) b.append(el('kbd', { 'aria-hidden': 'true', text: keyCap(keys[0]) }));
    if (a.hidden) b.hidden = true;
    b.addEventListener('click', () => press(b, a));
    actionButtons.set(a.id, { button: b, label, action: a });
    actionBar.append(b);
  }
  const limits = el('p', { class: 'limits' });
  const controls = el('footer', { class: 'table-controls' }, el('div', { class: 'rack-box' }, rack, limits), actionBar);
  const frame = el('div', { class: 'table-frame' }, header, stage, controls);
  document.body.append(frame);

  muteButton.addEventListener('click', () => onMute?.());
  function setMuted(muted) {
    muteButton.setAttribute('aria-pressed', String(muted));
    muteButton.textContent = t(muted ? 'frame.soundOff' : 'frame.soundOn');
    muteButton.append(el('kbd', { 'aria-hidden': 'true', text: 'M' }));
  }
  setMuted(false);

  // An action that cannot be taken says why, whether clicked or keyed.
  function press(button, action) {
    const why = whyUnavailable(button);
    if (!why) action.onActivate?.();
    else if (action.onRefused) action.onRefused(why);
    else writeMessage(message, why, 'warn');
  }
  function chooseChip(value) {
    const why = whyUnavailable(chipButtons.get(value));
    if (why) { writeMessage(message, why, 'warn'); return; }
    selectChip(value);
    onChip?.(value);
  }

  function selectChip(value) {
    for (const [v, b] of chipButtons) b.setAttribute('aria-pressed', String(v === value));
  }
  selectChip(initialChip);

  document.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.altKey || e.metaKey || e.defaultPrevented) return;
    // A sheet over the table (help, history) takes the keys; the round waits.
    if (document.querySelector('dialog[open]')) return;
    const target = e.target;
    if (target && (target.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName))) return;
    if (onKey?.(e) === true) { e.preventDefault(); return; }
    const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    for (const { button, action } of actionButtons.values()) {
      if (!keysOf(action).some((k) => (k.length === 1 ? k.toLowerCase() : k) === key)) continue;
      // Enter and Space on a focused button already click it; do not act twice.
      if ((key === 'Enter' || key === ' ') && target instanceof HTMLButtonElement) return;
      e.preventDefault();
      // A move of another phase says why it cannot be made now where its button knows.
      if (button.hidden) {
        writeMessage(message, whyUnavailable(button) || t('refuse.notOffered', { action: actionButtons.get(action.id).label.textContent }), 'warn');
      }
      else press(button, action);
      return;
    }
    const chipIndex = CHIP_KEYS.indexOf(key);
    if (chips && chipIndex >= 0) {
      chooseChip(CHIP_VALUES[chipIndex]);
      e.preventDefault();
    } else if (key === 'm' && onMute) {
      onMute();
      e.preventDefault();
    }
  });

  return {
    root: frame,
    stage,
    board,
    controls,
    setBankroll(cents) { bankroll.textContent = formatChips(cents); },
    setBet(cents) { bet.textContent = formatChips(cents); },
    say(content, tone = '') { writeMessage(message, content, tone); },
    /** `reason`: why the action cannot be taken now ('' when it can). */
    setAction(actionId, { reason, hidden, label } = {}) {
      const a = actionButtons.get(actionId);
      if (!a) return;
      if (reason !== undefined) setUnavailable(a.button, reason);
      if (hidden !== undefined) a.button.hidden = !!hidden;
      if (label !== undefined) a.label.textContent = label;
    },
    selectChip,
    /** `reasonFor(value)`: why that chip cannot go down now, '' when it can. */
    setChips(reasonFor) {
      for (const [v, b] of chipButtons) setUnavailable(b, reasonFor(v));
    },
    setLimits(text) { limits.textContent = text; },
    offerFreshStart(text, onStart, result) { offerFreshStart(message, text, onStart, result); },
    setMuted,
    /** The buttons' keys and what they do, for the help sheet. */
    keyList() {
      return [...actionButtons.values()].filter(({ action }) => action.key)
        .map(({ action }) => ({ key: keysOf(action).map(keyCap).join(' / '), what: action.label }));
    },
    /** Puts buttons of the page's own (help, history, settings) in the header. */
    addTools(...buttons) { header.querySelector('.purse').prepend(...buttons); },
  };
}
