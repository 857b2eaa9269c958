"""Tests of the kit's readers and bookkeeping that need no Wine: registry
files in both formats, record lines, transcripts, wininit.ini, INI merging
and renames, snapshot differences and path conversion; the host's Wine
decision, the rehearsal's exit codes, how pytest runs the end-to-end tests
for ctest, and the closing report of scripts/test."""
import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import pytest

from vtxkit import env
from vtxkit import registry as reg
from vtxkit import testreport
from vtxkit.description import rename
from vtxkit.driver import Transcript
from vtxkit.inifile import ini_text, join, merge_ini, merge_values
from vtxkit.logs import wininit_sections
from vtxkit.prefix import Prefix
from vtxkit.records import parse_line, parse_lines
from vtxkit.snapshot import Snapshot, diff

EXPORT_SAMPLE = (
    "\ufeffWindows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Kelmora\\PM100 Panel]\r\n"
    '@="panel"\r\n'
    '"Path"="C:\\\\Program Files\\\\Kelmora"\r\n'
    '"Quote"="say \\"hi\\""\r\n'
    '"Lines"="a\\nb"\r\n'
    '"a=b"="equals in the name"\r\n'
    '"Count"=dword:0000002a\r\n'
    '"Exp"=hex(2):25,00,54,00,00,00\r\n'
    '"Multi"=hex(7):78,00,00,00,00,00,79,00,00,00,00,00\r\n'
    '"Blob"=hex:01,02,03,\\\r\n'
    "  04,05\r\n"
    '"Q"=hex(b):01,00,00,00,00,00,00,00\r\n'
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
    '"Empty"=""\r\n'
)

HIVE_SAMPLE = (
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n\n#arch=win32\n\n"
    "[Software\\\\Kelmora\\\\PM100] 1701930000\n"
    "#time=1da28f1c2b3d4e5\n"
    '"FirmwareFiles"="dspcode1.bin,dspcode2.bin"\n'
    '"Path"="C:\\\\windows\\\\system32"\n'
    '"Umlaut"="Gr\\xfc\\xdf"\n'
    '"Tab"="a\\tb\\0"\n'
    '"Exp"=str(2):"%TEMP%\\\\x"\n'
    '"Multi"=str(7):"x\\0\\0y\\0"\n'
    '"Bad"=hex(4):01,02\n'
    '"Long"=hex:00,01,02,\\\n  03\n'
    '@="default"\n\n'
    "[Software\\\\Odd\\]Name] 1701930000\n"
    '"v"=dword:ffffffff\n'
)


def test_export_format_parsing():
    parsed = reg.parse_export(EXPORT_SAMPLE)
    key = r"HKLM\Software\Kelmora\PM100 Panel"
    values = parsed.values(key)
    assert values[""] == "panel"
    assert values["Path"] == r"C:\Program Files\Kelmora"
    assert values["Quote"] == 'say "hi"' and values["Lines"] == "a\nb"
    assert values["a=b"] == "equals in the name"
    assert values["Count"] == 42 and values["Exp"] == "%T"
    assert values["Multi"] == ["x", "", "y"]
    assert values["Blob"] == b"\x01\x02\x03\x04\x05" and values["Q"] == 1
    assert parsed.value(key, "count").type == reg.REG_DWORD
    assert parsed.get(r"hkey_current_user\software\other", "empty") == ""
    assert parsed.subkeys(r"HKLM\Software\Kelmora") == ["PM100 Panel"]
    assert parsed.get(key, "missing", "none") == "none"


def test_wine_hive_parsing():
    parsed = reg.parse_hive(HIVE_SAMPLE, "HKLM")
    key = r"HKLM\Software\Kelmora\PM100"
    assert parsed.get(key, "FirmwareFiles") == "dspcode1.bin,dspcode2.bin"
    assert parsed.get(key, "Path") == r"C:\windows\system32"
    assert parsed.get(key, "Umlaut") == "Grüß"
    # A NUL inside ends a string, as a program reading the stored bytes sees it.
    assert parsed.get(key, "Tab") == "a\tb"
    assert parsed.value(key, "Exp") == ("Exp", reg.REG_EXPAND_SZ, r"%TEMP%\x")
    assert parsed.get(key, "Multi") == ["x", "", "y"]
    assert parsed.value(key, "Bad") == ("Bad", reg.REG_DWORD, b"\x01\x02")
    assert parsed.get(key, "Long") == b"\x00\x01\x02\x03"
    assert parsed.get(key, "") == "default"
    assert parsed.get(r"HKLM\Software\Odd]Name", "v") == 0xFFFFFFFF


