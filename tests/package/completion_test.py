#!/usr/bin/python3
"""The bash completion of zadaravod-cli and its manual page against the
program itself: every command that `zadaravod-cli --help` lists, and every
option of it and of its own commands, is in the completion's table and the
manual page; every `set` key the program names is completed, and every value
the completion offers for `set` is one the program takes. Then what the
completion offers in a few places, as bash would ask for it.

Usage: completion_test.py <zadaravod-cli> <completion script> <manual page source>
"""

import re
import subprocess
import sys
import tempfile
from pathlib import Path

from packagetest import check, main, run


def help_sections(text):
    """The names under "Options:", "Subcommands:" and "Positionals:" of a CLI11 help."""
    sections, current = {}, None
    for line in text.splitlines():
        heading = re.match(r"^(\w+):$", line)
        if heading:
            current = heading.group(1)
            sections[current] = []
        elif current and re.match(r"^  \S", line):
            sections[current].append(line.split()[0])
    return sections


def cli_tree(cli, path=(), fill=()):
    """{option or subcommand word}: what zadaravod-cli <path> --help names,
    with the options of the commands below it. `fill` holds values for the
    positionals before a command of a command."""
    sections = help_sections(run([cli, *fill, "--help"]))
    options = set()
    for entry in sections.get("Options", []):
        options |= {o for o in re.findall(r"--[\w-]+", entry) if o != "--help"}
    subcommands = [s for s in sections.get("Subcommands", [])]
    positionals = ["x" if p != "n" else "0" for p in sections.get("Positionals", [])]
    for sub in subcommands:
        if path:
            options |= cli_tree(cli, path + (sub,), (*fill, *positionals, sub))[0]
    return options, subcommands


def bash(script, completion, body):
    """Runs `body` in bash with the completion loaded (compopt needs a
    completion in progress; here it is a no-op)."""
    program = f"compopt() {{ :; }}\nsource '{completion}'\n{body}"
    done = subprocess.run(["bash", "-c", program], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True, cwd=script)
    check(done.returncode == 0, f"bash failed:\n{done.stdout}")
    return done.stdout


def complete(folder, completion, *words):
    """What the completion offers for the last of `words`, split as bash
    splits them (at blanks and at "=")."""
    quoted = " ".join("'" + w + "'" for w in words)
    out = bash(folder, completion,
               f"COMP_WORDS=({quoted}); COMP_CWORD=$((${{#COMP_WORDS[@]}} - 1)); "
               "_zadaravod_cli; printf '%s\\n' \"${COMPREPLY[@]}\"")
    return sorted(line for line in out.splitlines() if line)


def table(folder, completion):
    """The completion's table: command -> (positional words, options)."""
    out = bash(folder, completion, 'for c in "${!_zadaravod_cli_commands[@]}"; do '
                                   'printf "%s\\t%s\\n" "$c" "${_zadaravod_cli_commands[$c]}"; done')
    commands = {}
    for line in out.splitlines():
        name, table = line.split("\t")
        words, _, options = table.partition(" -- ")
        if table.startswith("-- "):
            words, options = "", table[3:]
        commands[name] = (words.split(), {o.split(":")[0] for o in options.split()})
    return commands


def test():
    cli, completion, manual = (Path(a).resolve() for a in sys.argv[1:4])
    with tempfile.TemporaryDirectory() as temporary:
        folder = Path(temporary)
        commands = table(folder, completion)
        top = help_sections(run([cli, "--help"]))
        listed = top["Subcommands"]
        check(sorted(listed) == sorted(commands),
              f"zadaravod-cli lists {sorted(listed)}, the completion knows {sorted(commands)}")
        page = manual.read_text(encoding="utf-8")
        for name in listed:
            check(re.search(rf"^\*{re.escape(name)}\*", page, re.M),
                  f"the manual page does not describe the command {name}")
            options, subcommands = cli_tree(cli, (name,), (name,))
            words, completed = commands[name]
            check(options <= completed,
                  f"{name}: options {sorted(options - completed)} are not completed")
            check(completed - {"--help"} <= options,
                  f"{name}: the completion offers {sorted(completed - options - {'--help'})}, "
                  "which the program does not take")
            if subcommands:
                choices = [w for w in words if "|" in w]
                check(choices and sorted(choices[0].split("|")) == sorted(subcommands),
                      f"{name}: its commands {subcommands} are not completed ({words})")
            for option in options:
                check(option in page, f"the manual page does not name {name} {option}")

        # set: the keys the program names, and values it takes.
        project = folder / "p.winproj"
        run([cli, "new", project])
        refusal = run([cli, "set", project, "nosuchkey=1"], expect=2)
        named = re.search(r"use (.*)\.", refusal).group(1).replace(" or ", ", ").split(", ")
        keys = complete(folder, completion, "zadaravod-cli", "set", str(project), "")
        for key in named:
            wanted = key.replace("<N>", "1") + "="
            check(wanted in keys, f"set: the key {key} is not completed ({keys[:8]}...)")
        for key in [k[:-1] for k in keys if k in ("mode=", "output=", "busy=", "pullup=",
                                                  "music=", "flash=", "key7=")]:
            values = complete(folder, completion, "zadaravod-cli", "set", str(project), key, "=")
            check(values, f"set: no values for {key}")
            for value in values:
                run([cli, "set", project, f"{key}={value}"])

        # What bash is offered in a few places.
        (folder / "demo.winproj").mkdir()
        for name in ("a.wav", "b.MP3", "notes.txt", "old.bin"):
            (folder / name).write_text("")
        cases = [
            (("zadaravod-cli", "cl"), ["clear-library", "clear-lists"]),
            (("zadaravod-cli", "info", ""), ["demo.winproj", "p.winproj"]),
            (("zadaravod-cli", "info", "demo.winproj", "--"), ["--help", "--json"]),
            (("zadaravod-cli", "import", "demo.winproj", "a.wav", ""),
             ["a.wav", "b.MP3", "demo.winproj", "p.winproj"]),
            (("zadaravod-cli", "inspect", ""), ["demo.winproj", "old.bin", "p.winproj"]),
            (("zadaravod-cli", "music", "demo.winproj", ""), ["clear", "load"]),
            (("zadaravod-cli", "music", "demo.winproj", "load", "a.wav", "--rate", "1"),
             ["10000", "12000", "14000", "16000", "18000"]),
            (("zadaravod-cli", "list", "demo.winproj", "0", "m"), ["move"]),
            (("zadaravod-cli", "set", "demo.winproj", "mode", "=", "t"), ["three-line"]),
            (("zadaravod-cli", "set", "demo.winproj", "mode", "=", "key", "fl"), ["flash="]),
            (("zadaravod-cli", "set", "demo.winproj", "key24.list", "="), []),
            (("zadaravod-cli", "play", "demo.winproj", "--l"), ["--list"]),
        ]
        for words, expected in cases:
            got = complete(folder, completion, *words)
            check(got == sorted(expected), f"{' '.join(words)}<TAB> offers {got}, not {expected}")
    print(f"{len(listed)} commands checked")


if __name__ == "__main__":
    main(test)
