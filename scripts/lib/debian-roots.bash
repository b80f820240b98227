# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash disable=SC2016,SC2153,SC2154  # hooks expand $1 in mmdebstrap's shell; the caller sets the names
# What the scripts that check the program in clean Debian roots share: a clock
# for their stages, commands run inside a root, and roots made by mmdebstrap,
# kept as tarballs when asked. The sourcing script sets NAME (for messages),
# SELF (the script, which the hooks call back), SUITE and WORK, and answers
# "SELF _mark LABEL" by calling mark.

mark() {  # mark LABEL: how long the stage that just ended took
  local now last
  now=$(date +%s)
  last=$(cat "$WORK/clock")
  echo "$now" >"$WORK/clock"
  printf '%4d s  %s\n' "$((now - last))" "$1" >>"$WORK/times"
  printf '%s: %s: %d s\n' "$NAME" "$1" "$((now - last))" >&2
}

start_clock() {
  date +%s >"$WORK/clock"
  STARTED=$(cat "$WORK/clock")
  : >"$WORK/times"
}

print_times() {
  echo "$NAME: the stages took"
  cat "$WORK/times"
  printf '%4d s  in all\n' "$(($(date +%s) - STARTED))"
}

# Inside the roots: a fixed environment rather than the caller's.
in_root() {  # in_root ROOT COMMAND...
  local root=$1
  shift
  chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

# The engine's bubblewrap sandbox makes / a slave mount, so a root that runs
# web views must be a mount point: it is bound onto itself in a mount
# namespace of its own.
in_mounted_root() {  # in_mounted_root ROOT COMMAND...
  local root=$1
  shift
  unshare --mount --propagation private -- sh -c '
    root=$1; shift
    mount --rbind "$root" "$root" && exec chroot "$root" env -i \
      PATH=/usr/games:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 LC_ALL=C.UTF-8 "$@"' sh "$root" "$@"
}

show_log() {  # show_log FILE: the end of a failed step's output
  echo "$NAME: the last lines of $(basename "$1"):" >&2
  tail -n 60 "$1" >&2
}

# Installs the build dependencies that debian/control names. Only that file
# matters, so a cached root can be made before the tree is.
install_build_deps() {  # install_build_deps ROOT CONTROL
  local root=$1
  mkdir -p "$root/tmp/deps/debian"
  cp "$2" "$root/tmp/deps/debian/"
  in_root "$root" apt-get build-dep -y -q --no-install-recommends /tmp/deps \
    >"$WORK/build-deps.log" 2>&1 || { show_log "$WORK/build-deps.log"; return 1; }
  rm -r "$root/tmp/deps"
}

# Root only, and what making roots needs on the machine.
need_root_tools() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "$NAME: run it as root (it makes chroots with mmdebstrap)" >&2
    exit 1
  fi
  # The machine is shared: the builds go at low priority.
  renice -n 10 $$ >/dev/null
  ionice -c 2 -n 7 -p $$ 2>/dev/null || true
  local needed=() tool
  for tool in mmdebstrap cmake git; do
    command -v "$tool" >/dev/null || needed+=("$tool")
  done
  if [ ${#needed[@]} -gt 0 ]; then
    echo "$NAME: installing ${needed[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${needed[@]}" >/dev/null
  fi
}

# A root left mounted by an interrupted mmdebstrap must not be removed through its mounts.
remove_work() {
  if findmnt -rn -o TARGET | grep -q "^$WORK/"; then
    echo "$NAME: $WORK still has mounts; left in place" >&2
  else
    rm -rf "$WORK"
  fi
}

hook() {  # hook STEP: a hook option that runs STEP of the script on the root
  printf "'%s' %s \"\$1\"" "$SELF" "$1"
}
mark_hook() {
  printf "'%s' _mark '%s'" "$SELF" "$1"
}

# One root: made afresh and used in one go, or with ROOT_CACHE set made once
# into a tarball (prep options and all) and unpacked for each use.
run_root() {  # run_root NAME; options in the arrays prep and use
  local name=$1 tar
  local common=(--mode=root --quiet --aptopt='Acquire::Retries "3"')
  if [ -z "${ROOT_CACHE:-}" ]; then
    mmdebstrap "${common[@]}" "${prep[@]}" "${use[@]}" "$SUITE" /dev/null
    return
  fi
  mkdir -p "$ROOT_CACHE"
  tar=$ROOT_CACHE/$name.tar
  if [ ! -s "$tar" ]; then
    mmdebstrap "${common[@]}" --format=tar "${prep[@]}" "$SUITE" "$tar.part"
    mv "$tar.part" "$tar"
    mark "cached $name root made"
  fi
  # Made ahead of its use, for example while other work runs.
  [ -z "${ROOT_PREPARE_ONLY:-}" ] || return 0
  # The tarball's device nodes would clash with those that mmdebstrap sets up.
  mmdebstrap "${common[@]}" --variant=custom \
    --setup-hook="mmtarfilter --path-exclude='/dev/*' <'$tar' | tar -C \"\$1\" -x" \
    --customize-hook="$(mark_hook "$name root unpacked from the cache")" \
    "${use[@]}" "$SUITE" /dev/null
}
