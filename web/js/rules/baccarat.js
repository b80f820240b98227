// SPDX-License-Identifier: GPL-3.0-or-later
// Rules of punto banco: card values, the drawing tableau, one coup, settlement,
// and the two scoreboards players read (bead plate and big road). Pure: no DOM,
// no timers, no randomness; the page deals from the kit's shoe.
//
// Amounts are integers in cents of a chip. The banker's 5% commission is
// exact for whole chips; on an odd amount it is rounded up in the house's
// favour, as a cage would round it.

const RANKS = '23456789TJQKA';
const SUITS = 'cdhs';

export const BET_KINDS = Object.freeze([
  'player', 'banker', 'tie', 'playerPair', 'bankerPair', 'dragonPlayer', 'dragonBanker', 'eitherPair',
]);

// Winnings per unit staked; the stake comes back on top. The banker's even
// money is paid less commission (below).
export const PAYOUT = Object.freeze({ player: 1, banker: 1, tie: 8, playerPair: 11, bankerPair: 11 });
export const COMMISSION_PERCENT = 5;

// The Dragon Bonus on a side: even money on a natural win, the stake back on
// a natural tie, and on any other win by the margin it wins by.
export const DRAGON_PAYS = Object.freeze({ 9: 30, 8: 10, 7: 6, 6: 4, 5: 2, 4: 1 });
// Either Pair: the first two cards of the player's hand or the banker's are of one rank.
export const EITHER_PAIR_PAYS = 5;

function rankOf(card) {
  if (typeof card !== 'string' || card.length !== 2 || !RANKS.includes(card[0]) || !SUITS.includes(card[1])) {
    throw new RangeError(`baccarat: not a card: ${JSON.stringify(card)}`);
  }
  return card[0];
}

// Ace counts one, tens and pictures nothing, every other card its pips.
export function cardValue(card) {
  const rank = rankOf(card);
  if (rank === 'A') return 1;
  if ('TJQK'.includes(rank)) return 0;
  return Number(rank);
}

export function handTotal(cards) {
  return cards.reduce((sum, card) => sum + cardValue(card), 0) % 10;
}

export function playerDraws(playerTotal) {
  return playerTotal <= 5;
}

// Whether the banker draws a third card, given its two-card total and the
// player's third card (a card, or its value), null when the player stood.
// Naturals are settled before this is asked, so 8 and 9 always stand.
export function bankerDraws(bankerTotal, playerThirdCard) {
  if (!Number.isInteger(bankerTotal) || bankerTotal < 0 || bankerTotal > 9) {
    throw new RangeError(`baccarat: no banker total ${bankerTotal}`);
  }
  if (playerThirdCard === null || playerThirdCard === undefined) return bankerTotal <= 5;
  const v = typeof playerThirdCard === 'number' ? playerThirdCard : cardValue(playerThirdCard);
  if (!Number.isInteger(v) || v < 0 || v > 9) throw new RangeError(`baccarat: no card value ${v}`);
  switch (bankerTotal) {
    case 0: case 1: case 2: return true;
    case 3: return v !== 8;
    case 4: return v >= 2 && v <= 7;
    case 5: return v >= 4 && v <= 7;
    case 6: return v === 6 || v === 7;
    default: return false;
  }
}

const isPair = (cards) => rankOf(cards[0]) === rankOf(cards[1]);

// Deals one coup from `draw` (each call returns the next card of the shoe) in
// the real order: player, banker, player, banker, then the third cards.
export function playCoup(draw) {
  const player = [];
  const banker = [];
  const take = (hand) => { const card = draw(); rankOf(card); hand.push(card); return card; };
  take(player); take(banker); take(player); take(banker);
  let playerTotal = handTotal(player);
  let bankerTotal = handTotal(banker);
  const natural = playerTotal >= 8 || bankerTotal >= 8;
  if (!natural) {
    let third = null;
    if (playerDraws(playerTotal)) {
      third = take(player);
      playerTotal = handTotal(player);
    }
    if (bankerDraws(bankerTotal, third)) {
      take(banker);
      bankerTotal = handTotal(banker);
    }
  }
  const winner = playerTotal > bankerTotal ? 'player' : bankerTotal > playerTotal ? 'banker' : 'tie';
  return {
    player, banker, playerTotal, bankerTotal, winner, natural,
    playerPair: isPair(player), bankerPair: isPair(banker),
  };
}

// The order in which the cards of a coup reached the table, as [hand, index].
export function dealOrder(coup) {
  const order = [['player', 0], ['banker', 0], ['player', 1], ['banker', 1]];
  if (coup.player.length > 2) order.push(['player', 2]);
  if (coup.banker.length > 2) order.push(['banker', 2]);
  return order;
}

function checkStake(kind, stake) {
  if (!BET_KINDS.includes(kind)) throw new RangeError(`baccarat: no bet named ${kind}`);
  if (!Number.isSafeInteger(stake) || stake < 0) {
    throw new RangeError(`baccarat: a stake must be a whole, non-negative number of cents, not ${stake}`);
  }
}

