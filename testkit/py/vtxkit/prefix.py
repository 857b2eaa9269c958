"""A Wine prefix of its own for one test: made fresh from the template by
winerun, kept running on one persistent wineserver, with path conversion,
program runs, registry reads and imports, and a restart.

Wine "boots" a prefix whenever its wineserver starts: it then performs the
entries of wininit.ini and the pending file renames, as Windows does at a
restart. The prefix therefore keeps one server running from boot() until
stop(); restart() is stop() followed by boot()."""
import fcntl
import json
import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path, PureWindowsPath
from concurrent.futures import ThreadPoolExecutor
from typing import Callable, Dict, Iterable, List, Optional, Sequence, Set, Tuple

from . import budget, env, fonts, layout_inf, session
from .registry import (Registry, normalize_key, parse_dump, parse_export, parse_hive,
                       reg_file_text)

# Seconds the wineserver stays up with no program running. Long enough for
# any pause of a test; bounded, so a test that was killed leaves no server
# behind for long.
SERVER_PERSISTENCE = 600
NT_VERSIONS = {"win2k", "winxp", "nt40", "win2003", "vista", "win7", "win10"}
_created: List["Prefix"] = []  # prefixes made during this test run


def created_prefixes() -> List["Prefix"]:
    return list(_created)


class WineError(RuntimeError):
    pass


def wine_program(args: Sequence) -> List[str]:
    """ARGS with a bare program name ("reg") made the full path of Wine's
    own program: given a bare name, Wine first starts start.exe to find it."""
    words = [str(a) for a in args]
    if words and re.fullmatch(r"[A-Za-z0-9_]+(\.exe)?", words[0], re.IGNORECASE):
        name = words[0] if words[0].lower().endswith(".exe") else words[0] + ".exe"
        words[0] = "C:\\windows\\system32\\" + name
    return words


