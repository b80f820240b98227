#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A disk that fills up: the application keeps running, logs each failed write
# once, leaves the saves.json it last wrote as it was, never empties the day's
# backups, keeps the saves in memory and writes them by itself, with the
# player idle, once there is room again.
#
# The whole data folder (the save folder and the engine's storage, as on a
# desktop) is a small tmpfs where this machine allows mounting (in a mount
# namespace of the test's own, so nothing outlives it); elsewhere, or with
# VELMAR_FULL_DISK=limit, a file-size limit on the running application stands
# in for the full disk.
if [[ -z "${VELMAR_FULL_DISK:-}" ]]; then
  if unshare --mount --propagation private true 2>/dev/null; then
    VELMAR_FULL_DISK=tmpfs exec unshare --mount --propagation private bash "$0" "$@"
  fi
  export VELMAR_FULL_DISK=limit
fi
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web" "$VELMAR_SOURCE/tests/fixtures/faults/disk"
reopen_at blackjack-3d.html
DATA=$(dirname "$SAVES")
how=$VELMAR_FULL_DISK
if [[ $how == tmpfs ]]; then
  if mount -t tmpfs -o size=8m velmar-full-disk "$XDG_DATA_HOME" 2>/dev/null; then
    trap 'cleanup_mount' EXIT
  else
    how=limit
  fi
fi
mkdir -p "$DATA"
# The script's verdict is taken first: the steps after it would otherwise
# hand cleanup a status of their own, and a failed check would pass.
cleanup_mount() {
  local status=$?
  if [[ -n "$APP_PID" ]]; then kill -KILL "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; fi
  umount "$XDG_DATA_HOME" 2>/dev/null || true
  (exit "$status")
  cleanup
}

# Each write of the saves needs more than 256 KB: the disk keeps 100 KB free,
# or the application may not make a file larger than that.
fill_disk() {
  if [[ $how == tmpfs ]]; then
    cat /dev/zero >>"$XDG_DATA_HOME/filler" 2>/dev/null || true
    truncate -s -100K "$XDG_DATA_HOME/filler"
  else
    prlimit --pid "$APP_PID" --fsize=102400:unlimited
  fi
}
make_room() {
  if [[ $how == tmpfs ]]; then rm -f "$XDG_DATA_HOME/filler"; else prlimit --pid "$APP_PID" --fsize=unlimited; fi
}
# The highest count that today's backups hold between them: a write that
# empties the saves must leave the count in one of them.
kept_today() {
  node -e 'let best = 0;
    for (const f of process.argv.slice(1)) {
      try { const c = Number(JSON.parse(require("fs").readFileSync(f, "utf8")).count); if (c > best) best = c; } catch {}
    }
    process.stdout.write(String(best));' "$DATA"/backups/saves-"$(date +%F)"*.json
}
backup_kept() { (($(kept_today) > 0)) || fail "today's backups lost the count"; }
failures() { grep -c "Velmar Casino: couldn't write saves.json" "$WORK/app.log" || true; }
count() { saved count; }
alive() { kill -0 "$APP_PID" 2>/dev/null || fail "the application ended when the disk was full"; }

start_app
wait_for "the count in saves.json" has_saved count
[[ "$(saved ballast | wc -c)" == $((256 * 1024)) ]] || fail "the ballast did not reach saves.json"

# A write that began before the disk filled may still take the room freed by
# the file it replaces: fill again until the writes fail.
filled_at=$(date +%s%3N)
filled() { alive; backup_kept; fill_disk; (($(failures) > 0)); }
wait_for "a failed write" filled
cp "$SAVES" "$WORK/before"
# A few seconds of a full disk, long enough to tell one line per failed write
# from more, with room for a backlog of messages from before it filled.
full_for_a_while() { alive; backup_kept; (($(date +%s%3N) - filled_at >= 3000 && $(failures) >= 4)); }
wait_for "further failed writes" full_for_a_while
lines=$(failures) ms=$(($(date +%s%3N) - filled_at))
alive
cmp -s "$SAVES" "$WORK/before" || fail "saves.json changed while the disk was full"
loads_as_json "$SAVES" || fail "saves.json does not load"
# The page posts at most four times a second, and each post is one write.
((lines <= 4 * ms / 1000 + 6)) || fail "$lines failures logged in $ms ms: more than one a write"
pass "the disk is full ($how): $lines failed writes logged in $ms ms, saves.json left as it was"

# The counting page's last count, now only in memory, is handed over as it
# makes way for a table that never posts or answers; once there is room, the
# store writes what memory holds by itself, with nothing asked of it.
act page poker
wait_for "the table that never posts" pref_is lastPage poker-3d.html
backup_kept
held=$(node -e 'process.stdout.write(JSON.parse(require("fs").readFileSync(process.argv[1], "utf8")).count)' "$WORK/before")
make_room
landed() { alive; (($(count) > held)); }
wait_for "the count kept in memory to reach saves.json with the player idle" landed
backup_kept
pass "with the player idle the held count landed once there was room ($held -> $(count))"
quit_app
(($(count) > held)) || fail "the count kept in memory did not reach saves.json: it still holds $held"
(($(kept_today) >= held)) || fail "today's backups hold $(kept_today), less than the $held saves.json held"
for backup in "$DATA"/backups/*.json; do
  loads_as_json "$backup" || fail "the backup $backup does not load"
done
no_temporaries "$DATA"
pass "once there was room the saves kept in memory were written ($held -> $(count))"
