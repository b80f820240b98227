#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Programs the casino starts for the user (the browser for a web link, the
# file manager for the saved games) begin with no signal blocked and none
# ignored, even though the casino itself keeps SIGINT and SIGTERM blocked for
# its web engine's helpers. Stand-in handlers, registered only in the test's
# own XDG folders, record the signal state they were started with.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web" "$VELMAR_SOURCE/tests/fixtures/shell/link"

LAUNCHED=$WORK/launched
mkdir -p "$LAUNCHED"
cat >"$WORK/stand-in" <<SCRIPT
#!/bin/sh
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

quit_app