class Prefix:
    def __init__(self, path: Path, version: str):
        self.path = Path(path)
        self.version = version
        self._server_up = False
        self._folders: Optional[Dict[str, str]] = None
        self._template_folders: Optional[Tuple[int, Dict[str, str]]] = None
        # Read once, use twice: the last snapshot, with the count of program
        # starts it was read at (see _note_start and registry()).
        self._starts = 0
        self._started: List[subprocess.Popen] = []
        self._last_read: Optional[Tuple[int, bool, Registry]] = None

    # ------------------------------------------------------------ life cycle
    @classmethod
    def fresh(cls, version: str = "winxp", name: Optional[str] = None) -> "Prefix":
        """A new prefix (a copy of the template) with the given Windows
        version, booted and running. The name defaults to the running test's
        name (as the kit's pytest plugin sets it); an existing prefix of that name is
        replaced."""
        if not os.environ.get("DISPLAY"):
            # A wineserver started without a display fails every window call.
            raise WineError("no X display: set DISPLAY (scripts/test starts one)")
        if name is None:
            name = session.next_prefix_name()
        with budget.spend("prefix"):
            return cls._fresh(version, name)

    @classmethod
    def _fresh(cls, version: str, name: str) -> "Prefix":
        template = version_template(version)
        prefix = cls(_prepare(name, template), version)
        _created.append(prefix)
        prefix.boot()
        prefix._template_folders = (prefix._starts,
                                    json.loads((template / FOLDERS_FILE).read_text()))
        return prefix

    def boot(self) -> None:
        """Starts the prefix's persistent wineserver and its first program,
        which makes Wine boot the prefix (wininit.ini and pending renames are
        performed now)."""
        if self._server_up:
            return
        if subprocess.run(["wineserver", f"-p{SERVER_PERSISTENCE}"], env=self.env(),
                          stderr=subprocess.DEVNULL).returncode != 0:
            # A server of this prefix is already up (one that ends on its
            # own): replace it by a persistent one.
            self.stop()
            subprocess.run(["wineserver", f"-p{SERVER_PERSISTENCE}"], env=self.env(), check=True)
        self._server_up = True
        self._note_start()
        # The first program of a new server waits while Wine boots the
        # prefix (wineboot --init); the kit's regkeys.exe, asked about no
        # key, is the cheapest program to start for it.
        self.wine([self.win(env.kit_file("regkeys"))], timeout=60)

    def stop(self) -> None:
        """Ends every program of the prefix and its wineserver, which writes
        the registry to system.reg and user.reg."""
        e = self.env()
        subprocess.run(["wineserver", "-k"], env=e, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=e, stderr=subprocess.DEVNULL)
        self._server_up = False
        self._note_start()

    def restart(self) -> None:
        """Like a restart of Windows: every program ends, then the prefix
        boots and performs wininit.ini and the pending renames."""
        with budget.spend("restarts"):
            self.stop()
            self.boot()

    def remove(self) -> None:
        self.stop()
        shutil.rmtree(self.path, ignore_errors=True)

    def set_version(self, version: str) -> None:
        """The Windows version, with its setup's LAYOUT*.INF files."""
        self.wine(["reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/d", version, "/f"])
        fonts.match_version(self, self.version, version)
        self.version = version
        self._folders = None
        layout_inf.lay_out(self)

    @property
    def is_nt(self) -> bool:
        return self.version in NT_VERSIONS

    # ------------------------------------------------------------ running
    def env(self) -> dict:
        return env.wine_env(self.path)

    def wine(self, args: Sequence, cwd: Optional[Path] = None, timeout: float = 120,
             check: bool = True, extra_env: Optional[dict] = None) -> subprocess.CompletedProcess:
        """Runs `wine ARGS...` to its end; output captured as text."""
        self.boot()
        self._note_start()
        e = self.env()
        e.update(extra_env or {})
        # Output goes to files, not pipes: programs that Wine starts in the
        # background inherit the handles and would hold a pipe open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run([env.wine(), *wine_program(args)], env=e, cwd=cwd,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                  timeout=timeout)
            out.seek(0)
            err.seek(0)
            done.stdout = out.read().decode("cp1252", errors="replace")
            done.stderr = err.read().decode("cp1252", errors="replace")
        if check and done.returncode != 0:
            # Wine's own messages go to standard error, a program's own often to
            # standard output: both are shown.
            said = "\n".join(text.strip()[-500:] for text in (done.stdout, done.stderr)
                             if text.strip())
            raise WineError(f"wine {' '.join(map(str, args))} exited {done.returncode}: "
                            f"{said or 'no message'}")
        return done

    def run(self, program, *args, cwd=None, timeout: float = 120,
            extra_env: Optional[dict] = None) -> subprocess.CompletedProcess:
        """Runs a Windows program (a Unix path or a Windows path) with the
        given current directory (either kind of path) and returns its end."""
        unix_cwd = self.unix(cwd) if cwd is not None else None
        return self.wine([self.win(program)] + list(args), cwd=unix_cwd, timeout=timeout,
                         check=False, extra_env=extra_env)

    def start(self, program, *args, cwd=None, extra_env: Optional[dict] = None,
              **popen) -> subprocess.Popen:
        """Starts a Windows program without waiting for it."""
        self.boot()
        e = self.env()
        e.update(extra_env or {})
        unix_cwd = self.unix(cwd) if cwd is not None else None
        popen.setdefault("stdin", subprocess.DEVNULL)
        popen.setdefault("stdout", subprocess.DEVNULL)
        popen.setdefault("stderr", subprocess.DEVNULL)
        self._note_start()
        process = subprocess.Popen([env.wine(), self.win(program)] + [str(a) for a in args],
                                   env=e, cwd=unix_cwd, **popen)
        self._started = [p for p in self._started if p.poll() is None] + [process]
        return process

    def _note_start(self) -> None:
        """A program starts (or the prefix stops or boots): the registry may
        change from now on, so the last snapshot no longer stands for it."""
        self._starts += 1
        self._last_read = None

    def _unchanged_since(self, starts: int) -> bool:
        """No program started since the count was `starts`, and every program
        started in the background has ended."""
        return starts == self._starts and all(p.poll() is not None for p in self._started)

    # ------------------------------------------------------------ paths
    @property
    def drive_c(self) -> Path:
        return self.path / "drive_c"

    def win(self, path) -> str:
        """Windows form of a path: Unix paths inside drive_c become C:\\...,
        other Unix paths Z:\\...; Windows paths are returned unchanged."""
        text = str(path)
        if re.match(r"^[A-Za-z]:[\\/]", text) or text.startswith("\\\\"):
            return text
        if not os.path.isabs(text):
            return text.replace("/", "\\")
        absolute = os.path.abspath(text)
        drive = str(self.drive_c)
        if absolute == drive or absolute.startswith(drive + os.sep):
            rest = absolute[len(drive):].lstrip("/")
            return "C:\\" + rest.replace("/", "\\")
        return "Z:" + absolute.replace("/", "\\")

    def unix(self, path) -> Path:
        """Unix form of a path given as C:\\... (or Z:\\...), resolving each
        component without regard to letter case as Windows would."""
        text = str(path)
        if not re.match(r"^[A-Za-z]:", text):
            return Path(text)
        win = PureWindowsPath(text)
        drive = win.drive.upper()
        base = self.drive_c if drive == "C:" else Path("/") if drive == "Z:" else None
        if base is None:
            raise ValueError(f"no mapping for drive {drive} in {text}")
        parts = [p for p in win.parts[1:] if p not in ("\\", "")]
        return _resolve_case(base, parts)

    def folders(self) -> Dict[str, str]:
        """The folders that programs see here, as Windows paths: windows,
        system, temp, programs, common_programs, desktop, common_desktop,
        program_files, personal, appdata (asked of the prefix once per
        version, at the first use). The version template's answers stand
        for a fresh prefix until a program runs in it (a registry import
        may move the folders)."""
        fresh = self._template_folders
        if self._folders is None and fresh is not None and fresh[0] == self._starts:
            self._folders = dict(fresh[1])
        if self._folders is None:
            out = self.run(env.kit_file("winpaths")).stdout
            self._folders = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
            self._folders["temp"] = self._folders["temp"].rstrip("\\")
        return dict(self._folders)

    def folder(self, name: str) -> Path:
        return self.unix(self.folders()[name])

    @property
    def windows_dir(self) -> Path:
        return self.folder("windows")

    @property
    def system_dir(self) -> Path:
        return self.folder("system")

    @property
    def temp_dir(self) -> Path:
        return self.folder("temp")

    # ------------------------------------------------------------ registry
    def reg_import(self, content) -> None:
        """Imports registry content: a dict as for reg_file_text, or the
        text of a .reg file."""
        with budget.spend("registry"):
            self._reg_import(content)

    def _reg_import(self, content) -> None:
        text = content if isinstance(content, str) else reg_file_text(content)
        with tempfile.NamedTemporaryFile("wb", suffix=".reg", delete=False,
                                         dir=self.path) as handle:
            handle.write(b"\xff\xfe" + text.encode("utf-16-le"))
            name = handle.name
        try:
            # An import writes the same keys and values again: one that fails
            # (now and then reg.exe ends with 1 and says nothing) is tried
            # again before the test is told.
            for attempt in range(READ_TRIES):
                done = self.wine(["reg", "import", self.win(name)],
                                 check=attempt == READ_TRIES - 1)
                if done.returncode == 0:
                    break
        finally:
            os.unlink(name)

    def read_key(self, key: str) -> Registry:
        """A live read of one key with everything below it. A missing key
        gives an empty Registry."""
        return self.read_keys([key])

    def read_keys(self, keys: Sequence[str], parallel: int = 4) -> Registry:
        """Live reads of several keys, merged into one Registry: one run of
        the kit's regdump.exe, or the last snapshot when it covers the keys
        and no program ran since (`parallel` is kept for callers; one run
        reads them all). A key that does not exist reads as nothing; a read
        that fails is tried again, and raises WineError when it keeps
        failing, so that it never passes for a key that is gone."""
        cached = self._fresh_snapshot()
        if cached is not None and all(_covered(key, cached[0]) and not cached[1].through_link(key)
                                      for key in keys):
            return cached[1].part(keys)
        registry = Registry()
        for read in self._dump(keys).values():
            if read is not None:
                registry.merge(read)
        return registry

    def exported_keys(self, keys: Sequence[str], parallel: int = 4) -> Registry:
        """The same read through reg.exe (one `reg export` per key, up to
        `parallel` side by side): the reading regdump.exe is checked against."""
        registry = Registry()
        with budget.spend("registry"):
            exported = self._reg_each(keys, _export, parallel)
        for read in exported.values():
            if read is not None:
                registry.merge(read)
        return registry

    def _dump(self, keys: Sequence[str], skip: Sequence[str] = ()) -> Dict[str, object]:
        """{key: its Registry, or None when it does not exist}: regdump.exe
        reads what is pending, in rounds; what keeps failing raises WineError."""
        with budget.spend("registry"):
            return self._dump_rounds(keys, skip)

    def _dump_rounds(self, keys: Sequence[str], skip: Sequence[str]) -> Dict[str, object]:
        self.boot()
        answers: Dict[str, object] = {}
        pending, failures = list(dict.fromkeys(k.rstrip("\\") for k in keys)), {}
        for _ in range(READ_TRIES if pending else 0):
            read, problem = _run_dump(self, pending, skip)
            failures = {}
            for key in pending:
                found = read.get(key, problem or "no answer") if read is not None else problem
                if isinstance(found, str):
                    failures[key] = found
                else:
                    answers[key] = found
            pending = list(failures)
            if not pending:
                break
        if pending:
            raise WineError("registry read failed " + str(READ_TRIES) + " times: " +
                            "; ".join(f"{key}: {problem}" for key, problem in failures.items()))
        return answers

    def existing_keys(self, keys: Iterable[str]) -> Set[str]:
        """Which of the keys exist now, as normalised lower-case names (one
        run of the kit's regkeys.exe); what it cannot tell is asked again,
        then raises WineError."""
        with budget.spend("registry"):
            return self._existing_keys(sorted(set(keys)))

    def _existing_keys(self, keys: List[str]) -> Set[str]:
        for _ in range(READ_TRIES if keys else 0):
            done = self.run(env.kit_file("regkeys"), *keys)
            answers = done.stdout.split()
            if done.returncode == 0 and len(answers) == len(keys) and "?" not in answers:
                return {normalize_key(k).lower() for k, a in zip(keys, answers) if a == "1"}
        if keys:
            raise WineError(f"regkeys.exe could not tell which keys exist "
                            f"(exit {done.returncode}): {done.stdout.strip()[-200:]}")
        return set()

    def _reg_each(self, keys: Sequence[str], job, parallel: int) -> Dict[str, object]:
        """job(prefix, key) for every key, up to `parallel` side by side, in
        rounds: what a round could not read is tried again in the next; what
        keeps failing raises WineError."""
        self.boot()
        answers: Dict[str, object] = {}
        failures: Dict[str, str] = {}
        pending = list(keys)
        for _ in range(READ_TRIES):
            failures = {}
            for key, (found, problem) in zip(pending, _parallel(
                    [lambda key=key: job(self, key) for key in pending], parallel)):
                if problem:
                    failures[key] = problem
                else:
                    answers[key] = found
            pending = list(failures)
            if not pending:
                return answers
        raise WineError("registry read failed " + str(READ_TRIES) + " times: " +
                        "; ".join(f"{key}: {problem}" for key, problem in failures.items()))

    def reg_value(self, key: str, name: str = "", default=None):
        """One value, read live (reg query): str for REG_SZ and
        REG_EXPAND_SZ, int for REG_DWORD, a list of str for REG_MULTI_SZ,
        bytes otherwise; default when the key or value is missing (a query
        that keeps failing raises WineError)."""
        args = ["reg", "query", key] + (["/v", name] if name else ["/ve"])
        for _ in range(READ_TRIES):
            done = self.wine(args, check=False)
            if done.returncode == 0:
                parsed = _parse_query_line(done.stdout, name)
                return default if parsed is None else parsed
            if _is_missing(done):
                return default
        raise WineError(f"reg query {key} {name!r} failed {READ_TRIES} times: "
                        f"{(done.stdout + done.stderr).strip()[-300:]}")

    def registry(self, classes: bool = False) -> Registry:
        r"""A live snapshot of HKEY_LOCAL_MACHINE\Software and \System and of
        HKEY_CURRENT_USER (one run of regdump.exe). HKLM\Software\Classes
        (thousands of keys, seconds to read) is left out unless classes=True.
        When no program ran since the last snapshot (and none started in the
        background is still running), that snapshot is the answer: nothing
        could have changed the registry."""
        cached = self._fresh_snapshot()
        if cached is not None and (cached[0] or not classes):
            return cached[1]
        skip = [] if classes else [SOFTWARE + "\\Classes"]
        registry = Registry()
        for read in self._dump([SOFTWARE, r"HKLM\System", "HKCU"], skip).values():
            if read is not None:
                registry.merge(read)
        registry.add_key(SOFTWARE)
        self._last_read = (self._starts, classes, registry)
        return registry

    def _fresh_snapshot(self) -> Optional[Tuple[bool, Registry]]:
        """(with Classes?, the last snapshot) while it still stands."""
        if self._last_read is None or not self._unchanged_since(self._last_read[0]):
            return None
        return self._last_read[1], self._last_read[2]

    def registry_from_files(self) -> Registry:
        """The same from the hive files; stops the prefix first (so the next
        program started boots it again)."""
        self.stop()
        registry = parse_hive((self.path / "system.reg").read_text("utf-8", "replace"), "HKLM")
        user = (self.path / "user.reg").read_text("utf-8", "replace")
        return parse_hive(user, "HKCU", registry)


