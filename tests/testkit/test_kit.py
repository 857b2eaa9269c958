"""Tests of the test kit itself: the installer-library stand-in, the GUI
driver, the stand-in programs, the package laid out for a test, the
registry reads and snapshots, and the locale programs start in."""
import contextlib
import os
import signal
import threading
import time

import vtxkit
from vtxkit import env

PROBES = env.build_dir() / "testkit" / "tests"
SCENARIO = PROBES / "scenario.exe"
KITPROBE = PROBES / "kitprobe.exe"
CAPTION = vtxkit.DEFAULT_CAPTION


def probe(prefix, *args, cwd=None):
    return prefix.run(KITPROBE, *args, cwd=cwd).stdout


# ------------------------------------------------------------ stand-in library

def test_stub_exports_record_and_progress():
    prefix = vtxkit.Prefix.fresh("winxp")
    folder = prefix.drive_c / "stub"
    vtxkit.install_stub(folder, progress_calls=3, figures=[7, 70], is_user_admin=False)
    out = probe(prefix, "stub", cwd=folder)
    assert "exports initialize=1 uninstall=1 isUserAdmin=1" in out, out
    # One byte counts; the upper bytes carry garbage as another compiler may leave.
    assert "isUserAdmin bool=0 word=0x5a5a5a00" in out, out
    assert out.count("callback") == 3, out
    assert "callback figure=7 arg=0x1234" in out and "callback figure=75 arg=0x1234" in out, out

    calls = vtxkit.read_calls(folder)
    kinds = [c.kind for c in calls]
    assert kinds == ["load", "isUserAdmin", "isUserAdmin", "initialize", "uninstall",
                     "progress", "progress", "progress", "uninstall-done", "unload"], kinds
    init = calls[3]
    assert (init["hwType"], init["hwChipset"], init["usbCtrlr"]) == ("B", "A", "B\\C\\D")
    assert (init["modemId"], init["reservedText1"], init["reservedText2"]) == ("", "", "")
    assert (init["reservedNumber"], init["flags"]) == ("0", "0,0,0")
    assert [c["figure"] for c in calls if c.kind == "progress"] == ["7", "70", "75"]
    assert all(c["bar"] == "none" for c in calls if c.kind == "progress")
    assert calls[-1]["freed"] == "1"


def test_stub_without_isuseradmin_and_admin_answer():
    prefix = vtxkit.Prefix.fresh("win98")
    normal, noadmin = prefix.drive_c / "normal", prefix.drive_c / "noadmin"
    vtxkit.install_stub(normal, is_user_admin=True)
    vtxkit.install_stub(noadmin, variant="noadmin")
    assert "isUserAdmin bool=1 word=0x5a5a5a01" in probe(prefix, "stub", cwd=normal)
    out = probe(prefix, "stub", cwd=noadmin)
    assert "exports initialize=1 uninstall=1 isUserAdmin=0" in out, out
    assert vtxkit.call_kinds(noadmin)[:2] == ["initialize", "uninstall"]


# ------------------------------------------------------------ driver

def test_driver_answers_boxes_and_samples_progress():
    prefix = vtxkit.Prefix.fresh("winxp")
    started = time.monotonic()
    transcript = vtxkit.run_driver(prefix, SCENARIO, "--fill-pause", "400", answers=["yes"])
    elapsed = time.monotonic() - started
    print(transcript.summary())
    print(f"driver run: {elapsed:.2f} s")
    assert transcript.complete and transcript.driver_code == 0
    assert transcript.exit_code == 3
    boxes = transcript.boxes
    assert [(b.caption, b.buttons, b.answer) for b in boxes] == [
        (CAPTION, ["yes", "no"], "yes"), (CAPTION, ["ok"], "ok"), (CAPTION, ["ok"], "ok")]
    assert transcript.box_texts == ["Go on?\nSecond line", "Starting", "Finished"]
    # The window is shown before its bar moves to 10, so a sample may catch 0.
    assert transcript.progress_positions() in ([10, 40, 100], [0, 10, 40, 100])
    # The window exists with its template's texts before the program fills
    # it (here for 400 ms); samples of that time precede the filled ones.
    filled = transcript.filled_progress(CAPTION)
    early = transcript.progress[:len(transcript.progress) - len(filled)]
    assert {(e["caption"], e["visible"]) for e in early} <= {("VANTIX", "0")}
    assert transcript.progress_statuses(CAPTION) == ["Status A", "Status B", "Done"]
    first = filled[0]
    assert (first["caption"], first["heading"], first["range"]) == (CAPTION, "Heading", "0..100")
    assert transcript.of_kind("progress-gone")


