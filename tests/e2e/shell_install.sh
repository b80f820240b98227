#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# cmake --install puts the executable, the web folder and the desktop files in
# their standard places; the installed program starts from there, also as the
# desktop starts it, over D-Bus; the Debian package carries the same files and
# the libraries they need, and lintian finds no error and no warning in it.
source "$(dirname "$0")/../support/e2e.bash"

INSTALL=$WORK/install
cmake --install "$VELMAR_BUILD" --prefix "$INSTALL" >"$WORK/install.log" || fail "cmake --install failed"
installed=(games/velmar-casino share/velmar-casino/web/velmar-casino.html
           share/applications/com.velmar.Casino.desktop share/metainfo/com.velmar.Casino.metainfo.xml
           share/icons/hicolor/scalable/apps/com.velmar.Casino.svg
           share/icons/hicolor/symbolic/apps/com.velmar.Casino-symbolic.svg
           share/dbus-1/services/com.velmar.Casino.service share/man/man6/velmar-casino.6.gz
           share/locale/de/LC_MESSAGES/velmar-casino.mo share/doc/velmar-casino/copyright)
for f in "${installed[@]}"; do
  [[ -e "$INSTALL/$f" ]] || fail "the install lacks $f"
done
grep -qx "Exec=$INSTALL/games/velmar-casino --gapplication-service" \
  "$INSTALL/share/dbus-1/services/com.velmar.Casino.service" || fail "the D-Bus service does not start the installed program"
pass "installed files in place"

# DBusActivatable: the desktop asks the bus, which starts the installed program
# from its service file; it opens the lobby and quits when asked. A bus of its
# own that reads the installed services stands in.
XDG_DATA_DIRS=$INSTALL/share:/usr/share dbus-run-session -- bash -c '
  gdbus call --session --dest com.velmar.Casino --object-path /com/velmar/Casino \
    --method org.freedesktop.Application.Activate "{}" >/dev/null || exit 2
  for _ in $(seq 1 600); do grep -q "^lastPage=" "$1" 2>/dev/null && break; sleep 0.1; done
  grep -q "^lastPage=velmar-casino.html" "$1" || exit 3
  gdbus call --session --dest com.velmar.Casino --object-path /com/velmar/Casino \
    --method org.gtk.Actions.Activate quit "[]" "{}" >/dev/null || exit 4
  for _ in $(seq 1 600); do
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner com.velmar.Casino | grep -q false && exit 0
    sleep 0.1
  done
  exit 5' activation "$PREFS" >>"$WORK/app.log" 2>&1 ||
  fail "the bus did not start the program from its service file (status $?)"
pass "the bus starts the installed program from its service file, and it quits"

# Without share/velmar-casino beside the executable's folder there is nothing to serve.
mkdir -p "$WORK/bare/games"
cp "$INSTALL/games/velmar-casino" "$WORK/bare/games/"
status=0
"$WORK/bare/games/velmar-casino" >"$WORK/bare.log" 2>&1 || status=$?
[[ $status != 0 ]] || fail "a program without its web folder ran on"
grep -q "web folder missing" "$WORK/bare.log" || fail "a missing web folder was not reported"
pass "a missing web folder stops the program with a message"

if [[ -f "$VELMAR_BUILD/CPackConfig.cmake" ]]; then
  (cd "$WORK" && cpack --config "$VELMAR_BUILD/CPackConfig.cmake" -B "$WORK/package" >"$WORK/cpack.log" 2>&1) ||
    { tail -20 "$WORK/cpack.log"; fail "cpack failed"; }
  deb=$(ls "$WORK"/package/*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  for lib in libgtk-4-1 libadwaita-1-0 libwebkitgtk-6.0-4 libglib2.0-0; do
    [[ "$depends" == *"$lib"* ]] || fail "the package does not depend on $lib: $depends"
  done
  [[ "$(dpkg-deb -f "$deb" Section)" == games ]] || fail "the package is not in section games"
  contents=$(dpkg-deb -c "$deb")
  for f in "${installed[@]}"; do
    grep -qF " ./usr/$f" <<<"$contents" || fail "the package lacks /usr/$f"
  done
  pass "package $(basename "$deb") depends on: $depends"

  # Errors and warnings are what Debian blocks on; the verdict goes to the log.
  verdict=0
  lintian --fail-on error,warning "$deb" >"$WORK/lintian.log" 2>&1 || verdict=$?
  grep -v 'running with root privileges' "$WORK/lintian.log" || true
  [[ $verdict == 0 ]] || fail "lintian $(lintian --version | cut -d' ' -f2) found errors or warnings"
  pass "lintian $(lintian --version | cut -d' ' -f2): no errors, no warnings"

  # Hardened as Debian builds: lintian names each missing measure, at any level.
  lintian --fail-on error,warning,info --tags hardening-no-fortify-functions,hardening-no-relro,hardening-no-bindnow,hardening-no-pie \
    "$deb" >"$WORK/hardening.log" 2>&1 || { grep -v 'root privileges' "$WORK/hardening.log"; fail "the program is not hardened"; }
  grep -q "__stack_chk_fail" <<<"$(readelf --dyn-syms --wide "$INSTALL/games/velmar-casino")" || fail "the program has no stack protector"
  pass "hardened: fortified functions, stack protector, read-only relocations bound now, PIE"

  # The symbols ship in a package of their own, for the program the package holds.
  dbgsym=$(ls "$WORK"/package/velmar-casino-dbgsym_*.ddeb 2>/dev/null | head -1)
  [[ -n $dbgsym ]] || fail "no velmar-casino-dbgsym package beside the package"
  id=$(readelf -n "$INSTALL/games/velmar-casino" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')
  grep -q "/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" <<<"$(dpkg-deb -c "$dbgsym")" ||
    fail "the dbgsym package does not hold the symbols of build $id"
  pass "symbols in $(basename "$dbgsym")"
fi
