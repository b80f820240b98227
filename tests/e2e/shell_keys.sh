#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The keyboard reaches the commands even while the page has the focus:
# Ctrl+1 to Ctrl+4 and Ctrl+L move between pages, Ctrl+= and Ctrl+minus zoom,
# Ctrl+0 resets the zoom, and Ctrl+Q quits.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
start_app

for pair in 1:roulette-3d.html 2:blackjack-3d.html 3:baccarat-3d.html 4:poker-3d.html L:velmar-casino.html; do
  x11 keys "ctrl+${pair%%:*}"
  wait_for "Ctrl+${pair%%:*} to open ${pair#*:}" pref_is lastPage "${pair#*:}"
done
pass "Ctrl+1 to Ctrl+4 and Ctrl+L open their pages"

# One key at a time, each step awaited, so that a failure names the step and
# the zoom it left.
for step in equal:1.1 minus:1 minus:0.85 0:1; do
  key=${step%%:*} want=${step#*:}
  x11 keys "ctrl+$key"
  for _ in $(seq 1 600); do pref_near pageZoom "$want" && break; sleep 0.1; done
  pref_near pageZoom "$want" || fail "Ctrl+$key left the zoom at $(pref pageZoom), not $want"
done
pass "zoom keys"

# In the lobby there is nothing to reset, so the reset keys ask nothing and
# the next key still reaches the window.
x11 keys shift+ctrl+Delete ctrl+2
wait_for "Ctrl+2 after the reset keys" pref_is lastPage blackjack-3d.html
pass "the reset keys do nothing in the lobby"

x11 keys ctrl+q
wait_exit
[[ $EXIT_STATUS == 0 ]] || fail "Ctrl+Q ended with status $EXIT_STATUS"
pass "Ctrl+Q quits"