def test_regdump_output_parsing():
    """Each requested key read as saved (the key itself, a link key kept
    empty and named, a skipped subtree left out), missing or failed; output
    cut short counts for nothing."""
    saved = ("WINE REGISTRY Version 2\n\n[] 1\n\"top\"=\"t\"\n\n[Sub\\\\Deep] 1\n\"v\"=dword:00000002\n"
             "\n[Link] 1\n#link\n\"SymbolicLinkValue\"=hex(6):5c,00\n\n[Skip\\\\Me] 1\n\"x\"=\"1\"\n")
    head = lambda key: "R " + key.encode("utf-16-le").hex() + "\n"
    body = saved.encode()
    out = (head(r"HKLM\Software\A") + f"H {len(body)}\n").encode() + body + \
        ("\n" + head(r"HKCU\Gone") + "M\n" + head(r"HKCU\Bad") + "F 5\nEND\n").encode()
    read = reg.parse_dump(out, skip=[r"HKLM\Software\A\Skip"])
    got = read[r"HKLM\Software\A"]
    assert got.get(r"HKLM\Software\A", "top") == "t"
    assert got.get(r"HKLM\Software\A\Sub\Deep", "v") == 2
    assert got.has_key(r"HKLM\Software\A\Link") and not got.values(r"HKLM\Software\A\Link")
    assert got.through_link(r"HKLM\Software\A\Link\Below")
    assert not got.through_link(r"HKLM\Software\A\Linked")
    assert not got.subtree(r"HKLM\Software\A\Skip")
    assert read[r"HKCU\Gone"] is None and read[r"HKCU\Bad"] == "error 5"
    assert reg.parse_dump(out[:-4]) is None and reg.parse_dump(out[:40]) is None
    # Read in parts around a left-out key: values of the keys on the way,
    # the other subkeys saved whole below their own paths.
    hexed = lambda text: text.encode("utf-16-le").hex() or "-"
    part = b"WINE REGISTRY Version 2\n\n[] 1\n\"w\"=\"x\"\n\n[In] 1\n"
    out = (head(r"HKLM\Software") + "P -\n" + f"V - 1 {hexed('d')}0000\n" +
           f"V {hexed('n')} 4 02000000\nV {hexed('e')} 3 -\nV {hexed('L')} 6 5c00\n" +
           f"P {hexed('Ms')}\nH {len(part)}\n").encode() + part + \
        (f"\nP {hexed('Ms')}\nP {hexed('Keep')}\n" + head("HKCU\\Empty") + "P -\nEND\n").encode()
    read = reg.parse_dump(out, skip=[r"HKLM\Software\Ms\In"])
    got = read[r"HKLM\Software"]
    assert [got.get(r"HKLM\Software", name) for name in ("", "N", "e", "l")] == ["d", 2, b"", None]
    assert got.get(r"HKLM\Software\Ms", "w") == "x" and not got.has_key(r"HKLM\Software\Ms\In")
    assert read["HKCU\\Empty"].has_key("HKCU\\Empty")


def test_reg_file_text_reads_back():
    content = {
        r"HKLM\Software\T": {"": "d", "s": 'q"\\', "n": 7, "dw": reg.Dword(1),
                             "e": reg.ExpandSz("%X%"), "m": reg.MultiSz(["a", "b"]),
                             "b": reg.Binary(b"\xff"), "r": reg.RawValue(0, b"\x01"),
                             "ctl": "x\ny", "gone": reg.DELETE},
        r"HKCU\Software\Old": reg.DELETE,
    }
    text = reg.reg_file_text(content)
    assert text.startswith("Windows Registry Editor Version 5.00\r\n")
    assert '"gone"=-' in text and "[-HKEY_CURRENT_USER\\Software\\Old]" in text
    values = reg.parse_export(text).values(r"HKLM\Software\T")
    assert values == {"": "d", "s": 'q"\\', "n": 7, "dw": 1, "e": "%X%", "m": ["a", "b"],
                      "b": b"\xff", "r": b"\x01", "ctl": "x\ny"}
    try:
        reg.reg_file_text({r"HKLM\Software\T": {"f": 1.5}})
        raise AssertionError("a float was written")
    except TypeError:
        pass


