"""Checks the application manifest inside the built program files against
what every Windows they run on accepts. Wine's own manifest parser accepts
forms that Windows XP rejects, so the rules are checked on the text:

- exactly one manifest resource, type 24 (RT_MANIFEST) id 1, well-formed XML;
- root <assembly> in urn:schemas-microsoft-com:asm.v1, manifestVersion 1.0;
- <assemblyIdentity> with type win32, a name, the build's version in four
  parts and the processor of the image (x86 for i386, amd64 or * for x86-64);
- one <trustInfo>, in asm.v2 (XP rejects it in asm.v1; asm.v3 is not read by
  XP either), holding security/requestedPrivileges/requestedExecutionLevel
  with level requireAdministrator and uiAccess false;
- no element declares one namespace twice (XP SP2 without a later fix
  restarts the machine on a prefixed plus a default declaration);
- no dependency on the version 6 common controls (the tool must start on 95).

Then it breaks the first file's manifest once per rule and makes sure each
break is reported, so that a rule cannot silently stop checking.

usage: check_manifest.py VERSION FILE...
"""
import os
import re
import sys
from xml.etree import ElementTree
from xml.parsers import expat

from peimports import PeFile

RT_MANIFEST = 24
ASM = "urn:schemas-microsoft-com:asm.v{}".format
V1, V2, V3 = ASM(1), ASM(2), ASM(3)
ARCHITECTURES = {0x14C: {"x86"}, 0x8664: {"amd64", "*"}}
MACHINE_NAMES = {0x14C: "i386", 0x8664: "x86-64"}


def split(tag):
    """(namespace, local name) of an ElementTree tag."""
    return tuple(tag[1:].split("}", 1)) if tag.startswith("{") else ("", tag)


def twice_declared(text):
    """Elements that declare the same namespace URI more than once."""
    found = []
    parser = expat.ParserCreate()  # no namespace processing: attributes as written

    def start(name, attributes):
        uris = [v for k, v in attributes.items() if k == "xmlns" or k.startswith("xmlns:")]
        for uri in sorted({u for u in uris if uris.count(u) > 1}):
            found.append(f"<{name}> declares {uri} more than once")

    parser.StartElementHandler = start
    parser.Parse(text, True)
    return found


def problems_of_text(text, machine, version):
    """What is wrong with a manifest's text for an image of this machine
    and a build of this version (three parts)."""
    try:
        found = twice_declared(text)
        root = ElementTree.fromstring(text)
    except (expat.ExpatError, ElementTree.ParseError) as error:
        return [f"not well-formed XML: {error}"]
    parents = {child: parent for parent in root.iter() for child in parent}

    if root.tag != f"{{{V1}}}assembly" or root.get("manifestVersion") != "1.0":
        found.append(f"root is {root.tag} manifestVersion={root.get('manifestVersion')}, "
                     f"expected <assembly> in {V1} with manifestVersion 1.0")

    identity = root.find(f"{{{V1}}}assemblyIdentity")
    if identity is None:
        found.append("no assemblyIdentity in asm.v1 below the root")
    else:
        if identity.get("type") != "win32":
            found.append(f"assemblyIdentity type={identity.get('type')}, expected win32")
        if not identity.get("name"):
            found.append("assemblyIdentity has no name")
        if identity.get("version") != f"{version}.0" or \
                not re.fullmatch(r"\d{1,5}(\.\d{1,5}){3}", identity.get("version") or ""):
            found.append(f"assemblyIdentity version={identity.get('version')}, "
                         f"expected the build's {version}.0")
        allowed = ARCHITECTURES.get(machine, set())
        if identity.get("processorArchitecture") not in allowed:
            found.append(f"assemblyIdentity processorArchitecture="
                         f"{identity.get('processorArchitecture')} on a "
                         f"{MACHINE_NAMES.get(machine, hex(machine))} image, expected "
                         f"{' or '.join(sorted(allowed)) or 'nothing known'}")

    trust = [e for e in root.iter() if split(e.tag)[1] == "trustInfo"]
    if len(trust) != 1:
        found.append(f"{len(trust)} trustInfo elements, expected one")
    for element in trust:
        namespace = split(element.tag)[0] or "no namespace"
        if namespace != V2:
            found.append(f"trustInfo in {namespace}: XP accepts it only in {V2}")
        if parents.get(element) is not root:
            found.append("trustInfo is not a child of the root")

    levels = [e for e in root.iter() if split(e.tag)[1] == "requestedExecutionLevel"]
    if len(levels) != 1:
        found.append(f"{len(levels)} requestedExecutionLevel elements, expected one")
    for element in levels:
        chain, node = [], element
        while node in parents:
            node = parents[node]
            chain.append(split(node.tag)[1])
        if chain != ["requestedPrivileges", "security", "trustInfo", "assembly"]:
            found.append(f"requestedExecutionLevel below {'/'.join(reversed(chain))}, "
                         "expected assembly/trustInfo/security/requestedPrivileges")
        if split(element.tag)[0] not in (V2, V3):
            found.append(f"requestedExecutionLevel in {split(element.tag)[0] or 'no namespace'}")
        if (element.get("level"), element.get("uiAccess")) != ("requireAdministrator", "false"):
            found.append(f"requestedExecutionLevel level={element.get('level')} "
                         f"uiAccess={element.get('uiAccess')}, expected requireAdministrator, false")

    for element in root.iter():
        if split(element.tag)[1] == "assemblyIdentity" and \
                element.get("name") == "Microsoft.Windows.Common-Controls" and \
                (element.get("version") or "").startswith("6."):
            found.append("depends on the common controls version 6")
    return found


