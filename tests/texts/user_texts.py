#!/usr/bin/env python3
"""Fails when a user text escapes the translation system.

Every string literal in src/ that reads like words (a letter and a space) must
either be inside Text::tr(...), inside a log statement (qCDebug, qCInfo,
qCWarning, qCCritical, up to its semicolon), or be a style
sheet, or listed in not-for-users.txt beside this script (self-check reports, log reasons, file
contents: texts no user reads in the interface). And every text passed to
Text::tr must be in the template lupdate generated, in the one context.

    user_texts.py SOURCE_DIR TEMPLATE_TS
"""

import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
WORDS = re.compile(r"[A-Za-z].* |.* [A-Za-z]")
# Style sheets: a property and its value, or a brace.
STYLE = re.compile(r"[\w-]+\s*:\s*[^;{}]*;|[{}]")
LOG = re.compile(r"\bqC(?:Debug|Info|Warning|Critical)\s*\(")
# Text::tr("text" ...) and QT_TRANSLATE_NOOP("Tarnwick", "text"), for tables.
TR = re.compile(r'\bText::tr\s*\(|\bQT_TRANSLATE_NOOP\s*\(\s*"Tarnwick"\s*,')


def strip_comments(code: str) -> str:
    """Blanks comments, keeping string literals and line numbers."""
    out, i = [], 0
    while i < len(code):
        if code.startswith("//", i):
            end = code.find("\n", i)
            i = len(code) if end < 0 else end
        elif code.startswith("/*", i):
            end = code.find("*/", i) + 2
            out.append("\n" * code.count("\n", i, end))
            i = end
        elif code[i] == '"':
            match = LITERAL.match(code, i)
            end = match.end() if match else i + 1
            out.append(code[i:end])
            i = end
        elif code[i] == "'":
            # A character literal may be a quote mark: it is no string.
            end = code.find("'", i + 2 if code[i + 1] == "\\" else i + 1) + 1
            out.append("' '")
            i = end
        else:
            out.append(code[i])
            i += 1
    return "".join(out)


def closing(code: str, open_paren: int) -> int:
    depth = 0
    i = open_paren
    while i < len(code):
        if code[i] == '"':
            i = LITERAL.match(code, i).end()
            continue
        if code[i] == "(":
            depth += 1
        elif code[i] == ")":
            depth -= 1
            if depth == 0:
                return i
        i += 1
    return len(code)


def statement_end(code: str, i: int) -> int:
    while i < len(code) and code[i] != ";":
        i = LITERAL.match(code, i).end() if code[i] == '"' else i + 1
    return i


def spans(code: str):
    """(start, end, kind) of every Text::tr call and log statement."""
    for match in TR.finditer(code):
        yield match.start(), closing(code, match.end() - 1), "tr"
    for match in LOG.finditer(code):
        yield match.start(), statement_end(code, closing(code, match.end() - 1)), "log"


def unescape(text: str) -> str:
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), text)


def main() -> int:
    source_dir, template = Path(sys.argv[1]), Path(sys.argv[2])
    allowed = set()
    for line in (Path(__file__).parent / "not-for-users.txt").read_text().splitlines():
        if line and (not line.startswith("#") or line.endswith("\\n")):
            allowed.add(unescape(line))
    folders = {text for text in allowed if text.endswith("/")}
    found = set()
    for context in ET.parse(template).getroot().iter("context"):
        for message in context.iter("message"):
            found.add((context.findtext("name"), message.findtext("source")))

    problems = []
    used_allowances = set()
    for path in sorted(source_dir.rglob("*")):
        relative = "src/" + path.relative_to(source_dir).as_posix()
        if path.suffix not in (".cpp", ".h") or any(relative.startswith(f) for f in folders):
            used_allowances.update(f for f in folders if relative.startswith(f))
            continue
        code = strip_comments(path.read_text())
        covered = sorted(spans(code))
        for span_start, span_end, kind in covered:
            if kind != "tr":
                continue
            # The text is the first argument: adjacent literals joined.
            args = code[TR.match(code, span_start).end():span_end]
            literals = re.match(r'\s*((?:"(?:[^"\\\n]|\\.)*"\s*)+)', args)
            line = code.count("\n", 0, span_start) + 1
            if not literals:
                problems.append(f"{path}:{line}: Text::tr without a literal text lupdate can read")
                continue
            text = unescape("".join(m.group(1) for m in LITERAL.finditer(literals.group(1))))
            if ("Tarnwick", text) not in found:
                problems.append(f"{path}:{line}: not in the template: {text!r}")
        for match in LITERAL.finditer(code):
            text = unescape(match.group(1))
            if not WORDS.search(text) or STYLE.search(text):
                continue
            if any(start <= match.start() < end for start, end, _ in covered):
                continue
            if text in allowed:
                used_allowances.add(text)
                continue
            line = code.count("\n", 0, match.start()) + 1
            problems.append(f"{path}:{line}: a text outside Text::tr: {text!r}")
    for text in sorted(allowed - used_allowances):
        problems.append(f"not-for-users.txt: no longer in the sources: {text!r}")
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} problems: wrap user texts in Text::tr, list other texts in not-for-users.txt")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
