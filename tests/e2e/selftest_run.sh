#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the built application's self-test three times: against the real web
# folder, where everything must pass; against fixture pages without a bridge,
# where the round trip must fail and the process must say so with status 1
# (started with --selftest=FOLDER rather than VELMAR_SELFTEST); and stopped by SIGTERM while it probes, where the report must say it was
# stopped and the process must not claim success.
set -euo pipefail
build="${VELMAR_BUILD:?}"
source_dir="${VELMAR_SOURCE:?}"
here="$source_dir/tests/e2e"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# <executable> <name> [signal]; leaves the status in $status. With a signal,
# the application gets it once the self-test has begun to probe a page. With
# BY_OPTION=1 the report folder is given on the command line.
run_selftest() {
  local app=$1 name=$2 signal=${3:-}
  local home="$work/$name"
  mkdir -p "$home"
  local started=$(date +%s%N)
  local how=(VELMAR_SELFTEST="$home/report") args=()
  [[ -n "${BY_OPTION:-}" ]] && how=() args=(--selftest="$home/report")
  env XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state" \
      XDG_CACHE_HOME="$home/cache" "${how[@]}" \
      timeout 300 dbus-run-session -- bash -c 'app=$1 pid=$2; shift 2; "$app" "$@" & echo $! >"$pid"; wait $!' \
      run "$app" "$home/pid" "${args[@]}" >"$home/log" 2>&1 &
  local runner=$!
  if [ -n "$signal" ]; then
    # The limit only bounds a hang; probing starts some seconds in.
    for _ in $(seq 1 1200); do
      grep -q 'selftest: probing' "$home/log" && break
      kill -0 "$runner" 2>/dev/null || break
      sleep 0.25
    done
    grep -q 'selftest: probing' "$home/log" || { echo "$name: the self-test never began to probe"; cat "$home/log"; exit 1; }
    kill "-$signal" "$(cat "$home/pid")"
  fi
  status=0
  wait "$runner" || status=$?
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
BY_OPTION=1 run_selftest "$work/prefix/bin/velmar-casino" nobridge
[ "$status" -eq 1 ] || { echo "without a bridge the self-test must end with status 1, not $status"; cat "$work/nobridge/log"; exit 1; }
node "$here/selftest_check.mjs" "$work/nobridge/report" nobridge

run_selftest "$build/bin/velmar-casino" stopped TERM
[ "$status" -ne 0 ] || { echo "a self-test stopped by SIGTERM must not end with status 0"; cat "$work/stopped/log"; exit 1; }
node "$here/selftest_check.mjs" "$work/stopped/report" stopped
