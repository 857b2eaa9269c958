"""The removal run end to end: vtxremove.exe started from its package
directory in a prefix of its own, the user played by the test driver, the
installer library played by the kit's stand-in."""
import configparser
import re

import vtxkit
from hardening import assert_quiet_end, assert_start_and_end, assert_unchanged, vantix_lines
from texts import (CAPTION, DE, EN, ES, FR, IT, NL, NOTICE_LIBRARY, NOTICE_SETUP_INI,
                   NOTICE_TOOL_INI, confirmation, restart_question)

# Two device entries: one of four parts, one with a doubled backslash.
DEVICES = r"KELCHIP\ADSL\USB\VID_0A5C&PID_2110,KELCHIP\\ADSL\USB"
EXPECTED_RECORDS = [("ADSL", "KELCHIP", r"ADSL\USB\VID_0A5C&PID_2110"),
                    ("ADSL", "KELCHIP", r"\ADSL\USB")]
FIGURES = [25, 75]

TRACE_LINE = re.compile(r"^(Parse DeviceId=|kmvs_|Vantixcallback: |RemoveFromWin(Sys)?Dir=|"
                        r"User needs to reboot|vtxRemoveDevice: (User opted|Rebooting))")


def installed(version="winxp", **options):
    return vtxkit.Package(vtxkit.Prefix.fresh(version), **options).install()


def calls(package):
    return vtxkit.read_calls(package.tool_dir)


def kinds(package):
    return vtxkit.call_kinds(package.tool_dir)


def snapshot(package):
    return vtxkit.Snapshot.take(package.prefix)


def assert_single_notice(transcript, text):
    assert transcript.exit_code == 0, transcript
    assert [(b.buttons, b.text) for b in transcript.boxes] == [(["ok"], text)], transcript
    assert all(b.caption == CAPTION for b in transcript.boxes)


# ------------------------------------------------------------ prerequisites

# The file taken from the tool directory, the one notice and the run's log
# lines between start and end.
MISSING_PREREQUISITES = [
    ("VTX.INI", NOTICE_TOOL_INI,
     ["IsVtIniFile: VTX.INI file missing", "vtxRemoveDevice: VTX.INI INI is Missing!"]),
    ("brdsetup.ini", NOTICE_SETUP_INI,
     ["IsVtInstallInitFile: brdsetup.ini file missing",
      "vtxRemoveDevice: Local copy of brdsetup.ini INI is Missing!"]),
    ("kmiinst.dll", NOTICE_LIBRARY,
     ["vtxRemoveDevice: Local copy of kmiinst.dll file is Missing!"]),
]


def without_traces(package):
    """The package without the log and the stand-in's record of earlier runs."""
    (package.prefix.windows_dir / "VTX.LOG").unlink(missing_ok=True)
    (package.tool_dir / "kmiinst.calls").unlink(missing_ok=True)
    return package


def test_each_missing_prerequisite_shows_its_notice_only():
    """VTX.INI, brdsetup.ini, the installer library, one at a time: one
    notice, the library never loaded, nothing changed."""
    package = installed()
    before = snapshot(package)
    for name, notice, lines in MISSING_PREREQUISITES:
        parked = package.prefix.drive_c / (name + ".parked")
        (package.tool_dir / name).rename(parked)  # keeps the file as it was
        transcript = without_traces(package).run_tool()
        assert_single_notice(transcript, notice)
        assert calls(package) == [], f"{name}: the installer library is never loaded"
        logged = vantix_lines(package.prefix)
        assert logged[1:-1] == lines, name
        assert_start_and_end(logged)
        parked.rename(package.tool_dir / name)
    assert_unchanged(package, before)


def test_library_without_is_user_admin_shows_8004_and_is_released():
    package = installed(stub="noadmin")
    transcript = package.run_tool()
    assert_single_notice(transcript, NOTICE_LIBRARY)
    assert [c.kind for c in calls(package)] == ["load", "unload"]
    assert calls(package)[-1]["freed"] == "1", "released by the tool, not by the process end"
    assert vantix_lines(package.prefix)[1:-1] == [
        "vtxRemoveDevice: Error in kmiinst.dll file! No entry for DLL funcs."]


# ------------------------------------------------------------ lock and rights

# The instance lock: test_race.py.

def test_nt_user_without_administrator_rights_is_refused_before_any_question():
    package = installed("winxp", stub_config={"is_user_admin": False})
    before = snapshot(package)
    transcript = package.run_tool(answers=["yes"])
    assert_single_notice(transcript, EN[134])
    assert kinds(package) == ["isUserAdmin"]
    assert "vtxRemoveDevice: isUserAdmin=NOT ADMIM" in vantix_lines(package.prefix)
    assert_unchanged(package, before)


