#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Under LANGUAGE=de the menu bar that the application exports on the bus (the
# model a desktop shell or a screen reader reads) is German throughout, and
# every item keeps an access key of its own within its menu. C.UTF-8 is the
# locale every Debian system has; LANGUAGE alone then picks the catalogue.
source "$(dirname "$0")/../support/e2e.bash"

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
mkdir -p "$PREFIX/share/locale"
cp -r "$VELMAR_BUILD/share/locale/." "$PREFIX/share/locale/"
unset LC_ALL LC_MESSAGES
export LANG=C.UTF-8 LANGUAGE=de
start_app

gdbus call --session --dest "$APP_ID" --object-path "$APP_PATH/menus/menubar" \
  --method org.gtk.Menus.Start "[$(seq -s, 0 40)]" >"$WORK/menus.txt" || fail "the menu bar is not on the bus"
python3 - "$WORK/menus.txt" <<'PY' || fail "the menu bar is not German throughout"
import ast, re, sys
text = open(sys.argv[1], encoding="utf-8").read()
# GVariant text to a Python literal: drop the type words and variant brackets.
text = re.sub(r"\buint32 |@a\{sv\} ", "", text).replace("<", "").replace(">", "")
menus = {(g, m): items for g, m, items in ast.literal_eval(text)[0]}

def labels(key):
    """The labels of one menu as shown: its sections' items run together."""
    out = []
    for item in menus[key]:
        out += labels(item[":section"]) if ":section" in item else [item["label"]]
    return out

def check(key, name):
    shown = labels(key)
    keys = [re.search(r"_(.)", l).group(1).lower() if "_" in l else None for l in shown]
    if None in keys or len(set(keys)) != len(keys):
        sys.exit(f"{name}: access keys {keys} for {shown}")
    return shown

bar = check((0, 0), "menu bar")
english = {"_Table", "_Edit", "_View", "_Window", "R_eload Table", "_Undo", "_Copy", "Zoom _In",
           "Enter _Full Screen", "Mi_nimize", "_Quit Velmar Casino", "_Keyboard Shortcuts"}
seen = set(bar)
for item in menus[(0, 0)]:
    seen |= set(check(item[":submenu"], item["label"]))

left = seen & english
if left: sys.exit(f"still English: {sorted(left)}")
for german in ["_Tisch", "_Bearbeiten", "_Ansicht", "_Fenster", "Velmar Casino _beenden", "_Tastenkürzel"]:
    if german not in seen: sys.exit(f"no {german}")
PY
pass "the exported menu bar is German, every item with a key of its own"
act quit
wait_exit
