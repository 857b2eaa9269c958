"""The kit's record lines (the driver's transcript, the stand-in library's
call list): an event word and tab-separated name=value fields, with '%',
tabs, line breaks and other control bytes written as %XX."""
import re
from dataclasses import dataclass, field
from typing import Dict, List, Optional

_ESCAPE = re.compile(r"%([0-9A-Fa-f]{2})")


def unescape(text: str) -> str:
    return _ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)


@dataclass
class Event:
    kind: str
    fields: Dict[str, str] = field(default_factory=dict)
    time: Optional[float] = None  # seconds since the start, where recorded

    def __getitem__(self, name: str) -> str:
        return self.fields[name]

    def get(self, name: str, default=None):
        return self.fields.get(name, default)

    def int(self, name: str) -> int:
        return int(self.fields[name])

    def line(self) -> str:
        """The event as one readable line, without the time; line breaks
        and tabs in values are shown as \\n, \\r and \\t."""
        def shown(value: str) -> str:
            return value.replace("\n", "\\n").replace("\r", "\\r").replace("\t", "\\t")
        return "\t".join([self.kind] + [f"{k}={shown(v)}" for k, v in self.fields.items()])


def parse_line(line: str, timed: bool) -> Optional[Event]:
    parts = line.rstrip("\r\n").split("\t")
    if not parts or not parts[0]:
        return None
    time = None
    if timed:
        try:
            time = float(parts.pop(0))
        except ValueError:
            return None
        if not parts:
            return None
    fields = {}
    for part in parts[1:]:
        name, _, value = part.partition("=")
        fields[name] = unescape(value)
    return Event(parts[0], fields, time)


def parse_lines(text: str, timed: bool) -> List[Event]:
    events = []
    for line in text.splitlines():
        event = parse_line(line, timed)
        if event is not None:
            events.append(event)
    return events
