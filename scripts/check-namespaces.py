#!/usr/bin/env python3
"""Fails when a file under src/X/ declares something outside namespace X.

Every type, constant and function lives in the namespace of its folder, so a
name says where its code is. Allowed elsewhere: forward declarations of
another layer's classes, namespace aliases, using-directives, and main.
Comments, literals and preprocessor lines are blanked first, so the braces
that remain are the code's own.
"""
import pathlib
import re
import sys

FORWARD = re.compile(r"(class|struct)\s+\w+|enum\s+(class\s+)?\w+\s*:\s*[\w:]+")
ELSEWHERE = re.compile(r"namespace\s+\w+\s*=.*|using\s+namespace\s+[\w:]+")
NAMESPACE = re.compile(r"(inline\s+)?namespace\s*([\w:]*)")
MAIN = re.compile(r"int\s+main\s*\(.*", re.S)


def blank(text):
    """The text with comments, literals and preprocessor lines replaced by spaces, newlines kept."""
    out = []
    i, n = 0, len(text)

    def skip(end):
        out.append(re.sub(r"[^\n]", " ", text[i:end]))
        return end

    while i < n:
        if text.startswith("//", i):
            end = text.find("\n", i)
            i = skip(n if end < 0 else end)
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = skip(n if end < 0 else end + 2)
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            delimiter = re.match(r'R"([^(]*)\(', text[i:]).group(1)
            end = text.find(")" + delimiter + '"', i)
            i = skip(end + len(delimiter) + 2)
        elif text[i] == "'" and re.search(r"(?<![\w.'])\d[\w.']*$", text[max(0, i - 40) : i]):
            out.append(" ")  # a digit separator, as in 10'000
            i += 1
        elif text[i] in "\"'":
            end = i + 1
            while end < n and text[end] != text[i]:
                end += 2 if text[end] == "\\" else 1
            i = skip(end + 1)
        elif text[i] == "#" and text[text.rfind("\n", 0, i) + 1 : i].strip() == "":
            end = i
            while True:
                end = text.find("\n", end)
                if end < 0 or text[end - 1] != "\\":
                    break
                end += 1
            i = skip(n if end < 0 else end)
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def faults_of(path, layer):
    code = blank(path.read_text())
    namespaces = []  # the named or anonymous namespaces open at this point
    other_blocks = 0  # braces of anything else open inside them
    statement, start = "", 0
    for index, char in enumerate(code):
        if char not in "{};":
            if not statement.strip():
                start = index
            statement += char
            continue
        text = " ".join(statement.split())
        statement = ""
        if char == "}":
            if other_blocks:
                other_blocks -= 1
            elif namespaces:
                namespaces.pop()
            continue
        if other_blocks:
            if char == "{":
                other_blocks += 1
            continue
        opened = NAMESPACE.fullmatch(text) if char == "{" else None
        if opened:
            namespaces.append(opened.group(2))
            continue
        if char == "{":
            other_blocks += 1
        if not text or ELSEWHERE.fullmatch(text) or (char == ";" and FORWARD.fullmatch(text)):
            continue
        outer = next((name for name in namespaces if name), "")
        if outer == layer or outer.startswith(layer + "::"):
            continue
        if layer == "app" and not namespaces and MAIN.fullmatch(text):
            continue
        line = code.count("\n", 0, start) + 1
        where = f"namespace {'::'.join(n or '(anonymous)' for n in namespaces)}" if namespaces else "no namespace"
        yield f"{path}:{line} declares '{text[:60]}' in {where}, not in {layer}"
    if namespaces or other_blocks or statement.strip():
        yield f"{path}: the braces do not balance, so its namespaces could not be followed"


def main():
    source = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    faults = [
        fault
        for path in sorted(source.rglob("*"))
        if path.suffix in (".h", ".cpp")
        for fault in faults_of(path, path.relative_to(source).parts[0])
    ]
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
