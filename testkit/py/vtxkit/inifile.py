"""INI texts as the package's files hold them, built from nested dicts
with overrides, and Windows path joins."""
from typing import Dict, Optional

from .registry import DELETE


def join(*parts: str) -> str:
    """Windows path join with one backslash at each seam."""
    out = parts[0]
    for part in parts[1:]:
        out = out.rstrip("\\") + "\\" + part.lstrip("\\")
    return out


def ini_text(sections: Dict[str, Dict[str, str]]) -> str:
    lines = []
    for name, keys in sections.items():
        lines.append(f"[{name}]")
        lines += [f"{k}={v}" for k, v in keys.items()]
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


def merge_ini(base: Dict[str, Dict[str, str]], overrides: Optional[dict]) -> dict:
    merged = {name: dict(keys) for name, keys in base.items()}
    for name, keys in (overrides or {}).items():
        if keys is None:
            merged.pop(name, None)
            continue
        section = merged.setdefault(name, {})
        for key, value in keys.items():
            if value is None:
                section.pop(key, None)
            else:
                section[key] = value
    return merged


def merge_values(base: Dict[str, object], overrides: Optional[dict]) -> dict:
    merged = dict(base)
    for name, value in (overrides or {}).items():
        if value is DELETE:
            merged.pop(name, None)
        else:
            merged[name] = value
    return merged
