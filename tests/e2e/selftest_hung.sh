#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pages that never yield or never finish loading cannot hold the self-test:
# each runs out of its bound, the report says why, the pages after it are
# still visited and the round trip still runs, and the run ends with status 1.
# A page without a title fails too.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/selftest-hung"
bound=20
set +e
# The outer limit only catches a hang: five pages, two of them to their bound.
VELMAR_SELFTEST_PAGE_BOUND=$bound timeout 300 "$PREFIX/bin/velmar-casino" --selftest="$WORK/report" >"$WORK/app.log" 2>&1
status=$?
set -e
((status != 124)) || fail "the self-test was still running after 300 s"
[[ -f "$WORK/report/report.json" ]] || fail "the self-test wrote no report (status $status)"
((status == 1)) || fail "a run with stuck pages ended with status $status"
node "$VELMAR_SOURCE/tests/e2e/selftest_check.mjs" "$WORK/report" hung "$bound" || fail "the report is not as it should be"
pass "stuck pages each ran out of their $bound s and the run went on to its report and status 1"
