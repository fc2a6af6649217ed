#!/usr/bin/python3
"""Plays a one-player game to its end as a screen reader's user would: through the AT-SPI
bus alone, knowing the cards only by the names of the board's cells and turning them only
with their Press action. Checks what the game announced on the way.

Usage: playbyear.py PROGRAM GAMES_DIR. Runs inside a session bus and an X display (the
test starts it under dbus-run-session and xvfb-run). Exit status 0 when the game was played
and announced as it should be, 1 with the reason on stderr when not.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

# Far longer than anything here takes, also in a sanitizer build on a busy machine; only a
# fault runs into it.
PATIENCE = 120.0

heard = []  # the announcements, in order
renamed = []  # the cells whose names changed, as the bus told


class Failure(Exception):
    pass


def pump_until(condition, what):
    """Handles the bus's events until condition() holds; fails after PATIENCE seconds."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + PATIENCE
    while True:
        while context.pending():
            context.iteration(False)
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("gave up waiting for " + what)
        time.sleep(0.02)


def on_showing(event):
    try:
        if event.detail1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
            heard.append(event.source.name)
    except GLib.GError:
        pass  # the game has just ended


def on_name_change(event):
    if event.source.getRole() == pyatspi.ROLE_TABLE_CELL:
        renamed.append(event.source)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "festral-quorvel":
            return app
    return None


def find(root, role, name=None):
    return pyatspi.findDescendant(
        root, lambda o: o.getRole() == role and (name is None or o.name.startswith(name)))


def press(obj):
    action = obj.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        raise Failure("%r has no Press action: %s" % (obj.name, names))
    action.doAction(names.index("Press"))


def dismiss_alerts(app):
    """Closes the error boxes of a machine without sound (the tunes of start-up)."""
    for window in list(app):
        try:
            if (window is None or window.getRole() != pyatspi.ROLE_ALERT
                    or not window.getState().contains(pyatspi.STATE_SHOWING)):
                continue
            print("dismissed:", find(window, pyatspi.ROLE_LABEL).name, file=sys.stderr)
            press(find(window, pyatspi.ROLE_PUSH_BUTTON, "OK"))
            pump_until(lambda: not window.getState().contains(pyatspi.STATE_SHOWING),
                       "the error box to close")
        except GLib.GError:
            pass  # closed meanwhile


def main_window(app):
    dismiss_alerts(app)
    for window in app:
        if window is not None and window.getRole() == pyatspi.ROLE_FRAME:
            return window
    return None


def play(app):
    window = pump_until(lambda: main_window(app), "the main window")
    music = find(window, pyatspi.ROLE_PUSH_BUTTON, "Music:")
    if music.name == "Music: on":
        press(music)
        pump_until(lambda: music.name == "Music: off", "the music switched off")
    board = find(window, pyatspi.ROLE_TABLE, "Board")
    table = board.queryTable()
    if (table.nRows, table.nColumns) != (6, 5):
        raise Failure("the board has %d rows and %d columns" % (table.nRows, table.nColumns))
    cells = [table.getAccessibleAt(r, c) for r in range(6) for c in range(5)]

    def card_of(i):
        """Turns cell i and returns the name of its card, from the cell's own name."""
        press(cells[i])
        name = pump_until(lambda: not cells[i].name.startswith("face down") and cells[i].name,
                          "cell %d to turn" % i)
        return name.rsplit(", row ", 1)[0]

    def wait_matched(*pair):
        for i in pair:
            pump_until(lambda: cells[i].name.startswith("Red's pair"), "cell %d matched" % i)

    def face_down(i):
        return cells[i].name.startswith("face down")

    known = {}  # face-down cell -> the card it showed
    tries = 0
    while any(face_down(i) for i in range(30)):
        pair = next(((a, b) for a in known for b in known if a < b and known[a] == known[b]),
                    None)
        first = pair[0] if pair else next(i for i in range(30) if face_down(i)
                                          and i not in known)
        card = known[first] = card_of(first)
        second = pair[1] if pair else next(
            (i for i, name in known.items() if name == card and i != first),
            next((i for i in range(30) if face_down(i) and i not in known), None))
        second_card = known[second] = card_of(second)
        tries += 1
        if second_card == card:
            del known[first], known[second]
            wait_matched(first, second)
        else:
            pump_until(lambda: face_down(first) and face_down(second), "the miss")
    # The last announcement comes when the game is over; give it its turn on the bus.
    pump_until(lambda: any(h.startswith("Game over.") for h in heard), "the result")
    return tries


def check(tries):
    pairs = [h for h in heard if ". Pair found." in h]
    result = "Game over. You Did It In %d Tries." % tries
    if not pairs:
        raise Failure("no pair was announced")
    if result not in heard:
        raise Failure("the result %r was not announced" % result)
    if any("'s turn" in h or "to play" in h for h in heard):
        raise Failure("a game of one player spoke of turns")
    if not renamed:
        raise Failure("no cell told of its new name")


def main():
    program, games = sys.argv[1], sys.argv[2]
    folder = tempfile.mkdtemp(prefix="playbyear-")
    for name in os.listdir(games):
        shutil.copy(os.path.join(games, name), folder)
    pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
    pyatspi.Registry.registerEventListener(on_name_change,
                                           "object:property-change:accessible-name")
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    game = subprocess.Popen([program], cwd=folder, env=env)
    try:
        app = pump_until(application, "the game on the accessibility bus")
        tries = play(app)
        check(tries)
        print("played in %d tries; heard:" % tries, *heard, sep="\n  ")
        return 0
    except Failure as failure:
        print("FAILED:", failure, "\nheard:", *heard, sep="\n  ", file=sys.stderr)
        return 1
    finally:
        game.kill()
        game.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
