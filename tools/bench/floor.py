"""The benchmark's floor: floorprogram.exe shows what a removal run shows
(the same boxes, the same progress window with the same steps and pauses)
and removes nothing. Timed like the run, it is what the platform costs for
the visible work alone, so the run's own cost can be read beside it."""
import shutil
from typing import List

from vtxkit import env
from vtxkit.driver import run_driver
from vtxkit.prefix import Prefix

PROGRAMS = env.build_dir() / "tools" / "bench"

# One device whose uninstall reports progress twice: the stand-in's default,
# and so the bar of the measured run (10, 20, 30, then 100).
PROGRESS_STEPS = 2


def floor_seconds(prefix_name: str, designed_pauses: float, finished) -> float:
    """One floor run in a fresh winxp prefix, from its start to its exit as
    the driver saw them, less the designed pauses. finished(prefix) ends
    the prefix as the bench does."""
    prefix = Prefix.fresh("winxp", name=prefix_name)
    try:
        work = prefix.drive_c / "floor"
        work.mkdir()
        shutil.copy(PROGRAMS / "floorprogram.exe", work)
        shutil.copy(env.package_dir() / "kmtext_english.dll", work)
        transcript = run_driver(prefix, work / "floorprogram.exe", str(PROGRESS_STEPS),
                                cwd=work, answers=["yes", "no"])
    finally:
        finished(prefix)
    if (transcript.result != "exit" or transcript.exit_code != 0 or len(transcript.boxes) != 4
            or transcript.progress_positions()[-1:] != [100]):
        raise RuntimeError(f"the floor program did not show a whole run:\n{transcript.summary()}")
    gross = transcript.of_kind("exit")[-1].time - transcript.of_kind("start")[0].time
    return gross - designed_pauses


def floor_runs(count: int, designed_pauses: float, finished) -> List[float]:
    return [floor_seconds("bench-floor", designed_pauses, finished) for _ in range(count)]
