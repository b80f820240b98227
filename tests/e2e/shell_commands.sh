#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the built application through its exported actions: every page, a
# zoom step, the reopen option and a restart that lands on the last table;
# then through its keys, which reach the commands even while the page has the
# focus: Ctrl+1 to Ctrl+4 and Ctrl+L move between pages, Ctrl+0, Ctrl+= and
# Ctrl+minus zoom, and Ctrl+Q quits.
# (What is enabled where, and each zoom step, app_delegate_test and commands_test check.)
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
start_app

pref_is lastPage velmar-casino.html || fail "a first launch opens the lobby, not $(pref lastPage)"
[[ "$(action_state toggle-reopen)" == true ]] || fail "the reopen option is not checked on a first launch"
pass "first launch: lobby, reopen checked"

# A second launch hands over to the running copy and ends; the one window stays.
second=0
timeout 60 "$PREFIX/bin/velmar-casino" >>"$WORK/app.log" 2>&1 || second=$?
[[ $second == 0 ]] || fail "a second launch ended with status $second"
kill -0 "$APP_PID" || fail "a second launch ended the running copy"
pass "a second launch hands over to the running copy"

for table in roulette:roulette-3d.html blackjack:blackjack-3d.html baccarat:baccarat-3d.html \
             poker:poker-3d.html lobby:velmar-casino.html; do
  id=${table%%:*} file=${table#*:}
  act page "$id"
  wait_for "lastPage $file" pref_is lastPage "$file"
  wait_for "the page action to follow $id" test "$(action_state page)" == "'$id'"
  pass "opened $id"
done
wait_for "the lobby's own save" has_saved fixture.lobby

# A target that names no page is refused and changes nothing.
act page nowhere
sleep 0.3
kill -0 "$APP_PID" || fail "an unknown page target ended the application"
pref_is lastPage velmar-casino.html || fail "an unknown page target moved away from the lobby"
grep -q 'no page named "nowhere"' "$WORK/app.log" || fail "an unknown page target was not logged"
pass "unknown page refused"

# A change of state over D-Bus is a command like any other: the page really
# opens, and a state that names no page is refused and leaves the state alone.
set_state page "<'roulette'>"
wait_for "SetState to open roulette" pref_is lastPage roulette-3d.html
wait_for "the page action to follow roulette" test "$(action_state page)" == "'roulette'"
set_state page "<'cashier'>"
[[ "$(action_state page)" == "'roulette'" ]] || fail "a state naming no page shows as $(action_state page)"
sleep 0.3
pref_is lastPage roulette-3d.html || fail "a state naming no page moved away to $(pref lastPage)"
grep -q 'no page named "cashier"' "$WORK/app.log" || fail "a state naming no page was not logged"
pass "page state set over D-Bus opens the page; an unknown one is refused"

act zoom-out
wait_for "pageZoom 0.85" pref_near pageZoom 0.85

act toggle-reopen
wait_for "reopen off" pref_is reopenLastTable false
[[ "$(action_state toggle-reopen)" == false ]] || fail "the reopen check mark did not follow"
act toggle-reopen
wait_for "reopen on" pref_is reopenLastTable true
set_state toggle-reopen '<false>'
wait_for "reopen set off" pref_is reopenLastTable false
[[ "$(action_state toggle-reopen)" == false ]] || fail "the reopen check mark did not follow its set state"
set_state toggle-reopen '<true>'
wait_for "reopen set on" pref_is reopenLastTable true
pass "reopen option toggles and follows a state set over D-Bus"

act page baccarat
wait_for "lastPage baccarat" pref_is lastPage baccarat-3d.html
quit_app "quit"
grep -q '^\[VelmarCasinoMain\]' "$XDG_STATE_HOME/velmar-casino/window.ini" || fail "the window size was not kept"
pass "quit cleanly and kept the window size"

start_app
wait_for "the remembered table" test "$(action_state page)" == "'baccarat'"
pref_near pageZoom 0.85 || fail "the zoom did not survive the restart"
pass "restart lands on the remembered table"

act toggle-reopen
wait_for "reopen off" pref_is reopenLastTable false
quit_app
start_app
[[ "$(action_state page)" == "'lobby'" ]] || fail "with the option off the restart opened $(action_state page)"
pass "option off: restart opens the lobby"

for pair in 1:roulette-3d.html 2:blackjack-3d.html 3:baccarat-3d.html 4:poker-3d.html L:velmar-casino.html; do
  x11 keys "ctrl+${pair%%:*}"
  wait_for "Ctrl+${pair%%:*} to open ${pair#*:}" pref_is lastPage "${pair#*:}"
done
pass "Ctrl+1 to Ctrl+4 and Ctrl+L open their pages"

# One key at a time, each step awaited, so that a failure names the step and
# the zoom it left; the reset comes first, from the 0.85 kept above.
for step in 0:1 equal:1.1 minus:1 minus:0.85; do
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
