#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# "Show Saved Games in Files" asked for over and over on the bus opens the
# file manager at most once a second, and says so once per refusal.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"

# No file manager serves org.freedesktop.FileManager1 on the test's bus, so
# the folder goes to the default application for folders: a stand-in that
# counts its starts.
LAUNCHES=$WORK/launches
mkdir -p "$XDG_DATA_HOME/applications"
printf '#!/bin/sh\necho "$1" >>"%s"\n' "$LAUNCHES" >"$WORK/stand-in"
chmod +x "$WORK/stand-in"
cat >"$XDG_DATA_HOME/applications/velmar-test-files.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Stand-in files
Exec=$WORK/stand-in %u
MimeType=inode/directory;
NoDisplay=true
DESKTOP
printf '[Default Applications]\ninode/directory=velmar-test-files.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"

start_app
began=$(date +%s.%N)
# All at once, as a program on the bus could.
callers=()
for _ in $(seq 1 20); do act show-saves & callers+=($!); done
for caller in "${callers[@]}"; do wait "$caller" || fail "a call to show-saves failed"; done
took=$(awk -v a="$began" -v b="$(date +%s.%N)" 'BEGIN { printf "%d", b - a + 1 }')
launched() { [[ -s "$LAUNCHES" ]]; }
wait_for "the file manager" launched
# Launches still on their way: counted once no more arrive for a while.
count=0
for _ in $(seq 1 60); do
  sleep 2
  now=$(wc -l <"$LAUNCHES")
  ((now == count)) && break
  count=$now
done
((count <= took)) || fail "20 calls in under $took s opened the file manager $count times"
refused=$(grep -c "not showing the saved games again" "$WORK/app.log" || true)
((refused == 20 - count)) || fail "$((20 - count)) calls were refused, but the log says so $refused times"
pass "20 calls in under $took s opened the file manager $count times, and $refused refusals were logged"

act quit
wait_exit
