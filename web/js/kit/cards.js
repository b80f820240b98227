// SPDX-License-Identifier: GPL-3.0-or-later
// Card notation shared by every table: a card is two characters, its rank from
// RANKS and its suit from SUITS ("As", "Td", "9h"). Pure: no DOM, no randomness.
import { t, entry } from './messages.js';

export const RANKS = '23456789TJQKA';
export const SUITS = 'cdhs';

const SUIT_SYMBOLS = ['♣', '♦', '♥', '♠'];

export function isCard(card) {
  return typeof card === 'string' && card.length === 2 &&
    RANKS.includes(card[0]) && SUITS.includes(card[1]);
}

function checked(card) {
  if (!isCard(card)) throw new TypeError(`not a card: ${JSON.stringify(card)}`);
  return card;
}

export const rankOf = (card) => checked(card)[0];
export const suitOf = (card) => checked(card)[1];
/** 0 for a two up to 12 for an ace. */
export const rankIndex = (card) => RANKS.indexOf(rankOf(card));
/** 2 for a two up to 14 for an ace, the usual poker value. */
export const rankValue = (card) => rankIndex(card) + 2;
/** 0 clubs, 1 diamonds, 2 hearts, 3 spades. */
export const suitIndex = (card) => SUITS.indexOf(suitOf(card));
export const isRed = (card) => suitOf(card) === 'd' || suitOf(card) === 'h';
export const makeCard = (rank, suit) => checked(rank + suit);

/** "A♠", "10♦": the short form shown on a card face. */
export function cardLabel(card) {
  const r = rankOf(card);
  return (r === 'T' ? '10' : r) + SUIT_SYMBOLS[suitIndex(card)];
}

/** "Ace of Spades" ("Pik-Ass"): for screen readers and messages. */
export function cardName(card) {
  return t('card.name', { rank: entry('card.ranks')[rankIndex(card)], suit: entry('card.suits')[suitIndex(card)] });
}

export const suitSymbol = (suit) => SUIT_SYMBOLS[SUITS.indexOf(suit)];

/** The 52 cards in a fixed order: clubs two to ace, then diamonds, hearts, spades. */
export function freshDeck() {
  const deck = [];
  for (const s of SUITS) for (const r of RANKS) deck.push(r + s);
  return deck;
}

/** "As Kd 9h" → ["As", "Kd", "9h"]; throws on anything that is not a card. */
export function parseCards(text) {
  return text.trim().split(/[\s,]+/).filter(Boolean).map(checked);
}

/** A saved list of cards as a line ("10♦ A♠"), leaving out whatever is not a card. */
export const cardsText = (cards) => (Array.isArray(cards) ? cards.filter(isCard).map(cardLabel).join(' ') : '');
