#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# kill -9 of the web process at each table: the table comes back by itself,
# seeded with the last save its page made, three times within a minute; the
# fourth time it is left with a note, and quitting after that still ends
# cleanly with everything saved. Prints how long each table took to come back.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web" "$VELMAR_SOURCE/tests/fixtures/faults/tables"

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

# The table's page number $2 has saved a tick.
ticking() { [[ "$(saved "$1.tick")" == "$2":* ]]; }

show() {
  act page "$1"
  local boots
  boots=$(($(saved "$1.boots") + 1))
  wait_for "$1 saving" ticking "$1" "$boots"
}

# Ends the table's web process and, unless the reopen limit is reached, waits
# for its page to come back and checks that it found its last save.
kill_web_process_at() {
  local table=$1 boots victims killed_at last
  boots=$(saved "$table.boots")
  victims=$(web_processes)
  [[ -n "$victims" ]] || fail "$table: no web process to end"
  killed_at=$(date +%s%3N)
  kill -KILL $victims
  # Nothing the ended page sent later than this can still arrive, bar a
  # message already on its way: the page may find a later tick, never an earlier one.
  last=$(saved "$table.tick")
  [[ ${2:-} == limit ]] && return
  wait_for "$table reopened" ticking "$table" $((boots + 1))
  local found shown
  found=$(saved "$table.found") shown=$(saved "$table.shownAt")
  [[ "${found%%:*}" == "${last%%:*}" && "${found#*:}" -ge "${last#*:}" ]] ||
    fail "$table came back without its last save: it found '$found', the file held '$last' at the kill"
  echo "$table: the page was back $((shown - killed_at)) ms after the kill, and its first save on disk after $(($(date +%s%3N) - killed_at)) ms at most"
}

start_app
for table in baccarat blackjack roulette; do
  show "$table"
  kill_web_process_at "$table"
done
pass "three tables came back with their last save after their web process was killed"

show poker
kill_web_process_at poker limit
wait_for "the refusal to reopen" grep -q 'not reopening poker-3d.html' "$WORK/app.log"
last=$(saved poker.tick)
pass "the fourth end within a minute was left, not reopened"

quit_app "quitting after the reopen limit"
[[ "$(saved poker.tick)" == "$last" ]] || fail "the last save was lost: $(saved poker.tick), not $last"
for table in baccarat blackjack roulette; do
  [[ "$(saved "$table.boots")" == 2 ]] || fail "$table's saves were lost on the way out"
done
pass "quit cleanly after the reopen limit with every table's saves kept"

# A new run has a new limit: the fourth table comes back as well.
start_app
show poker
kill_web_process_at poker
quit_app
pass "the fourth table came back with its last save in a new run"
