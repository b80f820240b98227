#!/usr/bin/env bash
# Runs the built application's self-test twice: against the real web folder,
# where everything must pass, and against fixture pages without a bridge, where
# the round trip must fail and the process must say so with status 1.
set -euo pipefail
build="${VELMAR_BUILD:?}"
source_dir="${VELMAR_SOURCE:?}"
here="$source_dir/tests/e2e"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_selftest() {  # <executable> <name>; leaves the status in $status
  local app=$1 name=$2
  local home="$work/$name"
  mkdir -p "$home"
  local started=$(date +%s%N)
  set +e
  env XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state" \
      XDG_CACHE_HOME="$home/cache" VELMAR_SELFTEST="$home/report" \
      timeout 300 dbus-run-session -- "$app" >"$home/log" 2>&1
  status=$?
  set -e
  echo "$name: status $status after $(( ($(date +%s%N) - started) / 1000000 )) ms"
  grep -E 'selftest: ' "$home/log" || true
  # The self-test works in folders of its own and leaves nothing in the user's.
  # (The private bus's own services, dconf and the accessibility bus, keep
  # their caches in the folders they were started with.)
  local left
  left=$(find "$home/config" "$home/data" "$home/state" "$home/cache" -mindepth 1 \
           -not -path "$home/cache/dconf*" -not -path "$home/cache/at-spi*" 2>/dev/null | head -n 5 || true)
  [ -z "$left" ] || { echo "$name: the self-test left files in the user's folders:"; echo "$left"; exit 1; }
}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24" bash "$0" "$@"
fi

run_selftest "$build/bin/velmar-casino" real
[ "$status" -eq 0 ] || { echo "the self-test of the shipped pages failed"; cat "$work/real/log"; exit 1; }
node "$here/selftest_check.mjs" "$work/real/report" real

# The resource folder is found from the executable, so a copy of it beside a
# fixture web folder serves the fixture pages.
mkdir -p "$work/prefix/bin" "$work/prefix/share/velmar-casino"
cp "$build/bin/velmar-casino" "$work/prefix/bin/"
cp -r "$source_dir/tests/fixtures/selftest-nobridge" "$work/prefix/share/velmar-casino/web"
run_selftest "$work/prefix/bin/velmar-casino" nobridge
[ "$status" -eq 1 ] || { echo "without a bridge the self-test must end with status 1, not $status"; cat "$work/nobridge/log"; exit 1; }
node "$here/selftest_check.mjs" "$work/nobridge/report" nobridge