def test_key_names_are_normalised():
    assert reg.normalize_key("hklm\\\\Software\\X\\") == r"HKEY_LOCAL_MACHINE\Software\X"
    assert reg.normalize_key("HKEY_CURRENT_USER/Software") == r"HKEY_CURRENT_USER\Software"
    for bad in ("", "HKXX\\Software"):
        try:
            reg.normalize_key(bad)
            raise AssertionError(f"{bad!r} accepted")
        except ValueError:
            pass


def test_record_lines():
    event = parse_line("1.250\tbox\tn=2\ttext=50%25 done%0Anext\tbuttons=yes,no\r\n", timed=True)
    assert (event.time, event.kind, event.int("n")) == (1.25, "box", 2)
    assert event["text"] == "50% done\nnext" and event.get("missing") is None
    assert event.line() == "box\tn=2\ttext=50% done\\nnext\tbuttons=yes,no"
    untimed = parse_lines("load\tpid=4\n\nprogress\tn=1\tbar=none\n", timed=False)
    assert [e.kind for e in untimed] == ["load", "progress"]
    assert parse_line("not-a-time\tbox", timed=True) is None


TRANSCRIPT = "\n".join([
    "0.010\tstart\tprogram=C:%5Cx.exe\tcwd=\tpid=9",
    "0.300\tprogress\twindow=1\tvisible=0\tpos=0\trange=0..100\tcaption=c\theading=h\tstatus=A",
    "0.400\tbox\tn=1\tcaption=c\tbuttons=yes,no\ttext=Go?",
    "0.401\tanswer\tn=1\tbutton=yes\tfrom=list",
    "0.500\tprogress\twindow=1\tvisible=1\tpos=10\trange=0..100\tcaption=c\theading=h\tstatus=A",
    "0.600\tprogress\twindow=1\tvisible=1\tpos=10\trange=0..100\tcaption=c\theading=h\tstatus=B",
    "0.700\tprogress\twindow=1\tvisible=1\tpos=?\tcaption=c\theading=h\tstatus=B",
    "0.800\tprogress\twindow=1\tvisible=1\tpos=100\trange=0..100\tcaption=c\theading=h\tstatus=C",
    "0.900\tprogress-gone\twindow=1",
    "1.000\tbox\tn=2\tcaption=c\tbuttons=ok\ttext=Done",
])


def test_transcript_views():
    unfinished = Transcript(TRANSCRIPT, None)
    assert not unfinished.complete and unfinished.exit_code is None
    assert [(b.n, b.buttons, b.answer) for b in unfinished.boxes] == [
        (1, ["yes", "no"], "yes"), (2, ["ok"], None)]
    assert unfinished.progress_positions() == [0, 10, 100]
    assert unfinished.progress_statuses() == ["A", "B", "C"]
    done = Transcript(TRANSCRIPT + "\n1.1\tanswer\tn=2\tbutton=ok\tfrom=only\n"
                      "1.2\texit\tcode=0\n1.2\tend\tresult=exit\tboxes=2\n", 0)
    assert done.complete and done.result == "exit" and done.exit_code == 0
    assert done.boxes[1].answered_from == "only"
    assert done.of_kind("start")[0]["program"] == "C:\\x.exe"


def test_wininit_sections():
    text = "; note\r\n[a]\r\nx=1\r\n[Rename]\r\nNUL=C:\\A.TXT\r\n\r\n[b]\r\ny=2"
    sections = wininit_sections(text)
    assert [name for name, _ in sections] == ["", "a", "Rename", "b"]
    assert sections[2][1] == ["NUL=C:\\A.TXT", ""]
    assert [name for name, _ in wininit_sections("[rename]\nNUL=x\n")] == ["rename"]


