#!/usr/bin/python3
"""The browser build in headless Chromium, against the native program.

    web_test.py WEB_BUILD NATIVE_BUILD

Serves WEB_BUILD from 127.0.0.1 and checks: a script's run through the
modes (console lines and "End."), a screenshot equal byte for byte to the
native program's at the same frame, a stored result surviving a reload with
the same browser profile, real key events moving the hero while F5 leaves
the page alone, and 50 frames a second. Prints the figures: transfer size,
load to first frame, replays of level 0 per second in the page and natively.
Exit status 0 when every check passes.
"""
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

sys.dont_write_bytecode = True   # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import Browser, Server  # noqa: E402

HOME = "/home/web_user/.zuzezodov"
WORKING_DIRECTORY = "/home/web_user"   # the page's, where screenshots go
PLAYER = "web_user"   # the browser's USER
LEFT = (37, "ArrowLeft", "ArrowLeft")
KEYS = {"space": (32, " ", "Space"), "F4": (115, "F4", "F4"), "F5": (116, "F5", "F5"),
        "print": (44, "PrintScreen", "PrintScreen"), "F2": (113, "F2", "F2"), "F3": (114, "F3", "F3"),
        "escape": (27, "Escape", "Escape")}
# The first-start bindings of the movie inputs: none, up, down, left, right,
# dig left, dig right.
INPUT_KEYS = [0, 273, 274, 276, 275, 306, 308]


def alt_x(frame):
    return f"{frame} down 308\n{frame} press 120\n"


def page_url(server, args="", script=None, fast=False):
    query = {"args": args}
    if script:
        query["script"] = script
    if fast:
        query["fast"] = "1"
    return server.url("index.html?" + urllib.parse.urlencode(query, quote_via=urllib.parse.quote))


