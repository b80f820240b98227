import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  cardValue, handTotal, bankerDraws, playCoup, settle, bankerWin, dealOrder, beadPlate, bigRoad, tally,
} from '../../../web/js/rules/baccarat.js';

const dealFrom = (cards) => { let i = 0; return () => cards[i++]; };

test('cards count their baccarat value and hands keep the last digit', () => {
  assert.deepEqual(['As', '2c', '5d', '9h', 'Ts', 'Jc', 'Qd', 'Kh'].map(cardValue), [1, 2, 5, 9, 0, 0, 0, 0]);
  assert.equal(handTotal(['9h', '8c']), 7);
  assert.equal(handTotal(['Ks', 'Th']), 0);
  assert.equal(handTotal(['5s', '5h', 'As']), 1);
  for (const bad of ['1s', 'Ax', 'as', 'A', 'Asx', 10, null]) assert.throws(() => cardValue(bad), /not a card/, String(bad));
});

test('the banker draws by the full tableau', () => {
  // Rows: banker total 0..7; columns: player stood, then the player's third card 0..9.
  // D draws, S stands, as printed on the table card.
  const tableau = [
    '0: D DDDDDDDDDD',
    '1: D DDDDDDDDDD',
    '2: D DDDDDDDDDD',
    '3: D DDDDDDDDSD',
    '4: D SSDDDDDDSS',
    '5: D SSSSDDDDSS',
    '6: S SSSSSSDDSS',
    '7: S SSSSSSSSSS',
  ];
  for (const line of tableau) {
    const total = Number(line[0]);
    assert.equal(bankerDraws(total, null), line[3] === 'D', `banker ${total}, player stood`);
    for (let v = 0; v <= 9; v++) {
      assert.equal(bankerDraws(total, v), line[5 + v] === 'D', `banker ${total}, player third ${v}`);
    }
  }
  assert.equal(bankerDraws(3, '8d'), false);
  assert.equal(bankerDraws(3, 'Kd'), true);
  assert.equal(bankerDraws(6, '7s'), true);
  for (const total of [8, 9]) assert.equal(bankerDraws(total, null) || bankerDraws(total, 5), false);
  assert.throws(() => bankerDraws(10, null), /banker total/);
});

test('a coup deals in the real order and stops on a natural', () => {
  // Player As 7c = 8, banker Kd 2h = 2: a natural, nobody draws.
  let coup = playCoup(dealFrom(['As', 'Kd', '7c', '2h', '9s', '9s']));
  assert.deepEqual([coup.player, coup.banker], [['As', '7c'], ['Kd', '2h']]);
  assert.equal(coup.natural, true);
  assert.equal(coup.winner, 'player');
  // Banker natural beats a player 5 that would otherwise draw.
  coup = playCoup(dealFrom(['2c', '9d', '3c', 'Kd']));
  assert.deepEqual([coup.playerTotal, coup.bankerTotal, coup.winner, coup.natural], [5, 9, 'banker', true]);
  // Player 4 draws a 6 (total 0); banker 5 draws on a 6 and makes 5.
  coup = playCoup(dealFrom(['2c', '3d', '2d', '2h', '6s', 'Ts']));
  assert.deepEqual(coup.player, ['2c', '2d', '6s']);
  assert.deepEqual(coup.banker, ['3d', '2h', 'Ts']);
  assert.deepEqual(dealOrder(coup), [['player', 0], ['banker', 0], ['player', 1], ['banker', 1], ['player', 2], ['banker', 2]]);
  assert.equal(coup.winner, 'banker');
  // Player 6 stands; banker 5 draws as if the player had stood.
  coup = playCoup(dealFrom(['3c', '3d', '3h', '2h', '4s']));
  assert.equal(coup.player.length, 2);
  assert.deepEqual([coup.bankerTotal, coup.winner], [9, 'banker']);
  // Player stands on 7; the banker's pair of sevens makes 4, draws a 3 and ties.
  coup = playCoup(dealFrom(['7c', '7d', 'Kh', '7s', '3c']));
  assert.deepEqual([coup.winner, coup.playerPair, coup.bankerPair], ['tie', false, true]);
  assert.throws(() => playCoup(dealFrom(['7c', '7d', 'Kh'])), /not a card/);
});

