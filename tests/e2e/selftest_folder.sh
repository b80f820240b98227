#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A report folder that cannot take the report fails the self-test with status 1
# and the reason on stderr: a file in its place, a read-only folder or a full
# disk at the start, and a disk that fills while the self-test runs.
# Root writes to a folder chmod made read-only, so the read-only and full
# folders are tmpfs mounts in a mount namespace of the test's own, and are
# skipped where mounting is not allowed.
if [[ -z "${VELMAR_MOUNTS:-}" ]]; then
  unshare --mount --propagation private true 2>/dev/null &&
    VELMAR_MOUNTS=private exec unshare --mount --propagation private bash "$0" "$@"
  export VELMAR_MOUNTS=none
fi
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
start_selftest() { # <folder>
  timeout 300 "$PREFIX/bin/velmar-casino" --selftest="$1" >/dev/null 2>"$WORK/err" &
  APP_PID=$!
}
expect_failure() { # <what> <folder> <what stderr says>
  wait_exit
  ((EXIT_STATUS == 1)) || fail "$1: status $EXIT_STATUS: $(tail -n 20 "$WORK/err")"
  grep -q -- "$3" "$WORK/err" || fail "$1: stderr does not say '$3': $(tail -n 20 "$WORK/err")"
  [[ ! -e "$2/report.json" ]] || fail "$1: a report, or a part of one, was left"
  pass "$1: status 1, and stderr says '$3'"
}
# cleanup removes the folders, which must be unmounted first; the script's
# status survives the unmounting.
unmount() {
  local status=$?
  set +e
  [[ -z "$APP_PID" ]] || kill -KILL "$APP_PID"
  umount "$WORK/ro" "$WORK/full" 2>/dev/null
  (exit "$status")
  cleanup
}
trap unmount EXIT
refused="selftest: the report folder $WORK/[a-z]* cannot be used"

touch "$WORK/file"
start_selftest "$WORK/file"
expect_failure "a file in its place" "$WORK/file" "$refused: couldn't make it: Not a directory"

mkdir "$WORK/ro" "$WORK/full"
if [[ $VELMAR_MOUNTS != private ]] || ! mount -t tmpfs -o ro,size=1m velmar-ro "$WORK/ro" ||
   ! mount -t tmpfs -o size=256k velmar-full "$WORK/full"; then
  echo "skipped: a read-only folder and a full disk (mounting is not allowed here)"
  exit 0
fi
start_selftest "$WORK/ro"
expect_failure "a read-only folder" "$WORK/ro" "$refused: .*Read-only file system"

cat /dev/zero >"$WORK/full/filler" 2>/dev/null || true
start_selftest "$WORK/full"
expect_failure "a full disk" "$WORK/full" "$refused: .*No space left on device"

rm "$WORK/full/filler"
start_selftest "$WORK/full"
wait_for "the first probe" grep -q 'selftest: probing' "$WORK/err"
cat /dev/zero >"$WORK/full/filler" 2>/dev/null || true
expect_failure "a disk that fills during the run" "$WORK/full" "couldn't write the report: .*No space left on device"
grep -q "couldn't write poker-3d.html.png: .*No space left on device" "$WORK/err" || fail "no failed picture was reported"