def test_driver_declines_when_answers_run_out():
    prefix = vtxkit.Prefix.fresh("win98")
    transcript = vtxkit.run_driver(prefix, SCENARIO)
    assert transcript.exit_code == 7
    assert [(b.answer, b.answered_from) for b in transcript.boxes] == [("no", "default")]
    assert not transcript.progress


def test_driver_holds_a_box_until_released():
    prefix = vtxkit.Prefix.fresh("winxp")
    run = vtxkit.start_driver(prefix, SCENARIO, answers=["yes"], holds=[2])
    run.wait_for("hold", n=2)
    time.sleep(0.3)
    assert not run.transcript().of_kind("progress"), "box 2 was answered while held"
    run.release(2)
    transcript = run.wait()
    assert transcript.exit_code == 3 and transcript.of_kind("release")


def test_driver_timeout_ends_the_program():
    prefix = vtxkit.Prefix.fresh("winxp")
    run = vtxkit.start_driver(prefix, SCENARIO, holds=[1], timeout=2)
    transcript = run.wait()
    assert transcript.result == "timeout" and transcript.driver_code == 3
    assert transcript.exit_code is None


def test_driver_survives_restart_request():
    # ExitWindowsEx ends the processes that own windows (the driver owns
    # none) and performs wininit.ini at once.
    prefix = vtxkit.Prefix.fresh("win98")
    doomed = prefix.drive_c / "doomed.txt"
    doomed.write_text("x")
    (prefix.windows_dir / "wininit.ini").write_text("[rename]\r\nNUL=C:\\doomed.txt\r\n")
    with vtxkit.FakeApp(prefix, "LINEWATCHAPP", "LINEWATCH") as companion:
        transcript = vtxkit.run_driver(prefix, SCENARIO, "--restart", answers=["yes"])
        assert companion.wait(10) is not None, "companion still running after the restart"
        assert companion.log()[:2] == ["queryendsession", "endsession"], companion.log()
    assert transcript.complete and transcript.exit_code == 3
    assert len(transcript.boxes) == 3
    assert not doomed.exists()
    assert vtxkit.read_wininit(prefix) is None
    assert vtxkit.wininit_renames(prefix, processed=True) == [("NUL", "C:\\doomed.txt")]


def test_driver_usage_and_start_errors():
    prefix = vtxkit.Prefix.fresh("winxp")
    driver = env.kit_file("driver")
    for args in (["--answers", "maybe", "--", "x.exe"], ["--hold", "0:x", "--", "x.exe"],
                 ["--bogus", "1", "--", "x.exe"], ["--cwd", "C:\\"]):
        done = prefix.run(driver, *args)
        assert done.returncode == 2 and "vtxdriver:" in done.stderr, (args, done.stderr)
    transcript = vtxkit.run_driver(prefix, "C:\\no\\such.exe")
    assert transcript.driver_code == 4 and transcript.result == "error"
    assert transcript.of_kind("error")[0]["code"] == "2"


def test_two_prefixes_side_by_side():
    first, second = vtxkit.Prefix.fresh("winxp"), vtxkit.Prefix.fresh("winxp")
    runs = [vtxkit.start_driver(first, SCENARIO, "--pause", "300", answers=["yes"]),
            vtxkit.start_driver(second, SCENARIO, "--pause", "300", answers=["no"])]
    results = [run.wait() for run in runs]
    assert [r.exit_code for r in results] == [3, 7]
    assert [len(r.boxes) for r in results] == [3, 1]


