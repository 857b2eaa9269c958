"""A library planted beside the tool: the package folder is often a download
folder, so a rasapi32.dll placed there must not be the one the tool loads
(it would run with administrator rights). The stand-in of testkit/rasapi
records every load with the path it came from and every RasDeleteEntryA
call; a copy lies in the package folder and one in the system directory,
and a DLL override makes Wine prefer such files to its own library."""
import vtxkit
from vtxkit import join, rasapi


def test_rasapi32_comes_from_the_system_directory():
    prefix = vtxkit.Prefix.fresh("winxp")
    package = vtxkit.Package(prefix).install()
    rasapi.place_stand_in(package.tool_dir)
    rasapi.place_stand_in(prefix.system_dir)

    transcript = package.run_tool(answers=["yes", "no"], extra_env=rasapi.NATIVE_FIRST)
    assert transcript.exit_code == 0, transcript.result
    calls = rasapi.recorded_calls(prefix)
    entries = [package.isp_default] + [name for _, name in package.isps]
    expected = [f"load {join(package.system_dir, 'rasapi32.dll')}".lower()] + \
        [f"delete |{name}".lower() for name in entries]
    assert [line.lower() for line in calls] == expected, calls
