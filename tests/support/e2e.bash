# SPDX-License-Identifier: GPL-3.0-or-later
# Shared steps of the end-to-end scripts in tests/e2e: a private session bus,
# a display, temporary XDG folders, a private copy of the application, and
# helpers that drive it through its exported actions as an outside client.
#
# Source it first thing:  source "$(dirname "$0")/../support/e2e.bash"

set -euo pipefail

: "${VELMAR_BUILD:?VELMAR_BUILD must name the build folder}"
: "${VELMAR_SOURCE:?VELMAR_SOURCE must name the source folder}"

# Every script gets a bus of its own, so that no other copy of the application
# answers for com.velmar.Casino; without a display it gets an Xvfb as well.
if [[ -z "${VELMAR_E2E_BUS:-}" ]]; then
  export VELMAR_E2E_BUS=1
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1920x1200x24" dbus-run-session -- bash "$0" "$@"
  fi
  exec dbus-run-session -- bash "$0" "$@"
fi

APP_ID=com.velmar.Casino
APP_PATH=/com/velmar/Casino
WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmar-e2e.XXXXXX")
PREFIX=$WORK/prefix
APP_PID=
# What a script starts beside the application, by process id;
# ended with it, so that nothing holds the test's output open.
SERVICE_PIDS=()
# The accessibility bus is not under test and only adds start-up noise.
export GTK_A11Y=none
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data XDG_STATE_HOME=$WORK/state XDG_CACHE_HOME=$WORK/cache
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME"
PREFS=$XDG_CONFIG_HOME/velmar-casino/preferences.ini
SAVES="$XDG_DATA_HOME/Velmar Casino/saves.json"

cleanup() {
  local status=$?
  if [[ -n "$APP_PID" ]] && kill -0 "$APP_PID" 2>/dev/null; then kill -KILL "$APP_PID" 2>/dev/null || true; fi
  local pid
  for pid in "${SERVICE_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  # The web engine's helpers can still be writing their caches for a moment
  # after the application has ended; the script's verdict stands either way.
  for _ in 1 2 3 4 5; do rm -rf "$WORK" 2>/dev/null && break; sleep 0.5; done
  exit "$status"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [[ -f "$WORK/app.log" ]]; then echo "--- application log" >&2; tail -n 40 "$WORK/app.log" >&2; fi
  exit 1
}
pass() { echo "ok: $*"; }

# Waits up to a generous limit for a command to succeed; the limit only
# bounds a hang, it does not measure speed.
wait_for() {
  local what=$1; shift
  for _ in $(seq 1 600); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  fail "timed out waiting for $what"
}

# A private install of the built executable: bin/velmar-casino next to
# share/velmar-casino/web, filled from the given fixture folders in order
# (later ones override files of earlier ones).
make_prefix() {
  mkdir -p "$PREFIX/bin" "$PREFIX/share/velmar-casino/web"
  cp "$VELMAR_BUILD/bin/velmar-casino" "$PREFIX/bin/"
  local dir
  for dir in "$@"; do cp -r "$dir"/. "$PREFIX/share/velmar-casino/web/"; done
}

menubar_on_bus() {
  gdbus introspect --session --dest "$APP_ID" --object-path "$APP_PATH/menus/menubar" | grep -q org.gtk.Menus
}

on_bus() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$APP_ID" | grep -q true
}

# Starts the application from the given executable and waits until it owns
# its name and has chosen its first page.
# With LAUNCH=setsid the application leads a process group of its own, as a
# command started from an interactive terminal does.
start_app() {
  local exe=${1:-$PREFIX/bin/velmar-casino}
  ${LAUNCH:-} "$exe" >>"$WORK/app.log" 2>&1 &
  APP_PID=$!
  wait_for "the application on the bus" on_bus
  # The name is owned before the window exists and the first page is chosen
  # before its actions are in place; the menu bar is exported last of all.
  wait_for "the menu bar" menubar_on_bus
  wait_for "the first page" has_pref lastPage
}