def explorers(prefix):
    """Process ids of the prefix's explorer.exe (the desktop process), once
    Wine has set it up (its command line then names the Windows program)."""
    marker = f"WINEPREFIX={prefix.path}".encode()
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as cmdline, \
                    open(f"/proc/{entry}/environ", "rb") as environ:
                if cmdline.read().lower().startswith(b"c:\\windows\\system32\\explorer.exe") \
                        and marker in environ.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            pass
    return found


@contextlib.contextmanager
def held_explorers(prefix, seconds):
    """Holds back (SIGSTOP) every explorer.exe that starts in the prefix for
    that long, as a loaded machine may; yields the list of those held."""
    held, timers, done = [], [], threading.Event()

    def watch():
        while not done.is_set():
            for pid in set(explorers(prefix)) - set(held):
                os.kill(pid, signal.SIGSTOP)
                held.append(pid)
                timers.append(threading.Timer(seconds, os.kill, (pid, signal.SIGCONT)))
                timers[-1].start()
            time.sleep(0.005)

    watcher = threading.Thread(target=watch, daemon=True)
    watcher.start()
    try:
        yield held
    finally:
        done.set()
        watcher.join()
        for timer, pid in zip(timers, held):
            timer.cancel()
            with contextlib.suppress(OSError):
                os.kill(pid, signal.SIGCONT)


def test_driver_waits_for_a_desktop_that_comes_up_slowly():
    """Wine waits ten seconds for the desktop process when a program needs
    the desktop first; a program that goes on without it can show no window,
    and its question counts as declined. With explorer.exe held back longer
    than that, the driver still waits until a window can be shown before it
    starts the program, and every box appears."""
    prefix = vtxkit.Prefix.fresh("winxp")
    # The desktop of the prefix's boot ends a second after its last program,
    # as before every run of the tests that install a package first.
    deadline = time.monotonic() + 30
    while explorers(prefix) and time.monotonic() < deadline:
        time.sleep(0.1)
    with held_explorers(prefix, 12) as held:
        transcript = vtxkit.run_driver(prefix, SCENARIO, answers=["yes"])
    assert held, "no explorer.exe started"
    assert transcript.exit_code == 3 and len(transcript.boxes) == 3, transcript
    assert [e.int("ms") >= 10000 for e in transcript.of_kind("desktop")] == [True], transcript


# ------------------------------------------------------------ stand-in programs

def test_fakeapp_close_behaviours():
    prefix = vtxkit.Prefix.fresh("winxp")
    with vtxkit.FakeApp(prefix, "Kelmora Control Panel", "SysTrayWnd") as plain:
        assert "closed after" in probe(prefix, "close", "Kelmora Control Panel", "SysTrayWnd")
        assert plain.wait(5) == 0
        assert plain.log()[:2] == ["syscommand-close", "close"], plain.log()
    with vtxkit.FakeApp(prefix, "LINEWATCHAPP", "LINEWATCH", ignore_close=True) as stubborn:
        assert "still open" in probe(prefix, "close", "LINEWATCHAPP", "LINEWATCH")
        assert stubborn.alive()
    with vtxkit.FakeApp(prefix, "SlowClass", "Slow", close_delay_ms=1200) as slow:
        out = probe(prefix, "close", "SlowClass", "Slow")
        waited = int(out.split()[2])
        assert 1100 <= waited <= 2500, out
        assert "closed-after-delay" in slow.log()


def test_holdfile_blocks_deletion_until_released():
    prefix = vtxkit.Prefix.fresh("winxp")
    target = prefix.drive_c / "held.txt"
    target.write_text("x")
    with vtxkit.HoldFile(prefix, [target]) as hold:
        assert "delete ok=0 error=32" in probe(prefix, "delete", prefix.win(target))
        hold.release()
    assert "delete ok=1" in probe(prefix, "delete", prefix.win(target))
    assert not target.exists()
    try:
        vtxkit.HoldFile(prefix, [target])
        raise AssertionError("a missing file was reported as held")
    except RuntimeError as error:
        assert "could not open" in str(error)


# ------------------------------------------------------------ package, snapshots

