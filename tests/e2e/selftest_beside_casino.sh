#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The self-test run on the same account as a casino in play never touches the
# player's files: saves, preferences and window state stay byte for byte as
# they were, and the self-test leaves nothing in the player's folders.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
mkdir -p "$(dirname "$SAVES")" "$XDG_STATE_HOME/velmar-casino"
printf '{\n  "velmar.blackjack.v1": "{\\"bankroll\\":77700}"\n}' >"$SAVES"
printf '[VelmarCasinoMain]\nwidth=1100\nheight=760\nmaximized=false\nfullscreen=false\n' \
  >"$XDG_STATE_HOME/velmar-casino/window.ini"
start_app
wait_for "the lobby's save" has_saved fixture.lobby
sleep 0.5

player_files() { find "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME/Velmar Casino" -type f -print0 | sort -z | xargs -0 sha256sum; }
before=$(player_files)

# The self-test runs the fixture pages too, whose scripts write to their storage.
set +e
VELMAR_SELFTEST="$WORK/report" timeout 300 "$PREFIX/bin/velmar-casino" >"$WORK/selftest.log" 2>&1
status=$?
set -e
[[ -f "$WORK/report/report.json" ]] || fail "the self-test wrote no report (status $status)"
grep -q '"saveRoundTrip": true' "$WORK/report/report.json" || fail "the self-test's own round trip failed"
kill -0 "$APP_PID" || fail "the self-test ended the running casino"

after=$(player_files)
[[ "$before" == "$after" ]] || fail "the self-test changed the player's files:
$(diff <(echo "$before") <(echo "$after"))"
if grep -rl 'vl-selftest' "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" 2>/dev/null; then
  fail "the self-test left its key in the player's folders"
fi
pass "the player's files are untouched by a self-test beside the casino"

quit_app
[[ "$(saved velmar.blackjack.v1)" == '{"bankroll":77700}' ]] || fail "the player's chips changed: $(saved velmar.blackjack.v1)"
pass "the player's chips are intact after quitting"
