"""A removal on XP as the user's machine records it: with Debug=ERROR the
log holds the start and end lines and exactly the refusals of hostile names,
nothing else; the installer library's uninstall deletes the Windows
directory's brdsetup.ini, and the tool's second copy brings it back for the
clean-up actions, which then remove the whole package; the default
phonebook loses the entries of the providers, but not that of the provider
whose entry name was refused."""
import vtxkit
from vtxkit import join, rasapi

ESCAPE_WIN_DIR = r"..\vtxescape.ini"        # from the Windows directory: C:\
ESCAPE_FIRMWARE = r"..\..\vtxescape.bin"    # from system32\drivers: the Windows directory
ESCAPE_DIALUP = r"..\Kelnet Escape"         # its shortcut would lie beside the desktop


def expect(got, expected, what):
    assert got == expected, f"{what}:\n  got      {got!r}\n  expected {expected!r}"


def test_error_level_removal_with_refusals_and_a_vanishing_description():
    prefix = vtxkit.Prefix.fresh("winxp")
    folders = prefix.folders()
    windows, desktop = folders["windows"], folders["common_desktop"]
    windows_copy = join(windows, "brdsetup.ini")
    escapes = {r"C:\vtxescape.ini": "someone else's\r\n",
               join(windows, "vtxescape.bin"): "someone else's\r\n",
               join(desktop, "..", "Kelnet Escape.lnk"): "someone else's\r\n"}
    package = vtxkit.Package(
        prefix,
        vtx_ini={"SystemInfo": {"Debug": "ERROR",
                                "RemoveFromWinDir": "PM100Usb.ini,KmiSetup.log," + ESCAPE_WIN_DIR}},
        package_values={"FirmwareFiles": "dspcode1.bin,dspcode2.bin," + ESCAPE_FIRMWARE},
        brdsetup={"SystemInfo": {"IspSections": "Isp1,Isp2,Isp3"},
                  "Isp3": {"DialupName": ESCAPE_DIALUP}},
        stub_config={"uninstall_deletes": [windows_copy]},
        extra_files=escapes).install()
    expect(package.missing_footprint(), [], "footprint missing before the run")
    rasapi.place_stand_in(prefix.system_dir)

    transcript = package.run_tool(answers=["yes", "no"], extra_env=rasapi.NATIVE_FIRST)
    expect((transcript.complete, transcript.exit_code), (True, 0), "run complete, exit code")

    # The uninstall really took the description away.
    deleted = [(e["path"], e["deleted"]) for e in vtxkit.read_calls(package.tool_dir)
               if e.kind == "uninstall-deleted"]
    expect(deleted, [(windows_copy, "1")], "files the uninstall deleted")

    # The log at ERROR: start line, the three refusals in run order, end line.
    lines = [f"{line.logger}->{line.message}" for line in vtxkit.read_log(prefix)]
    expect(len(lines), 5, f"number of log lines in\n" + "\n".join(lines))
    assert lines[0].startswith("Vantix->===> : "), f"first line: got {lines[0]!r}"
    assert lines[-1].startswith("Vantix-><=== : "), f"last line: got {lines[-1]!r}"
    expect(lines[1:-1], [
        f'Vantix->removeDspBin: FirmwareFiles "{ESCAPE_FIRMWARE}" is not a plain file name, '
        "nothing removed",
        f'Vantix->vtxRemoveDialups: DialupName "{ESCAPE_DIALUP}.lnk" is not a plain file name, '
        "nothing removed",
        f'Vantix->vtxRemoveDevice: RemoveFromWinDir "{ESCAPE_WIN_DIR}" is not a plain file name, '
        "nothing removed",
    ], "error lines between start and end")

    # The phonebook entries, in order; the refused provider keeps its entry.
    entries = [package.isp_default] + [name for _, name in package.isps if name != ESCAPE_DIALUP]
    expect([line.lower() for line in rasapi.recorded_calls(prefix)],
           [f"load {join(package.system_dir, 'rasapi32.dll')}".lower()] +
           [f"delete |{name}".lower() for name in entries],
           "remote access library calls (lower case)")

    # With the description back, the clean-up took everything of the package
    # and nothing else.
    expect(package.leftovers(), [], "package things left")
    expect(package.lost_sentinels(), [], "others' things lost")
    expect([p for p in escapes if not prefix.unix(p).exists()], [],
           "files outside the folders lost")
