"""Every call the tool makes exists and works on the platform it runs on.

A full removal under each persona, with Wine's relay trace kept to the calls
made from the tool's own image by its thread, compared with the reviewed
table tests/compat/calls_by_platform.txt. The five removals run side by
side (each in its own prefix): the group costs about one removal's time."""
from collections import Counter
from concurrent.futures import ThreadPoolExecutor
from typing import Dict

import pytest

import vtxkit
from vtxkit import session
from vtxkit.relay import CallCounter, TracedRun, relay_calls_from

import calls

PLATFORMS = ("win95", "win98", "winme", "nt40", "winxp")


def traced_removal(version: str, image) -> Counter:
    prefix = vtxkit.Prefix.fresh(version, name=f"{session.current_test}-{version}")
    relay_calls_from(prefix, "vtxremove.exe")
    package = vtxkit.Package(prefix).install()
    # Confirm, and accept the restart: rebootWindows is traced too.
    run = TracedRun(package, image, answers=["yes", "yes"])
    transcript = run.wait()
    assert transcript.result == "exit" and transcript.exit_code == 0, \
        f"{version}: the removal did not end well:\n{transcript.summary()}"
    assert package.leftovers() == [], f"{version}: left behind {package.leftovers()}"
    names = calls.import_names(package.tool_exe, prefix.drive_c / "windows" / "system32")
    traced = run.calls()
    assert traced, f"{version}: no call from the tool's image in the trace ({run.counter.lines} lines)"
    return calls.renamed(traced, names)


def test_calls_by_platform():
    if vtxkit.env.wine_arch() == "win64":
        pytest.skip("the reviewed table holds the calls of the shipped 32-bit program, "
                    "which only 32-bit Wine runs")
    table = calls.read_table()
    tool = vtxkit.package_dir() / "vtxremove.exe"
    pe = calls.PeFile(tool)
    image = (pe.image_base, pe.image_base + pe.image_size)
    with ThreadPoolExecutor(len(PLATFORMS)) as pool:
        futures = {v: pool.submit(traced_removal, v, image) for v in PLATFORMS}
        traced: Dict[str, Counter] = {v: f.result() for v, f in futures.items()}
    print(calls.table_text(traced))
    problems = calls.judge(traced, table)
    assert not problems, "\n".join(problems)


def test_table_judges_calls():
    """The judgement itself: an unlisted call and a call where the table
    has a stub are both named with their platform; a listed one is not."""
    table = calls.read_table()
    listed = next(call for call, entry in table.items() if entry.platforms == calls.GROUPS["all"])
    nt_only = next(call for call, entry in table.items() if entry.platforms == calls.GROUPS["nt"])
    unlisted = ("KERNEL32", "NoSuchFunctionA")
    problems = calls.judge({"win95": Counter({listed: 3, nt_only: 1, unlisted: 2}),
                            "winxp": Counter({nt_only: 1})}, table)
    assert len(problems) == 2, problems
    stub = [p for p in problems if p.startswith(f"win95: {nt_only[0]} {nt_only[1]} was called 1 ")]
    new = [p for p in problems if p.startswith("win95: KERNEL32 NoSuchFunctionA was called 2 ")]
    assert stub and "but" in stub[0], problems
    assert new and calls.line_to_add(unlisted) in new[0], problems


def test_trace_is_kept_to_the_tools_own_calls():
    """Only the chosen process's first thread, only return addresses inside
    the image; DLL names in upper case without ".dll"."""
    counter = CallCounter(0x400000, 0x43F000)
    for line in [
        "0020:0024:Call KERNEL32.Sleep(000003e8) ret=00401000",           # driver, same base
        "0030:0034:Call PE DLL (proc=7B62DCE0,module=7B600000,reason=PROCESS_ATTACH) ret=0",
        "0030:0034:Call KERNEL32.GetVersionExA(0064fd40) ret=00401a2b",
        "0030:0034:Ret  KERNEL32.GetVersionExA() retval=00000001 ret=00401a2b",
        "0030:0034:Call winex11.drv.ImeSelect(00000000,00000001) ret=0043f000",  # just outside
        "0030:0034:Call shell32.SHGetMalloc(0063fd00) ret=7b601234",       # from a system DLL
        "0030:0034:Call crtdll.fopen(00426000 \"C:\\a) ret=.txt\",00426010 \"rt\") ret=0043effe",
        "0030:0038:Call KERNEL32.Sleep(000001f4) ret=00402000",           # another thread
        "0030:0034:Call user32.MessageBoxA(00000000,01bb0538 \"x\",0,00040024) ret=00416313",
    ]:
        counter.feed(line + "\n")
    assert counter.select(0x30) == Counter({("KERNEL32", "GetVersionExA"): 1, ("CRTDLL", "fopen"): 1,
                                            ("USER32", "MessageBoxA"): 1})
    assert counter.lines == 9
