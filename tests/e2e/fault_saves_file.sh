#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A saves.json that is a folder, a symbolic link to a file elsewhere, or a
# file of 1 GB neither hangs nor ends start-up: it is set aside with a line in
# the log that says why, what it pointed to is left alone, and the
# application runs on with fresh saves and quits cleanly.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
DATA=$(dirname "$SAVES")
mkdir -p "$DATA"

# Starts with the saves.json in place, expects the given line in the log, and
# quits; the set-aside file is then the only saves-unreadable-*.json.
starts_despite() {
  local what=$1 line=$2
  rm -rf "$PREFS" "$DATA"/saves-unreadable-*.json
  : >"$WORK/app.log"
  start_app
  wait_for "the lobby's first save" has_saved fixture.lobby
  grep -qF "Velmar Casino: saves.json $line" "$WORK/app.log" ||
    fail "$what: no clear line in the log: $(grep 'saves.json' "$WORK/app.log" || true)"
  act quit
  wait_exit
  [[ $EXIT_STATUS == 0 ]] || fail "$what: quitting ended with status $EXIT_STATUS"
  [[ -f "$SAVES" && ! -L "$SAVES" ]] || fail "$what: no fresh saves.json after the run"
  aside=("$DATA"/saves-unreadable-*.json)
  [[ ${#aside[@]} == 1 ]] && [[ -e "${aside[0]}" || -L "${aside[0]}" ]] || fail "$what: not set aside: ${aside[*]}"
  pass "$what: set aside, $(grep -F "saves.json $line" "$WORK/app.log" | head -n 1 | sed 's/.*saves.json/saves.json/')"
}

rm -f "$SAVES"
mkdir -p "$SAVES/inside"
echo mine >"$SAVES/inside/file"
starts_despite "a folder" "is not a regular file, moved to"
[[ "$(cat "${aside[0]}/inside/file")" == mine ]] || fail "the folder's content was not kept"

rm -f "$SAVES"
printf '{\n  "elsewhere": "theirs"\n}' >"$WORK/elsewhere.json"
ln -s "$WORK/elsewhere.json" "$SAVES"
starts_despite "a link to a file elsewhere" "is a symbolic link, moved to"
[[ -L "${aside[0]}" && "$(readlink "${aside[0]}")" == "$WORK/elsewhere.json" ]] || fail "the link was not kept as it was"
[[ "$(cat "$WORK/elsewhere.json")" == $'{\n  "elsewhere": "theirs"\n}' ]] || fail "the linked file was changed"
[[ -z "$(saved elsewhere)" ]] || fail "the linked file's saves were taken in"

rm -f "$SAVES"
truncate -s 1G "$SAVES"
starts_despite "a 1 GB file" "is too large to hold saves (1073741824 bytes), moved to"
[[ $(stat -c %s "${aside[0]}") == $((1024 * 1024 * 1024)) ]] || fail "the 1 GB file was not kept whole"
