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

launcher=/usr/libexec/at-spi-bus-launcher registryd=/usr/libexec/at-spi2-registryd
[[ -x $launcher && -x $registryd ]] || { echo "skipped: at-spi2-core is not installed"; exit 77; }

# Whether a name has an owner, asked of the session bus or, with --address,
# of another; asking the name itself would have D-Bus start a second copy.
owned() {  # owned NAME BUS-OPTION...
  local name=$1
  shift
  gdbus call "$@" --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$name" | grep -q true
}
a11y_bus_up() {
  owned org.a11y.Bus --session || return 1
  AT_SPI_BUS_ADDRESS=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.a11y.Bus.GetAddress | sed -n -E "s/^\('(.+)',\)$/\1/p")
  [[ -n "$AT_SPI_BUS_ADDRESS" ]]
}
# The registry is asked what a screen reader asks first: how many
# applications the desktop holds.
registry_answers() {
  owned org.a11y.atspi.Registry --address "$AT_SPI_BUS_ADDRESS" &&
    gdbus call --address "$AT_SPI_BUS_ADDRESS" --dest org.a11y.atspi.Registry \
      --object-path /org/a11y/atspi/accessible/root --method org.freedesktop.DBus.Properties.Get \
      org.a11y.atspi.Accessible ChildCount
}

# The accessibility bus and its registry are started here, and the
# application only once the registry answers. Left to D-Bus activation, the
# registry can take longer than activation allows on a loaded machine, and an
# application that finds no registry never joins the desktop. They write
# to the application's log, which a failure shows.
"$launcher" --launch-immediately >>"$WORK/app.log" 2>&1 &
SERVICE_PIDS+=($!)
wait_for "the accessibility bus" a11y_bus_up
# The application, its web processes and the walker all use this bus, not
# whatever an earlier launcher left on the display's root window.
export AT_SPI_BUS_ADDRESS
"$registryd" >>"$WORK/app.log" 2>&1 &
SERVICE_PIDS+=($!)
wait_for "the accessibility registry" registry_answers

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