def test_renames_change_whole_names():
    """A name to rename is replaced where it stands as a whole name (a
    component of a path, an item of a list, a file name before its
    extension), the longest first, each text once."""
    names = {r"Kelmora\PM100": "Kelmora", r"Kelmora\PM100 Panel": r"Kelmora\Panel",
             "dspcode1.bin": "dsp%s.bin", "Control Panel": "CP", "A": "B", "B": "C"}
    for text, renamed in [
            (r"HKLM\Software\Kelmora\PM100", r"HKLM\Software\Kelmora"),
            (r"HKLM\Software\Kelmora\PM100 Panel\Settings", r"HKLM\Software\Kelmora\Panel\Settings"),
            (r"Kelmora\PM1000", r"Kelmora\PM1000"),
            ("dspcode1.bin,dspcode2.bin", "dsp%s.bin,dspcode2.bin"),
            ("Control Panel.lnk", "CP.lnk"), ("My Control Panel", "My Control Panel"),
            ("A,B", "B,C")]:
        assert rename(text, names) == renamed, text


def test_ini_and_value_overrides():
    base = {"SystemInfo": {"ProductName": "P", "ProgramFilesDir": "Program Files\\P"},
            "Icon1": {"Description": "D"}}
    merged = merge_ini(base, {"SystemInfo": {"ProductName": None, "New": "n"}, "Icon1": None,
                              "Extra": {"k": "v"}})
    assert merged == {"SystemInfo": {"ProgramFilesDir": "Program Files\\P", "New": "n"},
                      "Extra": {"k": "v"}}
    assert base["SystemInfo"]["ProductName"] == "P", "overrides changed the defaults"
    assert ini_text({"S": {"a": "1"}, "T": {}}) == "[S]\r\na=1\r\n\r\n[T]\r\n\r\n"
    assert merge_values({"a": "1", "b": "2"}, {"a": reg.DELETE, "c": 3}) == {"b": "2", "c": 3}
    assert join("C:", "Program Files\\", "\\x") == "C:\\Program Files\\x"


def _snapshot(files, values):
    registry = reg.Registry()
    for (key, name), value in values.items():
        registry.set_value(key, name, reg.REG_SZ, value)
    found = {}
    for path in files:
        is_dir = path.endswith("\\")
        path = path.rstrip("\\")
        found[path.lower()] = (path, is_dir, 0 if is_dir else len(files[path + ("\\" if is_dir else "")]), 1)
    return Snapshot(found, registry)


def test_snapshot_differences():
    before = _snapshot({"C:\\P\\": "", "C:\\P\\a.txt": "aa", "C:\\P\\b.txt": "b",
                        "C:\\windows\\Installer\\x": "1"},
                       {(r"HKLM\Software\P", "v"): "1", (r"HKLM\Software\P\Sub", "w"): "2",
                        (r"HKLM\Software\Run", "keep"): "k", (r"HKLM\Software\Run", "mine"): "m",
                        (r"HKLM\Software\Wine\X", "n"): "1"})
    after = _snapshot({"C:\\P\\": "", "C:\\P\\A.TXT": "aaa", "C:\\new.txt": "n",
                       "C:\\windows\\Installer\\y": "1"},
                      {(r"HKLM\Software\P", "v"): "2", (r"HKLM\Software\Run", "keep"): "k",
                       (r"HKLM\Software\Run", "added"): "a", (r"HKLM\Software\Wine\X", "n"): "2"})
    changes = diff(before, after)
    assert changes.files_changed == ["C:\\P\\A.TXT"]
    assert changes.files_removed == ["C:\\P\\b.txt"] and changes.files_added == ["C:\\new.txt"]
    assert changes.keys_removed == [r"HKEY_LOCAL_MACHINE\Software\P\Sub"]
    assert changes.values_removed == [(r"HKEY_LOCAL_MACHINE\Software\P\Sub", "w"),
                                      (r"HKEY_LOCAL_MACHINE\Software\Run", "mine")]
    assert changes.values_added == [(r"HKEY_LOCAL_MACHINE\Software\Run", "added")]
    assert changes.values_changed == [(r"HKEY_LOCAL_MACHINE\Software\P", "v")]
    assert not changes.is_empty() and diff(after, after).is_empty()
    everything = diff(before, after, ignore_files=[], ignore_keys=[])
    assert "C:\\windows\\Installer\\x" in everything.files_removed
    assert (r"HKEY_LOCAL_MACHINE\Software\Wine\X", "n") in everything.values_changed


