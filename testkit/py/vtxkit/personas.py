"""Localized Windows personas. Real localized Windows names its folders in
its language and reports them through the shell folder keys and the
CurrentVersion values (Wine keeps English names): localize(prefix, language)
makes the folders and points those keys and values at them, inside the
Windows directory on 9x, in the profiles on the NT family."""
from .inifile import join

CURRENT_VERSION = r"HKLM\Software\Microsoft\Windows\CurrentVersion"
EXPLORER = r"{}\Software\Microsoft\Windows\CurrentVersion\Explorer"

# Program Files, Common Files, Start Menu, Programs, Startup, Desktop, profiles.
LANGUAGES = {
    "german": ("Programme", "Gemeinsame Dateien", "Startmenü", "Programme", "Autostart",
               "Desktop", "Dokumente und Einstellungen"),
    "spanish": ("Archivos de programa", "Archivos comunes", "Menú Inicio", "Programas",
                "Inicio", "Escritorio", "Documents and Settings"),
}


def renames(language: str) -> dict:
    """Package renames that move what the description puts into Program Files."""
    return {"Program Files": LANGUAGES[language][0]}


def localize(prefix, language: str) -> dict:
    """Returns the values set: {value name: Windows path}."""
    files, common, menu, programs, startup, desktop, profiles = LANGUAGES[language]
    current = {"ProgramFilesDir": "C:\\" + files, "CommonFilesDir": join("C:\\" + files, common)}
    keys = {"HKCU": ("", prefix.folders()["windows"])}
    if prefix.is_nt:
        user = prefix.folders()["desktop"].split("\\")[-2]
        keys = {"HKCU": ("", join("C:\\" + profiles, user)),
                "HKLM": ("Common ", join("C:\\" + profiles, "All Users"))}
    content, made = {CURRENT_VERSION: current}, dict(current)
    for root, (kind, base) in keys.items():
        folders = {kind + "Start Menu": join(base, menu), kind + "Programs": join(base, menu, programs),
                   kind + "Startup": join(base, menu, programs, startup),
                   kind + "Desktop": join(base, desktop)}
        for key in ("User Shell Folders", "Shell Folders"):
            content[join(EXPLORER.format(root), key)] = folders
        made.update(folders)
    for folder in made.values():
        prefix.unix("C:\\").joinpath(*folder.split("\\")[1:]).mkdir(parents=True, exist_ok=True)
    prefix.reg_import(content)
    prefix._folders = None  # the shell now answers the language's folders
    return made
