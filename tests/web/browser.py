"""Debian's Chromium, headless, driven through its DevTools protocol over a pipe (--remote-debugging-pipe: requests
on descriptor 3, replies and events on descriptor 4, each a JSON text ended by a NUL byte)."""
import base64
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time


class Browser:
    def __init__(self):
        self._profile = tempfile.mkdtemp(prefix="orbisk-chromium.")
        to_browser, self._requests = os.pipe()
        self._replies, from_browser = os.pipe()

        def descriptors():  # in the child: the pipe's ends on 3 and 4, whatever descriptors they had
            reading, writing = os.dup(to_browser), os.dup(from_browser)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self._process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars", "--mute-audio",
             "--remote-debugging-pipe", f"--user-data-dir={self._profile}", "about:blank"],
            preexec_fn=descriptors, pass_fds=(3, 4), start_new_session=True,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser)
        os.close(from_browser)
        self._next_id = 0
        self._unread = b""
        self.exceptions = {}  # of each tab's session: what its page threw and nobody caught

    def close(self):
        try:
            self.send("Browser.close")
            self._process.wait(10)
        except Exception:
            os.killpg(self._process.pid, signal.SIGKILL)  # the browser and its helper processes
            self._process.wait()
        os.close(self._requests)
        os.close(self._replies)
        shutil.rmtree(self._profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def send(self, method, session=None, **params):
        """Sends a request and returns its result, passing over events; raises on an error reply."""
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        os.write(self._requests, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self._unread:
                chunk = os.read(self._replies, 1 << 20)
                if not chunk:
                    raise RuntimeError("the browser closed its pipe")
                self._unread += chunk
            text, self._unread = self._unread.split(b"\0", 1)
            reply = json.loads(text)
            if reply.get("method") == "Runtime.exceptionThrown":
                details = reply["params"]["exceptionDetails"]
                self.exceptions.setdefault(reply.get("sessionId"), []).append(
                    details.get("exception", {}).get("description", details["text"]))
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply["result"]

    def open(self, url, width, height):
        """A new tab of width x height CSS pixels (one device pixel each) showing url."""
        target = self.send("Target.createTarget", url="about:blank")["targetId"]
        session = self.send("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.send("Emulation.setDeviceMetricsOverride", session, width=width, height=height, deviceScaleFactor=1,
                  mobile=False)
        self.send("Runtime.enable", session)
        tab = Tab(self, session)
        tab.navigate(url)
        return tab


class Tab:
    def __init__(self, browser, session):
        self._browser, self._session = browser, session

    def navigate(self, url):
        self._browser.send("Page.navigate", self._session, url=url)

    def evaluate(self, expression):
        result = self._browser.send("Runtime.evaluate", self._session, expression=expression, returnByValue=True)
        return result["result"].get("value")

    def wait_for(self, expression, seconds):
        """Waits until the expression is true in the page; its last value."""
        end = time.monotonic() + seconds
        while not (value := self.evaluate(expression)) and time.monotonic() < end:
            time.sleep(0.1)
        return value

    def exceptions(self):
        """What the page threw and nobody caught, so far."""
        self.evaluate("0")  # reads the events that have come
        return self._browser.exceptions.get(self._session, [])

    def click_and_type(self, x, y, key):
        """A click at x, y and a key pressed, as a user gives them."""
        for kind in ("mousePressed", "mouseReleased"):
            self._browser.send("Input.dispatchMouseEvent", self._session, type=kind, x=x, y=y, button="left",
                               clickCount=1)
        for kind in ("keyDown", "keyUp"):
            self._browser.send("Input.dispatchKeyEvent", self._session, type=kind, key=key, text=key)

    def text(self, element_id):
        return self.evaluate(f'document.getElementById("{element_id}")?.textContent ?? ""')

    def screenshot(self, path):
        data = self._browser.send("Page.captureScreenshot", self._session, format="png")["data"]
        with open(path, "wb") as file:
            file.write(base64.b64decode(data))
