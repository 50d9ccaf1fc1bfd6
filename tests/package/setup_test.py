#!/usr/bin/python3
"""scripts/setup.sh with stand-ins for dpkg-query, apt-get, sudo, id and the
locale tools on a PATH of their own: as root it installs without sudo, as a
user through sudo, and with neither it prints the apt-get command line and
fails; with everything present it installs nothing.

Usage: setup_test.py <scripts/setup.sh>
"""

import os
import subprocess
import sys
import tempfile
from pathlib import Path

from packagetest import check, main

STANDINS = {
    # Installed: the packages named in $INSTALLED (blank-separated), or all with "*".
    "dpkg-query": """#!/bin/bash
pkg=${@: -1}
if [[ $INSTALLED == "*" || " $INSTALLED " == *" $pkg "* ]]; then
    printf 'install ok installed'
else
    exit 1
fi
""",
    "id": "#!/bin/bash\necho \"$FAKE_UID\"\n",
    "apt-get": "#!/bin/bash\necho \"apt-get $*\" >> \"$LOG\"\n",
    "locale": "#!/bin/bash\nprintf 'C\\nC.utf8\\n%s' \"$LOCALES\"\n",
    "localedef": "#!/bin/bash\necho \"localedef $*\" >> \"$LOG\"\n",
}
SUDO = "#!/bin/bash\necho \"sudo $*\" >> \"$LOG\"\nexec \"$@\"\n"


class Setup:
    def __init__(self, script, folder):
        self.script = script
        self.bin = folder / "bin"
        self.bin.mkdir()
        for name, text in STANDINS.items():
            self.write(name, text)
        for tool in ("grep", "env"):
            os.symlink(f"/usr/bin/{tool}" if Path(f"/usr/bin/{tool}").exists() else f"/bin/{tool}",
                       self.bin / tool)
        self.log = folder / "log"

    def write(self, name, text):
        path = self.bin / name
        path.write_text(text)
        path.chmod(0o755)

    def run(self, *options, uid=0, sudo=False, installed="", locales="ru_RU.utf8"):
        (self.bin / "sudo").unlink(missing_ok=True)
        if sudo:
            self.write("sudo", SUDO)
        self.log.write_text("")
        env = {"PATH": str(self.bin), "FAKE_UID": str(uid), "INSTALLED": installed,
               "LOG": str(self.log), "LOCALES": locales}
        done = subprocess.run(["/bin/bash", self.script, *options], env=env, text=True,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        return done.returncode, done.stdout, self.log.read_text().splitlines()


def test():
    script = Path(sys.argv[1]).resolve()
    with tempfile.TemporaryDirectory() as temporary:
        setup = Setup(script, Path(temporary))
        everything_but_cmake = " ".join(
            p for p in ("ninja-build g++ pkg-config scdoc libgtest-dev libgmock-dev qt6-base-dev "
                        "qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools "
                        "qt6-translations-l10n libavformat-dev libavcodec-dev libswresample-dev "
                        "libavutil-dev libsdl2-dev libzip-dev zipcmp zipmerge ziptool "
                        "libpugixml-dev libcli11-dev nlohmann-json3-dev libespeak-ng-dev "
                        "libebur128-dev fonts-dejavu-core espeak-ng-data flashrom python3").split())

        # Root: apt-get itself, only what is missing.
        status, out, log = setup.run(uid=0, installed=everything_but_cmake)
        check(status == 0, f"as root: status {status}\n{out}")
        check(log == ["apt-get update",
                      "apt-get install -y --no-install-recommends cmake"], f"as root: {log}")

        # A user with sudo: through sudo, non-interactively.
        status, out, log = setup.run("--with-package", uid=1000, sudo=True,
                                     installed=everything_but_cmake)
        check(status == 0, f"with sudo: status {status}\n{out}")
        # (sudo logs the command it runs, then apt-get logs itself.)
        check(log[0] == "sudo apt-get update", f"with sudo: {log}")
        check(log[2].startswith("sudo env DEBIAN_FRONTEND=noninteractive apt-get install"),
              f"with sudo: {log}")
        for package in ("cmake", "dpkg-dev", "file", "desktop-file-utils", "appstream"):
            check(f" {package}" in log[2], f"with sudo: {package} not installed: {log}")

        # A user without sudo: the command line to run as root, and a failure.
        status, out, log = setup.run("--with-format", uid=1000, installed=everything_but_cmake)
        check(status != 0, "without sudo: the script succeeded")
        check(not [l for l in log if l.startswith("apt-get")], f"without sudo: ran {log}")
        check("apt-get install -y --no-install-recommends cmake clang-format git" in out,
              f"without sudo, the command line is not shown:\n{out}")

        # Everything there: nothing installed, also for a user without sudo.
        status, out, log = setup.run("--with-tests", "--with-format", "--with-package",
                                     uid=1000, installed="*")
        check(status == 0 and log == [], f"all present: status {status}, ran {log}\n{out}")

        # The test locale, made when it is missing.
        status, out, log = setup.run("--with-tests", uid=0, installed="*", locales="")
        check(status == 0 and log == ["localedef -i ru_RU -f UTF-8 ru_RU.UTF-8"],
              f"locale: status {status}, ran {log}\n{out}")

        status, out, _ = setup.run("--bogus", uid=0, installed="*")
        check(status == 2 and "Usage" in out, f"a bad option: status {status}\n{out}")
    print("setup.sh checked")


if __name__ == "__main__":
    main(test)