def test_path_conversion():
    with tempfile.TemporaryDirectory() as root:
        prefix = Prefix(Path(root), "win98")
        (prefix.drive_c / "Program Files" / "Kelmora").mkdir(parents=True)
        assert prefix.win(prefix.drive_c / "Program Files" / "x.txt") == "C:\\Program Files\\x.txt"
        assert prefix.win("/work/build/a.exe") == "Z:\\work\\build\\a.exe"
        assert prefix.win("C:\\Already") == "C:\\Already"
        assert prefix.unix("c:\\PROGRAM FILES\\kelmora\\New\\f.txt") == \
            prefix.drive_c / "Program Files" / "Kelmora" / "New" / "f.txt"
        assert prefix.unix("Z:\\tmp\\x") == Path("/tmp/x")
        assert not prefix.is_nt and Prefix(Path(root), "win2k").is_nt


def pytest_as_ctest_runs_it(*args, cwd=None) -> subprocess.CompletedProcess:
    """pytest with the kit's configuration (testkit/pytest.ini), as ctest
    starts it for an end-to-end test."""
    source = env.source_dir()
    return subprocess.run([sys.executable, "-m", "pytest", "--rootdir", str(source),
                           "-c", str(source / "testkit" / "pytest.ini"), *args],
                          capture_output=True, text=True, cwd=cwd, timeout=50)


def test_test_functions_are_found():
    """Every test function pytest finds in the tests' test files is one
    ctest test of its own, "<file>.<function>" (CMake finds them by reading
    the files), and ctest runs no end-to-end test that pytest does not find."""
    files = sorted(str(p) for p in (env.source_dir() / "tests").glob("*/test_*.py"))
    collected = pytest_as_ctest_runs_it("--collect-only", "-qq", *files)
    assert collected.returncode == 0, collected.stdout + collected.stderr
    found = {f"{Path(line.split('::')[0]).stem}.{line.split('::')[1]}"
             for line in collected.stdout.splitlines() if "::" in line}
    listed = subprocess.run(["ctest", "--test-dir", str(env.build_dir()), "--show-only=json-v1"],
                            capture_output=True, text=True, check=True).stdout
    registered = {test["name"] for test in json.loads(listed)["tests"]
                  if "pytest" in test.get("command", [])}
    assert found == registered


def test_failed_asserts_name_got_and_expected():
    """pytest's own assert rewriting, in the test files and in the modules
    the tests share (hardening.py of e2e_common here)."""
    import hardening
    try:
        got = ["load"]
        assert got == ["load", "unload"]
    except AssertionError as error:
        assert "assert ['load'] == ['load', 'unload']" in str(error)
    try:
        hardening.assert_start_and_end(["not the start line"])
        raise RuntimeError("no failure")
    except AssertionError as error:
        assert "where None = " in str(error), "hardening.py's asserts are not rewritten"


def test_skipped_test_exits_77_with_its_reason():
    """What ctest and the end of scripts/test read: a skipped test exits with
    77 and names its reason; a failed one exits with 1."""
    with tempfile.TemporaryDirectory() as folder:
        sample = Path(folder) / "test_sample.py"
        sample.write_text("import pytest\n\ndef test_skips():\n    pytest.skip('needs X')\n\n"
                          "def test_fails():\n    assert [1] == [2]\n")
        skipped = pytest_as_ctest_runs_it(f"{sample}::test_skips", cwd=folder)
        failed = pytest_as_ctest_runs_it(f"{sample}::test_fails", cwd=folder)
    assert skipped.returncode == 77, skipped.stdout + skipped.stderr
    assert "SKIPPED test_sample.test_skips: needs X" in skipped.stdout.splitlines()
    assert failed.returncode == 1 and "assert [1] == [2]" in failed.stdout


