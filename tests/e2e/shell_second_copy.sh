#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One owner per save folder, whatever the session bus: a copy started on a
# bus of its own over the same folders (another login, another runtime
# folder) says that the casino is already open, names the first copy, ends
# with a failure and writes nothing, while the first copy plays on. (That a
# copy killed with -9 leaves no lock behind, fault_kill_app finds at each of
# its restarts.)
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
FOLDER=$(dirname "$SAVES")
SECOND_PID=
trap 'status=$?; [[ -n $SECOND_PID ]] && kill -KILL "$SECOND_PID" 2>/dev/null; (exit $status); cleanup' EXIT

# Names, sizes and times in the save folder, and the bytes of the files.
snapshot() { ls -lAR --time-style=full-iso "$FOLDER"; cat "$SAVES" "$PREFS"; }

start_app
FIRST=$APP_PID
act page roulette
wait_for "the roulette page's play" has_saved fixture.roulette
act page lobby
wait_for "the lobby" pref_is lastPage velmar-casino.html
wait_for "the lobby's play" has_saved fixture.lobby
before=$(snapshot)

dbus-run-session -- bash -c 'echo $$ >"$1"; exec "$2"' second "$WORK/second.pid" "$PREFIX/bin/velmar-casino" \
  >/dev/null 2>"$WORK/second.err" &
second_session=$!
wait_for "the second copy to start" test -s "$WORK/second.pid"
SECOND_PID=$(cat "$WORK/second.pid")
said_so() { grep -q "already open in another session" "$WORK/second.err"; }
wait_for "the second copy to say the casino is open" said_so
grep -q "(process $FIRST on $(hostname))" "$WORK/second.err" ||
  fail "the second copy did not name the first: $(cat "$WORK/second.err")"
pass "the second copy says the casino is already open, and where"

# Its window's close button ends it, with a failure.
wait_for "the second copy's window" python3 "$VELMAR_SOURCE/scripts/x11_client.py" close "$SECOND_PID"
status=0
wait "$second_session" || status=$?
SECOND_PID=
((status != 0)) || fail "the second copy ended with status 0"
[[ "$(snapshot)" == "$before" ]] || fail "the second copy changed the save folder or the preferences"
pass "the second copy ended with status $status and wrote nothing"

act page blackjack
wait_for "the first copy's play after the second copy" has_saved fixture.blackjack
quit_app "the first copy"
[[ "$(saved fixture.roulette)" == visited && "$(saved fixture.blackjack)" == visited ]] ||
  fail "the first copy's play was lost: $(cat "$SAVES")"
pass "the first copy's play is kept"