# Reads of the registry through reg.exe: its answer when a key or value does
# not exist (in English, the language the kit starts Wine in), and how often
# a read that fails otherwise is tried.
MISSING = "reg: Unable to find the specified registry"
READ_TRIES = 3


def _is_missing(done) -> bool:
    return done.returncode == 1 and MISSING in done.stdout


SOFTWARE = r"HKLM\Software"


def _covered(key: str, classes: bool) -> bool:
    """Whether a snapshot (with or without Classes) holds the whole key."""
    lower = normalize_key(key).lower()
    under = lambda root: lower == root or lower.startswith(root + "\\")
    if under("hkey_local_machine\\software\\classes"):
        return classes
    return any(under(root) for root in ("hkey_local_machine\\software",
                                        "hkey_local_machine\\system", "hkey_current_user"))


def _run_dump(prefix, keys: Sequence[str], skip: Sequence[str]) -> Tuple[Optional[dict], str]:
    """(regdump.exe's answers by key, or None; what went wrong)."""
    handle, name = tempfile.mkstemp(suffix=".txt", dir=prefix.path)
    os.close(handle)
    try:
        done = prefix.run(env.kit_file("regdump"), prefix.win(name), *keys,
                          *("-" + key for key in skip))
        read = parse_dump(Path(name).read_bytes(), skip)
        if done.returncode != 0 or read is None:
            return None, f"regdump exit {done.returncode}: " \
                f"{(done.stdout + done.stderr).strip()[-200:] or 'output cut short'}"
        return read, ""
    finally:
        os.unlink(name)


