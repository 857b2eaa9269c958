"""The instance lock under a race: two copies of the tool started at the
same moment in one prefix, ten times over. Each copy's first box is held
open until both copies show one, so the two always overlap; the copy that
reaches the confirmation then declines it, which keeps every round free of
work. Each round after the first also shows that the lock is free again
once the copy that held it has ended."""
import time

import vtxkit
from hardening import assert_unchanged, vantix_lines
from texts import CAPTION, CONFIRMATION, EN

ROUNDS = 10
LOCK_REFUSED = "vtxRemoveDevice: only one instance allowed!"
OPTED_OUT = "vtxRemoveDevice: User opted out of clean up."


def start_pair(package):
    """Two copies started back to back; returns them with the seconds
    between the two starts."""
    copies, started = [], []
    for _ in range(2):
        started.append(time.monotonic())
        copies.append(package.start_tool(answers=["no"], holds=[1]))
    return copies, started[1] - started[0]


def play_round(package):
    """One race: returns the two transcripts and the start gap."""
    copies, gap = start_pair(package)
    for copy in copies:
        copy.wait_for("box", timeout=60, n=1)
    for copy in copies:
        copy.release(1)
    return [copy.wait() for copy in copies], gap


def roles(transcripts):
    """(winner index, loser index) or an AssertionError naming what was seen."""
    seen = [[(b.buttons, b.text) for b in t.boxes] for t in transcripts]
    confirmed = [(["yes", "no"], CONFIRMATION)]
    refused = [(["ok"], EN[93])]
    captions = {b.caption for t in transcripts for b in t.boxes}
    assert captions == {CAPTION}, captions
    if seen == [confirmed, refused]:
        return 0, 1
    if seen == [refused, confirmed]:
        return 1, 0
    raise AssertionError(f"not one confirmation and one notice 93: {seen}")


def test_two_copies_started_together_ten_times():
    prefix = vtxkit.Prefix.fresh("winxp")
    package = vtxkit.Package(prefix).install()
    before = vtxkit.Snapshot.take(prefix)
    rows = []
    for number in range(1, ROUNDS + 1):
        transcripts, gap = play_round(package)
        winner, loser = roles(transcripts)
        assert all(t.exit_code == 0 for t in transcripts), [str(t) for t in transcripts]
        assert not transcripts[loser].progress or not any(
            e["visible"] == "1" for e in transcripts[loser].progress)
        rows.append((number, gap, "first" if winner == 0 else "second"))

    print(f"{'round':>5}  {'start gap':>9}  lock won by")
    for number, gap, won_by in rows:
        print(f"{number:>5}  {gap * 1000:7.1f} ms  {won_by} copy started")
    print(f"first copy won {sum(r[2] == 'first' for r in rows)} of {ROUNDS}")

    lines = vantix_lines(prefix)
    assert lines.count(LOCK_REFUSED) == ROUNDS, lines
    assert lines.count(OPTED_OUT) == ROUNDS, lines
    kinds = vtxkit.call_kinds(package.tool_dir, skip=())
    # Only the copy holding the lock asks the library anything, and nothing
    # beyond the rights test; every copy releases the library itself.
    assert kinds.count("load") == kinds.count("unload") == 2 * ROUNDS, kinds
    assert kinds.count("isUserAdmin") == ROUNDS, kinds
    assert set(kinds) == {"load", "unload", "isUserAdmin"}, kinds
    assert all(c["freed"] == "1" for c in vtxkit.read_calls(package.tool_dir)
               if c.kind == "unload")

    assert_unchanged(package, before)
