#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A saves.json that is a folder, and FIFOs that no writer ever opens in place
# of the preferences and the window state, neither hold up the start nor keep
# SIGTERM from ending the run: each is set aside whole with a line in the log
# that says why, the lobby opens with the defaults and saves afresh, and the
# files are ours again once the casino has quit. (The other kinds of
# saves.json, a link or a huge file, the store's Loading tests set aside; only
# the store opens that file.)
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
CONFIG=$XDG_CONFIG_HOME/velmar-casino STATE=$XDG_STATE_HOME/velmar-casino DATA=$(dirname "$SAVES")
mkdir -p "$CONFIG" "$STATE" "$SAVES/inside"
echo mine >"$SAVES/inside/file"
mkfifo "$PREFS" "$STATE/window.ini"

start_app
wait_for "the lobby" pref_is lastPage velmar-casino.html
wait_for "the lobby's first save" has_saved fixture.lobby
[[ $(action_state page) == "'lobby'" ]] || fail "the first page is $(action_state page), not the lobby"
for aside in "$CONFIG"/preferences-unreadable-*.ini "$STATE"/window-unreadable-*.ini; do
  [[ -p $aside ]] || fail "no FIFO was set aside as $aside"
done
aside=("$DATA"/saves-unreadable-*.json)
[[ ${#aside[@]} == 1 && "$(cat "${aside[0]}/inside/file")" == mine ]] || fail "the folder was not set aside whole: ${aside[*]}"
for line in "preferences.ini is not a regular file, moved to preferences-unreadable-" \
            "window.ini is not a regular file, moved to window-unreadable-" \
            "Velmar Casino: saves.json is not a regular file, moved to saves-unreadable-"; do
  grep -qF "$line" "$WORK/app.log" || fail "the log does not say: $line"
done
pass "the FIFOs and the folder were set aside, each with a line in the log, and the lobby opened"

kill -TERM "$APP_PID"
ended() { [[ ! -e /proc/$APP_PID ]] || [[ $(awk '{print $3}' "/proc/$APP_PID/stat" 2>/dev/null) == Z ]]; }
wait_for "the end after SIGTERM" ended
wait_exit
[[ $EXIT_STATUS == 0 ]] || fail "SIGTERM ended the run with status $EXIT_STATUS"
[[ -f $PREFS && -f $STATE/window.ini && -f $SAVES ]] || fail "the preferences, the window state and the saves were not written back"
grep -q '^\[VelmarCasinoMain\]' "$STATE/window.ini" || fail "the window state was not kept"
[[ "$(saved fixture.lobby)" == visited ]] || fail "the fresh saves lost the lobby's: $(cat "$SAVES")"
pass "SIGTERM ended the run, and all three files were written on the way out"