def manifest_of(path):
    """(the text of the one manifest resource, problems with the resources)."""
    manifests = {name: languages for (kind, name), languages in PeFile(path).resources().items()
                 if kind == RT_MANIFEST}
    problems = []
    if list(manifests) != [1] or len(manifests[1]) != 1:
        shown = {name: sorted(languages) for name, languages in manifests.items()}
        problems.append(f"manifest resources {shown or 'none'}, expected one, id 1")
    texts = list(manifests.get(1, {}).values())
    return (texts[0] if texts else None), problems


# One break per rule: (what it breaks, text replaced, replacement, a word the
# report must contain).
TRUST = f'<trustInfo xmlns="{V2}">'
BREAKS = [
    ("trustInfo in asm.v1", TRUST, "<trustInfo>", "trustInfo in " + V1),
    ("trustInfo in asm.v3", TRUST, f'<trustInfo xmlns="{V3}">', "trustInfo in " + V3),
    ("a namespace declared twice", TRUST, f'<trustInfo xmlns="{V2}" xmlns:asmv2="{V2}">',
     "more than once"),
    ("the level asInvoker", 'level="requireAdministrator"', 'level="asInvoker"', "level=asInvoker"),
    ("uiAccess true", 'uiAccess="false"', 'uiAccess="true"', "uiAccess=true"),
    ("no type", 'type="win32" ', "", "type=None"),
    ("a three-part version", '.0" processorArchitecture', '" processorArchitecture', "version="),
    ("the version 6 common controls", "</assembly>",
     '<dependency><dependentAssembly><assemblyIdentity type="win32" '
     'name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="*" '
     'publicKeyToken="6595b64144ccf1df" language="*"/></dependentAssembly></dependency>'
     "</assembly>", "common controls"),
    ("manifestVersion 2.0", 'manifestVersion="1.0"', 'manifestVersion="2.0"', "manifestVersion=2.0"),
    ("unclosed element", "</assembly>", "", "not well-formed"),
]


def unnoticed_breaks(text, machine, version):
    unnoticed = []
    for what, old, new, word in BREAKS:
        if old not in text:
            unnoticed.append(f"{what}: the manifest no longer holds {old!r}")
            continue
        problems = problems_of_text(text.replace(old, new, 1), machine, version)
        if not any(word in p for p in problems):
            unnoticed.append(f"{what} went unnoticed (reported: {problems})")
    # The other build's processor: the manifest of one build in the other's image.
    other = next(m for m in ARCHITECTURES if m != machine)
    if not any("processorArchitecture" in p for p in problems_of_text(text, other, version)):
        unnoticed.append(f"this manifest in a {MACHINE_NAMES[other]} image went unnoticed")
    return unnoticed


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    version, paths = argv[1], argv[2:]
    problems, first = [], None
    for path in paths:
        machine = PeFile(path).machine
        raw, found = manifest_of(path)
        text = raw.decode("utf-8") if raw is not None else None
        if text is not None:
            found += problems_of_text(raw, machine, version)
            first = first or (text, machine)
        print(f"=== manifest of {path} ({MACHINE_NAMES.get(machine, hex(machine))})")
        print(text.rstrip("\n") if text is not None else "(none)")
        problems += [f"{os.path.basename(path)}: {p}" for p in found]
    if first:
        problems += [f"checker: {u}" for u in unnoticed_breaks(first[0], first[1], version)]
    for line in problems:
        print(line)
    print(f"manifest check: {len(paths)} files, {len(problems)} problems, "
          f"{len(BREAKS)} broken forms tried")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
