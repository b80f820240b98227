#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# kill -9 of the whole application at random moments while a page counts in
# its storage every 10 ms: saves.json always loads, never goes back past what
# it held before the kill, and every backup loads too. VELMAR_KILLS sets the
# number of kills (40 by default; 200 for a longer hunt).
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web" "$VELMAR_SOURCE/tests/fixtures/shell/counting"
reopen_at blackjack-3d.html

# The count in saves.json, or fail when the file does not load as saves.
count_in() {
  node -e 'const s = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"));
           if (typeof s !== "object" || Array.isArray(s) || Object.values(s).some((v) => typeof v !== "string")) process.exit(1);
           process.stdout.write(s.count ?? "0");' "$1"
}
# The restarted page counts on from the saves: the file never shows less.
moved_on() {
  local now
  now=$(count_in "$SAVES") || fail "saves.json does not load while the page counts"
  ((now >= floor)) || fail "after a restart saves.json went back from $floor to $now"
  ((now > floor))
}

kills=${VELMAR_KILLS:-40}
floor=0
mkdir -p "$(dirname "$SAVES")"
printf '{\n  "count": "0"\n}' >"$SAVES"
for ((i = 1; i <= kills; i++)); do
  start_app
  wait_for "the count to move on from $floor" moved_on
  # A random moment within the next second and a half.
  sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.3f", r / 32767 * 1.5 }')"
  before=$(count_in "$SAVES") || fail "kill $i: saves.json did not load before the kill"
  kill -KILL "$APP_PID"
  wait_exit
  after=$(count_in "$SAVES") || fail "kill $i: saves.json does not load after the kill"
  ((after >= before)) || fail "kill $i: saves.json went back from $before to $after"
  for backup in "$(dirname "$SAVES")"/backups/*.json; do
    count_in "$backup" >/dev/null || fail "kill $i: the backup $backup does not load"
  done
  floor=$after
done
pass "$kills kills: saves.json always loaded and never went back (count $floor)"