def test_98_user_without_administrator_rights_is_never_refused():
    package = installed("win98", stub_config={"is_user_admin": False})
    transcript = package.run_tool(answers=["no"])
    assert transcript.box_texts == [confirmation(EN)], transcript
    assert kinds(package) == [], "no rights test on Windows 98"


# ------------------------------------------------------------ confirmation

def test_declined_confirmation_changes_nothing():
    package = installed()
    before = snapshot(package)
    transcript = package.run_tool(answers=["no"])
    assert transcript.exit_code == 0
    assert [(b.buttons, b.text) for b in transcript.boxes] == [(["yes", "no"], confirmation(EN))]
    samples = transcript.filled_progress()
    assert samples, "the hidden progress window exists"
    assert not any(e["visible"] == "1" for e in transcript.progress), "never shown"
    assert (samples[0]["heading"], samples[0]["status"]) == (EN[10], EN[120])
    assert kinds(package) == ["isUserAdmin"]
    lines = vantix_lines(package.prefix)
    assert lines[1:-1] == ["vtxRemoveDevice: User opted out of clean up."], lines
    assert_unchanged(package, before)


def test_question_that_cannot_be_shown_counts_as_declined():
    package = installed()
    before = snapshot(package)
    done = package.prefix.run(package.tool_exe, cwd=package.tool_dir_win, timeout=60,
                              extra_env={"DISPLAY": ""})
    assert done.returncode == 0
    assert "vtxRemoveDevice: User opted out of clean up." in vantix_lines(package.prefix)
    assert "initialize" not in kinds(package)
    assert_unchanged(package, before)


# ------------------------------------------------------------ full runs

def full_run(version, accept_restart, locale=None, vtx_ini=None, short_pauses=False):
    """A confirmed run with two devices; the tool takes its language from the
    locale Wine starts it in (the driver's, which starts it)."""
    vtx_ini = dict(vtx_ini or {})
    vtx_ini["SystemInfo"] = {"DeviceId": DEVICES, **vtx_ini.get("SystemInfo", {})}
    package = installed(version, vtx_ini=vtx_ini, short_pauses=short_pauses, stub_config={
        "progress_calls": len(FIGURES), "figures": FIGURES, "delay_ms": 300})
    transcript = package.run_tool(answers=["yes", "yes" if accept_restart else "no"],
                                  extra_env=vtxkit.locale_env(locale) if locale else {})
    print(transcript.summary())
    assert transcript.complete and transcript.exit_code == 0, transcript
    return package, transcript


def assert_dialogue(transcript, accept_restart, texts=EN):
    expected = [(["yes", "no"], confirmation(texts)), (["ok"], texts[112]),
                (["yes", "no"], restart_question(texts))]
    if not accept_restart:
        expected.append((["ok"], texts[39]))
    assert [(b.buttons, b.text) for b in transcript.boxes] == expected, transcript


def assert_library_calls(package):
    recorded = calls(package)
    expected = (["isUserAdmin"] if package.prefix.is_nt else []) + \
        ["initialize", "uninstall", "progress", "progress", "uninstall-done"] * 2
    assert kinds(package) == expected
    records = [c for c in recorded if c.kind == "initialize"]
    assert [(c["hwType"], c["hwChipset"], c["usbCtrlr"]) for c in records] == EXPECTED_RECORDS
    for record in records:
        assert (record["modemId"], record["reservedText1"], record["reservedText2"]) == ("", "", "")
        assert (record["reservedNumber"], record["flags"]) == ("0", "0,0,0")
    assert records[0]["record"] == records[1]["record"], "one record for the whole loop"
    # The bar moves by 10 per progress call, whatever figure the library reports.
    assert [c["bar"] for c in recorded if c.kind == "progress"] == ["20", "30", "40", "50"]
    assert recorded[-1]["freed"] == "1"


def assert_progress_window(transcript, texts=EN):
    samples = transcript.filled_progress()
    shown = [e for e in samples if e["visible"] == "1"]
    assert shown, transcript
    assert all(e["caption"] == CAPTION and e["heading"] == texts[10] for e in shown)
    before_shown = samples[:samples.index(shown[0])]
    assert before_shown and all(e["visible"] == "0" and e.get("pos") in ("0", "?", None)
                                for e in before_shown), "hidden until confirmed, bar at 0"
    positions = transcript.progress_positions()
    assert positions[0] == 0 and positions[-1] == 100, positions
    assert 10 in positions and positions == sorted(positions), positions
    assert set(positions) <= {0, 10, 20, 30, 40, 50, 100}, positions
    statuses = []
    for e in samples:
        if not statuses or statuses[-1] != e["status"]:
            statuses.append(e["status"])
    wanted = [texts[120], texts[42], texts[31]]
    assert [s for s in statuses if s in wanted] == [s for s in wanted if s in statuses], statuses
    assert statuses[0] == texts[120] and texts[42] in statuses, statuses
    assert transcript.of_kind("progress-gone"), "destroyed before the restart question"


