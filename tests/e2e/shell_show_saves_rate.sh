#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# "Show Saved Games in Files" called over and over on the bus opens the file
# manager at most once a second, with one log line per refusal.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
# No file manager serves the bus, so the folder goes to the default
# application for folders: a stand-in that counts its starts.
printf '#!/bin/sh\necho "$1" >>"%s"\n' "$WORK/launches" >"$WORK/stand-in"
chmod +x "$WORK/stand-in"
default_app files inode/directory "$WORK/stand-in"

start_app
began=$(date +%s.%N)
callers=()
for _ in $(seq 1 20); do act show-saves & callers+=($!); done
for caller in "${callers[@]}"; do wait "$caller" || fail "a call to show-saves failed"; done
took=$(awk -v a="$began" -v b="$(date +%s.%N)" 'BEGIN { printf "%d", b - a + 1 }')
# Counted once no more starts arrive for a while.
count=0
for _ in $(seq 1 60); do
  sleep 2
  now=$(wc -l <"$WORK/launches" 2>/dev/null || echo 0)
  ((now == count && now > 0)) && break
  count=$now
done
((count <= took)) || fail "20 calls in under $took s opened the file manager $count times"
refused=$(grep -c "not showing the saved games again" "$WORK/app.log" || true)
((refused == 20 - count)) || fail "$((20 - count)) calls were refused, but the log says so $refused times"
pass "20 calls in under $took s opened the file manager $count times"
quit_app
