"""What the packaging tests share: running programs, a small project made
with an installed zadaravod-cli, and the exit status ctest reads as skipped."""

import json
import math
import os
import struct
import subprocess
import sys
import wave
from pathlib import Path

SKIPPED = 77  # SKIP_RETURN_CODE of these tests


class Failure(Exception):
    """A check that did not hold; the test prints it and fails."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(command, expect=0, **kwargs):
    """Runs `command`; its exit status must be `expect`. Returns the output
    (standard output and error together)."""
    done = subprocess.run([str(c) for c in command], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True, **kwargs)
    check(done.returncode == expect,
          f"{' '.join(map(str, command))} ended with {done.returncode}, not {expect}:\n"
          f"{done.stdout}")
    return done.stdout


def write_tone(path, rate=8000, ms=500, freq=440):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        n = rate * ms // 1000
        w.writeframes(b"".join(
            struct.pack("<h", int(9000 * math.sin(2 * math.pi * freq * i / rate)))
            for i in range(n)))


def unprivileged():
    """A command prefix that runs as the user nobody when this process is
    root (root would write where a user cannot, hiding such faults), else
    nothing."""
    if os.geteuid() != 0:
        return []
    return ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]


def make_small_project(bin_folder, work, prefix=()):
    """Runs the installed zadaravod-cli from `bin_folder` (its link there)
    through new, import, list, set, build, info and export; `prefix` goes
    before each command. Checks what info and the image show, and that the
    record sheet was written (the workbook module loads)."""
    cli = Path(bin_folder) / "zadaravod-cli"
    project = Path(work) / "demo.winproj"
    tone = Path(work) / "tone.wav"
    write_tone(tone)
    os.chmod(tone, 0o644)
    p = list(prefix)
    run(p + [cli, "new", project])
    run(p + [cli, "import", project, tone])
    run(p + [cli, "list", project, "0", "add", "1", "200ms", "1"])
    run(p + [cli, "set", project, "mode=key", "key1.list=0", "flash=512K"])
    run(p + [cli, "build", project])
    info = json.loads(run(p + [cli, "info", project, "--json"]))
    check(info["version"] == 1 and info["kind"] == "project", f"info: {info['version']} {info['kind']}")
    check(info["settings"]["flashSize"] == "512K", f"info: flash {info['settings']['flashSize']}")
    check(len(info["sounds"]) == 1, f"info: sounds {info['sounds']}")
    check(len(info["playlists"][0]["entries"]) == 3, f"info: list 0 {info['playlists'][0]}")
    image = project / "demo.winproj.bin"
    check(image.is_file() and image.stat().st_size > 0x1000, f"no image {image}")
    inspected = json.loads(run(p + [cli, "inspect", image, "--json"]))
    check(inspected, "inspect printed nothing")
    check(inspected["settings"]["flashSize"] == "512K", f"inspect: {inspected['settings']}")
    check(len(inspected["sounds"]) == 1, f"inspect: sounds {inspected['sounds']}")
    run(p + [cli, "export", project])
    sheet = project / "demo.winproj.xlsx"
    check(sheet.is_file() and sheet.stat().st_size > 0, f"no record sheet {sheet}")
    return image


def main(test):
    """Runs `test()`; exit status 0 when it passed, 1 with the failure."""
    try:
        status = test()
    except Failure as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
    sys.exit(status or 0)
