"""Localized Windows personas. Real localized Windows names its folders in
its own language (Program Files is "C:\\Programme" on German Windows) and
reports them through the shell folder keys and the CurrentVersion values;
Wine keeps English names. localize(prefix, language) makes the folders and
points those keys and values at them, as the real platform lays them out:
inside the Windows directory on 95, 98 and Me, in the profiles on the NT
family."""
from dataclasses import dataclass

from .inifile import join

CURRENT_VERSION = r"HKLM\Software\Microsoft\Windows\CurrentVersion"
USER_EXPLORER = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer"
ALL_USERS_EXPLORER = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer"


@dataclass(frozen=True)
class Language:
    program_files: str
    common_files: str   # inside Program Files
    start_menu: str
    programs: str       # inside the start menu
    startup: str        # inside Programs
    desktop: str
    profiles: str       # the NT family's profile root, on drive C


LANGUAGES = {
    "german": Language("Programme", "Gemeinsame Dateien", "Startmenü", "Programme",
                       "Autostart", "Desktop", "Dokumente und Einstellungen"),
    "spanish": Language("Archivos de programa", "Archivos comunes", "Menú Inicio", "Programas",
                        "Inicio", "Escritorio", "Documents and Settings"),
    "italian": Language("Programmi", "File comuni", "Menu Avvio", "Programmi", "Esecuzione automatica",
                        "Desktop", "Documents and Settings"),
}


def renames(language: str) -> dict:
    """Package renames that put what the description lays into Program Files
    into the language's Program Files."""
    return {"Program Files": LANGUAGES[language].program_files}


def _shell_folders(base: str, words: Language, prefix_: str = "") -> dict:
    menu = join(base, words.start_menu)
    programs = join(menu, words.programs)
    return {prefix_ + "Start Menu": menu, prefix_ + "Programs": programs,
            prefix_ + "Startup": join(programs, words.startup),
            prefix_ + "Desktop": join(base, words.desktop)}


def localize(prefix, language: str) -> dict:
    """Lays out the language's folders in the prefix and points the platform
    at them; returns the values set ({value name: folder})."""
    words = LANGUAGES[language]
    program_files = "C:\\" + words.program_files
    current = {"ProgramFilesDir": program_files,
               "CommonFilesDir": join(program_files, words.common_files)}
    if prefix.is_nt:
        profiles = "C:\\" + words.profiles
        user = prefix.folders()["desktop"].rsplit("\\", 1)[0].rsplit("\\", 1)[-1]
        users = _shell_folders(join(profiles, user), words)
        common = _shell_folders(join(profiles, "All Users"), words, "Common ")
        keys = {ALL_USERS_EXPLORER: common, USER_EXPLORER: users}
    else:
        users = _shell_folders(prefix.folders()["windows"], words)
        keys = {USER_EXPLORER: users}
    for folder in [*current.values()] + [f for v in keys.values() for f in v.values()]:
        prefix.unix("C:\\").joinpath(*folder.split("\\")[1:]).mkdir(parents=True, exist_ok=True)
    content = {CURRENT_VERSION: current}
    for explorer, folders in keys.items():
        content[join(explorer, "User Shell Folders")] = folders
        content[join(explorer, "Shell Folders")] = folders
    prefix.reg_import(content)
    prefix._folders = None  # the shell now answers the language's folders
    return {**current, **{k: v for folders in keys.values() for k, v in folders.items()}}
