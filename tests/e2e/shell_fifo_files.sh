#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A FIFO in place of the preferences or the window state, which no writer
# ever opens, neither holds up the start nor keeps SIGTERM from ending the
# run: both are set aside with a line in the log, the lobby opens with the
# defaults, and the files are ours again once the casino has quit.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
CONFIG=$XDG_CONFIG_HOME/velmar-casino STATE=$XDG_STATE_HOME/velmar-casino
mkdir -p "$CONFIG" "$STATE"
mkfifo "$PREFS" "$STATE/window.ini"

start_app
wait_for "the lobby" pref_is lastPage velmar-casino.html
[[ $(action_state page) == "'lobby'" ]] || fail "the first page is $(action_state page), not the lobby"
for aside in "$CONFIG"/preferences-unreadable-*.ini "$STATE"/window-unreadable-*.ini; do
  [[ -p $aside ]] || fail "no FIFO was set aside as $aside"
done
grep -q "preferences.ini is not a regular file, moved to preferences-unreadable-" "$WORK/app.log" ||
  fail "setting the preferences aside was not logged"
grep -q "window.ini is not a regular file, moved to window-unreadable-" "$WORK/app.log" ||
  fail "setting the window state aside was not logged"
pass "the FIFOs were set aside and the lobby opened"

kill -TERM "$APP_PID"
ended() { [[ ! -e /proc/$APP_PID ]] || [[ $(awk '{print $3}' "/proc/$APP_PID/stat" 2>/dev/null) == Z ]]; }
wait_for "the end after SIGTERM" ended
wait_exit
[[ $EXIT_STATUS == 0 ]] || fail "SIGTERM ended the run with status $EXIT_STATUS"
[[ -f $PREFS && -f $STATE/window.ini ]] || fail "the preferences and the window state were not written back"
grep -q '^\[VelmarCasinoMain\]' "$STATE/window.ini" || fail "the window state was not kept"
pass "SIGTERM ended the run, and both files were written on the way out"