act() {
  local name=$1 target=${2:-}
  local param='[]'
  [[ -n "$target" ]] && param="[<'$target'>]"
  gdbus call --session --dest "$APP_ID" --object-path "$APP_PATH" \
    --method org.gtk.Actions.Activate "$name" "$param" '{}' >/dev/null
}

# Asks for a new state of a stateful action, as a desktop shell may.
set_state() {
  gdbus call --session --dest "$APP_ID" --object-path "$APP_PATH" \
    --method org.gtk.Actions.SetState "$1" "$2" '{}' >/dev/null
}

# The action's description as gdbus prints it: ((enabled, '', [state]),).
describe() {
  gdbus call --session --dest "$APP_ID" --object-path "$APP_PATH" --method org.gtk.Actions.Describe "$1"
}
action_state() { describe "$1" | sed -E 's/.*\[<(.*)>\].*/\1/'; }

pref() { sed -n -E "s/^$1=(.*)$/\1/p" "$PREFS" 2>/dev/null; }
has_pref() { [[ -n "$(pref "$1")" ]]; }
pref_is() { [[ "$(pref "$1")" == "$2" ]]; }
# Numbers are stored in full precision (1.1 reads back as 1.1000000000000001).
pref_near() { local v; v=$(pref "$1"); [[ -n "$v" ]] && awk -v a="$v" -v b="$2" 'BEGIN { exit !(a - b < 1e-9 && b - a < 1e-9) }'; }

# One value of the save file, or nothing.
saved() {
  [[ -f "$SAVES" ]] || return 0
  node -e 'const v = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"))[process.argv[2]];
           if (v !== undefined) process.stdout.write(v);' "$SAVES" "$1"
}
has_saved() { [[ -n "$(saved "$1")" ]]; }

# Waits for the application to end; its exit status lands in EXIT_STATUS.
# (Not in a subshell: only this shell can wait for its own child.)
wait_exit() {
  EXIT_STATUS=0
  wait "$APP_PID" || EXIT_STATUS=$?
  APP_PID=
}

# Quits through the exported action; the run must end with status 0.
quit_app() {
  act quit
  wait_exit
  [[ $EXIT_STATUS == 0 ]] || fail "${1:-quitting} ended with status $EXIT_STATUS"
}

# Preferences that reopen the given page at the next start.
reopen_at() {
  mkdir -p "$(dirname "$PREFS")" "$(dirname "$SAVES")"
  printf '[Preferences]\nlastPage=%s\nreopenLastTable=true\n' "$1" >"$PREFS"
}

# Acts on the application's window as the user would: keys or close.
x11() { python3 "$VELMAR_SOURCE/scripts/x11_client.py" "$1" "$APP_PID" "${@:2}" || fail "found no window for $1"; }

loads_as_json() { node -e 'JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"))' "$1"; }
no_temporaries() {
  local left
  left=$(find "$1" -name '.velmar-*.tmp')
  [[ -z "$left" ]] || fail "temporary files were left: $left"
}

# Makes a stand-in command the default application for a MIME type, in the
# test's own XDG folders only:  default_app <name> <type> <command...>
default_app() {
  local name=$1 type=$2
  shift 2
  mkdir -p "$XDG_DATA_HOME/applications"
  printf '[Desktop Entry]\nType=Application\nName=Stand-in %s\nExec=%s %%u\nMimeType=%s;\nNoDisplay=true\n' \
    "$name" "$*" "$type" >"$XDG_DATA_HOME/applications/velmar-test-$name.desktop"
  [[ -f "$XDG_CONFIG_HOME/mimeapps.list" ]] || echo '[Default Applications]' >"$XDG_CONFIG_HOME/mimeapps.list"
  echo "$type=velmar-test-$name.desktop" >>"$XDG_CONFIG_HOME/mimeapps.list"
}
