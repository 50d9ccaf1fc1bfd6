#!/usr/bin/env python3
"""Checks that the English translation of the editor is complete and current.

Usage: check_translations.py <lupdate> <source dir>

Runs lupdate over the window's sources into a temporary copy of
resources/translations/zadaravod_en.ts (the committed file is not touched)
and fails when a text of the sources has no finished translation (a new
tr() text lupdate had to add), when an entry of the .ts is no longer in the
sources (vanished or obsolete), when a translation is empty, or when a
translation drops or adds a %N placeholder or a line break of its source.
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

LUPDATE_OPTIONS = ["-locations", "none", "-source-language", "ru_RU", "-target-language", "en"]


def problems_of(ts_path):
    found = []
    for context in ET.parse(ts_path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            where = f"{name}: {source!r}"
            kind = translation.get("type") if translation is not None else "missing"
            if kind in ("unfinished", "vanished", "obsolete", "missing"):
                found.append(f"{kind}: {where}")
                continue
            text = translation.text or ""
            if not text.strip():
                found.append(f"empty translation: {where}")
            elif sorted(re.findall(r"%\d", source)) != sorted(re.findall(r"%\d", text)):
                found.append(f"placeholders differ: {where} -> {text!r}")
            elif source.count("\n") != text.count("\n"):
                found.append(f"line breaks differ: {where} -> {text!r}")
    return found


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    lupdate, root = sys.argv[1], Path(sys.argv[2])
    committed = root / "resources" / "translations" / "zadaravod_en.ts"
    with tempfile.TemporaryDirectory() as tmp:
        copy = Path(tmp) / committed.name
        shutil.copyfile(committed, copy)
        run = subprocess.run(
            [lupdate, "-I", str(root / "src"), *LUPDATE_OPTIONS, str(root / "src" / "gui"),
             "-ts", str(copy)],
            capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stdout, run.stderr, sep="\n", file=sys.stderr)
            print("lupdate failed", file=sys.stderr)
            return 1
        found = problems_of(copy)
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} problem(s) in {committed}; run the update_translations target "
              "and translate what it adds", file=sys.stderr)
        return 1
    print("every text has its English translation")
    return 0


if __name__ == "__main__":
    sys.exit(main())