test('settlement pays the odds in cents, banker less 5%, ties pushing player and banker', () => {
  const coup = (winner, player = ['2c', '3d'], banker = ['4c', '5d']) => ({ winner, player, banker });
  const all = { player: 1000, banker: 2000, tie: 500, playerPair: 300, bankerPair: 100 };
  assert.deepEqual(settle(all, coup('banker')), { player: 0, banker: 3900, tie: 0, playerPair: 0, bankerPair: 0 });
  assert.deepEqual(settle(all, coup('player')), { player: 2000, banker: 0, tie: 0, playerPair: 0, bankerPair: 0 });
  assert.deepEqual(settle(all, coup('tie', ['Qs', 'Qh'], ['9c', '9s'])),
    { player: 1000, banker: 2000, tie: 4500, playerPair: 3600, bankerPair: 1200 });
  // One chip on the banker wins 95 cents; odd amounts lose the part cent to the house.
  assert.equal(settle({ banker: 100 }, coup('banker')).banker, 195);
  assert.deepEqual([1, 19, 20, 21, 2500].map(bankerWin), [0, 18, 19, 19, 2375]);
  assert.deepEqual(settle({}, coup('tie')), {});
  assert.throws(() => settle({ dragon: 100 }, coup('tie')), /no bet/);
  assert.throws(() => settle({ player: -100 }, coup('tie')), /stake/);
  assert.throws(() => settle({ player: 10.5 }, coup('tie')), /stake/);
  assert.throws(() => settle({ player: 100 }, { winner: 'dealer' }), /not a coup/);
});

// Enumerates every coup from a full 8-deck shoe through playCoup itself. The
// draw hands out one card per value class from a fixed prefix and signals when
// the coup wants one more, so the walk branches exactly where the game draws.
// A sequence of k cards is weighted by the ways to draw it with card removal
// times the ways to draw the unused cards of a six-card deal, so every weight
// shares the denominator 416·415·414·413·412·411, which stays below 2^53.
function enumerateShoe(decks) {
  const CLASS_CARD = ['Ts', 'As', '2s', '3s', '4s', '5s', '6s', '7s', '8s', '9s'];
  const counts = [16 * decks, ...Array(9).fill(4 * decks)];
  const total = 52 * decks;
  const MORE = Symbol('more');
  const ways = { player: 0, banker: 0, tie: 0, natural: 0, coups: 0 };
  const prefix = [];
  const tail = [1];
  for (let k = 5; k >= 0; k--) tail[6 - k] = tail[5 - k] * (total - k);
  tail.reverse(); // tail[k] = ways to fill positions k..5 of a six-card deal
  const walk = (weight) => {
    let i = 0;
    let coup;
    try {
      coup = playCoup(() => (i < prefix.length ? CLASS_CARD[prefix[i++]] : (() => { throw MORE; })()));
    } catch (e) {
      if (e !== MORE) throw e;
      for (let v = 0; v < 10; v++) {
        if (!counts[v]) continue;
        const w = weight * counts[v];
        counts[v]--; prefix.push(v);
        walk(w);
        counts[v]++; prefix.pop();
      }
      return;
    }
    const w = weight * tail[prefix.length];
    assert.ok(Number.isSafeInteger(w));
    ways[coup.winner] += w;
    if (coup.natural) ways.natural += w;
    ways.coups++;
  };
  walk(1);
  return { ways, denominator: tail[0] };
}

