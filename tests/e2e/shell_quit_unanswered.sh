#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A page that never answers the flush request does not hold the application
# open: quitting waits for the web host's time-out (1.5 s) and no longer.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web" "$VELMAR_SOURCE/tests/fixtures/shell/hang"
start_app
act page poker
# The page hands over its visit and then stops answering.
wait_for "the hanging page's last save" has_saved fixture.poker
sleep 0.3

started=$(date +%s.%N)
quit_app
elapsed=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
# The time-out is 1.5 s. A quit that waited for the page would wait for good;
# ten times the time-out leaves a loaded machine all the room it needs.
awk -v e="$elapsed" 'BEGIN { exit !(e < 15) }' || fail "quitting took ${elapsed}s"
pass "quit with a page that never answers took ${elapsed}s"