def _export(prefix, key: str) -> Tuple[Optional[Registry], str]:
    """(the key read, or None when it does not exist; what went wrong)."""
    handle, name = tempfile.mkstemp(suffix=".reg", dir=prefix.path)
    os.close(handle)
    try:
        done = prefix.wine(["reg", "export", key, prefix.win(name), "/y"], check=False)
        if _is_missing(done):
            return None, ""
        text = Path(name).read_bytes().decode("utf-16", errors="replace") \
            if done.returncode == 0 else ""
        read = parse_export(text)
        if done.returncode != 0 or not read.has_key(key):  # wrote less than the key
            return None, f"exit {done.returncode}: {(done.stdout + done.stderr).strip()[-200:]}"
        return read, ""
    finally:
        os.unlink(name)


def _parallel(jobs: Sequence[Callable], parallel: int) -> List:
    with ThreadPoolExecutor(parallel) as pool:
        return list(pool.map(lambda job: job(), jobs))


_QUERY_TYPES = {"REG_SZ": 1, "REG_EXPAND_SZ": 2, "REG_BINARY": 3, "REG_DWORD": 4,
                "REG_MULTI_SZ": 7}
_QUERY_LINE = re.compile(r"^    (.*?)    (REG_[A-Z_]+)    ?(.*)$")


