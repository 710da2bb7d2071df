#!/usr/bin/env python3
"""Lists the string literals with Cyrillic letters that bypass translation.

A literal the user may see must be the text of tr(), translate(), or one of
the QT_*_NOOP marks (TABLE_CAPTION in tables/ too): the innermost call around
it must be one of those. Comments are skipped. Prints file:line: literal for
each one found and exits with 1 when there is any.

usage: untranslated_literals.py FOLDER_OR_FILE...
"""
import pathlib
import re
import sys

TRANSLATING = {"tr", "translate", "QT_TR_NOOP", "QT_TRANSLATE_NOOP", "QT_TRANSLATE_NOOP3",
               "QT_TR_N_NOOP", "QT_TRANSLATE_N_NOOP", "TABLE_CAPTION",
               # A text of a file's format that is read, never shown: kept as it is.
               "FORMAT_TEXT",
               # What the screenshot tool types as a user would: input, not a text of ours.
               "SAMPLE_INPUT"}
CYRILLIC = re.compile("[\u0400-\u04ff]")
IDENTIFIER = re.compile(r"[A-Za-z_][A-Za-z_0-9]*")


def literals(text):
    """Yields (line, literal text, innermost call name) for each string literal."""
    calls = []  # the name before each open bracket, '' for none
    i, line, n = 0, 1, len(text)
    last_word = ""
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
            # A preprocessor line (an #include's path) holds no text to show.
            j = i
            while j < n and text[j] in " \t":
                j += 1
            if j < n and text[j] == "#" and text.startswith("include", j + 1):
                i = text.find("\n", j)
                i = n if i < 0 else i
            continue
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            line += text.count("\n", i, end)
            i = end
            continue
        raw = re.match(r'(?:u8|u|U|L)?R"([^(]*)\(', text[i:i + 20])
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            close = ")" + raw.group(1) + '"'
            end = text.find(close, i + raw.end())
            end = n if end < 0 else end + len(close)
            body = text[i:end]
            yield line, body, calls[-1] if calls else ""
            line += body.count("\n")
            i = end
            last_word = ""
            continue
        if c == '"' or c == "'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            body = text[i:j + 1]
            if c == '"':
                yield line, body, calls[-1] if calls else ""
            i = j + 1
            last_word = ""
            continue
        word = IDENTIFIER.match(text, i)
        if word:
            last_word = word.group(0)
            i = word.end()
            continue
        if c in "([{":
            calls.append(last_word if c == "(" else "")
        elif c in ")]}":
            if calls:
                calls.pop()
        if not c.isspace():
            last_word = ""
        i += 1


def main(folders):
    found = 0
    for folder in folders:
        given = pathlib.Path(folder)
        for path in [given] if given.is_file() else sorted(given.rglob("*")):
            if path.suffix not in (".cpp", ".h") or not path.is_file():
                continue
            text = path.read_text(encoding="utf-8")
            for line, body, call in literals(text):
                if CYRILLIC.search(body) and call not in TRANSLATING:
                    print(f"{path}:{line}: {body}")
                    found += 1
    if found:
        print(f"{found} literal(s) with Cyrillic letters bypass tr()", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
