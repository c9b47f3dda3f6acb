#!/usr/bin/env python3
"""Guards the include direction of src/ and what the tools link.

    check_layers.py includes SRC_DIR      every include against the layer rule
    check_layers.py link NAME BINARY      symbols BINARY must not hold
    check_layers.py closure NAME MAP SRC_DIR
                                          the library's object files the link
                                          map MAP shows pulled in must all come
                                          from the sources NAME may contain

Exit status 0 when everything keeps to the rule, 1 otherwise; each offence is
printed as one line, then the number of folder-to-folder pairs that offend.
The rule itself is written in docs/hacking.md, Layout.
"""
import fnmatch
import os
import re
import subprocess
import sys

# Layer of each folder, lowest first. A file may include its own folder and
# any folder of a lower layer; folders of one layer do not include each
# other, except the mode code, where one mode hands over to another.
LAYERS = {
    # Desktop and browser variants of the calls into the system (timer and
    # waits, sound loading and mixing): they include nothing of the game, so
    # everything, the core leaf included, may call them.
    "platform": -1,
    # The names every subsystem reads: start-up settings, the input state,
    # the frame flags, the process-wide exit and the file replacement. They
    # include nothing above.
    "core": 0,
    "level": 1,
    # The rules work on a level state value and report what a tick did; they
    # draw nothing, play nothing and read no key.
    "game": 2,
    "picture": 2,
    # The search over the rules, and the screen and the sound.
    "solver": 3,
    "display": 3,
    "sound": 3,
    # The running level of the program shown: the level start, the frame of
    # play or demonstration, the tick's events drawn and played.
    "view": 4,
    # Mode code, called from the frame loop.
    "frontend": 5,
    "leveledit": 5,
    "gfxedit": 5,
    # main, start-up, the frame loop and the script driver.
    "program": 6,
}

MODE_LAYER = 5

# Calls against the rule by design: (including file, included header).
EXCEPTIONS = set()


def unit_of(path):
    return path.partition("/")[0]


def allowed(source, header):
    if (source, header) in EXCEPTIONS:
        return True
    a, b = unit_of(source), unit_of(header)
    if a == b:
        return True
    if a not in LAYERS or b not in LAYERS:
        return False
    return LAYERS[b] < LAYERS[a] or LAYERS[a] == LAYERS[b] == MODE_LAYER


INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def check_includes(src):
    offences = []
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            full = os.path.join(root, name)
            source = os.path.relpath(full, src)
            with open(full, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if m and "/" in m.group(1) and not allowed(source, m.group(1)):
                        offences.append((source, number, m.group(1)))
    pairs = set()
    for source, number, header in sorted(offences):
        print(f"{source}:{number}: includes {header} ({unit_of(source)} -> {unit_of(header)})")
        pairs.add((unit_of(source), unit_of(header)))
    print(f"{len(pairs)} folder-to-folder include pairs against the rule")
    return 1 if offences else 0


# Symbols that show a binary dragged in code above what it needs.
FORBIDDEN = {
    # The artwork generator writes pictures: no frame loop, menu, sound or rules.
    "make_artwork": ["run_frame", "main_menu_handler", "open_sound", "play_sound",
                     "game_tick", "hero_tick", "enemy_turn", "vorbix_main"],
    # The archive tool: no frame loop, menu or start-up.
    "vbltool": ["run_frame", "main_menu_handler", "demo_handler", "vorbix_main"],
    # The solver alone: no SDL (below); what it may contain is CLOSURE's.
    "solve_probe": [],
}

# What a program may pull from the library, as source files below src/
# (shell patterns): anything else in its link closure is an offence. The
# solver runs the rules on the level grid and records movies; it reads the
# clock for its budget, and the grid's tables draw from the random sequence.
# No archive reader or writer, no log, no settings, nothing that draws.
CLOSURE = {
    "solve_probe": ["game/*.cpp", "level/grid.cpp", "level/movie.cpp", "solver/*.cpp",
                    "platform/clock_*.cpp", "platform/random_*.cpp"],
}

# Binaries that must not call SDL at all: the solver, and vbltool, whose
# render draws levels and movies into a frame buffer.
NO_SDL = {"solve_probe", "vbltool"}


def check_link(name, binary):
    out = subprocess.run(["nm", "-C", "--defined-only", binary], check=True,
                         capture_output=True, text=True).stdout
    defined = set()
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3:
            defined.add(parts[2].split("(")[0])
    found = [s for s in FORBIDDEN[name] if s in defined]
    if name in NO_SDL:
        undefined = subprocess.run(["nm", "-u", binary], check=True, capture_output=True, text=True).stdout
        found += sorted({line.split()[-1] for line in undefined.splitlines() if line.split()[-1].startswith("SDL_")})
    for symbol in found:
        print(f"{binary}: links {symbol}")
    print(f"{len(found)} forbidden symbols in {name}")
    return 1 if found else 0


# "libvorbixcore.a(name.cpp.o)" at the start of a line of a GNU ld map: the
# archive member pulled in, in the section on why each member was included.
MEMBER = re.compile(r"^\S*libvorbixcore\.a\(([^)]+)\.o\)")


def check_closure(name, map_file, src):
    sources = {}
    for root, _, files in os.walk(src):
        for f in files:
            if f.endswith(".cpp"):
                sources.setdefault(f, []).append(os.path.relpath(os.path.join(root, f), src))
    with open(map_file, encoding="utf-8", errors="replace") as f:
        members = sorted({m.group(1) for m in map(MEMBER.match, f) if m})
    if not members:
        print(f"{map_file}: names no member of libvorbixcore.a (not a GNU ld map?)")
        return 1
    offences = []
    for member in members:
        paths = sources.get(member, [])
        if len(paths) != 1:
            offences.append(f"{member} ({'no source' if not paths else 'ambiguous: ' + ', '.join(paths)})")
        elif not any(fnmatch.fnmatchcase(paths[0], pattern) for pattern in CLOSURE[name]):
            offences.append(paths[0])
    for offence in offences:
        print(f"{name}: links {offence}")
    print(f"{len(members)} object files in {name}'s closure, {len(offences)} not allowed")
    return 1 if offences else 0


def main(argv):
    if len(argv) == 3 and argv[1] == "includes":
        return check_includes(argv[2])
    if len(argv) == 4 and argv[1] == "link" and argv[2] in FORBIDDEN:
        return check_link(argv[2], argv[3])
    if len(argv) == 5 and argv[1] == "closure" and argv[2] in CLOSURE:
        return check_closure(argv[2], argv[3], argv[4])
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
