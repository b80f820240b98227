#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Programs the casino starts for the user (the browser for a web link, the
# file manager for the saved games) begin with no signal blocked and none
# ignored, even though the casino itself keeps SIGINT and SIGTERM blocked for
# its web engine's helpers; and "Show Saved Games in Files" called over and
# over on the bus opens the file manager at most once a second, with one log
# line per refusal. Stand-in handlers, registered only in the test's own XDG
# folders, record each start and the signal state it began with.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web" "$VELMAR_SOURCE/tests/fixtures/shell/link"

LAUNCHED=$WORK/launched
mkdir -p "$LAUNCHED"
cat >"$WORK/stand-in" <<SCRIPT
#!/bin/sh
echo "\$1" >>"$WORK/launches"
# exec: the status read is this very process's, as the casino started it.
exec grep -E '^Sig(Blk|Ign):' /proc/self/status >"$LAUNCHED/\$1"
SCRIPT
chmod +x "$WORK/stand-in"
default_app browser x-scheme-handler/https "$WORK/stand-in" browser
default_app files inode/directory "$WORK/stand-in" files

recorded() { grep -q '^SigIgn:' "$LAUNCHED/$1" 2>/dev/null; }
clean_start() {
  local blocked ignored
  blocked=$(sed -n -E 's/^SigBlk:\s*//p' "$LAUNCHED/$1")
  ignored=$(sed -n -E 's/^SigIgn:\s*//p' "$LAUNCHED/$1")
  [[ $blocked == 0000000000000000 ]] || fail "the stand-in $1 started with signals blocked: SigBlk $blocked"
  [[ $ignored == 0000000000000000 ]] || fail "the stand-in $1 started with signals ignored: SigIgn $ignored"
}

start_app
act page roulette
wait_for "the roulette page" has_saved fixture.roulette
x11 keys l
wait_for "the browser for the page's link" recorded browser
clean_start browser
pass "a web link opens the browser with a clean signal state"

# No file manager serves org.freedesktop.FileManager1 on the test's bus, so
# the folder opens in the default application for folders.
act show-saves
wait_for "the file manager for the saves" recorded files
clean_start files
pass "the saved games open in the file manager with a clean signal state"

opened() { grep -c '^files$' "$WORK/launches" || true; }
refused() { grep -c "not showing the saved games again" "$WORK/app.log" || true; }
before=$(opened)
began=$(date +%s.%N)
callers=()
for _ in $(seq 1 20); do act show-saves & callers+=($!); done
for caller in "${callers[@]}"; do wait "$caller" || fail "a call to show-saves failed"; done
took=$(awk -v a="$began" -v b="$(date +%s.%N)" 'BEGIN { printf "%d", b - a + 1 }')
# Each call either starts the file manager or is refused with a line.
answered() { (($(opened) - before + $(refused) == 20)); }
wait_for "every call to open the file manager or be refused with a line" answered
count=$(($(opened) - before))
((count <= took)) || fail "20 calls in under $took s opened the file manager $count times"
quit_app
# Nothing started late, and no refusal went untold or was told twice.
answered || fail "the file manager opened $(($(opened) - before)) times for 20 calls, $(refused) refused"
pass "20 calls in under $took s opened the file manager $count times"
