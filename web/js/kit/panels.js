// SPDX-License-Identifier: GPL-3.0-or-later
// What every table offers beside the game: how to play (the rules as this
// table deals them, each bet's payout and house edge, the limits and every
// key), the history of the last rounds, and the player's casino-wide choices
// of pace and sound. Each opens as a modal dialog over the table, so the
// round in progress waits untouched behind it and Escape closes it.
import { t } from './messages.js';
import { formatSigned, CENTS_PER_CHIP } from './money.js';
import { netOf } from './history.js';
import { setPace } from './pace.js';
import { SPEEDS, REALITY_MINUTES } from './player.js';
import { el } from './table.js';

const percent = (fraction) => new Intl.NumberFormat(document.documentElement.lang || undefined,
  { style: 'percent', minimumFractionDigits: 2, maximumFractionDigits: 2 }).format(fraction);

/** A sheet over the table with its title and a close button; also for a table's own sheets. */
export function dialog(className, title, ...body) {
  const heading = el('h2', { text: title, id: `${className}-title` });
  const close = el('button', { class: 'btn', type: 'button', text: t('panel.close') });
  const d = el('dialog', { class: `panel ${className}`, 'aria-labelledby': heading.id },
    el('header', {}, heading, close), ...body);
  close.addEventListener('click', () => d.close());
  // A click on the backdrop (outside the sheet) closes it, as a popover would.
  d.addEventListener('click', (e) => { if (e.target === d) d.close(); });
  document.body.append(d);
  return d;
}

/**
 * Adds the help, history and settings buttons to a table's frame.
 *
 *   mountPanels(frame, {
 *     player, sound,                 // PlayerSettings and createSound()'s sound
 *     history: () => state.history,  // the table's newest-last round records
 *     describe: (entry) => ({ what: '17 red', bets: 'Red 5, 17 straight up 1' }),
 *     rules: ['paragraph', ...],
 *     bets: [{ name, pays, edge }],  // edge: the house's share of a stake, 0.027, or words; or a function giving them when the sheet opens
 *     limits: 'text',
 *     keys: [{ key: 'P', what: 'Bet on the player' }],  // the table's own besides its buttons
 *     options: [{ id, label, note, checked: () => bool, set: (on) => text or null }],  // the table's own rules
 *   });
 *
 * A table's option is a checkbox in Settings; `set` says what changed (for
 * the message line) or returns null when the choice was not kept.
 *
 * Keys: ? or F1 for help, L for the history; the settings have a button only.
 */