test('an 8-deck shoe gives the published probabilities and house edges, enumerated exactly', (t) => {
  const { ways, denominator } = enumerateShoe(8);
  assert.equal(denominator, 416 * 415 * 414 * 413 * 412 * 411);
  assert.equal(ways.player + ways.banker + ways.tie, denominator);
  assert.ok([ways.player, ways.banker, ways.tie].every(Number.isSafeInteger));
  // The exact counts of banker, player and tie deals out of 416·415·...·411.
  assert.equal(ways.banker, 2292252566437888);
  assert.equal(ways.player, 2230518282592256);
  assert.equal(ways.tie, 475627426473216);

  const p = { banker: ways.banker / denominator, player: ways.player / denominator, tie: ways.tie / denominator };
  // House edge per unit staked; a tie pushes the even-money bets.
  const edge = {
    banker: p.player - 0.95 * p.banker,
    player: p.banker - p.player,
    tie: (p.banker + p.player) - 8 * p.tie,
  };
  const six = (x) => Number(x.toFixed(6));
  assert.deepEqual([six(p.banker), six(p.player), six(p.tie)], [0.458597, 0.446247, 0.095156]);
  assert.deepEqual([six(edge.banker), six(edge.player), six(edge.tie)], [0.010579, 0.012351, 0.143596]);

  // Pairs: the first two cards of a hand share a rank, 13·32·31 ways in 416·415.
  const pPair = (13 * 32 * 31) / (416 * 415);
  assert.equal(six(1 - 12 * pPair), 0.103614);

  t.diagnostic(`8 decks, ${ways.coups} distinct deals, denominator ${denominator}`);
  t.diagnostic(`banker ${ways.banker} (${p.banker.toFixed(8)}), player ${ways.player} (${p.player.toFixed(8)}), tie ${ways.tie} (${p.tie.toFixed(8)})`);
  t.diagnostic(`natural ${(ways.natural / denominator).toFixed(8)}; pair ${pPair.toFixed(8)}`);
  t.diagnostic(`house edge: banker ${(edge.banker * 100).toFixed(4)}%, player ${(edge.player * 100).toFixed(4)}%, tie ${(edge.tie * 100).toFixed(4)}%, pair ${((1 - 12 * pPair) * 100).toFixed(4)}%`);
});

test('the bead plate fills columns top to bottom and keeps the newest columns', () => {
  const results = 'BPTBBPPBT'.split('').map((c) => ({ winner: { B: 'banker', P: 'player', T: 'tie' }[c] }));
  const cells = beadPlate(results, 6);
  assert.deepEqual(cells.map((c) => [c.col, c.row]), [[0, 0], [0, 1], [0, 2], [0, 3], [0, 4], [0, 5], [1, 0], [1, 1], [1, 2]]);
  const newest = beadPlate(results, 2, 2);
  assert.equal(newest.length, 3);
  assert.deepEqual(newest.map((c) => [c.winner, c.col, c.row]), [['player', 0, 0], ['banker', 0, 1], ['tie', 1, 0]]);
});

test('the big road runs streaks down, marks ties on the cell before and turns a dragon tail', () => {
  const road = (s, rows = 6) => bigRoad(s.split('').map((c) => ({ winner: { B: 'banker', P: 'player', T: 'tie' }[c] })), rows);
  let cells = road('TTBBPTTPB');
  assert.deepEqual(cells.map((c) => [c.winner[0], c.col, c.row, c.ties]),
    [['b', 0, 0, 2], ['b', 0, 1, 0], ['p', 1, 0, 2], ['p', 1, 1, 0], ['b', 2, 0, 0]]);
  // Seven bankers in a six-row road: the seventh turns right on the bottom row.
  cells = road('BBBBBBBB');
  assert.deepEqual(cells.slice(5).map((c) => [c.col, c.row]), [[0, 5], [1, 5], [2, 5]]);
  // The next streak starts in the second column and stops above the tail.
  cells = road('BBBBBBBPPPPPPB');
  assert.deepEqual(cells.filter((c) => c.winner === 'player').map((c) => [c.col, c.row]),
    [[1, 0], [1, 1], [1, 2], [1, 3], [1, 4], [2, 4]]);
  assert.deepEqual(cells.at(-1), { winner: 'banker', col: 2, row: 0, ties: 0, playerPair: false, bankerPair: false, natural: false });
  assert.deepEqual(road('TTT'), []);
});

test('the tally counts wins, ties and pairs of a shoe', () => {
  assert.deepEqual(tally([{ winner: 'banker', playerPair: true }, { winner: 'tie' }, { winner: 'banker', bankerPair: true }]),
    { player: 0, banker: 2, tie: 1, playerPair: 1, bankerPair: 1 });
});
