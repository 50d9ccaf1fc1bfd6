#!/usr/bin/python3
"""`cmake --install` into any prefix: with DESTDIR nothing lands outside
DESTDIR/prefix; a relative prefix works too; bin/ holds relative links to
the commands in the application folder lib/zadaravod/, beside their fixed
files, the help and the template; the installed zadaravod-cli builds a
project run by a user who may not write into the install.

Usage: install_test.py <build folder> <ON|OFF: built with the windows> <ON|OFF: man pages>
"""

import os
import re
import struct
import sys
import tempfile
from pathlib import Path

from packagetest import check, main, make_small_project, run, unprivileged

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def commands(gui):
    """The links of bin/ and the executables they name."""
    links = {"zadaravod-cli": "zadaravod-cli"}
    if gui:
        links["zadaravod"] = "zadaravod"
        links["zadaravod-download"] = "V31O_DivaD/V31O_DivaD_EN"
    return links


def png_size(path):
    header = path.read_bytes()[:24]
    check(header[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG file")
    return struct.unpack(">II", header[16:24])


def check_help_links(help_folder):
    """Every link between the help pages names a page and an anchor that exist."""
    pages = sorted(help_folder.glob("*.html"))
    check(pages, f"no help pages in {help_folder}")
    ids = {p.name: set(re.findall(r'id="([^"]+)"', p.read_text(encoding="utf-8"))) for p in pages}
    for page in pages:
        for href in re.findall(r'href="([^"]+)"', page.read_text(encoding="utf-8")):
            if re.match(r"[a-z]+:", href):
                continue
            name, _, anchor = href.partition("#")
            target = name or page.name
            check(target in ids or (help_folder / target).is_file(),
                  f"{page.name} links to {href}: no such file")
            if anchor:
                check(anchor in ids.get(target, set()), f"{page.name} links to {href}: no such anchor")


def check_tree(root, gui, man):
    app = root / "lib" / "zadaravod"
    for name, executable in commands(gui).items():
        link = root / "bin" / name
        check(link.is_symlink(), f"{link} is not a symbolic link")
        target = os.readlink(link)
        check(not os.path.isabs(target), f"{link} points to the absolute path {target}")
        check(link.resolve() == (app / executable).resolve(),
              f"{link} -> {target}, not to {app / executable}")
        check(os.access(link, os.X_OK), f"{link} does not name an executable")
    for fixed in ("silence10ms.wav", "m31907_A3_Ext_Spi_Code.bin", "libZozazeZovevidiz.so",
                  "WorkbaseE.xlsx", "help/index.html", "help/download.html", "help/style.css"):
        check((app / fixed).is_file(), f"{fixed} is missing beside the executables in {app}")
    check_help_links(app / "help")

    share = root / "share"
    wanted = ["bash-completion/completions/zadaravod-cli", "doc/zadaravod/copyright"]
    if man:
        wanted += ["man/man1/zadaravod-cli.1.gz"]
    if gui:
        wanted += ["applications/zadaravod.desktop", "mime/packages/zadaravod-project.xml",
                   "metainfo/io.github.zadaravod.ZadarAvod.metainfo.xml",
                   "icons/hicolor/scalable/apps/zadaravod.svg",
                   "icons/hicolor/scalable/mimetypes/application-x-zadaravod-project.svg"]
        if man:
            wanted += ["man/man1/zadaravod.1.gz", "man/man1/zadaravod-download.1.gz"]
        for size in ICON_SIZES:
            for icon in (f"apps/zadaravod.png", f"mimetypes/application-x-zadaravod-project.png"):
                png = share / f"icons/hicolor/{size}x{size}" / icon
                check(png.is_file(), f"{png} is missing")
                check(png_size(png) == (size, size), f"{png} is {png_size(png)} pixels")
    for path in wanted:
        check((share / path).is_file(), f"{share / path} is missing")


def test():
    build = Path(sys.argv[1]).resolve()
    gui = sys.argv[2] == "ON"
    man = sys.argv[3] == "ON"
    with tempfile.TemporaryDirectory() as temporary:
        top = Path(temporary)
        os.chmod(top, 0o755)

        # DESTDIR and an absolute prefix, as a package build installs.
        dest = top / "dest"
        run(["cmake", "--install", build, "--prefix", "/opt/zadaravod-install-test"],
            env=dict(os.environ, DESTDIR=str(dest)))
        root = dest / "opt" / "zadaravod-install-test"
        outside = [str(p) for p in dest.rglob("*")
                   if p != root and root not in p.parents and p not in root.parents]
        check(not outside, f"written outside DESTDIR/prefix: {outside}")
        check_tree(root, gui, man)

        # A relative prefix, without DESTDIR, as a user installs into a folder of their own.
        run(["cmake", "--install", build, "--prefix", "local"], cwd=top,
            env={k: v for k, v in os.environ.items() if k != "DESTDIR"})
        local = top / "local"
        check_tree(local, gui, man)
        work = top / "work"
        work.mkdir()
        os.chmod(work, 0o777)
        make_small_project(local / "bin", work, unprivileged())
        if gui:
            no_display = {k: v for k, v in os.environ.items()
                          if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
            version = run([local / "bin" / "zadaravod-download", "--version"], env=no_display)
            check(version.startswith("V31O_DivaD_EN "), f"--version printed {version!r}")
    print("installed trees checked")


if __name__ == "__main__":
    main(test)
