#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader meets at one table, through AT-SPI alone.

screen_reader.py TABLE walks from the application's accessible root into the
web view's document, checks that every button shown there (actions, chips,
betting spots) has a name holding the label it shows, then plays one round as
a screen-reader user would, by the buttons' actions, and checks that the
result line the page shows is what its polite live region says.
screen_reader.py --count only says how many nodes the application and its web
document hold.
Exits 1 with the reason on a failure.
"""
import sys
import time

import pyatspi

# Per table: the label that starts the betting spot used, and the buttons that
# end a round once it is dealt.
TABLES = {
    "roulette": ("Red, pays", "Spin", ()),
    "blackjack": ("Bet circle", "Deal", ("Stand",)),
    "baccarat": ("Player, pays", "Deal", ()),
    "poker": ("Ante circle", "Deal", ("Fold",)),
}
CHIP = "25 chip"
OBJECT = "\ufffc"  # stands for a child inside a node's text


def fail(why):
    print(f"FAIL: {why}")
    sys.exit(1)


def wait(what, probe, limit=120):
    """Polls probe until it gives something; the limit only bounds a hang."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        try:
            got = probe()
        except Exception:  # a node can go away while it is read
            got = None
        if got:
            return got
        time.sleep(0.2)
    fail(f"timed out waiting for {what}")


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def text(node):
    try:
        t = node.queryText()
        return t.getText(0, -1).replace(OBJECT, " ").strip()
    except NotImplementedError:
        return ""


def shown(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def attributes(node):
    return dict(a.split(":", 1) for a in node.getAttributes() if ":" in a)


def application():
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and "velmar" in (app.name or "").lower():
                return app
        return None
    return wait("the application on the accessibility bus", find, 60)


def document(app, limit=60):
    """The web view's document inside the application's window."""
    def find():
        return next((n for n in walk(app) if n.getRole() == pyatspi.ROLE_DOCUMENT_WEB), None)
    return wait("the web view's document", find, limit)


def buttons(doc):
    roles = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)
    return [n for n in walk(doc) if n.getRole() in roles and shown(n)]


def named(doc, start):
    return next((b for b in buttons(doc) if (b.name or "").startswith(start)), None)


def press(button):
    button.queryAction().doAction(0)


def live_log(doc):
    for n in walk(doc):
        if n.getRole() == pyatspi.ROLE_LOG and attributes(n).get("container-live") == "polite":
            return n
    return None


def said(log):
    return [text(log.getChildAtIndex(i)) for i in range(log.childCount)] if log else []


def result_line(doc):
    for n in walk(doc):
        if n.getRole() == pyatspi.ROLE_STATUS_BAR and attributes(n).get("container-live") == "polite":
            return text(n)
    return ""


def main():
    app = application()
    if sys.argv[1] == "--count":
        nodes = [n for n in walk(app)]
        docs = [n for n in nodes if n.getRole() == pyatspi.ROLE_DOCUMENT_WEB]
        inside = sum(1 for _ in walk(docs[0])) if docs else 0
        print(f"{len(nodes)} accessible nodes in the application, {inside} of them in a web document")
        return
    doc = document(app)
    spot_label, deal_label, closers = TABLES[sys.argv[1]]
    wait("the table's buttons", lambda: named(doc, CHIP))
    found = buttons(doc)
    for b in found:
        label = text(b)
        if not b.name:
            fail(f"a button showing {label!r} has no name")
        if label and label not in b.name:
            fail(f"the button named {b.name!r} shows {label!r}")
    names = [b.name for b in found]
    chips = [n for n in names if " chip" in n]
    if len(chips) != 6:
        fail(f"{len(chips)} chips reachable, not 6: {chips}")
    for needed in (spot_label, deal_label, "Clear", "Undo"):
        if not any(n.startswith(needed) for n in names):
            fail(f"no button named {needed!r} among {names}")
    print(f"ok: {len(found)} buttons named, their shown labels in their names; chips {', '.join(chips)}")

    press(named(doc, CHIP))
    press(named(doc, spot_label))
    before = said(live_log(doc))
    press(named(doc, deal_label))

    def settled():
        for closer in closers:
            if b := named(doc, closer):
                press(b)
                return None
        line = result_line(doc)
        heard = said(live_log(doc))
        return line if line and heard != before and line in " ".join(heard) and named(doc, deal_label) else None
    line = wait("the round's result in the live region", settled)
    print(f"ok: the result line {line!r} was said in the polite live region")


if __name__ == "__main__":
    main()
