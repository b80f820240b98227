#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A slow disk at the way out: with every sync held for seconds, a write takes
# far longer than any fixed bound on quitting. Quitting waits for the last
# write to land, so the page's latest change reaches saves.json and no
# temporary file is left behind.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
# Four syncs a write (the saves, today's copy, and their folders): ten seconds.
export VELMAR_TEST_SYNC_DELAY_MS=2500
FOLDER=$(dirname "$SAVES")

start_app
act page blackjack
wait_for "the blackjack page's first save" has_saved fixture.blackjack
before=$(saved counter)
# The fixture's counter reaches the file only through the flush on the way
# out, and that write is a slow one.
sleep 1
asked=$(date +%s%3N)
quit_app
waited=$(($(date +%s%3N) - asked))
after=$(saved counter)
[[ -n "$after" && "$after" -gt "${before:-0}" ]] ||
  fail "quitting during a slow write lost the page's latest change: the file holds ${after:-nothing}"
no_temporaries "$FOLDER"
# The held syncs alone take this long: less means that quitting did not wait
# for them, or that the disk was not slow at all.
((waited >= 5000)) || fail "quitting returned after $waited ms, before the held syncs could end"
grep -q "going on without waiting" "$WORK/app.log" && fail "quitting gave up on a disk that was only slow"
pass "quitting waited $waited ms for the slow write ($after) and left no temporary file"