# The designed pauses as the driver's time stamps show them, with the least
# each may read as (seconds). Each reading starts at an event recorded before
# its pause began (or at most a poll late) and ends at one recorded after it.
# (The 2 s before the clean-up changes nothing in the window, and the
# clean-up's own work that follows it takes longer under load: no time stamp
# tells that pause.)
PAUSES = {"before the devices go": 4.5, "at 100 %": 2.5, "before the restart": 2.5}


def pause_readings(transcript, texts=EN):
    samples = transcript.filled_progress()
    answers = {e.int("n"): e.time for e in transcript.of_kind("answer")}
    first = lambda wanted: next(e.time for e in samples if wanted(e))
    at_100 = first(lambda e: e.get("pos") == "100")
    readings = {
        # The starting notice answered, then the 5 s until the status says
        # the devices go.
        "before the devices go": first(lambda e: e["status"] == texts[42]) - answers[2],
        # 100 %, then 3 s until the window goes.
        "at 100 %": transcript.of_kind("progress-gone")[0].time - at_100}
    if transcript.boxes[2].answer == "yes":
        # The restart accepted, then 3 s until the restart request and the end.
        readings["before the restart"] = transcript.of_kind("exit")[-1].time - answers[3]
    return readings


def assert_designed_pauses(transcript):
    readings = pause_readings(transcript)
    print("pauses:", {name: round(seconds, 2) for name, seconds in readings.items()})
    short = {name: round(seconds, 2) for name, seconds in readings.items()
             if seconds < PAUSES[name]}
    assert short == {}, f"pauses shorter than designed: {short}"


def assert_log_spine(package, accept_restart):
    recorded = calls(package)
    record = int([c for c in recorded if c.kind == "initialize"][0]["record"], 16)
    window = int([c for c in recorded if c.kind == "uninstall"][0]["arg"], 16)
    spine = []
    for hw_type, chipset, controller in EXPECTED_RECORDS:
        spine.append(f"kmvs_Initialize mOpts(0x{record:x}): hwType={hw_type}, "
                     f"hwChipset={chipset}, usbCtrlr={controller}, modemId=")
        spine.append("kmvs_Uninstall")
        spine += [f"Vantixcallback: progress={figure} : arg=0x{window:x}" for figure in FIGURES]
    spine = [f"Parse DeviceId={DEVICES}"] + spine + [
        "RemoveFromWinDir=" + ",".join(package.remove_from_win_dir),
        "RemoveFromWinSysDir=" + ",".join(package.remove_from_win_sys_dir),
        "User needs to reboot",
        "vtxRemoveDevice: Rebooting PC in a few seconds..." if accept_restart else
        "vtxRemoveDevice: User opted to Reboot PC later..."]
    lines = vantix_lines(package.prefix)
    assert_start_and_end(lines)
    assert [line for line in lines if TRACE_LINE.match(line)] == spine, "\n".join(lines)


def listed_paths(package):
    return [vtxkit.join(package.windows_dir, n) for n in package.remove_from_win_dir] + \
        [vtxkit.join(package.system_dir, n) for n in package.remove_from_win_sys_dir]


def assert_listed_files_scheduled(package):
    wanted = [p.lower() for p in listed_paths(package)]
    if package.prefix.is_nt:
        scheduled = [p.lower() for p in vtxkit.pending_deletions(package.prefix)]
    else:
        scheduled = [v.lower() for k, v in vtxkit.wininit_renames(package.prefix) if k == "NUL"]
    # The run's own lists come last, in their order (the whole schedule:
    # test_full_removal.py).
    assert scheduled[-len(wanted):] == wanted


def check_full_run(version, accept_restart):
    package, transcript = full_run(version, accept_restart)
    assert_dialogue(transcript, accept_restart)
    assert_library_calls(package)
    assert_progress_window(transcript)
    assert_designed_pauses(transcript)
    assert_log_spine(package, accept_restart)
    assert not any(package.prefix.unix(p).exists() for p in listed_paths(package))
    assert package.leftovers() == []
    assert package.lost_sentinels() == []
    if accept_restart:
        # Under Wine the restart request performs the scheduled deletions at once.
        assert package.scheduled_left() == []
    else:
        assert_listed_files_scheduled(package)


def test_full_run_on_xp_restart_declined():
    check_full_run("winxp", accept_restart=False)