def test_fixture_lays_out_package_on_nt():
    prefix = vtxkit.Prefix.fresh("winxp")
    before = vtxkit.Snapshot.take(prefix)
    package = vtxkit.Package(prefix).install()
    after = vtxkit.Snapshot.take(prefix)
    assert package.missing_footprint(after.registry) == []
    assert package.lost_sentinels(after.registry) == []
    assert all(prefix.unix(p).exists() for p in package.scheduled)
    assert r"C:\windows\system32\drivers\mdmcode.bin" in package.footprint.files
    assert package.desktop_dir == r"C:\users\Public\Desktop"
    assert after.registry.get(package.package_key, "FirmwareFiles") == "dspcode1.bin,dspcode2.bin"
    assert after.registry.get(package.package_key, "OrigTmpDir") == r"C:\windows\temp"
    # Measured: the folders and keys laying out made; of the Run key, which
    # was there, the values.
    assert package.program_dir in package.footprint.dirs
    assert r"C:\Program Files\Kelmora" not in package.footprint.dirs, "the others' made it"
    assert (vtxkit.RUN_KEY, "KMISETUP") in package.footprint.values
    assert vtxkit.RUN_KEY not in package.footprint.keys
    assert r"HKLM\Software\Kelmora" in package.sentinels.keys
    assert package.scheduled == [p for p in package.scheduled
                                 if p.lower().startswith((r"c:\windows\temp", r"c:\users"))]

    changes = vtxkit.diff(before, after)
    added = {p.lower() for p in changes.files_added}
    assert {p.lower() for p in package.footprint.files + package.sentinels.files} <= added
    assert package.package_key.replace("HKLM", "HKEY_LOCAL_MACHINE") in changes.keys_added
    assert not changes.files_removed and not changes.keys_removed, str(changes)

    # A snapshot diff sees single changes.
    prefix.unix(package.footprint.files[0]).unlink()
    prefix.reg_import({vtxkit.RUN_KEY: {"KMISETUP": vtxkit.DELETE},
                       package.package_key: {"vci": "36"}})
    later = vtxkit.diff(after, vtxkit.Snapshot.take(prefix))
    assert later.files_removed == [package.footprint.files[0]], str(later)
    assert [n for _, n in later.values_removed] == ["KMISETUP"], str(later)
    assert [n for _, n in later.values_changed] == ["vci"], str(later)
    assert package.missing_footprint() == [f"file {package.footprint.files[0]}",
                                           f"value {vtxkit.RUN_KEY} : KMISETUP"]


def test_fixture_on_9x_and_hostile_overrides():
    prefix = vtxkit.Prefix.fresh("win98")
    package = vtxkit.Package(
        prefix, brdsetup={"SystemInfo": {"ProgramFilesDir": "", "SetupSoftwareKey": None}},
        package_values={"FirmwareFiles": vtxkit.Dword(5)},
        wininit_text="[Rename]\r\nNUL=C:\\gone.txt\r\n[Other]\r\nx=1\r\n").install()
    assert package.desktop_dir == r"C:\users\root\Desktop" or \
        package.desktop_dir.lower().endswith("\\desktop")
    assert r"C:\windows\system32\mdmcode.bin" in package.footprint.files
    ini = (package.tool_dir / "brdsetup.ini").read_text()
    assert "ProgramFilesDir=\r\n" in ini.replace("\n", "\r\n").replace("\r\r", "\r")
    assert "SetupSoftwareKey" not in ini
    assert prefix.reg_value(package.package_key, "FirmwareFiles") == 5
    assert vtxkit.wininit_renames(prefix) == [("NUL", "C:\\gone.txt")]
    # The user's desktop is a folder of the prefix, not the Unix home.
    assert not prefix.unix(package.desktop_dir).is_symlink()
    # Renamed names, and the places that follow them.
    renamed = vtxkit.Package(prefix, renames={"Pathmark 100 ADSL Router": "Other Router",
                                              r"Program Files\Kelmora\PM100": r"Program Files\X"})
    assert renamed.group_dir.endswith(r"\Other Router")
    assert renamed.program_dir == r"C:\Program Files\X"
    assert renamed.package_key == package.package_key
    assert renamed.description.package.files[r"C:\Program Files\X\mdmpack"]


