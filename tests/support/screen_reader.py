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
import re
import sys
import time

import pyatspi

# Per table: the label that starts the betting spot used, and the buttons that
# move a dealt round on to its end (insurance is offered when the dealer shows
# an ace).
TABLES = {
    "roulette": ("Red, pays", "Spin", ()),
    "blackjack": ("Bet circle", "Deal", ("No insurance", "Stand")),
    "baccarat": ("Player, pays", "Deal", ()),
    "poker": ("Ante circle", "Deal", ("Fold",)),
}
CHIP = "25 chip"
# How long one AT-SPI call may wait for its answer, in ms. AT-SPI's own bound
# (under a second) is shorter than a loaded machine's web process can take
# over a large tree, and a call that gives up loses the node it asked for.
CALL_BOUND = 20000
# A round's result line opens with what it won or lost.
RESULT = re.compile(r"^You (win|lose|break even)\b")
OBJECT = "\ufffc"  # stands for a child inside a node's text


def fail(why):
    print(f"FAIL: {why}")
    sys.exit(1)


def wait(what, probe, limit=120, seen=None):
    """Polls probe until it gives something; the limit only bounds a hang.
    On a timeout, seen says what the probe last found."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        try:
            got = probe()
        except Exception:  # a node can go away while it is read
            got = None
        if got:
            return got
        time.sleep(0.2)
    fail(f"timed out waiting for {what}" + (f"; last seen {seen}" if seen else ""))


def children(node):
    """The node's children; none if it goes away while it is read."""
    try:
        found = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return []
    return [child for child in found if child is not None]


def walk(node):
    """The node and all under it; what goes away while it is read is left out."""
    yield node
    for child in children(node):
        yield from walk(child)


def text(node):
    try:
        t = node.queryText()
        return t.getText(0, -1).replace(OBJECT, " ").strip()
    except NotImplementedError:
        return ""


def shown(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def enabled(node):
    return node.getState().contains(pyatspi.STATE_ENABLED)


def attributes(node):
    return dict(a.split(":", 1) for a in node.getAttributes() if ":" in a)


def application():
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and "velmar" in (app.name or "").lower():
                return app
        return None
    return wait("the application on the accessibility bus", find, 60)


def documents(node):
    """The web documents at or under the node, not walked into."""
    if node.getRole() == pyatspi.ROLE_DOCUMENT_WEB:
        yield node
        return
    for child in children(node):
        yield from documents(child)


def table_document(app):
    """The web document that shows the table's chips, looked for afresh each
    time: a page's document is made anew as it loads, and the page left can
    still be in the window for a moment."""
    seen = {}

    def find():
        docs = list(documents(app))
        seen["documents"] = len(docs)
        return next((d for d in docs if named(d, CHIP)), None)
    return wait("the table's buttons", find, seen=seen)


def buttons(doc):
    roles = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)
    return [n for n in walk(doc) if n.getRole() in roles and shown(n)]


def buttons_read(doc):
    """Each shown button's name and label, or None if the tree changed meanwhile."""
    try:
        return [(b.name, text(b)) for b in buttons(doc)]
    except Exception:
        return None


def named(doc, start):
    return next((b for b in buttons(doc) if (b.name or "").startswith(start)), None)


def press(doc, start):
    """Clicks the button, found afresh: the page may rebuild a node meanwhile."""
    def click():
        button = named(doc, start)
        return button is not None and button.queryAction().doAction(0) is not False
    wait(f"a button named {start!r} to click", click, 60)


def polite(node):
    a = attributes(node)
    return "polite" in (a.get("live"), a.get("container-live"))


def live_log(doc):
    """The page's own region for what a screen reader should say."""
    return next((n for n in walk(doc) if n.getRole() == pyatspi.ROLE_LOG and polite(n)), None)


def said(log):
    if not log:
        return []
    return [text(log.getChildAtIndex(i)) for i in range(log.childCount)] or [text(log)]


def result_line(doc):
    for n in walk(doc):
        if n.getRole() == pyatspi.ROLE_STATUS_BAR and polite(n):
            return text(n)
    return ""


def main():
    pyatspi.setTimeout(CALL_BOUND, CALL_BOUND)
    app = application()
    if sys.argv[1] == "--count":
        nodes = [n for n in walk(app)]
        inside = sum(1 for d in documents(app) for _ in walk(d))
        print(f"{len(nodes)} accessible nodes in the application, {inside} of them in a web document")
        return
    doc = table_document(app)
    spot_label, deal_label, closers = TABLES[sys.argv[1]]
    found = wait("the buttons' names and labels", lambda: buttons_read(doc))
    for name, label in found:
        if not name:
            fail(f"a button showing {label!r} has no name")
        if label and label not in name:
            fail(f"the button named {name!r} shows {label!r}")
    names = [name for name, _ in found]
    chips = [n for n in names if re.match(r"\S+ chip[ ,]", n)]
    if len(chips) != 6:
        fail(f"{len(chips)} chips reachable, not 6: {chips}")
    for needed in (spot_label, deal_label, "Clear", "Undo"):
        if not any(n.startswith(needed) for n in names):
            fail(f"no button named {needed!r} among {names}")
    print(f"ok: {len(found)} buttons named, their shown labels in their names; chips {', '.join(chips)}")

    press(doc, CHIP)
    press(doc, spot_label)
    before_line = result_line(doc)
    press(doc, deal_label)

    seen = {}

    def settled():
        # A move stays in sight, unavailable, while the dealer plays, and
        # goes once the round is over: it is clicked only when it may act,
        # and looked for afresh on the next turn.
        for closer in closers:
            button = named(doc, closer)
            if button and enabled(button):
                button.queryAction().doAction(0)
                return None
        line = result_line(doc)
        log = live_log(doc)
        heard = said(log)
        seen.update(line=line, heard=heard, log=bool(log))
        # The result line is a polite live region itself. (The page's log is
        # read too, but the tree does not show what is added to it later.)
        fresh = line and line != before_line
        # The lines in between say what is dealt.
        return (line, bool(log)) if fresh and RESULT.search(line) else None
    line, logged = wait("the round's result in the live region", settled, limit=150, seen=seen)
    print(f"ok: the result {line!r} was said in the polite status line; the log region read {seen.get('heard')}")


if __name__ == "__main__":
    main()