export function mountPanels(frame, { player, sound, history, describe, rules = [], bets = [], limits = '', keys = [],
  options = [], onSettings = () => {} }) {
  setPace(player.settings.speed);

  const helpBody = el('div', { class: 'panel-body' });
  const help = dialog('help-sheet', t('panel.help'), helpBody);
  const historyList = el('ol', { class: 'history-list', reversed: true });
  const historyEmpty = el('p', { class: 'empty', text: t('panel.historyEmpty') });
  const historyPanel = dialog('history-panel', t('panel.history'), el('div', { class: 'panel-body' }, historyEmpty, historyList));

  const speed = el('fieldset', {}, el('legend', { text: t('panel.speed') }),
    ...SPEEDS.map((value) => el('label', {},
      el('input', { type: 'radio', name: 'speed', value, checked: player.settings.speed === value }), ` ${t(`panel.speed.${value}`)}`)));
  const volume = el('input', { type: 'range', min: '0', max: '100', step: '10', id: 'panel-volume',
    value: String(Math.round((player.settings.volume ?? 1) * 100)) });
  const mute = el('input', { type: 'checkbox', id: 'panel-mute', checked: sound.muted });
  const reality = el('fieldset', {}, el('legend', { text: t('panel.reality') }),
    ...REALITY_MINUTES.map((value) => el('label', {},
      el('input', { type: 'radio', name: 'reality', value: String(value), checked: player.settings.reality === value }),
      ` ${value ? t('panel.realityEvery', { count: value }) : t('panel.realityOff')}`)));
  const dayLimit = el('input', { type: 'number', min: '0', step: '1', id: 'panel-day-limit', inputmode: 'numeric',
    value: String(player.settings.dayLimit / CENTS_PER_CHIP) });
  const dayNote = el('p', { class: 'note', id: 'panel-day-note' });
  dayLimit.setAttribute('aria-describedby', dayNote.id);
  // A table's own choices hold at that table only, apart from the casino-wide ones.
  const choices = options.map((o) => {
    const box = el('input', { type: 'checkbox', id: `panel-${o.id}` });
    if (o.note) box.setAttribute('aria-describedby', `panel-${o.id}-note`);
    box.addEventListener('change', () => {
      const said = o.set(box.checked);
      if (said === null) box.checked = o.checked();
      else if (said) frame.say(said);
    });
    return { o, box, row: el('div', { class: 'option' }, el('label', {}, box, ` ${o.label}`),
      ...(o.note ? [el('p', { class: 'note', id: `panel-${o.id}-note`, text: o.note })] : [])) };
  });
  const tableChoices = choices.length
    ? [el('fieldset', { class: 'table-options' }, el('legend', { text: t('panel.tableOptions') }), ...choices.map((c) => c.row))] : [];
  const settings = dialog('settings-panel', t('panel.settings'), el('div', { class: 'panel-body' },
    ...tableChoices, el('p', { class: 'note', text: t('panel.settingsNote') }), speed,
    el('label', { for: 'panel-volume', text: t('panel.volume') }), volume,
    el('label', {}, mute, ` ${t('panel.mute')}`), reality,
    el('label', { for: dayLimit.id, text: t('panel.dayLimit') }), dayLimit, dayNote));
  const showDay = () => { dayNote.textContent = t('panel.dayNet', { result: formatSigned(player.dayNet()) }); };

  speed.addEventListener('change', (e) => {
    if (player.setSetting('speed', e.target.value)) setPace(e.target.value);
  });
  volume.addEventListener('input', () => sound.setVolume(Number(volume.value) / 100));
  mute.addEventListener('change', () => { sound.setMuted(mute.checked); frame.setMuted(sound.muted); });
  reality.addEventListener('change', (e) => {
    if (player.setSetting('reality', Number(e.target.value))) onSettings('reality');
  });
  dayLimit.addEventListener('change', () => {
    const chips = Number(dayLimit.value);
    if (dayLimit.value !== '' && player.setSetting('dayLimit', chips * CENTS_PER_CHIP)) { showDay(); onSettings('dayLimit'); return; }
    dayLimit.value = String(player.settings.dayLimit / CENTS_PER_CHIP);
    dayNote.textContent = t('panel.dayLimitWhole');
  });

  function fillHelp() {
    const keyRows = [...frame.keyList(), ...keys,
      { key: '1–6', what: t('panel.keyChips') }, { key: 'M', what: t('panel.keyMute') },
      { key: '? / F1', what: t('panel.help') }, { key: 'L', what: t('panel.history') }, { key: 'Esc', what: t('panel.keyClose') }];
    const table = (head, rows) => el('table', {}, el('thead', {}, el('tr', {}, ...head.map((h) => el('th', { scope: 'col', text: h })))),
      el('tbody', {}, ...rows.map((cells) => el('tr', {}, ...cells.map((c, i) => el(i ? 'td' : 'th', i ? { text: c } : { scope: 'row', text: c }))))));
    helpBody.replaceChildren(
      el('h3', { text: t('panel.rules') }), ...rules.map((text) => el('p', { text })),
      el('h3', { text: t('panel.payouts') }),
      table([t('panel.bet'), t('panel.pays'), t('panel.edge')], (typeof bets === 'function' ? bets() : bets)
        .map((b) => [b.name, b.pays, typeof b.edge === 'number' ? percent(b.edge) : b.edge])),
      el('p', { class: 'note', text: t('panel.edgeNote') }),
      el('h3', { text: t('panel.limits') }), el('p', { text: limits }),
      el('h3', { text: t('panel.keys') }),
      table([t('panel.key'), t('panel.does')], keyRows.map((k) => [k.key, k.what])));
  }

  function fillHistory() {
    const rounds = history().slice(-50).reverse();
    historyEmpty.hidden = rounds.length > 0;
    historyList.replaceChildren(...rounds.map((entry) => {
      const net = netOf(entry);
      // An entry edited into something the table cannot describe still shows its net.
      let what = '', placed = '';
      try { ({ what, bets: placed } = describe(entry)); } catch { /* described by its net alone */ }
      return el('li', {}, entry.auto === true ? el('span', { class: 'auto-tag', text: t('panel.autoPlayed') }) : '',
        entry.auto === true ? ' ' : '', el('span', { class: 'what', text: what }), ' ',
        el('span', { class: 'bets', text: placed }), ' ',
        el('strong', { class: `net ${net > 0 ? 'win' : net < 0 ? 'loss' : 'even'}`, text: formatSigned(net) }));
    }));
  }

  const open = (d, fill) => {
    if (d.open) { d.close(); return; }
    for (const other of document.querySelectorAll('dialog.panel[open]')) other.close();
    fill?.();
    d.showModal();
  };
  const showHelp = () => open(help, fillHelp);
  const showHistory = () => open(historyPanel, fillHistory);
  const showSettings = () => {
    mute.checked = sound.muted;
    showDay();
    for (const c of choices) c.box.checked = c.o.checked();
    open(settings);
  };

  const button = (text, key, action) => {
    const b = el('button', { class: 'btn tool', type: 'button', 'aria-keyshortcuts': key, 'aria-haspopup': 'dialog' },
      text, key ? el('kbd', { 'aria-hidden': 'true', text: key }) : '');
    b.addEventListener('click', action);
    return b;
  };
  frame.addTools(button(t('panel.help'), '?', showHelp), button(t('panel.history'), 'L', showHistory),
    button(t('panel.settings'), '', showSettings));

  document.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.altKey || e.metaKey || e.defaultPrevented) return;
    if (e.target && /^(INPUT|TEXTAREA|SELECT)$/.test(e.target.tagName) && e.target.type !== 'radio') return;
    if (e.key === '?' || e.key === 'F1') showHelp();
    else if (e.key.toLowerCase() === 'l') showHistory();
    else return;
    e.preventDefault();
  });
  return { showHelp, showHistory, showSettings };
}
