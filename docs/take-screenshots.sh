#!/bin/bash
# Photographs the window at the lobby and at a table for the README:
#   docs/take-screenshots.sh <build folder>
# Runs the built application under its own Xvfb (sized to the default window,
# so the screen is the window) and private session bus, with temporary
# settings, and drives it through its exported actions.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
docs=$(cd "$(dirname "$0")" && pwd)

if [[ -z "${VELMAR_SHOTS_INNER:-}" ]]; then
  export VELMAR_SHOTS_INNER=1
  exec xvfb-run -a -s "-screen 0 1440x900x24" dbus-run-session -- bash "$0" "$build"
fi

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache

"$build/bin/velmar-casino" >"$work/app.log" 2>&1 &
pid=$!
act() {
  gdbus call --session --dest com.velmar.Casino --object-path /com/velmar/Casino \
    --method org.gtk.Actions.Activate "$1" "${2:-[]}" '{}' >/dev/null
}
for _ in $(seq 1 300); do act page "[<'lobby'>]" 2>/dev/null && break; sleep 0.1; done

# Gdk 3 from the system's Python reads the X screen; no other tool needed.
shoot() {
  /usr/bin/python3 - "$1" <<'PY'
import sys, gi
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk
root = Gdk.get_default_root_window()
Gdk.pixbuf_get_from_window(root, 0, 0, root.get_width(), root.get_height()).savev(sys.argv[1], "png", [], [])
PY
}

# The pages draw their 3D tables in software here: give them time to settle.
sleep 8
shoot "$docs/screenshot-lobby.png"
act page "[<'roulette'>]"
sleep 10
shoot "$docs/screenshot-table.png"
act quit
wait "$pid" || true
echo "wrote $docs/screenshot-lobby.png and $docs/screenshot-table.png"
