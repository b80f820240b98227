#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A screen reader can play: with the accessibility bus running, AT-SPI reaches
# from the application into the web view at every table, finds each button
# named with the label it shows, and hears a round's result in the page's
# polite live region. GTK before 4.14 does not bring the web view's content
# into the window's accessibility tree; there the walk only says what it
# finds and the test is skipped.
source "$(dirname "$0")/../support/e2e.bash"
unset GTK_A11Y NO_AT_BRIDGE
walker=$VELMAR_SOURCE/tests/support/screen_reader.py
# The AT-SPI bindings are the distribution's, for its own python.
py=/usr/bin/python3
"$py" -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }

make_prefix "$VELMAR_BUILD/share/velmar-casino/web"
start_app
if ! pkg-config --atleast-version=4.14 gtk4; then
  echo "GTK $(pkg-config --modversion gtk4), at the lobby: $(timeout 120 "$py" "$walker" --count)"
  echo "skipped: this GTK does not bridge the web view's accessibility tree"
  exit 77
fi
echo "at the lobby: $(timeout 120 "$py" "$walker" --count)"
for table in roulette blackjack baccarat poker; do
  act page "$table"
  wait_for "the $table page" pref_is lastPage "$table-3d.html"
  timeout 300 "$py" "$walker" "$table" || fail "$table: the screen reader's walk"
  pass "$table: a screen reader reaches every button and hears the round's result"
done
