"""The font a prefix's boxes and captions are drawn in, as that Windows
version draws them: 95, 98, Me and NT 4 in the bitmap MS Sans Serif, 2000
and later in Tahoma. Wine draws them in "MS Shell Dlg" for every version,
and the template's FontSubstitutes map that name to Tahoma; winerun puts
both fonts into the template (testkit/wine/fonts.sh)."""
SUBSTITUTES = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes"
BITMAP_ERA = {"win95", "win98", "winme", "nt40"}
TEMPLATE_FACE = "Tahoma"


def shell_face(version: str) -> str:
    return "MS Sans Serif" if version in BITMAP_ERA else TEMPLATE_FACE


def match_version(prefix, old_version: str, new_version: str) -> None:
    """Maps "MS Shell Dlg" to the new version's face; nothing to do (and no
    program started) while the face stays the template's."""
    face = shell_face(new_version)
    if face != shell_face(old_version) or face != TEMPLATE_FACE:
        prefix.wine(["reg", "add", SUBSTITUTES, "/v", "MS Shell Dlg", "/d", face, "/f"])
