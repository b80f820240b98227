#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every way out flushes the page first: a change the page made after its last
# save message reaches saves.json before the process ends, whether the user
# closes the window (with its button or Ctrl+W), presses Ctrl+C in a terminal,
# or the system sends SIGTERM or SIGINT. (Quit itself fault_slow_disk checks
# the same way, on a slow disk.)
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"

# The blackjack fixture keeps changing a counter without the bridge hearing
# it; only the flush on the way out can carry the newest value to disk.
quit_keeps_the_latest_change() {
  local how=$1
  if [[ $how == Ctrl+C ]]; then LAUNCH=setsid start_app; else start_app; fi
  act page blackjack
  wait_for "the blackjack page's first save" has_saved fixture.blackjack
  local before
  before=$(saved counter)
  # Let the page move on past what the save file holds; the last change is
  # then never more than a few milliseconds old when the request arrives.
  sleep 1
  case $how in
    SIGTERM) kill -TERM "$APP_PID" ;;
    SIGINT) kill -INT "$APP_PID" ;;
    # A terminal's Ctrl+C reaches every process of the group, the web
    # engine's helpers too; the page must still be there to hand over.
    Ctrl+C) kill -INT -- "-$APP_PID" ;;
    close) x11 close ;;
    Ctrl+W) x11 keys ctrl+w ;;
  esac
  wait_exit
  [[ $EXIT_STATUS == 0 ]] || fail "$how ended with status $EXIT_STATUS"
  local after
  after=$(saved counter)
  [[ -n "$after" && "$after" -gt "${before:-0}" ]] ||
    fail "$how lost the page's latest change: the file holds $after, it held ${before:-nothing} before"
  pass "$how saved the latest change ($before -> $after)"
  rm -f "$SAVES"
}

for how in SIGTERM SIGINT Ctrl+C close Ctrl+W; do quit_keeps_the_latest_change "$how"; done