def test_scheduled_deletion_and_restart():
    prefix = vtxkit.Prefix.fresh("winxp")
    doomed = prefix.drive_c / "doomed.txt"
    doomed.write_text("x")
    assert "scheduled ok=1" in probe(prefix, "delete-at-reboot", prefix.win(doomed))
    assert vtxkit.pending_deletions(prefix) == [r"C:\doomed.txt"]
    assert doomed.exists()
    prefix.restart()
    assert not doomed.exists()
    assert vtxkit.pending_renames(prefix) == []


def test_registry_reads_agree():
    prefix = vtxkit.Prefix.fresh("winxp")
    key = r"HKLM\Software\KitCheck"
    values = {"": "default", "quote": 'a "b" \\ c', "num": vtxkit.Dword(0xFFFFFFFE),
              "multi": vtxkit.MultiSz(["x", "", "y"]), "exp": vtxkit.ExpandSz(r"%TEMP%\k"),
              "bin": vtxkit.Binary(b"\x00\x01"), "ctl": "a\tb", "long": "z" * 600}
    raw, utf16 = vtxkit.RawValue, lambda text: text.encode("utf-16-le")
    odd = {"none": raw(0, b"\x01\x02"), "unended": raw(1, utf16("ab")),
           "odd length": raw(1, b"a\x00b"), "inner nul": raw(1, utf16("a\0b\0")),
           "qword": raw(11, bytes(range(8))), "big endian": raw(5, b"\0\0\0\x07"),
           "unknown type": raw(0x1234, b"z"), "empty bin": vtxkit.Binary(b""),
           "empty multi": vtxkit.MultiSz([]), "Grüße = \"€\"": "Straße €",
           "empty sz": raw(1, b""),
           "nul ends": raw(7, utf16("a\0\0\0")), "multi unended": raw(7, utf16("a\0b"))}
    # DWORDs of another size than 4: reg.exe shows 4 bytes (one of them not
    # stored); regdump.exe reads the bytes stored, as the hive files hold them.
    sized = {"short dword": raw(4, b"\x01\x02\x03"), "long dword": raw(4, b"\x01\x02\x03\x04\x05")}
    odd_key = r"HKLM\Software\KitOdd"
    # The odd values also on HKLM\Software itself, which a snapshot reads
    # value by value to leave out its Classes.
    prefix.reg_import({key: values, key + r"\Sub": {"v": "1"}, odd_key: {**odd, **sized},
                       odd_key + r"\Ä b\c": {}, r"HKLM\Software": {**odd, **sized}})
    live = prefix.read_key(key)
    whole_live = prefix.registry()
    # regdump.exe reads what reg.exe exports, odd types and names included,
    # and the whole snapshot as one reg export per key did.
    odd_live, odd_exported = prefix.read_key(odd_key), prefix.exported_keys([odd_key])
    assert sorted(odd_live.keys()) == sorted(odd_exported.keys())
    assert sorted((item for item in odd_live.items() if item[1].name not in sized), key=repr) == \
        sorted((item for item in odd_exported.items() if item[1].name not in sized), key=repr)
    assert [odd_live.get(odd_key, name) for name in sized] == [v.data for v in sized.values()]
    # The snapshot holds what the hive files hold, each key where it is
    # stored; reg.exe also shows Wine's volatile keys, and a link key's
    # target again below the link (the shared Wow6432Node keys).
    tops = [rf"HKLM\Software\{name}" for name in whole_live.subkeys(r"HKLM\Software")]
    exported = prefix.exported_keys(tops + [r"HKLM\System", "HKCU"])
    files = prefix.registry_from_files()
    files.add_key("HKCU")
    snapshot_part = lambda registry: {k: v for k, v in _by_key(registry)
                                      if not whole_live.through_link(k) and _covered_by_snapshot(k)}
    stored = snapshot_part(whole_live)
    assert stored == snapshot_part(files)
    shown = snapshot_part(exported)
    mine = {vtxkit.registry.normalize_key(k).lower() for k in (odd_key, r"HKLM\Software")}
    assert {k: v for k, v in stored.items() if k not in mine} == \
        {k: shown[k] for k in stored if k not in mine and k in shown}
    assert set(stored) <= set(shown)
    assert whole_live.links and all(whole_live.has_key(link) for link in whole_live.links)
    assert whole_live.get(r"HKLM\Software", "") is None
    assert [whole_live.get(r"HKLM\Software", name) for name in sized] == [v.data for v in sized.values()]
    assert not whole_live.subtree(r"HKLM\Software\Classes")
    for registry in (live, files):
        assert registry.subkeys(key) == ["Sub"]
        got = registry.values(key)
        assert got["quote"] == 'a "b" \\ c' and got["num"] == 0xFFFFFFFE
        assert got["exp"] == r"%TEMP%\k" and got["bin"] == b"\x00\x01"
        assert got["ctl"] == "a\tb" and got["long"] == "z" * 600 and got[""] == "default"
    assert files.get(key, "multi") == ["x", "", "y"]
    assert [files.get(odd_key, name) for name in sized] == [v.data for v in sized.values()]
    assert prefix.reg_value(key, "num") == 0xFFFFFFFE
    assert prefix.reg_value(key, "missing", "none") == "none"
    # A key that is not there reads as nothing; a read that fails is an
    # error, never a key that is gone.
    assert len(prefix.read_key(key + r"\NoSuchKey")) == 0
    assert prefix.existing_keys([key, key + r"\Sub", key + r"\NoSuchKey"]) == \
        {vtxkit.registry.normalize_key(k).lower() for k in (key, key + r"\Sub")}
    for failing in (lambda: prefix.read_key(r"HKXX\Software"),  # a root reg.exe refuses
                    lambda: prefix.existing_keys([r"HKXX\Software"])):
        try:
            failing()
            raise AssertionError("a failed read passed for a missing key")
        except vtxkit.WineError as error:
            print(error)


