#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The keyboard reaches the commands even while the page has the focus:
# Ctrl+1 to Ctrl+4 and Ctrl+L move between pages, Ctrl+= and Ctrl+minus zoom,
# Ctrl+0 resets the zoom, and Ctrl+Q quits.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
start_app
keys() { python3 "$VELMAR_SOURCE/scripts/x11_client.py" keys "$APP_PID" "$@" || fail "found no window for keys"; }

for pair in 1:roulette-3d.html 2:blackjack-3d.html 3:baccarat-3d.html 4:poker-3d.html L:velmar-casino.html; do
  keys "ctrl+${pair%%:*}"
  wait_for "Ctrl+${pair%%:*} to open ${pair#*:}" pref_is lastPage "${pair#*:}"
done
pass "Ctrl+1 to Ctrl+4 and Ctrl+L open their pages"

keys ctrl+equal
wait_for "Ctrl+= to zoom in" pref_near pageZoom 1.1
keys ctrl+minus ctrl+minus
wait_for "Ctrl+minus to zoom out" pref_near pageZoom 0.85
keys ctrl+0
wait_for "Ctrl+0 to reset the zoom" pref_near pageZoom 1
pass "zoom keys"

# In the lobby there is nothing to reset, so the reset keys ask nothing and
# the next key still reaches the window.
keys shift+ctrl+Delete ctrl+2
wait_for "Ctrl+2 after the reset keys" pref_is lastPage blackjack-3d.html
pass "the reset keys do nothing in the lobby"

keys ctrl+q
wait_exit
[[ $EXIT_STATUS == 0 ]] || fail "Ctrl+Q ended with status $EXIT_STATUS"
pass "Ctrl+Q quits"