def _parse_query_line(output: str, name: str):
    """The data of the value line that `reg query /v NAME` prints."""
    for line in output.splitlines():
        m = _QUERY_LINE.match(line)
        if not m or (m.group(1).lower() != (name or "(default)").lower()):
            continue
        kind, data = m.group(2), m.group(3)
        if kind in ("REG_SZ", "REG_EXPAND_SZ"):
            return data
        if kind == "REG_DWORD":
            return int(data, 16)
        if kind == "REG_MULTI_SZ":
            return data.split("\\0") if data else []
        return bytes.fromhex(data)
    return None


def _resolve_case(base: Path, parts: Sequence[str]) -> Path:
    current = base
    for index, part in enumerate(parts):
        candidate = current / part
        if not candidate.exists() and current.is_dir():
            lower = part.lower()
            for entry in os.listdir(current):
                if entry.lower() == lower:
                    candidate = current / entry
                    break
        current = candidate
    return current


# ------------------------------------------------------------ version templates

# What every test lays out anyway is made once per Windows version: a copy of
# winerun's template with the version set, the version's LAYOUT*.INF files,
# the desktop's settings and the answers of winpaths.exe (in FOLDERS_FILE), kept in
# <wine root>/versions/<version> and copied for each test. Its stamp names
# what it was made from; when that changes it is made again.
FOLDERS_FILE = ".vtx-folders.json"
_STAMP = ".vtx-version-ready"


