#!/usr/bin/env python3
"""Checks that the README and the developer's guide cite what exists: every
test named in backticks (`Suite.Name` or `Suite.*`), every real-input check and
ctest entry, every path in backticks or in a link; and that the developer's
guide names every real-input check in a table row. Prints one line per fault."""
import glob
import os
import re
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
DOCS = ("README.md", "docs/development.md")
REAL_INPUT = "tests/e2e/real_input.py"
# Folders that a clean checkout does not have: paths into them are not checked.
MADE_BY_BUILDS = {"build", "dist"}


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return f.read()


def sources(pattern):
    for path in glob.glob(os.path.join(ROOT, "tests", "**", pattern), recursive=True):
        with open(path, encoding="utf-8") as f:
            yield f.read()


def known_tests():
    found = set()
    for text in sources("*.cpp"):
        found.update(re.findall(r"^\s*TEST(?:_F|_P)?\(\s*(\w+),\s*(\w+)\)", text, re.M))
    return found


def real_input_checks():
    listed = re.search(r"checks = \[(.*?)\]", read(REAL_INPUT), re.S)
    return re.findall(r"suite\.(\w+)", listed.group(1)) if listed else []


def path_fault(doc, span, base=ROOT):
    """Spans name paths from the top of the tree; links from the document's folder."""
    target = span.split("#")[0].rstrip("/")
    if not target or re.match(r"\w+:", target) or " " in target:
        return None
    full = os.path.normpath(os.path.join(base, target))
    first = os.path.relpath(full, ROOT).split(os.sep)[0]
    if first in MADE_BY_BUILDS or first == ".." or not os.path.isdir(os.path.join(ROOT, first)):
        return None  # not a path of the tree (a build output, an option, a host path)
    return None if glob.glob(full) else f"{doc}: `{span}` does not exist"


def faults():
    tests, checks = known_tests(), real_input_checks()
    suites = {suite for suite, _ in tests}
    entries = set(checks)
    for text in sources("CMakeLists.txt"):
        entries.update(re.findall(r"add_test\(NAME (\w+)", text))
    found = [] if checks else [f"{REAL_INPUT}: no list of checks found"]
    for doc in DOCS:
        text = read(doc)
        for line in text.splitlines():
            for span in re.findall(r"`([^`]+)`", line):
                test = re.fullmatch(r"([A-Z]\w*)\.([A-Z]\w*|\*)", span)
                if test and (test.group(2) == "*" and test.group(1) not in suites
                             or test.group(2) != "*" and test.groups() not in tests):
                    found.append(f"{doc}: no test {span}")
                # In a table, a word_with_underscores names a check.
                elif line.startswith("|") and re.fullmatch(r"[a-z0-9]+(_[a-z0-9]+)+", span) and span not in entries:
                    found.append(f"{doc}: no real-input check or ctest entry {span}")
                elif "/" in span:
                    found.append(path_fault(doc, span))
        for link in re.findall(r"\]\(([^)\s]+)\)", text):
            found.append(path_fault(doc, link, os.path.dirname(os.path.join(ROOT, doc))))
    rows = "\n".join(line for line in read(DOCS[1]).splitlines() if line.startswith("|"))
    found += [f"{DOCS[1]}: real-input check {c} is in no table row" for c in checks if f"`{c}`" not in rows]
    return [f for f in found if f]


if __name__ == "__main__":
    problems = faults()
    for p in problems:
        print("docs check:", p)
    sys.exit(1 if problems else 0)
