#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A table whose web process keeps ending is reopened three times within a
# minute and then left; quitting after that still ends cleanly and keeps the
# last save the page made.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
start_app
act page blackjack
wait_for "the blackjack page's first save" has_saved fixture.blackjack

# The application's own web processes only: other tests may run beside this one.
web_processes() {
  local pending=("$APP_PID") found=() pid child
  while ((${#pending[@]})); do
    pid=${pending[0]} pending=("${pending[@]:1}")
    for child in $(ps -o pid= --ppid "$pid"); do
      pending+=("$child")
      [[ "$(ps -o comm= -p "$child")" == WebKitWebProces* ]] && found+=("$child")
    done
  done
  echo "${found[@]}"
}
reopened() { [[ $(grep -c 'page process ended, reopening blackjack-3d.html' "$WORK/app.log") -ge $1 ]]; }
has_web_process() { [[ -n "$(web_processes)" ]]; }

for round in 1 2 3 4; do
  victims=$(web_processes)
  [[ -n "$victims" ]] || fail "round $round: no web process to end"
  kill -KILL $victims
  if ((round < 4)); then
    wait_for "reopening $round" reopened "$round"
    wait_for "the page's process after reopening $round" has_web_process
  fi
done
wait_for "the refusal to reopen" grep -q 'not reopening blackjack-3d.html' "$WORK/app.log"
sleep 0.5
last=$(saved counter)
pass "reopened three times, then left"

act quit
wait_exit
[[ $EXIT_STATUS == 0 ]] || fail "quitting after the reopen limit ended with status $EXIT_STATUS"
[[ "$(saved counter)" == "$last" && -n "$last" ]] || fail "the last save was lost: $(saved counter), not $last"
pass "quit cleanly after the reopen limit with the last save kept"
