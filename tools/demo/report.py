"""The rehearsal's page: one self-contained HTML file a maker hands to
whoever signs the release off. It holds the package and the Windows version,
the result and exit code, the footprint as tables with each row's verdict
(removed, gone after the restart, or left with its reason and the log's line
that explains it), what else changed, the pictures of the tool's windows in
the order they were shown, and the whole log. Images are embedded, nothing
is fetched, no script runs; the page prints on paper as it reads on screen."""
import base64
import html
import re
from dataclasses import dataclass
from pathlib import Path, PureWindowsPath
from typing import Dict, List, Sequence, Tuple

from vtxkit.rehearsal import Item, Outcome, Rehearsal, describe, short_key

REMOVED, AFTER_RESTART, LEFT = "removed", "gone after the restart", "left"
CLOSED = "closed by the tool"
WINDOWS_NAMES = {"95": "Windows 95", "98": "Windows 98", "me": "Windows Me",
                 "2000": "Windows 2000", "xp": "Windows XP"}
# A log line that reports something not done ("not removed", "not deleted,
# error 32", "Can't ...").
REFUSAL = re.compile(r"\bnot\b|can't|\berror\b", re.IGNORECASE)

# A picture of one of the tool's windows: what it shows, and the PNG file.
Picture = Tuple[str, Path]


@dataclass
class Row:
    item: str          # as the text output lists it
    verdict: str       # REMOVED, AFTER_RESTART, LEFT (CLOSED for windows)
    why: str = ""      # the rehearsal's reason, for what was not removed at once
    line: str = ""     # the log's line about it, for what is left


# ---------------------------------------------------------------- verdicts
def shown(item: Item) -> str:
    """An item as the text output lists it."""
    if item[0] == "value":
        return f"{short_key(item[1])} : {item[2]}"
    if item[0] == "key":
        return short_key(item[1])
    return item[1]


def table_of(item: Item) -> str:
    if item[0] == "file":
        return "Shortcuts" if item[1].lower().endswith(".lnk") else "Files"
    return {"dir": "Folders", "key": "Registry keys", "value": "Registry values"}[item[0]]


def explaining_line(needles: Sequence[str], log_lines: Sequence[str]) -> str:
    """The last log line that names the item and reports something not done."""
    needles = [n.lower() for n in needles if n]
    found = [line for line in log_lines
             if REFUSAL.search(line) and any(n in line.lower() for n in needles)]
    return found[-1] if found else ""


def needles_of(item: Item) -> List[str]:
    if item[0] in ("file", "dir"):
        return [item[1], f'"{PureWindowsPath(item[1]).name}"']
    if item[0] == "key":
        return [item[1].partition("\\")[2]]
    return [f'"{item[2]}"'] if item[2] else []


def footprint_rows(rehearsal: Rehearsal, outcome: Outcome) -> Dict[str, List[Row]]:
    """The footprint's tables, each row with its verdict."""
    removed = set(outcome.removed)
    left_after = set(outcome.left_after_restart)
    log_lines = outcome.log.replace("\r", "").split("\n")
    tables: Dict[str, List[Row]] = {name: [] for name in (
        "Files", "Shortcuts", "Folders", "Registry keys", "Registry values")}
    for item in rehearsal.footprint:
        said = describe(item)
        if said in removed:
            row = Row(shown(item), REMOVED)
        elif said in left_after:
            row = Row(shown(item), LEFT, reason(said, outcome),
                      explaining_line(needles_of(item), log_lines))
        else:
            row = Row(shown(item), AFTER_RESTART, reason(said, outcome))
        tables[table_of(item)].append(row)
    tables["Dial-up entries"] = [named_row(f"dial-up entry {name}", name, outcome, log_lines)
                                 for name in rehearsal.description.dialups]
    tables["Companion programs' windows"] = [
        named_row(f"window {what}", what, outcome, log_lines, CLOSED)
        for _, what in rehearsal.companions]
    return tables


def reason(said: str, outcome: Outcome) -> str:
    """Why the removal left an item ("ITEM: REASON" in its list; a value's
    item holds " : " itself, a reason may hold ": ")."""
    for line in outcome.left:
        if line.startswith(said + ": "):
            return line[len(said) + 2:]
    return ""


def named_row(said: str, name: str, outcome: Outcome, log_lines: Sequence[str],
              done: str = REMOVED) -> Row:
    """A dial-up entry or window: removed (closed) unless listed as left."""
    if any(line.startswith(said + ": ") for line in outcome.left):
        return Row(name, LEFT, reason(said, outcome),
                   explaining_line([f" {name} ", f'"{name}"'], log_lines))
    return Row(name, done)