function dragon(side, coup, stake) {
  const mine = side === 'player' ? coup.playerTotal : coup.bankerTotal;
  const margin = mine - (side === 'player' ? coup.bankerTotal : coup.playerTotal);
  if (coup.natural) return margin > 0 ? 2 * stake : margin === 0 ? stake : 0;
  return margin > 0 && Object.hasOwn(DRAGON_PAYS, margin) ? stake * (DRAGON_PAYS[margin] + 1) : 0;
}

// Cents returned for each bet placed (any subset of BET_KINDS): the stake
// plus winnings, the stake alone on a push, 0 when lost. A tie pushes the
// player and banker bets. At a table without commission the banker is paid
// even money, except a win with six, which pays half the stake (rounded down
// to the cent, as the commission is rounded up).
export function settle(bets, coup, { noCommission = false } = {}) {
  if (!bets || typeof bets !== 'object') throw new RangeError('baccarat: bets must be an object');
  if (!coup || !['player', 'banker', 'tie'].includes(coup.winner)) throw new RangeError('baccarat: not a coup');
  const out = {};
  for (const [kind, stake] of Object.entries(bets)) {
    checkStake(kind, stake);
    let back = 0;
    switch (kind) {
      case 'player':
        back = coup.winner === 'player' ? 2 * stake : coup.winner === 'tie' ? stake : 0;
        break;
      case 'banker':
        if (coup.winner === 'banker') {
          back = stake + (!noCommission ? bankerWin(stake) : coup.bankerTotal === 6 ? Math.floor(stake / 2) : stake);
        } else {
          back = coup.winner === 'tie' ? stake : 0;
        }
        break;
      case 'tie':
        back = coup.winner === 'tie' ? stake * (PAYOUT.tie + 1) : 0;
        break;
      case 'playerPair':
        back = isPair(coup.player) ? stake * (PAYOUT.playerPair + 1) : 0;
        break;
      case 'bankerPair':
        back = isPair(coup.banker) ? stake * (PAYOUT.bankerPair + 1) : 0;
        break;
      case 'dragonPlayer':
      case 'dragonBanker':
        back = dragon(kind === 'dragonPlayer' ? 'player' : 'banker', coup, stake);
        break;
      case 'eitherPair':
        back = isPair(coup.player) || isPair(coup.banker) ? stake * (EITHER_PAIR_PAYS + 1) : 0;
        break;
    }
    out[kind] = back;
  }
  return out;
}

// Even money less commission, the commission rounded up to a whole cent.
export function bankerWin(stake) {
  return stake - Math.ceil((stake * COMMISSION_PERCENT) / 100);
}

// The bead plate: one cell per coup, filling each column top to bottom and
// then the next column. Only the newest `columns` columns are returned.
export function beadPlate(results, rows = 6, columns = Infinity) {
  const firstColumn = Math.max(0, Math.ceil(results.length / rows) - columns);
  const cells = [];
  for (let i = firstColumn * rows; i < results.length; i++) {
    cells.push({ ...results[i], col: Math.floor(i / rows) - firstColumn, row: i % rows });
  }
  return cells;
}

// The big road: a column per streak of banker or player wins, running down and
// turning right along the row where it meets the bottom or an earlier streak
// (the "dragon tail"). Ties do not take a cell: they are counted on the cell
// before them (or on the first cell, when the shoe opens with ties).
export function bigRoad(results, rows = 6) {
  const cells = [];
  const taken = new Set();
  const at = (col, row) => `${col},${row}`;
  let leadingTies = 0;
  let streakStart = -1;
  let last = null;
  let col = 0;
  let row = 0;
  let tailing = false;
  for (const r of results) {
    if (r.winner === 'tie') {
      if (cells.length) cells.at(-1).ties++;
      else leadingTies++;
      continue;
    }
    if (r.winner !== last?.winner) {
      streakStart++;
      col = streakStart;
      row = 0;
      tailing = false;
      while (taken.has(at(col, row))) col++;
    } else if (!tailing && row + 1 < rows && !taken.has(at(col, row + 1))) {
      row++;
    } else {
      tailing = true;
      col++;
    }
    taken.add(at(col, row));
    last = { winner: r.winner, col, row, ties: leadingTies, playerPair: !!r.playerPair, bankerPair: !!r.bankerPair, natural: !!r.natural };
    leadingTies = 0;
    cells.push(last);
  }
  return cells;
}

// Totals of a shoe's results, for the scoreboard's counters.
export function tally(results) {
  const out = { player: 0, banker: 0, tie: 0, playerPair: 0, bankerPair: 0 };
  for (const r of results) {
    if (out[r.winner] !== undefined) out[r.winner]++;
    if (r.playerPair) out.playerPair++;
    if (r.bankerPair) out.bankerPair++;
  }
  return out;
}
