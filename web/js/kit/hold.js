// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded as a classic script before a table's module. The module waits for
// the translations before it runs, and the page's load can come first; the
// host would then take the table, not yet built, as ready for a bet.
globalThis.__vlCasino?.holdReady?.();