# ---------------------------------------------------------------- the page
STYLE = """
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 11pt; color: #000;
       background: #fff; margin: 2em; max-width: 62em; }
h1 { font-size: 18pt; } h2 { font-size: 14pt; margin-top: 1.6em; } h3 { font-size: 12pt; }
table { border-collapse: collapse; width: 100%; margin-bottom: 1em; }
th, td { border: 1px solid #888; padding: 2px 6px; text-align: left; vertical-align: top; }
td:first-child, td:last-child { overflow-wrap: anywhere; }
th.verdict, td.removed, td.after, td.left { white-space: nowrap; width: 10em; }
th { background: #e8e8e8; }
table.facts { width: auto; } table.facts th { width: 10em; }
td.removed { background: #dff0d8; } td.after { background: #fcf3cf; }
td.left { background: #f5c6c6; font-weight: bold; }
.line { font-family: "DejaVu Sans Mono", monospace; font-size: 9pt; }
.clean { font-weight: bold; } .dirty { font-weight: bold; color: #a00000; }
figure { margin: 1em 0; break-inside: avoid; page-break-inside: avoid; }
img { border: 1px solid #888; image-rendering: pixelated; max-width: 100%; }
pre { font-family: "DejaVu Sans Mono", monospace; font-size: 9pt; white-space: pre-wrap;
      overflow-wrap: anywhere; border: 1px solid #888; padding: 6px; }
tr { break-inside: avoid; page-break-inside: avoid; }
@media print { body { margin: 0; font-size: 10pt; } h2 { break-after: avoid; }
               pre { font-size: 7.5pt; } }
"""
VERDICT_CLASS = {REMOVED: "removed", CLOSED: "removed", AFTER_RESTART: "after", LEFT: "left"}


def text(value: str) -> str:
    """Escaped, with control characters (which a log may hold) made visible."""
    value = re.sub(r"[\x00-\x08\x0b-\x1f\x7f]", "\N{REPLACEMENT CHARACTER}", value)
    return html.escape(value, quote=True)


def png_size(data: bytes) -> Tuple[int, int]:
    return int.from_bytes(data[16:20], "big"), int.from_bytes(data[20:24], "big")


def facts(rows: Sequence[Tuple[str, str]]) -> List[str]:
    out = ['<table class="facts">']
    out += [f"<tr><th>{text(k)}</th><td>{v}</td></tr>" for k, v in rows]
    return out + ["</table>"]


def footprint_table(title: str, rows: Sequence[Row]) -> List[str]:
    out = [f"<h3>{text(title)} ({len(rows)})</h3>"]
    if not rows:
        return out + ["<p>None.</p>"]
    out.append('<table><thead><tr><th>item</th><th class="verdict">verdict</th>'
               "<th>why, and the log's line</th></tr></thead><tbody>")
    for row in rows:
        why = text(row.why)
        if row.line:
            why += f'<br><span class="line">{text(row.line)}</span>'
        out.append(f"<tr><td>{text(row.item)}</td>"
                   f'<td class="{VERDICT_CLASS[row.verdict]}">{text(row.verdict)}</td>'
                   f"<td>{why}</td></tr>")
    return out + ["</tbody></table>"]


def listing(title: str, lines: Sequence[str], empty: str) -> List[str]:
    out = [f"<h2>{text(title)} ({len(lines)})</h2>"]
    if not lines:
        return out + [f'<p class="clean">{text(empty)}</p>']
    return out + ['<ul class="dirty">'] + [f"<li>{text(line)}</li>" for line in lines] + ["</ul>"]


def pictures(shots: Sequence[Picture]) -> List[str]:
    out = [f"<h2>The tool's windows, in the order shown ({len(shots)})</h2>"]
    for number, (what, path) in enumerate(shots, 1):
        data = Path(path).read_bytes()
        width, height = png_size(data)
        source = "data:image/png;base64," + base64.b64encode(data).decode("ascii")
        out.append(f'<figure><img src="{source}" width="{width}" height="{height}" '
                   f'alt="{text(what)}"><figcaption>{number}. {text(what)}</figcaption></figure>')
    return out


def render(rehearsal: Rehearsal, outcome: Outcome, verdict: str, exit_code: int,
           shots: Sequence[Picture], package_file: Path) -> str:
    name = rehearsal.description.name
    windows = WINDOWS_NAMES.get(rehearsal.windows, rehearsal.windows)
    css = "clean" if exit_code == 0 else "dirty"
    body = [f"<h1>Rehearsal of the removal: {text(name)}</h1>"]
    body += facts([("package", text(name)), ("description", text(str(package_file))),
                   ("Windows", text(windows)),
                   ("result", f'<span class="{css}">{text(verdict)}</span>'),
                   ("exit code", str(exit_code))])
    body.append("<h2>The package's footprint, and what became of it</h2>")
    body.append("<p>Every item laying out the package made. <b>removed</b>: gone when the tool "
                "ended; <b>gone after the restart</b>: scheduled by the tool, gone once Windows "
                "restarted; <b>left</b>: still there after the restart, with the reason and, "
                "where there is one, the log's line.</p>")
    for title, rows in footprint_rows(rehearsal, outcome).items():
        body += footprint_table(title, rows)
    body += listing("What else changed", outcome.else_changed + outcome.else_changed_after_restart,
                    "Nothing else changed.")
    body += listing("Scheduled for the next start", outcome.scheduled, "Nothing was scheduled.")
    body += pictures(shots)
    body.append("<h2>The log, VTX.LOG in the Windows directory</h2>")
    body.append(f"<pre>{text(outcome.log.replace(chr(13), ''))}</pre>")
    return "\n".join(["<!DOCTYPE html>", '<html lang="en">', "<head>", '<meta charset="utf-8">',
                      f"<title>Rehearsal: {text(name)} on {text(windows)}</title>",
                      f"<style>{STYLE}</style>", "</head>", "<body>"] + body
                     + ["</body>", "</html>", ""])


def write(path: Path, rehearsal: Rehearsal, outcome: Outcome, verdict: str, exit_code: int,
          shots: Sequence[Picture], package_file: Path) -> Path:
    path.write_text(render(rehearsal, outcome, verdict, exit_code, shots, package_file),
                    encoding="utf-8")
    return path
