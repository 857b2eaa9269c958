"""Removals while other programs run: files held open without sharing, and
the package's companion programs with their windows."""
import time

import vtxkit
from vtxkit import join

import removal as rm

HELD_LISTED = "PM100 Session Log.txt"  # a long name: on 9x its entry must be short


# ------------------------------------------------------------ files in use

def removal_with_files_in_use(version):
    prefix = vtxkit.Prefix.fresh(version)
    fixture = vtxkit.PackageFixture(
        prefix, remove_from_win_dir=("PM100Usb.ini", HELD_LISTED, "KmiSetup.log")).install()
    listed = join(fixture.windows_dir, HELD_LISTED)
    program_file = join(fixture.program_dir, "LineMon.exe")
    shorts = rm.short_paths(prefix, rm.schedule_candidates(fixture))
    with vtxkit.HoldFile(prefix, [listed, program_file]) as hold:
        removal = rm.remove(fixture)
        left = fixture.leftovers(removal.after.registry)
        assert sorted(left) == sorted([f"file {listed}", f"file {program_file}",
                                       f"dir {fixture.program_dir}"]), left
        rm.assert_only_footprint_changed(removal)
        # The listed file is scheduled in its place in the list; nothing of
        # the program directory is.
        rm.assert_schedule(removal, shorts, in_use=[listed])
        entries = vtxkit.scheduled_deletions(prefix)
        program_dir_forms = [fixture.program_dir.lower(),
                             rm.short_paths(prefix, [fixture.program_dir])
                             .get(fixture.program_dir, fixture.program_dir).lower()]
        assert not [e for e in entries if any(e.lower().startswith(f) for f in program_dir_forms)]
        print("\n".join(entries))
        hold.release()
    rm.restart_and_check(removal)
    assert not prefix.unix(listed).exists(), "the listed file went at the restart"
    assert prefix.unix(program_file).exists(), "an unscheduled file stays"
    assert prefix.unix(fixture.program_dir).is_dir(), "and so does its directory"


def test_files_in_use_win98():
    removal_with_files_in_use("win98")


def test_files_in_use_winxp():
    removal_with_files_in_use("winxp")


# ------------------------------------------------------------ companion programs

TRAY = ("PM100 Tray Class", "PM100 Tray")
LINE_AGENT = ("LINEWATCHAPP", "LINEWATCH")
POST_INSTALL = ("Kelbridge DSL Post-Installation Class", "Kelbridge DSL Post-Installation")
DEFAULT_TRAY = ("Kelbridge Cpl Window Class", "Kelbridge Cpl Target Window")


def first_times(run, checks, timeout=120.0):
    """Polls each named check while the run goes on; the time at which
    each first held."""
    seen = {}
    deadline = time.monotonic() + timeout
    while len(seen) < len(checks) and time.monotonic() < deadline:
        for name, check in checks.items():
            if name not in seen and check():
                seen[name] = time.monotonic()
        if run.process.poll() is not None:
            break
        time.sleep(0.05)
    return seen


def test_companion_programs_are_closed_or_waited_for():
    prefix = vtxkit.Prefix.fresh("win2k")
    fixture = vtxkit.PackageFixture(prefix, brdsetup={"SystemInfo": {
        "SysTrayClassName": TRAY[0], "SysTrayWindowName": TRAY[1]}}).install()
    before = vtxkit.Snapshot.take(prefix)
    with vtxkit.FakeApp(prefix, *TRAY) as tray, \
            vtxkit.FakeApp(prefix, *LINE_AGENT) as agent, \
            vtxkit.FakeApp(prefix, *POST_INSTALL, ignore_close=True) as stubborn, \
            vtxkit.FakeApp(prefix, *DEFAULT_TRAY) as bystander:
        run = fixture.start_tool(answers=["yes", "no"], timeout=180)
        package_file = prefix.unix(join(fixture.mdmpack_dir, "PM100.inf"))
        seen = first_times(run, {
            "tray": lambda: "syscommand-close" in tray.log(),
            "agent": lambda: "syscommand-close" in agent.log(),
            "stubborn": lambda: "syscommand-close" in stubborn.log(),
            "files": lambda: not package_file.exists()})
        transcript = run.wait()
        assert transcript.complete and transcript.exit_code == 0, transcript
        assert set(seen) == {"tray", "agent", "stubborn", "files"}, seen
        delay = seen["files"] - seen["stubborn"]
        print(f"row of the window that ignores the request: {delay:.1f} s "
              f"(tray to line agent: {seen['agent'] - seen['tray']:.1f} s)")
        assert seen["tray"] < seen["agent"] < seen["stubborn"], seen
        assert 7.0 < delay < 20.0, f"{delay:.1f} s"

        for app in (tray, agent):
            assert app.wait(10) is not None, "closed by its request"
            log = app.log()
            assert log[:2] == ["syscommand-close", "close"] and "destroy" in log, log
        assert stubborn.alive(), "left running"
        assert stubborn.log() == ["syscommand-close", "close"], stubborn.log()
        assert bystander.alive() and bystander.log() == [], "not the configured tray window"

    after = vtxkit.Snapshot.take(prefix)
    removal = rm.Removal(fixture, transcript, before, after, vtxkit.diff(before, after), None)
    rm.assert_completed(removal)
    assert fixture.leftovers(after.registry) == []
    rm.assert_only_footprint_changed(removal)