def test_demo_exit_codes_before_anything_is_installed():
    """The rehearsal's codes a package maker scripts against: 2 for a
    description it cannot read, 3 when Wine cannot be found; either way it
    ends before laying anything out."""
    source = Path(__file__).resolve().parents[2]
    with tempfile.TemporaryDirectory() as folder:
        broken = Path(folder) / "broken.ini"
        broken.write_text("[Package]\nName=Broken\n[Windows]\nTray=OnlyAClass\n")
        rows = [  # description, PATH -> exit code, message
            (broken, None, 2, "needs \"class, title\""),
            (Path(folder) / "absent.ini", None, 2, "absent.ini"),
            (source / "dist" / "sample-pathmark100.ini", folder, 3, "Wine is missing"),
        ]
        for description, path, code, message in rows:
            run_env = dict(os.environ)
            if path:
                run_env["PATH"] = path
            done = subprocess.run([sys.executable, str(source / "tools" / "demo" / "demo.py"),
                                   "--package", str(description)],
                                  capture_output=True, text=True, env=run_env)
            assert (done.returncode, message in done.stderr) == (code, True), \
                (description.name, done.stderr)
            assert "Sandbox prefix" not in done.stdout


def test_host_arch_decision():
    """What the scripts run on a host, from what the host answers: the
    decision table, and which binfmt_misc entries count as an i386
    emulator (only an enabled one whose magic under its mask matches)."""
    script = Path(__file__).resolve().parents[2] / "testkit" / "wine" / "hostarch.sh"

    def shell(command: str) -> subprocess.CompletedProcess:
        return subprocess.run(["bash", "-c", f'source "{script}"; {command}'],
                              capture_output=True, text=True)

    table = [  # forced, machine, exec result, emulator -> first line, exit status
        ("", "x86_64", "runs", "", "32", 0),
        ("", "x86_64", "Exec format error", "", "64", 0),
        ("", "x86_64", "runs", "qemu-i386", "64", 0),
        ("64", "x86_64", "runs", "", "64", 0),
        ("32", "x86_64", "runs", "qemu-i386", "32", 0),
        ("32", "x86_64", "Exec format error", "", "VTX_WINE_ARCH=32, but", 1),
        ("yes", "x86_64", "runs", "", "VTX_WINE_ARCH must be 32 or 64", 1),
        ("", "aarch64", "Exec format error", "", "this host is aarch64", 1),
    ]
    for forced, machine, result, emulator, first, status in table:
        done = shell(f'decide_wine_arch "{forced}" {machine} "{result}" "{emulator}"')
        assert (done.stdout.splitlines()[0].startswith(first), done.returncode) == (True, status), \
            (forced, machine, result, emulator, done.stdout)

    i386 = "magic 7f454c4601010100000000000000000002000300\nmask fffffffffffefe00fffffffffffffffffeffffff\n"
    arm = "magic 7f454c4601010100000000000000000002002800\n"
    with tempfile.TemporaryDirectory() as folder:
        entries = Path(folder)
        (entries / "status").write_text("enabled\n")
        (entries / "qemu-arm").write_text("enabled\ninterpreter /usr/bin/qemu-arm\noffset 0\n" + arm)
        (entries / "qemu-i386").write_text("disabled\ninterpreter /usr/bin/qemu-i386\noffset 0\n" + i386)
        assert shell(f'i386_emulator "{folder}"').stdout == ""
        (entries / "qemu-i386").write_text("enabled\ninterpreter /usr/bin/qemu-i386\noffset 0\n" + i386)
        assert shell(f'i386_emulator "{folder}"').stdout == "qemu-i386\n"
        (entries / "status").write_text("disabled\n")
        assert shell(f'i386_emulator "{folder}"').stdout == ""


def test_each_test_goes_to_the_processor_with_fewest_tests():
    """testkit/onecpu: a live test counts where the table has it, an ended
    one does not (and is forgotten); a process allowed one processor runs
    as it is, and the command keeps the launcher's process."""
    script = Path(__file__).resolve().parents[2] / "testkit" / "onecpu"
    report = "grep Cpus_allowed_list /proc/self/status | cut -f2; echo $$"

    def launch(table: str, *pinned: str) -> tuple:
        done = subprocess.run([*pinned, str(script), "sh", "-c", report], capture_output=True,
                              text=True, env={**os.environ, "VTX_CPU_TABLE": table}, check=True)
        cpus, pid = done.stdout.split()
        return cpus, pid

    if (os.cpu_count() or 1) < 2:
        pytest.skip("this machine has one processor")
    with tempfile.TemporaryDirectory() as table:
        for ended in ("0.999999998", "0.999999999"):  # beyond any process number
            (Path(table) / ended).touch()
        (Path(table) / f"1.{os.getpid()}").touch()
        assert launch(table, "taskset", "-c", "0,1")[0] == "0"
        assert not (Path(table) / "0.999999999").exists()
        (Path(table) / f"0.{os.getpid()}").touch()
        (Path(table) / f"0.{os.getppid()}").touch()
        cpus, pid = launch(table, "taskset", "-c", "0,1")
        assert cpus == "1" and (Path(table) / f"1.{pid}").exists(), os.listdir(table)
        assert launch(table, "taskset", "-c", "1")[0] == "1"
        assert sorted(os.listdir(table)) == sorted(["lock", f"0.{os.getpid()}", f"0.{os.getppid()}",
                                                    f"1.{os.getpid()}", f"1.{pid}"])


