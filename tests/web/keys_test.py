#!/usr/bin/python3
"""The browser build's key numbers against SDL 1.2's own header.

    keys_test.py SOURCE_DIR [SDL_KEYSYM_H]

Every SDLK_ name that web/include/SDL/SDL.h declares (under the name the
SDL 1.2 header uses for it) has the SDL 1.2 number, and every number the
page's key table (web/keys.js) delivers is a key SDL 1.2 knows. Exit status
0 when both hold.
"""
import os
import re
import sys

# The later spellings the browser header uses for SDL 1.2 names.
RENAMED = {"KP_%d" % i: "KP%d" % i for i in range(10)}
RENAMED.update({"PRINTSCREEN": "PRINT", "LGUI": "LMETA", "RGUI": "RMETA", "NUMLOCKCLEAR": "NUMLOCK",
                "SCROLLLOCK": "SCROLLOCK", "APPLICATION": "COMPOSE", "STOP": "BREAK"})


def enum_values(text):
    """name -> value of the SDLK_ enumerators, counting on from the last value."""
    values, last = {}, -1
    for name, value in re.findall(r"SDLK_(\w+)(?:\s*=\s*([^,}\n]+))?\s*[,}\n]", text):
        if value:
            value = value.strip()
            last = ord(value[1]) if value.startswith("'") else int(value, 0)
        else:
            last += 1
        values[name] = last
    return values


def main():
    source = sys.argv[1]
    sdl12 = sys.argv[2] if len(sys.argv) > 2 else "/usr/include/SDL/SDL_keysym.h"
    with open(sdl12) as f:
        expected = enum_values(f.read())
    with open(os.path.join(source, "web/include/SDL/SDL.h")) as f:
        text = f.read()
    ours = enum_values(text[text.index("enum {"):text.index("};")])
    wrong = []
    for name, value in ours.items():
        key = RENAMED.get(name, name)
        if key not in expected:
            if name != "FIRST" or value != 0:
                wrong.append(f"SDLK_{name} is no SDL 1.2 key")
        elif expected[key] != value:
            wrong.append(f"SDLK_{name} is {value}, SDL 1.2 says {expected[key]}")
    with open(os.path.join(source, "web/keys.js")) as f:
        table = f.read()
    known = set(expected.values())
    pairs = re.findall(r"(\d+):\s*(\d+)", table[table.index("var table"):table.index("};")])
    delivered = {int(v) for _, v in pairs} | set(range(48, 58)) | set(range(97, 123)) | \
        set(range(256, 266)) | set(range(282, 297)) | {303, 305, 307, 309, 271}
    wrong += [f"keys.js delivers {v}, no SDL 1.2 key" for v in sorted(delivered - known)]
    for line in wrong:
        print(line)
    print(f"{len(ours)} key names, {len(delivered)} delivered keys checked: "
          + ("all agree with SDL 1.2" if not wrong else f"{len(wrong)} wrong"))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