def test_full_run_on_xp_restart_accepted():
    check_full_run("winxp", accept_restart=True)


def test_full_run_on_98_restart_declined():
    check_full_run("win98", accept_restart=False)


def test_full_run_on_98_restart_accepted():
    check_full_run("win98", accept_restart=True)


def test_log_level_error_writes_no_trace_but_calls_the_library():
    package, transcript = full_run("winxp", False, vtx_ini={"SystemInfo": {"Debug": "error"}})
    assert_dialogue(transcript, accept_restart=False)
    lines = vantix_lines(package.prefix)
    assert_start_and_end(lines)
    assert not [line for line in lines if TRACE_LINE.match(line)], lines
    assert_library_calls(package)


# A list value that fits the INI buffer but not the log line: the hostile table.


# ------------------------------------------------------------ language

def with_tool_ini(package, **vtx_ini):
    """The package's tool directory with VTX.INI as the package would write
    it with these overrides, and without the log and the stand-in's record
    of earlier runs."""
    text = vtxkit.Package(package.prefix, vtx_ini=vtx_ini).vtx_ini_text()
    (package.tool_dir / "VTX.INI").write_bytes(text.encode("cp1252"))
    return without_traces(package)


# Locale, VTX.INI and the language whose texts the first box shows. Each
# run is declined, so one prefix serves them all.
LANGUAGE_CHOICES = [
    ("de_DE.UTF-8", {}, DE),
    ("fr_FR.UTF-8", {"SystemInfo": {"SupportedLanguages": "GERMAN,ENGLISH"}}, DE),
    ("en_US.UTF-8", {"SystemInfo": {"SupportedLanguages": "GERMAN,ENGLISH"}}, EN),
    ("en_US.UTF-8", {"SystemInfo": {"ForceLanguage": "German"}}, DE),
]


def test_language_follows_locale_list_order_and_forced_name():
    """German locale: German; another locale: the first entry; English
    locale: English even when listed second; a forced name in another
    letter case wins over the locale."""
    package = installed()
    for locale, vtx_ini, texts in LANGUAGE_CHOICES:
        transcript = with_tool_ini(package, **vtx_ini).run_tool(
            answers=["no"], extra_env=vtxkit.locale_env(locale))
        assert transcript.exit_code == 0, (locale, vtx_ini)
        assert transcript.box_texts == [confirmation(texts)], (locale, vtx_ini)
        assert transcript.filled_progress()[0]["heading"] == texts[10], (locale, vtx_ini)


def shipped_language_table():
    """SupportedLanguages and [Languages] as the sample VTX.INI ships them."""
    ini = configparser.ConfigParser(interpolation=None)
    ini.read(vtxkit.package_dir() / "VTX.INI", encoding="cp1252")
    return {"SystemInfo": {"SupportedLanguages": ini["SystemInfo"]["SupportedLanguages"]},
            "Languages": dict(ini["Languages"])}


# The user's locale and the texts of every box and progress line of a run.
LOCALE_LANGUAGES = [("de_DE.UTF-8", DE), ("fr_FR.UTF-8", FR), ("it_IT.UTF-8", IT),
                    ("es_ES.UTF-8", ES), ("nl_NL.UTF-8", NL)]


def test_each_shipped_language_speaks_throughout_a_run_in_its_locale():
    """With the sample VTX.INI's language table, the user's locale alone
    picks the library; the restart is put off, so every box is seen. (The
    pauses are the full runs' to check: these take the short-pause build.)"""
    table = shipped_language_table()
    for locale, texts in LOCALE_LANGUAGES:
        package, transcript = full_run("winxp", False, locale=locale, vtx_ini=table,
                                       short_pauses=True)
        assert_dialogue(transcript, False, texts)
        assert_progress_window(transcript, texts)


# ------------------------------------------------------------ language failures

# VTX.INI and the one error line of a run that ends before its first box.
BAD_LANGUAGE_SETTINGS = [
    ({"Languages": {"german": "kmtext_german.dll,0x0007,,101"}}, "Language has invalid format"),
    ({"SystemInfo": {"ForceLanguage": "french", "SupportedLanguages": "ENGLISH,GERMAN"}},
     "Invalid language"),
    ({"SystemInfo": {"SupportedLanguages": ",,,"}}, "Invalid language"),
]


def test_bad_language_settings_end_quietly():
    """A malformed [Languages] entry, a forced language the list does not
    offer, a list of commas only."""
    package = installed()
    for vtx_ini, message in BAD_LANGUAGE_SETTINGS:
        assert_quiet_end(with_tool_ini(package, **vtx_ini), message)


# A language library that is missing or cannot be loaded: test_faults.py.
