// SPDX-License-Identifier: GPL-3.0-or-later
// Fills the lobby: each table's card with its picture, its chips, a small chart
// of its last rounds, the evening's result there and any round left in play;
// and the casino's summary, where the player sees the evening's result beside
// what the odds would have given. The links themselves are plain HTML, so they
// work even if this fails. The tables' saves are only read here.
import { TABLES, tableById } from './kit/tables.js';
import { formatChips, formatSigned } from './kit/money.js';
import { t, fillPage, currentLanguage } from './kit/messages.js';
import { lobbySummary, eveningStart } from './kit/history.js';
import { takeFromStats } from './rules/edges.js';
import { PICTURES, chipChart, chartPoints, CHART_WIDTH, CHART_HEIGHT } from './lobby-art.js';
import { loadFonts } from './kit/fonts.js';

function storage() {
  try { return window.localStorage; } catch { return null; }
}

const tone = (cents) => (cents > 0 ? 'up' : cents < 0 ? 'down' : 'even');

function fillCard(card, table, summary) {
  const { id } = table;
  const picture = card.querySelector('.picture');
  if (picture && !picture.firstChild) picture.innerHTML = PICTURES[id]();
  const part = (selector, name) => {
    const el = card.querySelector(selector);
    if (el) el.id = `${id}-${name}`;
    return el;
  };
  // The link is the table's name alone, stretched over the card, so that what
  // it shows is what it is called; the rest of the card describes it.
  const link = card.querySelector('h2 a');

  const chips = part('.chips', 'chips');
  chips.querySelector('.value').textContent = formatChips(summary.bankroll);

  const chart = part('.chart', 'chart');
  const { series } = summary;
  if (series.length) {
    const plot = document.createElement('div');
    plot.className = 'plot';
    plot.innerHTML = chipChart(series);
    plot.querySelector('svg').setAttribute('aria-label', t(series.length > 1 ? 'lobby.chart' : 'lobby.chartOne', {
      count: series.length, startAmount: series[0], endAmount: series.at(-1), min: Math.min(...series), max: Math.max(...series) }));
    // The last round's dot, round at any width the chart is stretched to.
    const [x, y] = chartPoints(series).at(-1);
    const dot = document.createElement('span');
    dot.className = 'dot';
    dot.dataset.tone = tone(series.at(-1) - series[0]);
    dot.style.left = `${(100 * x) / CHART_WIDTH}%`;
    dot.style.top = `${(100 * y) / CHART_HEIGHT}%`;
    plot.append(dot);
    const caption = document.createElement('span');
    caption.className = 'caption';
    caption.setAttribute('aria-hidden', 'true');
    caption.textContent = t('lobby.chartCaption', { count: series.length });
    chart.replaceChildren(caption, plot);
  } else {
    const empty = document.createElement('span');
    empty.className = 'empty';
    empty.textContent = t('lobby.noRounds');
    chart.replaceChildren(empty);
  }

  // A table never played says so above; one that does not count its rounds
  // by the evening yet says nothing of it.
  const evening = part('.evening', 'evening');
  const { rounds, net } = summary.evening;
  evening.hidden = !summary.recorded && rounds === 0;
  const value = evening.querySelector('.value');
  value.textContent = rounds ? t('lobby.eveningResult', { net: formatSigned(net), count: rounds }) : t('lobby.eveningNone');
  value.dataset.tone = rounds ? tone(net) : 'even';

  const inPlay = part('.in-play', 'in-play');
  inPlay.hidden = !summary.inPlay;
  inPlay.textContent = summary.inPlay ? t(`lobby.inPlay.${tableById(id).round}`, { stake: summary.staked }) : '';

  link.setAttribute('aria-describedby', [chips, evening, inPlay, chart]
    .filter((el) => !el.hidden).map((el) => el.id).join(' '));
}

function fillCasino({ bankroll, rounds, evening }) {
  document.getElementById('casino-chips').textContent = formatChips(bankroll);
  const played = document.getElementById('casino-rounds');
  played.textContent = new Intl.NumberFormat(currentLanguage()).format(rounds);
  if (evening.rounds) {
    const tonight = document.createElement('span');
    tonight.className = 'sub';
    tonight.textContent = t('lobby.casinoRoundsTonight', { count: evening.rounds });
    played.append(' ', tonight);
  }
  const net = document.getElementById('casino-net');
  net.textContent = formatSigned(evening.net);
  net.dataset.tone = tone(evening.net);
  // The take is an average, in fractions of a cent: shown to the cent.
  const take = Math.round(evening.take);
  document.getElementById('casino-take').textContent = formatChips(take);
  // Luck is the result less what the odds expect (the house's take, lost).
  const luck = Math.round(evening.net + evening.take);
  const words = { take: formatChips(take), net: formatSigned(evening.net), luck: formatChips(Math.abs(luck)) };
  document.getElementById('casino-luck').textContent = !evening.rounds ? t('lobby.luck.none')
    : t(luck > 0 ? 'lobby.luck.with' : luck < 0 ? 'lobby.luck.against' : 'lobby.luck.even', words);
}

function render() {
  let summary;
  try { summary = lobbySummary(storage(), eveningStart(), takeFromStats); } catch (e) {
    console.warn('Velmar Casino: the lobby could not read the tables', e);
    return;
  }
  TABLES.forEach((table, i) => {
    const card = document.querySelector(`.table-card[data-table="${table.id}"]`);
    if (card) fillCard(card, table, summary.tables[i]);
  });
  fillCasino(summary.casino);
}

fillPage(document);
render();
loadFonts();
// Coming back to the lobby from history shows the page from the cache; read again.
window.addEventListener('pageshow', (e) => { if (e.persisted) render(); });
