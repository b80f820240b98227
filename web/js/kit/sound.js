// SPDX-License-Identifier: GPL-3.0-or-later
// Table sounds, synthesised with Web Audio: the engine cannot load <audio>
// from the app's private scheme, and short synthesised sounds need no files.
// The mute is the player's (kit/player.js), one setting for the whole casino,
// so it survives reloads and restarts and holds at every table.

const MASTER = 0.22;

/**
 * `table` is the PlayerSettings or a TableState: anything with settings.muted and setSetting.
 * The audio context is made on first use: engines may refuse to start one
 * before the page has been interacted with, and a table that is never heard
 * should not hold an audio device.
 */
export function createSound(table = null) {
  let ctx = null, master = null, noiseBuffer = null;
  let muted = !!table?.settings?.muted;
  // The player's volume, 0 to 1; a table's own settings have none, so full.
  let volume = table?.settings?.volume ?? 1;

  function audio() {
    if (muted) return null;
    if (!ctx) {
      const Ctx = globalThis.AudioContext ?? globalThis.webkitAudioContext;
      if (!Ctx) return null;
      try { ctx = new Ctx(); } catch (e) {
        console.warn('Velmar Casino: no audio', e);
        muted = true;
        return null;
      }
      master = ctx.createGain();
      master.gain.value = MASTER * volume;
      master.connect(ctx.destination);
      noiseBuffer = ctx.createBuffer(1, ctx.sampleRate, ctx.sampleRate);
      const data = noiseBuffer.getChannelData(0);
      for (let i = 0; i < data.length; i++) data[i] = Math.random() * 2 - 1;
    }
    if (ctx.state === 'suspended') ctx.resume().catch(() => {});
    return ctx;
  }

  function envelope(gain, t, attack, peak, decay) {
    gain.gain.setValueAtTime(0.0001, t);
    gain.gain.exponentialRampToValueAtTime(peak, t + attack);
    gain.gain.exponentialRampToValueAtTime(0.0001, t + attack + decay);
  }

  function noise(t, { duration = 0.08, type = 'bandpass', freq = 3000, q = 1, peak = 0.6, attack = 0.003, rate = 1 }) {
    const c = ctx;
    const src = c.createBufferSource();
    src.buffer = noiseBuffer;
    src.playbackRate.value = rate;
    const filter = c.createBiquadFilter();
    filter.type = type; filter.frequency.value = freq; filter.Q.value = q;
    const g = c.createGain();
    envelope(g, t, attack, peak, duration);
    src.connect(filter).connect(g).connect(master);
    src.start(t, Math.random() * 0.5);
    src.stop(t + attack + duration + 0.02);
  }

  function tone(t, { freq, duration = 0.25, type = 'sine', peak = 0.3, attack = 0.01 }) {
    const o = ctx.createOscillator();
    o.type = type; o.frequency.value = freq;
    const g = ctx.createGain();
    envelope(g, t, attack, peak, duration);
    o.connect(g).connect(master);
    o.start(t);
    o.stop(t + attack + duration + 0.02);
  }

  const play = (fn) => { const c = audio(); if (c) fn(c.currentTime + 0.005); };

  return {
    get muted() { return muted; },
    setMuted(value) {
      muted = !!value;
      if (muted && ctx) ctx.suspend().catch(() => {});
      table?.setSetting?.('muted', muted);
    },
    toggleMute() { this.setMuted(!muted); return muted; },
    get volume() { return volume; },
    setVolume(value) {
      if (!(value >= 0 && value <= 1)) return;
      volume = value;
      table?.setSetting?.('volume', value);
      if (master) master.gain.value = MASTER * volume;
    },

    /** Clay chips clicking together. */
    chip(count = 1) {
      play((t) => {
        for (let i = 0; i < Math.min(count, 4); i++) {
          noise(t + i * 0.045, { freq: 3800 + Math.random() * 900, q: 6, duration: 0.035, peak: 0.5 });
          noise(t + i * 0.045 + 0.012, { freq: 2400, q: 4, duration: 0.03, peak: 0.25 });
        }
      });
    },
    /** A card sliding across the felt. */
    card() { play((t) => noise(t, { type: 'highpass', freq: 1800, q: 0.7, attack: 0.02, duration: 0.1, peak: 0.35 })); },
    /** A card turned over. */
    flip() { play((t) => noise(t, { freq: 2600, q: 2, duration: 0.045, peak: 0.4 })); },
    /** The ball running round the wheel for `seconds`, slowing down. */
    wheel(seconds = 4) {
      play((t) => {
        let at = 0, gap = 0.06;
        while (at < seconds) {
          noise(t + at, { freq: 1500 + Math.random() * 300, q: 3, duration: 0.05, peak: 0.12 + 0.1 * (at / seconds) });
          at += gap;
          gap *= 1.035;
        }
      });
    },
    /** The ball dropping into its pocket: a few bounces. */
    ball() {
      play((t) => {
        [0, 0.11, 0.19, 0.24].forEach((d, i) => noise(t + d, { freq: 3200, q: 5, duration: 0.03, peak: 0.5 / (i + 1) }));
      });
    },
    /** A short rising chime; bigger wins ring a little longer. */
    win(size = 1) {
      play((t) => {
        const notes = size >= 3 ? [523.25, 659.25, 783.99, 1046.5, 1318.5] : [523.25, 659.25, 783.99];
        notes.forEach((f, i) => tone(t + i * 0.09, { freq: f, type: 'triangle', duration: 0.35, peak: 0.22 }));
      });
    },
    /** A soft falling pair of notes. */
    lose() {
      play((t) => {
        tone(t, { freq: 392, duration: 0.22, peak: 0.12 });
        tone(t + 0.14, { freq: 311.1, duration: 0.3, peak: 0.1 });
      });
    },
  };
}
