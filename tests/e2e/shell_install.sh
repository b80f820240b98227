#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# cmake --install puts the executable, the web folder and the desktop files in
# their standard places; the installed program starts from there; the Debian
# package carries the same files and the libraries they need.
source "$(dirname "$0")/../support/e2e.bash"

INSTALL=$WORK/install
cmake --install "$VELMAR_BUILD" --prefix "$INSTALL" >"$WORK/install.log" || fail "cmake --install failed"
for f in bin/velmar-casino share/velmar-casino/web/velmar-casino.html \
         share/applications/com.velmar.Casino.desktop \
         share/icons/hicolor/scalable/apps/com.velmar.Casino.svg \
         share/metainfo/com.velmar.Casino.metainfo.xml; do
  [[ -e "$INSTALL/$f" ]] || fail "the install lacks $f"
done
pass "installed files in place"

desktop-file-validate "$INSTALL/share/applications/com.velmar.Casino.desktop" || fail "the desktop file is invalid"
appstreamcli validate --no-net "$INSTALL/share/metainfo/com.velmar.Casino.metainfo.xml" >"$WORK/appstream.log" ||
  { cat "$WORK/appstream.log"; fail "the metainfo is invalid"; }
pass "desktop file and metainfo validate"

start_app "$INSTALL/bin/velmar-casino"
pref_is lastPage velmar-casino.html || fail "the installed program opened $(pref lastPage)"
act quit
wait_exit
[[ $EXIT_STATUS == 0 ]] || fail "the installed program ended with status $EXIT_STATUS"
pass "the installed program starts and quits"

# Without share/velmar-casino beside bin/ there is nothing to serve.
mkdir -p "$WORK/bare/bin"
cp "$INSTALL/bin/velmar-casino" "$WORK/bare/bin/"
status=0
"$WORK/bare/bin/velmar-casino" >"$WORK/bare.log" 2>&1 || status=$?
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
  contents=$(dpkg-deb -c "$deb")
  for f in ./usr/bin/velmar-casino ./usr/share/velmar-casino/web/velmar-casino.html \
           ./usr/share/applications/com.velmar.Casino.desktop ./usr/share/metainfo/com.velmar.Casino.metainfo.xml \
           ./usr/share/icons/hicolor/scalable/apps/com.velmar.Casino.svg; do
    grep -qF " $f" <<<"$contents" || fail "the package lacks $f"
  done
  pass "package $(basename "$deb") depends on: $depends"
fi
