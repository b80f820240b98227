// SPDX-License-Identifier: GPL-3.0-or-later
// Asks for the two faces every page uses, so they are loaded even before any
// text in that weight is laid out (the self-test checks both).
export function loadFonts(doc = globalThis.document) {
  if (!doc?.fonts?.load) return Promise.resolve();
  return Promise.all([
    doc.fonts.load('600 16px Manrope'),
    doc.fonts.load('700 16px "Playfair Display"'),
  ]).catch((e) => console.warn('Velmar Casino: fonts did not load', e));
}
