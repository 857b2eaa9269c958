"""Every error line the program can write has its row in the README's table
of error lines, and every row there still names a line the program writes.

    check_error_lines.py SOURCE_DIR

The program's lines are read from its sources: the format (or the literal
parts of the text) handed to an error logger, the installation record's
status messages (the run writes them as they are) and the messages of the
utility exception (the run writes them behind its own format). Exit code 0
when the two sets agree, 1 with what is missing on either side."""
import re
import sys
from pathlib import Path

from readme_tables import table_after, ticked

PRODUCT = ("app", "log", "settings", "cleanup", "sysutil", "res")
LITERAL = r'"(?:[^"\\]|\\.)*"'
ERROR_CALL = re.compile(r"\b\w+ErrorLog\.(log|logText)\((.*?)\);", re.S)
STATUS = re.compile(r"\bsetStatus\(\s*\d+\s*,\s*(" + LITERAL + r")")
EXCEPTION = re.compile(r"\bXKmi\(\s*(" + LITERAL + r")\s*\)")
TABLE_HEADING = "### Every error line, and what to do about it"


def unescape(literal: str) -> str:
    """A C string literal's text, with a line feed kept as the two
    characters \\n (as the README writes it)."""
    return re.sub(r'\\(["\\])', r"\1", literal[1:-1])


def first_argument(arguments: str) -> str:
    """The text up to the first comma outside quotes and parentheses."""
    depth, quoted, escaped = 0, False, False
    for index, char in enumerate(arguments):
        if quoted:
            quoted = not (char == '"' and not escaped)
            escaped = char == "\\" and not escaped
        elif char == '"':
            quoted = True
        elif char in "([":
            depth += 1
        elif char in ")]":
            depth -= 1
        elif char == "," and depth == 0:
            return arguments[:index]
    return arguments


def as_format(expression: str) -> str:
    """A log argument as a format: adjacent literals joined, every other
    operand of a + chain standing for one %s."""
    parts = []
    for operand in expression.split("+"):
        literals = re.findall(LITERAL, operand)
        parts.append("".join(unescape(l) for l in literals) if literals else "%s")
    return "".join(parts)


def program_lines(source_dir: Path) -> set:
    lines, passed_on, messages = set(), [], []
    for folder in PRODUCT:
        for path in sorted((source_dir / folder).rglob("*.cpp")):
            text = path.read_text(encoding="latin-1")
            for kind, arguments in ERROR_CALL.findall(text):
                line = as_format(first_argument(arguments))
                if line == "%s":
                    continue  # a finished text from elsewhere: the status messages
                if "getMessage()" in arguments:
                    passed_on.append(line)  # the exception's message behind a format
                else:
                    lines.add(line)
            lines.update(unescape(m) for m in STATUS.findall(text))
            messages += [unescape(m) for m in EXCEPTION.findall(text)]
    for line in passed_on:
        lines.update(line.replace("%s", message, 1) for message in messages)
    return lines


def readme_lines(readme: Path) -> set:
    """The line of each row: the first name in backticks of its first cell."""
    rows = table_after(TABLE_HEADING, readme.read_text(encoding="utf-8"))
    return {ticked(next(iter(row.values())))[0] for row in rows}


def main(argv) -> int:
    if len(argv) != 1:
        print(__doc__)
        return 2
    source_dir = Path(argv[0])
    written, explained = program_lines(source_dir), readme_lines(source_dir / "README.md")
    for line in sorted(written - explained):
        print(f"no row in the README's table of error lines: {line}")
    for line in sorted(explained - written):
        print(f"a row of the README's table names no line the program writes: {line}")
    print(f"{len(written)} error lines written, {len(explained)} rows")
    return 0 if written == explained else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