def _template_stamp() -> str:
    base = env.wine_root() / "template" / ".ready"
    made_from = [base, Path(layout_inf.__file__), Path(fonts.__file__), Path(__file__),
                 env.kit_file("winpaths"), env.kit_file("driver"), env.winerun()]
    return json.dumps([p.stat().st_mtime_ns if p.exists() else 0 for p in made_from])


def version_template(version: str) -> Path:
    """The prefix folder of the version's template, made under a file lock
    the first time (and whenever what it is made from changed)."""
    root = env.wine_root()
    folder = root / "versions" / version
    folder.parent.mkdir(parents=True, exist_ok=True)
    with open(root / f"version-{version}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp = folder / _STAMP
        if stamp.exists() and stamp.read_text() == _template_stamp():
            return folder
        building = _prepare(f"_version-{version}")  # winerun makes its template first
        prefix = Prefix(building, version)
        try:
            prefix.boot()
            prefix.set_version(version)
            (building / FOLDERS_FILE).write_text(json.dumps(prefix.folders()))
            # The desktop's first start writes the version's colours and
            # metrics into the user's settings: made here once, it is no
            # change that a test's first window brings.
            prefix.run(env.kit_file("driver"), "--show-window", timeout=60)
        finally:
            prefix.stop()
        shutil.rmtree(folder, ignore_errors=True)
        os.rename(building, folder)
        stamp.write_text(_template_stamp())
    return folder


def _prepare(name: str, template: Optional[Path] = None) -> Path:
    """winerun --prepare: a fresh copy of winerun's template (or of a
    version template) named name; its path."""
    cmd = [str(env.winerun()), "--prepare", name]
    if template is not None:
        cmd += ["--from", str(template)]
    done = subprocess.run(cmd, env=_winerun_env(), capture_output=True, text=True)
    if done.returncode != 0:
        raise WineError(f"winerun --prepare {name} failed (exit {done.returncode}): "
                        f"{done.stderr.strip() or 'no message'}")
    return Path(done.stdout.strip().splitlines()[-1])


def _winerun_env() -> dict:
    e = dict(os.environ)
    e["VTX_WINE_ROOT"] = str(env.wine_root())
    return e