class Suite:
    def __init__(self, web, native):
        self.web, self.native = web, native
        self.work = tempfile.mkdtemp(prefix="vorbix-web-")
        self.scripts = os.path.join(web, "test-scripts")
        os.makedirs(self.scripts, exist_ok=True)
        self.server = Server(web)
        self.failures = []
        self.figures = []
        self.profiles = 0

    def check(self, condition, what):
        print(("ok    " if condition else "FAIL  ") + what, flush=True)
        if not condition:
            self.failures.append(what)
        return condition

    def script(self, name, text):
        with open(os.path.join(self.scripts, name), "w") as f:
            f.write(text)
        return "test-scripts/" + name

    def browser(self, profile=None):
        if profile is None:
            self.profiles += 1
            profile = os.path.join(self.work, f"profile{self.profiles}")
        return Browser(profile)

    def native_run(self, args, script):
        """The native program with the same script, frames back to back, in a
        working directory of its own (screenshots land there); its user
        directory and that working directory are returned."""
        home = tempfile.mkdtemp(dir=self.work)
        os.symlink(os.path.join(self.native, "data"), os.path.join(home, "data"))
        path = os.path.join(home, "script")
        with open(path, "w") as f:
            f.write(script)
        env = dict(os.environ, HOME=home, USER=PLAYER, VORBIX_FAST="1", VORBIX_SCRIPT=path,
                   SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        run = subprocess.run([os.path.join(self.native, "vorbix"), "-w"] + args, cwd=home, env=env,
                             capture_output=True, text=True, timeout=120, check=False)
        self.native_output = run.stdout + run.stderr
        return os.path.join(home, ".zuzezodov"), home

    def wait_ended(self, browser, seconds):
        return browser.wait_console("End.", seconds)

    def wait_flushed(self, browser, seconds):
        return browser.wait_for("window.vorbixStorage && window.vorbixStorage.flushes > 0 && "
                                "!window.vorbixStorage.busy", seconds)

    # The checks ---------------------------------------------------------

    def modes(self):
        script_text = "10 press 32\n20 press 285\n" + alt_x(40)
        script = self.script("modes.txt", script_text)
        b = self.browser()
        try:
            b.open(page_url(self.server, "-l 1", script))
            ended = self.wait_ended(b, 60)
            lines = b.console
            first = b.evaluate("window.vorbixFrames.first")
        finally:
            b.close()
        self.check(ended, "the scripted run ends with \"End.\" in the console")
        for line in ("frame 1: demo level 0", "frame 11: menu level 0", "frame 21: play level 1"):
            self.check(line in lines, f"the console shows \"{line}\"")
        self.native_run(["-l", "1"], script_text)
        native = [line for line in self.native_output.splitlines() if line.startswith("frame ")]
        self.check(native == [line for line in lines if line.startswith("frame ")],
                   "the same mode lines as the native program's with the same script")
        self.check(first is not None, "the page drew the game")
        if first is not None:
            self.figures.append(f"load to first frame: {first:.0f} ms (page start to first picture)")

    def screenshot(self):
        script_text = "300 press 316\n" + alt_x(310)
        script = self.script("shot.txt", script_text)
        b = self.browser()
        try:
            b.open(page_url(self.server, "-s -l 1", script, fast=True))
            ended = self.wait_ended(b, 60)
            web_shot = b.read_file(WORKING_DIRECTORY + "/cap000.lbm")
        finally:
            b.close()
        _, native_dir = self.native_run(["-s", "-l", "1"], script_text)
        native_shot = None
        if os.path.exists(os.path.join(native_dir, "cap000.lbm")):
            with open(os.path.join(native_dir, "cap000.lbm"), "rb") as f:
                native_shot = f.read()
        self.check(ended and web_shot is not None, "the page wrote cap000.lbm at frame 300 of level 1's master")
        self.check(native_shot is not None, "the native program wrote cap000.lbm at the same frame")
        self.check(web_shot is not None and web_shot == native_shot,
                   f"the two screenshots are equal byte for byte ({len(web_shot or b'')} bytes)")

    def takeover_script(self):
        """Takes over level 1's master near its end and plays it out with the
        movie's own inputs; F12 in the summary stores the play."""
        unpacked = os.path.join(self.work, "masters")
        subprocess.run([os.path.join(self.native, "vbltool"), "unpack",
                        os.path.join(self.native, "data", "masters.vbl"), unpacked],
                       stdout=subprocess.DEVNULL, check=True)
        inputs = [0]
        with open(os.path.join(unpacked, "level001.movie")) as f:
            for line in f:
                for count, value in re.findall(r"(\d+)x(\d+)", line):
                    inputs += [int(value)] * int(count)
        last = len(inputs) - 1
        take = last - 300
        while inputs[take + 2] == 0:
            take += 1
        script = f"{take} press 293\n"
        held = 0
        for tick in range(take + 2, last + 1):
            want = INPUT_KEYS[inputs[tick]]
            if want != held:
                if held:
                    script += f"{tick - 1} up {held}\n"
                if want:
                    script += f"{tick - 1} down {want}\n"
                held = want
        script += "modal 293\n"
        if held:
            script += f"{last} up {held}\n"
        return script + alt_x(last + 20)

    def persistence(self):
        script_text = self.takeover_script()
        script = self.script("takeover.txt", script_text)
        profile = os.path.join(self.work, "kept-profile")
        b = self.browser(profile)
        try:
            b.open(page_url(self.server, "-s -l 1", script, fast=True))
            ended = self.wait_ended(b, 120)
            flushed = self.wait_flushed(b, 30)
            failures = b.evaluate("window.vorbixStorage.failures")
        finally:
            b.close()
        self.check(ended and flushed, "the take-over run ended and its files were flushed")
        self.check(failures == 0, f"every flush of the run worked ({failures} failed)")
        # A new browser on the same profile: what the first one stored.
        b = self.browser(profile)
        try:
            b.open(page_url(self.server, "-s -l 1"))
            b.wait_for("window.vorbixFrames && window.vorbixFrames.first !== null", 60)
            archive = b.read_file(HOME + "/masters.vbl")
        finally:
            b.close()
        listing = ""
        if archive:
            path = os.path.join(self.work, "reloaded.vbl")
            with open(path, "wb") as f:
                f.write(archive)
            listing = subprocess.run([os.path.join(self.native, "vbltool"), "list", path],
                                     capture_output=True, text=True).stdout
        native_dir, _ = self.native_run(["-s", "-l", "1"], script_text)
        expected = subprocess.run([os.path.join(self.native, "vbltool"), "list",
                                   os.path.join(native_dir, "masters.vbl")],
                                  capture_output=True, text=True).stdout
        first = listing.splitlines()[0] if listing else "(no archive)"
        self.check(f"name={PLAYER}" in first, f"after the reload the archive holds the stored result: {first.strip()}")
        self.check(listing == expected and expected != "", "the reloaded archive lists as the native program's after the same play")

    def keys_and_speed(self):
        script = self.script("trace.txt", "# no keys: the mode lines only\n")
        b = self.browser()
        hero = ("(function(){var c=document.getElementById('canvas');"
                "var d=c.getContext('2d').getImageData(0,0,c.width,c.height).data;var n=0,s=0;"
                "for(var i=0;i<d.length;i+=4)if(d[i]==70&&d[i+1]==150&&d[i+2]==255){n++;s+=(i/4)%c.width;}"
                "return n?[n,s/n]:[0,0];})()")
        try:
            b.open(page_url(self.server, "-l 1", script))
            b.wait_for("window.vorbixFrames && window.vorbixFrames.first !== null", 60)
            # 50 frames a second: pictures drawn over 10 s of the demonstration.
            count0, t0 = b.evaluate("[window.vorbixFrames.count, performance.now()]")
            b.pump(10)
            count1, t1 = b.evaluate("[window.vorbixFrames.count, performance.now()]")
            rate = (count1 - count0) * 1000 / (t1 - t0)
            self.figures.append(f"frames a second in the page over 10 s: {rate:.1f}")
            self.check(48 <= rate <= 51, f"the page holds 50 frames a second ({rate:.1f})")
            for name in ("space", "F4"):
                b.key(*KEYS[name], down=True)
                b.pump(0.1)
                b.key(*KEYS[name], down=False)
                b.pump(0.5)
            self.check(any(re.search(r"play level 1$", line) for line in b.console),
                       "Space and F4 from the browser start level 1")
            before = b.evaluate(hero)
            b.key(*LEFT, down=True)
            b.pump(1.0)
            b.key(*LEFT, down=False)
            b.pump(0.3)
            after = b.evaluate(hero)
            # The hero's blue (the artwork's, only he wears it) moved left,
            # along the open floor of level 1.
            self.check(before[0] > 10 and after[0] > 10 and before[1] - after[1] > 8,
                       f"holding the left arrow moves the hero (x {before[1]:.0f} -> {after[1]:.0f})")
            b.evaluate("window.stillTheSamePage = true")
            frames = b.evaluate("window.vorbixFrames.count")
            b.key(*KEYS["F5"], down=True)
            b.key(*KEYS["F5"], down=False)
            b.pump(1.5)
            same = b.evaluate("window.stillTheSamePage === true")
            later = b.evaluate("window.vorbixFrames ? window.vorbixFrames.count : 0")
            self.check(same and later > frames, "F5 does not reload the page; the game goes on")
            # The browser's storage refuses the next flush: a screenshot
            # (Print) is written, and the page says it was not saved.
            b.evaluate("IDBFS.syncfs = function (mount, populate, done) { done(new Error('storage refused')); }")
            b.key(*KEYS["print"], down=True)
            b.key(*KEYS["print"], down=False)
            shown = b.wait_for("!document.getElementById('storage').hidden", 10)
            text = b.evaluate("document.getElementById('storage').textContent")
            self.check(shown and "could not be saved" in text and "storage refused" in text,
                       f"a failed flush is shown on the page: {text}")
        finally:
            b.close()

    def editors(self):
        """Both editors take the mouse: a click paints where it lands."""
        script = self.script("trace-editors.txt", "# no keys: the mode lines only\n")
        b = self.browser()
        area = ("(function(x,y){var d=document.getElementById('canvas').getContext('2d')"
                ".getImageData(x-6,y-6,12,12).data;var h=0;for(var i=0;i<d.length;i++)h=(h*31+d[i])>>>0;return h;})")

        def press(name):
            b.key(*KEYS[name], down=True)
            b.pump(0.1)
            b.key(*KEYS[name], down=False)
            b.pump(0.5)

        def click(x, y):
            left, top, scale = b.evaluate("(function(){var r=document.getElementById('canvas')"
                                          ".getBoundingClientRect();return [r.left,r.top,r.width/640];})()")
            px, py = left + x * scale, top + y * scale
            b.call("Input.dispatchMouseEvent", type="mouseMoved", x=px, y=py)
            b.call("Input.dispatchMouseEvent", type="mousePressed", x=px, y=py, button="left", clickCount=1)
            b.pump(0.1)
            b.call("Input.dispatchMouseEvent", type="mouseReleased", x=px, y=py, button="left", clickCount=1)
            b.pump(0.4)

        try:
            b.open(page_url(self.server, "", script))
            b.wait_for("window.vorbixFrames && window.vorbixFrames.first !== null", 60)
            b.pump(0.5)
            for name, spot, mode in (("F3", (300, 300), "leveledit"), ("F2", (470, 130), "gfxedit")):
                press("space")
                press(name)
                before = b.evaluate(f"{area}({spot[0]},{spot[1]})")
                b.pump(0.5)
                still = b.evaluate(f"{area}({spot[0]},{spot[1]})") == before   # nothing moves there by itself
                click(*spot)
                after = b.evaluate(f"{area}({spot[0]},{spot[1]})")
                entered = any(f": {mode} level" in line for line in b.console)
                self.check(entered and still and before != after, f"the mouse paints in the {mode} mode")
                # The painted level is modified: the level editor lets go of
                # it only with Alt held (the graphics editor leaves as ever).
                alt = (18, "Alt", "AltLeft")
                b.key(*alt, down=True, location=1)
                b.pump(0.1)
                b.key(*KEYS["escape"], down=True, modifiers=1)
                b.pump(0.1)
                b.key(*KEYS["escape"], down=False, modifiers=1)
                b.key(*alt, down=False, location=1)
                b.pump(0.5)
        finally:
            b.close()

    def replay_speed(self):
        """Level 0's replays a second: bench.html in the page, vbltool natively."""
        repeat = 200
        b = self.browser()
        try:
            b.open(self.server.url(f"bench.html?repeat={repeat}"))
            done = b.wait_console("replays a second", 120)
            lines = b.console
        finally:
            b.close()
        web = [line for line in lines if "replays a second" in line]
        outcome = [line for line in lines if line.startswith("level=0")]
        native = subprocess.run([os.path.join(self.native, "vbltool"), "replay", "-", "0", "--repeat", str(repeat)],
                                capture_output=True, text=True)
        seconds = re.search(r"in ([0-9.]+) s", native.stderr)
        self.check(done and outcome == [native.stdout.strip()],
                   f"level 0 replays to the same end in the page and natively ({native.stdout.strip()})")
        if web:
            self.figures.append("in the page: " + web[0])
        if seconds:
            self.figures.append(f"native vbltool: {repeat} replays in {seconds.group(1)} s: "
                                f"{repeat / float(seconds.group(1)):.2f} replays a second")

    def winnable(self):
        """V in the level editor searches in the page, on the page's clock."""
        script = self.script("winnable.txt", "10 press 32\n20 press 284\n30 press 118\n" + alt_x(1500))
        b = self.browser()
        try:
            b.open(page_url(self.server, "-l 1", script))
            ended = self.wait_ended(b, 90)
            log = (b.read_file(WORKING_DIRECTORY + "/VRBXINFO.LOG") or b"").decode(errors="replace")
        finally:
            b.close()
        found = re.search(r"Level 1 in the editor: winnable.*\(\d+ states, ([0-9.]+) seconds\)", log)
        self.check(ended and found is not None and float(found.group(1)) < 60,
                   "V finds level 1's way out in the page within its budget "
                   f"({found.group(0) if found else 'no answer in the log'})")

    def transfer_size(self):
        total = packed = 0
        for name in ("index.html", "vorbix.js", "vorbix.wasm", "vorbix.data"):
            with open(os.path.join(self.web, name), "rb") as f:
                data = f.read()
            total += len(data)
            packed += len(gzip.compress(data, 9))
        self.figures.append(f"transfer size (index.html, .js, .wasm, .data): {total / 1024:.0f} KiB, "
                            f"{packed / 1024:.0f} KiB gzip-compressed")

    def run(self):
        try:
            for step in (self.modes, self.screenshot, self.persistence, self.keys_and_speed, self.editors, self.winnable,
                         self.replay_speed,
                         self.transfer_size):
                try:
                    step()
                except Exception as error:   # a broken step fails, the others still run
                    self.check(False, f"{step.__name__}: {error}")
        finally:
            self.server.stop()
            shutil.rmtree(self.scripts, ignore_errors=True)
            shutil.rmtree(self.work, ignore_errors=True)
        for figure in self.figures:
            print("figure  " + figure)
        print(f"{len(self.failures)} of the browser checks failed" if self.failures else "every browser check passed")
        return 1 if self.failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(Suite(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])).run())
