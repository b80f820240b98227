#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Hostile pages: 10,000 setItem calls a second for 20 seconds give about four
# writes of saves.json a second at most, the newest content last, and the
# application's memory does not grow; the largest value a page can store
# reaches saves.json and comes back whole into a fresh page.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web" "$VELMAR_SOURCE/tests/fixtures/faults/flood" \
  "$VELMAR_SOURCE/tests/fixtures/faults/big"
reopen_at blackjack-3d.html

start_app
wait_for "the flood's first save" has_saved flood.0
python3 "$VELMAR_SOURCE/tests/support/fault_watch.py" "$SAVES" "$APP_PID" >"$WORK/watch" &
watcher=$!
wait_for "the end of the flood" has_saved flood.calls
kill -TERM "$watcher"
wait "$watcher"
read -r writes seconds samples <"$WORK/watch"
calls=$(saved flood.calls)
echo "flood: $calls setItem calls in 20 s, $writes writes of saves.json in $seconds s; app PSS (KiB) each second: $samples"

last=$((calls - 1))
[[ "$(saved "flood.$((last % 100))")" == "$last" ]] || fail "saves.json does not end with the flood's last call"
awk -v w="$writes" -v s="$seconds" 'BEGIN { exit !(w <= 4 * s + 2) }' ||
  fail "$writes writes in $seconds s: more than four a second"
# Every message carries the megabyte of ballast: keeping them would raise the
# floor by tens of megabytes over the flood. The floor is the least of a few
# samples, as what comes and goes with the collector only adds to it.
read -r -a pss <<<"$samples"
w=$((${#pss[@]} / 3 < 5 ? ${#pss[@]} / 3 : 5))
if ((w >= 2)); then
  early=$(printf '%s\n' "${pss[@]:1:w}" | sort -n | head -n 1)
  late=$(printf '%s\n' "${pss[@]: -w}" | sort -n | head -n 1)
  ((late - early < 16 * 1024)) || fail "the application's floor grew by $((late - early)) KiB over the flood"
else
  echo "memory not judged: the flood's first save came too late for enough samples"
fi
pass "the flood wrote saves.json at most four times a second, the newest content last, and the memory stayed flat"

# The engine gives a page's storage 5 MiB: a 10 MB value is refused with
# QuotaExceededError, and the largest that fits is stored instead.
act page roulette
wait_for "the large value" has_saved big.result
result=$(saved big.result)
size=${result##* }
echo "large value: $result"
[[ "$(saved big | wc -c)" == "$size" ]] || fail "saves.json does not hold the $size-byte value"
quit_app
start_app
wait_for "the large value's check" has_saved big.check
[[ "$(saved big.check)" == "whole $size" ]] || fail "the $size-byte value came back as: $(saved big.check)"
quit_app
pass "a $size-byte value reached saves.json and came back whole into a fresh page"
