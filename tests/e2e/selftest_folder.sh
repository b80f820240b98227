#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A report folder that cannot take the report fails the self-test with the
# reason on stderr: a file in its place, a read-only folder and a full disk
# before anything runs, and a disk that fills while the self-test runs when
# the report is written.
#
# Root writes to a read-only folder all the same, so the read-only and full
# folders are small tmpfs mounts in a mount namespace of the test's own;
# where mounting is not allowed those cases are skipped.
if [[ -z "${VELMAR_MOUNTS:-}" ]]; then
  if unshare --mount --propagation private true 2>/dev/null; then
    VELMAR_MOUNTS=private exec unshare --mount --propagation private bash "$0" "$@"
  fi
  export VELMAR_MOUNTS=none
fi
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
mounted=()
# The script's own status must survive the unmounting.
unmount_all() {
  local status=$?
  if [[ -n "$APP_PID" ]]; then kill -KILL "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; fi
  local dir
  for dir in "${mounted[@]}"; do umount "$dir" 2>/dev/null || true; done
  set +e
  (exit "$status")
  cleanup
}
trap unmount_all EXIT
# <folder> <options>: a tmpfs there, or false where mounting is not allowed.
mount_tmpfs() {
  mkdir -p "$1"
  [[ $VELMAR_MOUNTS == private ]] && mount -t tmpfs -o "$2" velmar-report "$1" 2>/dev/null && mounted+=("$1")
}
fill() { cat /dev/zero >>"$1/filler" 2>/dev/null || true; }

# <case> <folder>: the self-test started into the folder, in the background.
start_selftest() {
  CASE=$1
  timeout 300 "$PREFIX/bin/velmar-casino" --selftest="$2" >"$WORK/$1.out" 2>"$WORK/$1.err" &
  APP_PID=$!
}
# <what> <folder> <reason>: the run started last must end with status 1 and
# the reason on stderr, and leave no report.
expect_failure() {
  wait_exit
  ((EXIT_STATUS != 124)) || fail "$1: the self-test was still running after 300 s"
  local err=$WORK/$CASE.err
  ((EXIT_STATUS == 1)) || fail "$1: ended with status $EXIT_STATUS: $(tail -n 20 "$err")"
  grep -q -- "$3" "$err" || fail "$1: stderr does not say '$3':
$(tail -n 20 "$err")"
  [[ ! -e "$2/report.json" ]] || fail "$1: a report was written"
  pass "$1: status 1, and stderr says '$3'"
}
refused="selftest: the report folder $WORK/[a-z]* cannot be used"

touch "$WORK/file"
start_selftest file "$WORK/file"
expect_failure "a file in its place" "$WORK/file" "$refused: couldn't make it: Not a directory"

if mount_tmpfs "$WORK/ro" ro,size=1m; then
  start_selftest ro "$WORK/ro"
  expect_failure "a read-only folder" "$WORK/ro" "$refused: .*Read-only file system"
else
  echo "skipped: a read-only folder (mounting is not allowed here)"
fi

if mount_tmpfs "$WORK/full" size=256k; then
  fill "$WORK/full"
  start_selftest full "$WORK/full"
  expect_failure "a full disk" "$WORK/full" "$refused: .*No space left on device"

  # Room at the start, none by the end.
  rm "$WORK/full/filler"
  start_selftest filling "$WORK/full"
  wait_for "the first probe" grep -q 'selftest: probing' "$WORK/filling.err"
  fill "$WORK/full"
  expect_failure "a disk that fills during the run" "$WORK/full" "couldn't write the report: .*No space left on device"
  # The pages after the first could not keep their pictures either.
  grep -q "selftest: couldn't write poker-3d.html.png: .*No space left on device" "$WORK/filling.err" ||
    fail "no failed picture was reported"
else
  echo "skipped: a full disk (mounting is not allowed here)"
fi