def test_test_report_names_retries_and_what_did_not_run():
    console = ("  1/3 Test  #1: flaky ........***Failed    1.00 sec\n"
               "      Test  #1: flaky ........   Passed    1.00 sec\n"
               "  2/3 Test  #2: broken .......***Failed    1.00 sec\n"
               "      Test  #2: broken .......***Failed    1.00 sec\n"
               "  3/3 Test  #3: skipped ......***Skipped   0.00 sec\n")
    junit = ('<testsuite><testcase name="flaky" status="run"><system-out>'
             "[ RUN      ] A.B\nx.cpp:3: Skipped\nno such runtime here\n\n"
             "[  SKIPPED ] A.B (0 ms)\n[  SKIPPED ] A.B\n</system-out></testcase>"
             '<testcase name="skipped" status="notrun"><skipped message="SKIP_RETURN_CODE=77"/>'
             "<system-out>SKIPPED skipped: needs the 32-bit build</system-out></testcase>"
             '<testcase name="quiet" status="notrun"><skipped message="SKIP_RETURN_CODE=77"/>'
             '</testcase><testcase name="broken" status="fail"><failure message="Failed"/>'
             "<system-out>FAILED broken</system-out></testcase></testsuite>")
    assert testreport.retried(console) == [("broken", "failed both tries"),
                                           ("flaky", "passed on its second try")]
    assert testreport.not_run(junit) == [("flaky (A.B)", "no such runtime here"),
                                         ("quiet", "SKIP_RETURN_CODE=77"),
                                         ("skipped", "needs the 32-bit build")]


def test_seeded_faults_side_by_side_keep_their_order_and_confirm_catches():
    """Faults taken by two workers come back in the order given, whichever
    ends first; a catch whose failing test does not pass on the unchanged
    tree becomes an error, and a test that caught several faults runs once."""
    from vtxkit import mutants
    faults = [mutants.Fault(f"f{i}", reason="r", tests=["-R", "x"]) for i in range(6)]
    caught_by = {"f0": ["a"], "f1": ["b"], "f2": [], "f3": ["a"], "f4": ["c"], "f5": ["b"]}

    def run(scratch, fault, log_dir):
        time.sleep(0.01 * (6 - int(fault.name[1:])))  # the later ones end first
        failed = caught_by[fault.name]
        return mutants.Outcome(fault, mutants.CAUGHT if failed else mutants.SURVIVED,
                               1, 0.0, "", failed)

    confirmed = []

    def confirm(self, tests):
        time.sleep(0.05)  # a confirmation outlasts the faults' runs
        confirmed.extend(tests)
        self.passed |= {t for t in tests if t != "c"}

    with tempfile.TemporaryDirectory() as logs:
        original = mutants.run_fault, mutants.Confirmation._confirm
        mutants.run_fault, mutants.Confirmation._confirm = run, confirm
        try:
            unchanged = mutants.Scratch(Path(logs), Path(logs) / "unchanged")
            confirmation = mutants.Confirmation(unchanged, Path(logs))
            outcomes = mutants.run_faults(["w1", "w2"], faults, Path(logs), confirmation)
            confirmation.judge(outcomes)
        finally:
            mutants.run_fault, mutants.Confirmation._confirm = original
    assert [o.fault.name for o in outcomes] == [f.name for f in faults]
    assert [o.verdict for o in outcomes] == [mutants.CAUGHT, mutants.CAUGHT, mutants.SURVIVED,
                                             mutants.CAUGHT, mutants.BROKEN, mutants.CAUGHT]
    assert sorted(confirmed) == ["a", "b", "c"]
