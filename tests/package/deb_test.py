#!/usr/bin/python3
"""The Debian package that `make package` makes: its control fields, that
everything it holds lies under /usr with the commands, the fixed files,
the desktop files, the icons, the manual pages and the completion; and,
unpacked into a temporary root (dpkg-deb -x) that a user may not write,
zadaravod-cli from it builds a small project. Skipped when the package has
not been built (CI builds it first).

Usage: deb_test.py <build folder> <ON|OFF: built with the windows> <ON|OFF: man pages>
"""

import os
import stat
import sys
import tempfile
from pathlib import Path

from packagetest import SKIPPED, check, main, make_small_project, run, unprivileged


def field(deb, name):
    return run(["dpkg-deb", "-f", deb, name]).strip()


def test():
    build = Path(sys.argv[1]).resolve()
    gui = sys.argv[2] == "ON"
    man = sys.argv[3] == "ON"
    packages = sorted((build / "package").glob("zadaravod_*.deb"), key=lambda p: p.stat().st_mtime)
    if not packages:
        print(f"SKIPPED: no package in {build / 'package'}; make it with `make package` "
              "(cmake --build <build> --target package)")
        return SKIPPED
    deb = packages[-1]
    cli = build / "bin" / "zadaravod-cli"
    if cli.exists() and cli.stat().st_mtime > deb.stat().st_mtime:
        print(f"note: {deb.name} is older than the built zadaravod-cli; make package again "
              "to test what was built last")

    check(field(deb, "Package") == "zadaravod", "Package is not zadaravod")
    depends = field(deb, "Depends")
    for needed in ("libc6", "libstdc++6", "libavformat", "libzip4", "espeak-ng-data",
                   "fonts-dejavu-core"):
        check(needed in depends, f"Depends lacks {needed}: {depends}")
    if gui:
        for needed in ("libqt6widgets6", "libqt6svg6"):
            check(needed in depends, f"Depends lacks {needed}: {depends}")
    check("flashrom" in field(deb, "Recommends"), "flashrom is not recommended")

    names = [line.split()[5] for line in run(["dpkg-deb", "-c", deb]).splitlines()]
    outside = [n for n in names if n != "./" and not n.startswith("./usr/")]
    check(not outside, f"the package puts files outside /usr: {outside}")
    wanted = ["./usr/bin/zadaravod-cli", "./usr/lib/zadaravod/zadaravod-cli",
              "./usr/lib/zadaravod/libZozazeZovevidiz.so", "./usr/lib/zadaravod/silence10ms.wav",
              "./usr/lib/zadaravod/m31907_A3_Ext_Spi_Code.bin",
              "./usr/lib/zadaravod/WorkbaseE.xlsx", "./usr/lib/zadaravod/help/index.html",
              "./usr/share/bash-completion/completions/zadaravod-cli",
              "./usr/share/doc/zadaravod/copyright"]
    if man:
        wanted += ["./usr/share/man/man1/zadaravod-cli.1.gz"]
    if gui:
        wanted += ["./usr/bin/zadaravod", "./usr/bin/zadaravod-download",
                   "./usr/lib/zadaravod/V31O_DivaD/V31O_DivaD_EN",
                   "./usr/share/applications/zadaravod.desktop",
                   "./usr/share/mime/packages/zadaravod-project.xml",
                   "./usr/share/metainfo/io.github.zadaravod.ZadarAvod.metainfo.xml",
                   "./usr/share/icons/hicolor/scalable/apps/zadaravod.svg"]
        wanted += [f"./usr/share/icons/hicolor/{s}x{s}/apps/zadaravod.png"
                   for s in (16, 22, 24, 32, 48, 64, 128, 256)]
        if man:
            wanted += ["./usr/share/man/man1/zadaravod.1.gz",
                       "./usr/share/man/man1/zadaravod-download.1.gz"]
    missing = [w for w in wanted if w not in names]
    check(not missing, f"the package lacks {missing}")

    with tempfile.TemporaryDirectory() as temporary:
        top = Path(temporary)
        os.chmod(top, 0o755)
        root = top / "root"
        run(["dpkg-deb", "-x", deb, root])
        # Nobody may write into the unpacked tree, as into /usr.
        for folder, subfolders, files in os.walk(root):
            for name in subfolders + files + [""]:
                path = Path(folder) / name
                if not path.is_symlink():
                    path.chmod(path.stat().st_mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))
        try:
            work = top / "work"
            work.mkdir()
            os.chmod(work, 0o777)
            make_small_project(root / "usr" / "bin", work, unprivileged())
            if gui:
                no_display = {k: v for k, v in os.environ.items()
                              if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
                help_text = run(unprivileged() + [root / "usr/bin/zadaravod-download", "--help"],
                                env=no_display)
                check("--verify" in help_text, f"zadaravod-download --help:\n{help_text}")
        finally:
            for folder, subfolders, _ in os.walk(root):
                for name in subfolders + [""]:
                    (Path(folder) / name).chmod(0o755)
    print(f"{deb.name} checked")


if __name__ == "__main__":
    main(test)
