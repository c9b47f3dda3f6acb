"""Headless Chromium driven through the DevTools protocol, and the local web
server the page is served from: the tools of the browser tests."""
import base64
import json
import os
import socket
import subprocess
import sys
import time
import urllib.request

import websocket

HERE = os.path.dirname(os.path.abspath(__file__))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Server:
    """serve.py on 127.0.0.1, started here and stopped by stop()."""

    def __init__(self, folder):
        self.port = free_port()
        self.process = subprocess.Popen([sys.executable, os.path.join(HERE, "serve.py"), folder, str(self.port)])
        deadline = time.time() + 10
        while time.time() < deadline:
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    return
            except OSError:
                time.sleep(0.1)
        raise RuntimeError("the web server did not start")

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path}"

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Browser:
    """One headless Chromium with its own profile folder, one page."""

    def __init__(self, profile):
        self.port = free_port()
        self.process = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--no-default-browser-check",
             f"--remote-debugging-port={self.port}", f"--user-data-dir={profile}",
             "--window-size=1000,800", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 30
        target = None
        while time.time() < deadline and not target:
            try:
                with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json", timeout=2) as r:
                    pages = [t for t in json.load(r) if t["type"] == "page"]
                    target = pages[0] if pages else None
            except OSError:
                time.sleep(0.2)
        if not target:
            self.process.kill()
            raise RuntimeError("chromium did not start")
        self.socket = websocket.create_connection(target["webSocketDebuggerUrl"], timeout=60)
        self.next_id = 0
        self.console = []
        self.call("Runtime.enable")
        self.call("Page.enable")

    def _take(self, message):
        if message.get("method") == "Runtime.consoleAPICalled":
            args = message["params"]["args"]
            self.console.append(" ".join(str(a.get("value", a.get("description", ""))) for a in args))
        elif message.get("method") == "Runtime.exceptionThrown":
            details = message["params"]["exceptionDetails"]
            exception = details.get("exception", {})
            self.console.append("EXCEPTION " + str(exception.get("description", exception.get("value", details.get("text")))))

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self._take(message)

    def pump(self, seconds):
        """Takes the page's events (console lines) for a while."""
        deadline = time.time() + seconds
        self.socket.settimeout(0.1)
        try:
            while time.time() < deadline:
                try:
                    self._take(json.loads(self.socket.recv()))
                except websocket.WebSocketTimeoutException:
                    pass
        finally:
            self.socket.settimeout(60)

    def evaluate(self, expression, await_promise=False):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=await_promise)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, seconds):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if self.evaluate(expression):
                return True
            self.pump(0.2)
        return False

    def wait_console(self, text, seconds):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if any(text in line for line in self.console):
                return True
            self.pump(0.2)
        return False

    def open(self, url):
        self.console = []
        self.call("Page.navigate", url=url)

    def key(self, key_code, key, code, down=True, modifiers=0, location=0):
        self.call("Input.dispatchKeyEvent", type="rawKeyDown" if down else "keyUp",
                  windowsVirtualKeyCode=key_code, nativeVirtualKeyCode=key_code, key=key, code=code,
                  modifiers=modifiers, location=location)

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def read_file(self, path):
        """A file of the page's file system, or None."""
        text = self.evaluate(
            "(function(){try{var b=FS.readFile(%s);var s='';for(var i=0;i<b.length;i++)"
            "s+=String.fromCharCode(b[i]);return btoa(s);}catch(e){return null;}})()" % json.dumps(path))
        return None if text is None else base64.b64decode(text)

    def close(self):
        try:
            self.call("Browser.close")
        except Exception:
            pass
        try:
            self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
