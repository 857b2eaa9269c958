"""The run under faults: wininit.ini in use on Windows 98, a language
library that cannot be loaded, and an installer library whose uninstall
reports no progress or far too much. (Files in use: test_in_use.py.)"""
import vtxkit
from hardening import assert_quiet_end, ended_normally, vantix_lines
from removal import schedule_candidates
from texts import CONFIRMATION


def installed(version, **options):
    return vtxkit.Package(vtxkit.Prefix.fresh(version), **options).install()


def exists(package, win_path):
    return package.prefix.unix(win_path).exists()


WININIT = ("[Settings]\r\nKeep=1\r\n\r\n[rename]\r\nNUL=C:\\OLDSETUP.TMP\r\n"
           "; kept as it is\r\n")


def test_wininit_in_use_on_98_is_left_intact():
    package = installed("win98", wininit_text=WININIT,
                        extra_files={r"C:\OLDSETUP.TMP": "left by an earlier setup\r\n"})
    wininit = package.prefix.windows_dir / "wininit.ini"
    temp = package.prefix.temp_dir
    scratch_before = sorted(p.name for p in temp.glob("kmi*.tmp"))
    with vtxkit.HoldFile(package.prefix, [wininit]) as holder:
        transcript = package.run_tool(answers=["yes", "no"])
        assert ended_normally(transcript, package.prefix) == [], transcript
        holder.release()
    assert wininit.read_bytes() == WININIT.encode(), wininit.read_bytes()
    assert sorted(p.name for p in temp.glob("kmi*.tmp")) == scratch_before, "no scratch left"
    refusals = [m.lower() for m in vtxkit.log_messages(package.prefix, "KmvdUtil")
                if m.startswith("addIniEntry: can't read")]
    # Each entry that could not be written is logged: the setup program's
    # ten temporary files and the four listed files.
    refusal = f"addIniEntry: can't read {vtxkit.join(package.windows_dir, 'wininit.ini')}, " \
        "left unchanged"
    assert len(schedule_candidates(package)) == 14
    assert refusals == [refusal.lower()] * 14
    assert package.leftovers() == [] and package.lost_sentinels() == []
    # The file is still one Windows can perform.
    package.prefix.restart()
    assert not exists(package, r"C:\OLDSETUP.TMP")


def test_language_library_that_is_missing_or_cannot_be_loaded():
    """Garbage, a cut library, an empty file, no file: the run ends before
    its first box; with the library back it asks again."""
    package = installed("winxp")
    library = package.tool_dir / "kmtext_english.dll"
    good = library.read_bytes()
    for broken in (bytes(range(256)) * 64, good[:len(good) // 2], b"", None):
        if broken is None:
            library.unlink()
        else:
            library.write_bytes(broken)
        (package.prefix.windows_dir / "VTX.LOG").unlink(missing_ok=True)
        (package.tool_dir / "kmiinst.calls").unlink(missing_ok=True)
        assert_quiet_end(package, "Can't find language DLL")
    library.write_bytes(good)
    assert package.run_tool(answers=["no"]).box_texts == [CONFIRMATION]


def run_with_progress_calls(count):
    package = installed("winxp", stub_config={"progress_calls": count})
    transcript = package.run_tool(answers=["yes", "no"])
    assert ended_normally(transcript, package.prefix) == [], transcript
    bars = [c["bar"] for c in vtxkit.read_calls(package.tool_dir) if c.kind == "progress"]
    positions = transcript.progress_positions()
    callbacks = [m for m in vantix_lines(package.prefix) if m.startswith("Vantixcallback:")]
    assert len(callbacks) == count, callbacks
    assert package.leftovers() == [] and package.lost_sentinels() == []
    return bars, positions


def test_uninstall_without_progress_calls():
    bars, positions = run_with_progress_calls(0)
    assert bars == []
    assert positions[0] == 0 and positions[-1] == 100 and set(positions) <= {0, 10, 100}, positions
    print("bar positions seen:", positions)


def test_uninstall_with_fifty_progress_calls():
    bars, positions = run_with_progress_calls(50)
    assert [int(b) for b in bars[:9]] == list(range(20, 101, 10)), bars
    assert all(b == "100" for b in bars[9:]), "the bar stays full"
    assert max(positions) == 100 and positions[-1] == 100, positions
    print("bar after each callback:", ",".join(bars))
    print("bar positions seen:", positions)
