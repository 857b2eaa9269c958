"""The file lists of a Windows setup, laid out as the real platform has them:
Wine has no <Windows>\\INF\\LAYOUT*.INF, so without them the tool's rule
"a file the platform's setup laid out is not the package's" would never meet
a list. Windows 95 has one LAYOUT.INF, 98 and Me split it over LAYOUT.INF,
LAYOUT1.INF and LAYOUT2.INF, the NT family has one layout.inf with
platform-suffixed sections. The [SourceDisksFiles] sections run past the 32 KB
that the 9x profile functions return of a section, as the real ones do.

The names are files of those systems; the filler names before them stand in
for the rest of a real list (several thousand names), so that the names
lie beyond the first 32 KB of their section."""
from typing import Dict, List

NINE_X_FILES = """
advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll user32.dll shell32.dll
ole32.dll oleaut32.dll olepro32.dll stdole2.tlb stdole32.tlb msvcrt.dll mfc42.dll
rasapi32.dll rasdlg.dll rnaapp.exe rnaui.dll tapi32.dll tapiaddr.dll unimodem.vxd
wsock32.dll winsock.dll wininet.dll urlmon.dll shlwapi.dll version.dll lz32.dll
mpr.dll netapi32.dll setupx.dll setupapi.dll cfgmgr32.dll msgsrv32.exe mprexe.exe
krnl386.exe user.exe gdi.exe win.com vmm32.vxd io.sys command.com explorer.exe
regedit.exe rundll32.exe rundll.exe control.exe notepad.exe wordpad.exe mspaint.exe
unicode.nls cp_1252.nls cp_437.nls cp_850.nls locale.nls sortkey.nls sorttbls.nls
ctype.nls l_intl.nls ntdll.dll imm32.dll winmm.dll mmsystem.dll msacm32.dll
usbhub.sys usbd.sys uhcd.sys openhci.sys ntkern.vxd ndis.vxd ndiswan.vxd pppmac.vxd
vnetsup.vxd vredir.vxd dosnet.inf layout.inf machine.inf modem.inf usb.inf net.inf
msports.inf mdmgen.inf shell.inf appletpp.inf cpl.inf display.inf keyboard.inf
mouse.inf main.cpl modem.cpl desk.cpl sysdm.cpl timedate.cpl intl.cpl inetcpl.cpl
system.drv keyboard.drv mouse.drv display.drv vga.drv comm.drv sound.drv mmsound.drv
fonts.inf arial.ttf cour.ttf times.ttf tahoma.ttf marlett.ttf symbol.ttf
"""

NT_FILES = """
advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll user32.dll shell32.dll
ole32.dll oleaut32.dll olepro32.dll stdole2.tlb stdole32.tlb msvcrt.dll mfc42.dll
rasapi32.dll rasdlg.dll rasman.dll rasppp.dll tapi32.dll tapisrv.dll unimdm.tsp
wsock32.dll ws2_32.dll wininet.dll urlmon.dll shlwapi.dll version.dll lz32.dll
mpr.dll netapi32.dll setupapi.dll cfgmgr32.dll ntdll.dll ntoskrnl.exe hal.dll
smss.exe csrss.exe winlogon.exe services.exe lsass.exe svchost.exe explorer.exe
regedit.exe rundll32.exe control.exe notepad.exe wordpad.exe mspaint.exe cmd.exe
unicode.nls c_1252.nls c_437.nls c_850.nls locale.nls sortkey.nls sorttbls.nls
ctype.nls l_intl.nls imm32.dll winmm.dll msacm32.dll sfc.dll sfc_os.dll sfcfiles.dll
usbhub.sys usbd.sys usbuhci.sys usbohci.sys usbport.sys ndis.sys ndiswan.sys
modem.sys serial.sys tcpip.sys afd.sys netbt.sys mrxsmb.sys rdbss.sys
layout.inf machine.inf mdmgen.inf modem.inf usb.inf net.inf msports.inf
main.cpl modem.cpl desk.cpl sysdm.cpl timedate.cpl intl.cpl inetcpl.cpl ncpa.cpl
arial.ttf cour.ttf times.ttf tahoma.ttf marlett.ttf symbol.ttf
"""

SECTION_BYTES = 40_000  # beyond the 32 KB a 9x profile read returns


def _names(text: str) -> List[str]:
    return text.split()


def _filler(prefix: str, size: int) -> List[str]:
    lines, total, i = [], 0, 0
    while total < size:
        line = f"{prefix}{i:04}.sys=1,,{4096 + i},,,,,2,,,"
        lines.append(line)
        total += len(line) + 2
        i += 1
    return lines


def _inf(sections: Dict[str, List[str]]) -> str:
    text = ["; Setup file layout", "[Version]", 'Signature="$Chicago$"', "LayoutFile=layout.inf", ""]
    for name, lines in sections.items():
        text += [f"[{name}]"] + lines + [""]
    return "\r\n".join(text)


def _entries(names: List[str]) -> List[str]:
    return [f"{name}=1,,{1000 + len(name) * 37}" for name in names]


def layout_files(version: str, nt: bool) -> Dict[str, str]:
    """File name -> text of the LAYOUT*.INF files of that Windows version."""
    if nt:
        names = _names(NT_FILES)
        return {"layout.inf": _inf({
            "SourceDisksNames.x86": ['1 = "Windows Setup CD",cdrom.cd,,\\i386'],
            "SourceDisksFiles": _entries(names[:40]),
            "SourceDisksFiles.x86": _filler("ntdrv", SECTION_BYTES) + _entries(names[40:])})}
    names = _names(NINE_X_FILES)
    if version == "win95":
        return {"LAYOUT.INF": _inf({"SourceDisksNames": ['1="Windows 95 CD-ROM","",1'],
                                    "SourceDisksFiles": _filler("w95drv", SECTION_BYTES) +
                                    _entries(names)})}
    third = len(names) // 3
    return {"LAYOUT.INF": _inf({"SourceDisksNames": ['1="Windows CD-ROM","",1'],
                                "SourceDisksFiles": _entries(names[:third])}),
            "LAYOUT1.INF": _inf({"SourceDisksFiles": _filler("w9xdrv", SECTION_BYTES) +
                                 _entries(names[third:2 * third])}),
            "LAYOUT2.INF": _inf({"SourceDisksFiles": _entries(names[2 * third:])})}


def lay_out(prefix) -> None:
    """Replaces the prefix's LAYOUT*.INF by those of its Windows version."""
    inf = prefix.unix("C:\\windows") / "inf"
    inf.mkdir(exist_ok=True)
    for old in inf.iterdir():
        if old.name.lower().startswith("layout") and old.suffix.lower() == ".inf":
            old.unlink()
    for name, text in layout_files(prefix.version, prefix.is_nt).items():
        (inf / name).write_bytes(text.encode("ascii"))
