#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The release tarball carries everything the pages load, so it builds with no
# network; a tree without the pages' third-party files fails to build rather
# than making a package whose tables have no scene and no fonts.
source "$(dirname "$0")/../support/e2e.bash"

# A tree without web/node_modules: the staging step must fail and say why.
mkdir -p "$WORK/bare-web"
cp "$VELMAR_SOURCE/web/velmar-casino.html" "$WORK/bare-web/"
status=0
cmake -DSRC="$WORK/bare-web" -DDEST="$WORK/bare-staged" -P "$VELMAR_SOURCE/cmake/CopyWeb.cmake" \
  >"$WORK/bare.log" 2>&1 || status=$?
[[ $status != 0 ]] || fail "staging a web folder without its third-party files succeeded"
grep -q "scripts/setup" "$WORK/bare.log" || fail "the failed staging does not say how to get the files"
pass "a web folder without its third-party files does not build"

# The tarball is made from a checkout; a copy of the sources without one (as
# in the tarball's own tree) has nothing to make it from.
git -C "$VELMAR_SOURCE" rev-parse --is-inside-work-tree >/dev/null 2>&1 || { pass "not a checkout: no tarball to make"; exit 0; }
# What the dist target runs, made here rather than in the build folder under test.
version=$(sed -n 's/^project(velmar-casino VERSION \([0-9.]*\).*/\1/p' "$VELMAR_SOURCE/CMakeLists.txt")
(cd "$WORK" && cmake -DSOURCE="$VELMAR_SOURCE" -DNAME="velmar-casino-$version" -P "$VELMAR_SOURCE/cmake/Dist.cmake") \
  >"$WORK/dist.log" 2>&1 || { cat "$WORK/dist.log"; fail "making the tarball failed"; }
tarball="$WORK/velmar-casino-$version.tar.xz"
[[ -f $tarball ]] || fail "the dist target made no velmar-casino-$version.tar.xz"
tar -xJf "$tarball" -C "$WORK"
tree="$WORK/velmar-casino-$version"
for f in three/LICENSE @fontsource/manrope/LICENSE @fontsource/playfair-display/LICENSE three/build/three.module.js; do
  [[ -f "$tree/web/node_modules/$f" ]] || fail "the tarball lacks web/node_modules/$f"
done

# Configured and staged with no network: nothing reaches for npm.
cmake -S "$tree" -B "$WORK/tree-build" -G Ninja -DVELMAR_TESTS=OFF -DVELMAR_BENCH=OFF >"$WORK/configure.log" 2>&1 ||
  { tail -20 "$WORK/configure.log"; fail "the tarball's tree does not configure"; }
cmake --build "$WORK/tree-build" --target web >"$WORK/web.log" 2>&1 || { tail -20 "$WORK/web.log"; fail "the tarball's pages do not stage"; }
for f in vendor/three/three.module.js vendor/three/three.core.js vendor/fonts/manrope-latin-400-normal.woff2 \
         vendor/fonts/playfair-display-latin-400-italic.woff2 js/kit/translations.js roulette-3d.html poker-3d.html; do
  [[ -f "$WORK/tree-build/share/velmar-casino/web/$f" ]] || fail "the tarball's build lacks $f"
done
for lang in $(grep -v '^#' "$tree/po/LINGUAS"); do
  grep -q "^  \"$lang\": {" "$WORK/tree-build/share/velmar-casino/web/js/kit/translations.js" ||
    fail "the tarball's pages have no $lang catalogue"
done
pass "velmar-casino-$version.tar.xz holds the sources and the pages' third-party files, and stages them offline"
