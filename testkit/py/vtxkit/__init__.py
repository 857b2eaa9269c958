"""The test kit for the end-to-end tests: fresh Wine prefixes, a described
driver package laid out as a test's fixture, the installer-library
stand-in, the GUI driver that plays the user, stand-in programs, snapshots
and their differences, and readers of the log, wininit.ini and the pending
renames."""
from .apps import FakeApp, HoldFile
from .description import DescriptionError, PackageDescription
from .driver import DEFAULT_CAPTION, DriverRun, Transcript, run_driver, start_driver
from .env import build_dir, locale_env, package_dir, source_dir
from .inifile import join
from .kmi import call_kinds, install_stub, read_calls, write_stub_config
from .logs import (log_messages, pending_deletions, pending_renames, read_log, read_log_text,
                   read_wininit, scheduled_deletions, wininit_renames)
from .package import PRODUCT_CODE, RUN_KEY, UNINSTALL_KEY, Footprint, Package
from .prefix import Prefix, WineError
from .records import Event
from .registry import (DELETE, Binary, Dword, ExpandSz, MultiSz, RawValue, Registry,
                       reg_file_text)
from .snapshot import Diff, Snapshot, diff
