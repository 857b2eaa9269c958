"""The rehearsal's page as a maker opens it: scripts/demo's rehearsal (one)
of the sample package with one leftover seeded, the page parsed strictly,
its rows against the text output, its pictures decoded, and the page drawn
by a real browser (Debian's Chromium, headless)."""
import base64
import re
import subprocess

import html5lib
from pngread import dark_share, looks_like_window, read_png, symmetric_glyph
from vtxkit import env
from vtxkit.description import SAMPLE

# A name from Windows's own setup list, shipped by the package under that
# name and listed for removal: the tool refuses it and says so in the log.
SEEDED = "mdmgen.inf"
SEEDING = [("%WINDOWS%=KmiRbt.txt, PM100Usb.ini, KmiSetup.log", f", {SEEDED}"),
           ("RemoveFromWinDir=PM100Usb.ini,KmiSetup.log", f",{SEEDED}")]
XHTML = "{http://www.w3.org/1999/xhtml}"
FOOTPRINT = {"files": "file ", "shortcuts": "file ", "folders": "dir ", "registry keys": "key ",
             "registry values in keys that are not the package's": "value ",
             "dial-up entries": "dial-up entry "}


def sections(output: str) -> dict:
    """The text output's listings: "title (N):" and its indented lines."""
    found, current = {}, None
    for line in output.splitlines():
        head = re.match(r"^(\S.*) \((\d+)\):$", line)
        if head:
            current = found.setdefault(head.group(1), [])
        elif line.startswith("  ") and current is not None:
            current.append(line[2:])
        else:
            current = None
    return found


def expected_rows(output: str) -> dict:
    """Each footprint item the text lists, with the verdict its lists give."""
    listed = sections(output)
    removed, left = listed["removed"], listed["left of the package after the restart"]
    rows = {}
    for title, kind in FOOTPRINT.items():
        for item in listed[title]:
            said = kind + item
            verdict = ("removed" if any(r == said or r.startswith(said + " (") for r in removed)
                       else "left" if said in left else "gone after the restart")
            rows[item] = verdict
    return rows


def page_rows(tree) -> dict:
    rows = {}
    for tr in tree.iter(f"{XHTML}tr"):
        cells = ["".join(td.itertext()) for td in tr.findall(f"{XHTML}td")]
        if len(cells) == 3:
            rows[cells[0]] = cells[1:]
    return rows


def render(page, out):
    chromium = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                "--disable-background-networking", "--hide-scrollbars",
                "--force-device-scale-factor=0.5", "--window-size=800,1200",
                f"--screenshot={out}", page.as_uri()]
    done = subprocess.run(chromium, capture_output=True, text=True, timeout=120)
    assert done.returncode == 0 and out.exists(), done.stderr
    return read_png(out.read_bytes())


def test_page_of_a_rehearsal_with_a_leftover(tmp_path):
    text = SAMPLE.read_text(encoding="cp1252")
    for line, more in SEEDING:
        assert line in text
        text = text.replace(line, line + more)
    description = tmp_path / "seeded.ini"
    description.write_text(text, encoding="cp1252")
    # On a display of its own, as scripts/demo has: on the suite's display
    # the windows of the tests beside it would cover its boxes in the pictures.
    own_display = ["bash", "-c", 'unset DISPLAY; source "$0"; ensure_display; "$@"',
                   env.source_dir() / "testkit" / "wine" / "display.sh"]
    demo = own_display + [
        env.source_dir() / "testkit" / "python", env.source_dir() / "tools" / "demo" / "demo.py",
        "--package", description, "--windows", "xp", "--out", tmp_path / "out"]
    done = subprocess.run(demo, capture_output=True, text=True, timeout=400)
    assert done.returncode == 1, done.stdout + done.stderr
    page = tmp_path / "out" / "report.html"
    assert f"{page}" in done.stdout

    tree = html5lib.HTMLParser(strict=True).parse(page.read_bytes())  # raises on any error
    assert not [e.tag for e in tree.iter() if e.tag in (f"{XHTML}script", f"{XHTML}link")]
    assert not [v for e in tree.iter() for v in e.attrib.values() if "://" in v]

    rows, expected = page_rows(tree), expected_rows(done.stdout)
    assert {item: rows.get(item, ["missing"])[0] for item in expected} == expected
    seeded = [item for item in expected if item.lower().endswith("\\" + SEEDED)]
    verdict, why = rows[seeded[0]]
    assert verdict == "left" and re.search(rf'"{SEEDED}".*not removed', why), why
    assert "What else changed (0)" in "".join(tree.itertext())

    images = [(img.get("alt"), img.get("src")) for img in tree.iter(f"{XHTML}img")]
    assert len(images) == len(sections(done.stdout)["saved"]) >= 4
    for what, source in images:
        assert source.startswith("data:image/png;base64,")
        picture = read_png(base64.b64decode(source.split(",", 1)[1]))
        assert looks_like_window(picture), f"{what}: no window"
        # Boxes have a close button (the progress window has none).
        assert not what.startswith("Box") or symmetric_glyph(picture), \
            f"{what}: the close button's glyph is no cross"

    drawn = render(page, tmp_path / "drawn.png")
    assert 0.02 < dark_share(drawn) < 0.6, "the browser drew a blank page"
