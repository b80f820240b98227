// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluated in each page the self-test visits; its value is a JSON text
// describing the page.
(() => {
  let gl = false;
  document.querySelectorAll('canvas').forEach(el => {
    try { if (el.getContext('webgl2') || el.getContext('webgl')) gl = true; } catch (e) {}
  });
  return JSON.stringify({
    title: document.title,
    url: location.href,
    manrope: document.fonts.check('600 16px Manrope'),
    playfair: document.fonts.check('700 16px "Playfair Display"'),
    fontsLoaded: [...document.fonts].filter(f => f.status === 'loaded').map(f => f.family).filter((v, i, a) => a.indexOf(v) === i),
    canvases: document.querySelectorAll('canvas').length,
    webgl: gl,
    bridge: !!window.__vlCasino,
    storageKeys: Object.keys(localStorage),
    // The language the page chose and what it shows, to check a translation.
    language: document.documentElement.lang,
    languages: navigator.languages,
    text: document.body.innerText.slice(0, 6000),
  });
})()
