"""Removals while other programs run: files held open without sharing in
every place the clean-up deletes from, and the package's companion
programs with their windows."""
import time

import vtxkit
from vtxkit import join

import removal as rm

HELD_LISTED = "PM100 Session Log.txt"  # a long name: on 9x its entry must be short


# ------------------------------------------------------------ files in use

def held_files(package):
    """One file in each place the clean-up deletes from: (path, scheduled),
    where scheduled says whether the run also schedules it for the next
    start."""
    stays = [
        join(package.driver_dir, "mdmcode.bin"),
        join(package.driver_dir, package.firmware_files[0]),
        join(package.windows_dir, "KmiRbt.txt"),
        join(package.system_dir, "panelen.dll"),
        join(package.program_dir, "LineMon.exe"),
        join(package.mdmpack_dir, "PM100.sys"),
        join(package.group_dir, package.icons[2][1] + ".lnk"),
        join(package.desktop_dir, package.icons[0][1] + ".lnk"),
        join(package.desktop_dir, package.isps[0][1] + ".lnk"),
        join(package.setup_record_dir, "setup.ilg"),
    ]
    scheduled = [
        join(package.windows_dir, HELD_LISTED),
        join(package.system_dir, package.remove_from_win_sys_dir[0]),
        join(package.temp_dir, "KmiInst.exe"),
        join(package.temp_dir, package.language_dll),
        join(package.orig_tmp_dir, "hires.bmp"),
    ]
    return [(p, False) for p in stays] + [(p, True) for p in scheduled]


def held_leftovers(package, held):
    """What of the footprint a run leaves: the held files and the folders
    above them."""
    paths = [p.lower() for p, _ in held]
    files = [f"file {f}" for f in package.footprint.files if f.lower() in paths]
    dirs = [f"dir {d}" for d in package.footprint.dirs
            if any(p.startswith(d.lower().rstrip("\\") + "\\") for p in paths)]
    return sorted(files + dirs)


def removal_with_files_in_use(version):
    prefix = vtxkit.Prefix.fresh(version)
    package = vtxkit.Package(prefix, files={"%WINDOWS%": [HELD_LISTED]}, vtx_ini={"SystemInfo": {
        "RemoveFromWinDir": f"PM100Usb.ini,{HELD_LISTED},KmiSetup.log"}}).install()
    held = held_files(package)
    shorts = rm.short_paths(prefix, rm.schedule_candidates(package))
    with vtxkit.HoldFile(prefix, [p for p, _ in held]) as hold:
        removal = rm.remove(package)
        assert sorted(package.leftovers(removal.after.registry)) == held_leftovers(package, held)
        rm.assert_only_footprint_changed(removal)
        # The listed files in use are scheduled in their places in the list,
        # as they stand; nothing else of what is held.
        listed = [p.lower() for p in rm.listed_paths(package)]
        rm.assert_schedule(removal, shorts, in_use=[p for p, _ in held if p.lower() in listed])
        print("\n".join(vtxkit.scheduled_deletions(prefix)))
        hold.release()
    rm.restart_and_check(removal)
    stays = [p for p, scheduled in held if not scheduled]
    assert [p for p in stays if not prefix.unix(p).exists()] == [], "not scheduled, so it stays"
    log = vtxkit.read_log_text(prefix).lower()
    assert [p for p in stays if p.lower() not in log] == [], "each held file is named in the log"
    print("held:", *[f"  {'scheduled' if s else 'stays    '} {p}" for p, s in held], sep="\n")


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
    package = vtxkit.Package(prefix, brdsetup={"SystemInfo": {
        "SysTrayClassName": TRAY[0], "SysTrayWindowName": TRAY[1]}}).install()
    before = vtxkit.Snapshot.take(prefix)
    with vtxkit.FakeApp(prefix, *TRAY) as tray, \
            vtxkit.FakeApp(prefix, *LINE_AGENT) as agent, \
            vtxkit.FakeApp(prefix, *POST_INSTALL, ignore_close=True) as stubborn, \
            vtxkit.FakeApp(prefix, *DEFAULT_TRAY) as bystander:
        run = package.start_tool(answers=["yes", "no"], timeout=180)
        package_file = prefix.unix(join(package.mdmpack_dir, "PM100.inf"))
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
    removal = rm.Removal(package, transcript, before, after, vtxkit.diff(before, after), None)
    rm.assert_completed(removal)
    assert package.leftovers(after.registry) == []
    rm.assert_only_footprint_changed(removal)
