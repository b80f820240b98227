#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# shell_language.sh LANG: under LANGUAGE=LANG the menu bar that the
# application exports on the bus (the model a desktop shell or a screen reader
# reads) is in that language throughout, as its catalogue says, and every item
# keeps an access key of its own within its menu. C.UTF-8 is the locale every
# Debian system has; LANGUAGE alone then picks the catalogue.
source "$(dirname "$0")/../support/e2e.bash"
lang=${1:?a language code of po/LINGUAS}

make_prefix "$VELMAR_SOURCE/tests/fixtures/shell/web"
mkdir -p "$PREFIX/share/locale"
cp -r "$VELMAR_BUILD/share/locale/." "$PREFIX/share/locale/"
unset LC_ALL LC_MESSAGES
export LANG=C.UTF-8 LANGUAGE=$lang
start_app

gdbus call --session --dest "$APP_ID" --object-path "$APP_PATH/menus/menubar" \
  --method org.gtk.Menus.Start "[$(seq -s, 0 40)]" >"$WORK/menus.txt" || fail "the menu bar is not on the bus"
python3 - "$WORK/menus.txt" "$lang" "$PREFIX/share/locale" <<'PY' || fail "the menu bar is not in $lang throughout"
import ast, gettext, re, sys
own = gettext.translation("velmar-casino", localedir=sys.argv[3], languages=[sys.argv[2]])
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

translated = {label: own.gettext(label) for label in english}
left = {label for label in seen & english if translated[label] != label}
if left: sys.exit(f"still English: {sorted(left)}")
missing = [translated[label] for label in english if translated[label] not in seen]
if missing or translated == {label: label for label in english}: sys.exit(f"not shown: {missing}")
PY
pass "the exported menu bar is in $lang, every item with a key of its own"
quit_app