def _covered_by_snapshot(lower_key):
    return lower_key.startswith(("hkey_local_machine\\software", "hkey_local_machine\\system",
                                 "hkey_current_user")) and \
        not lower_key.startswith("hkey_local_machine\\software\\classes")


def _by_key(registry):
    return ((path.lower(), registry.values(path)) for path in registry.keys())


def test_registry_read_once_used_twice():
    """A snapshot answers the reads after it until a program starts; after
    any start (a kit run, a program started in the background) the next
    read is live again. A key through a link is always read live: the
    snapshot holds the link, a program sees its target."""
    prefix = vtxkit.Prefix.fresh("winxp")
    key = r"HKCU\Software\KitOnce"
    prefix.reg_import({key: {"v": "1"}})
    snapshot = vtxkit.Snapshot.take(prefix).registry
    starts = prefix._starts
    assert prefix.registry() is snapshot and prefix.read_key(key).get(key, "v") == "1"
    assert prefix._starts == starts, "a read right after a snapshot started a program"
    zones = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Time Zones"
    assert snapshot.through_link(zones) and not snapshot.subkeys(zones)
    assert prefix.read_key(zones).subkeys(zones)
    for value, change in (
            ("2", lambda: prefix.reg_import({key: {"v": "2"}})),
            ("3", lambda: prefix.start("reg", "add", key, "/v", "v", "/d", "3", "/f").wait())):
        prefix.registry()
        change()
        assert prefix.read_key(key).get(key, "v") == value
        assert prefix.registry().get(key, "v") == value


def test_programs_start_in_english_unless_a_test_sets_a_locale():
    """Whatever the host's locale: Wine takes a program's language from the
    locale it starts in."""
    prefix = vtxkit.Prefix.fresh("winxp")
    winpaths = vtxkit.env.kit_file("winpaths")
    saved = {name: os.environ.get(name) for name in ("LANG", "LC_ALL", "LANGUAGE")}
    os.environ.update({"LANG": "de_DE.UTF-8", "LC_ALL": "de_DE.UTF-8", "LANGUAGE": "de"})
    try:
        english = prefix.run(winpaths).stdout
        german = prefix.run(winpaths, extra_env=vtxkit.locale_env("de_DE.UTF-8")).stdout
    finally:
        for name, value in saved.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value
    assert "locale=0409" in english.splitlines(), english
    assert "locale=0407" in german.splitlines(), german
