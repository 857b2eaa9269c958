"""The test kit for the end-to-end tests: fresh Wine prefixes, an installed
driver package as a fixture, the installer-library stand-in, the GUI driver
that plays the user, stand-in programs, snapshots and their differences, and
readers of the log, wininit.ini and the pending renames."""
from .apps import FakeApp, HoldFile
from .driver import DEFAULT_CAPTION, DriverRun, Transcript, run_driver, start_driver
from .env import build_dir, package_dir, source_dir
from .fixture import PRODUCT_CODE, RUN_KEY, UNINSTALL_KEY, Footprint, PackageFixture
from .inifile import join
from .kmi import call_kinds, install_stub, read_calls, write_stub_config
from .logs import (log_messages, pending_deletions, pending_renames, read_log, read_log_text,
                   read_wininit, scheduled_deletions, wininit_renames)
from .prefix import Prefix, WineError
from .records import Event
from .registry import (DELETE, Binary, Dword, ExpandSz, MultiSz, RawValue, Registry,
                       reg_file_text)
from .session import Skip
from .snapshot import Diff, Snapshot, diff
