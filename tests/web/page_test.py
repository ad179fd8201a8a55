"""The release's web page (its archive, unpacked) in Debian's headless Chromium, served as scripts/serve-web serves
it: the simulation bit for bit the renderer's, the picture block for block, and bad query values.

    page_test.py PAGE_ARCHIVE ORBISK_RENDER"""
import http.server
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

from browser import Browser

ARCHIVE, RENDER = sys.argv.pop(1), sys.argv.pop(1)
SERVE = os.path.join(os.path.dirname(__file__), "../../scripts/serve-web")
NOTE = 'document.getElementById("note").hidden ? "" : document.getElementById("note").textContent'


def renderer_statehash(frames):
    with tempfile.TemporaryDirectory() as directory:
        stats = subprocess.run([RENDER, "--frames", str(frames), "--stats", "--out", f"{directory}/p.png"],
                               check=True, capture_output=True, text=True).stdout
    return next(line.split()[1] for line in stats.splitlines() if line.startswith("statehash "))


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.unpacked = tempfile.TemporaryDirectory()
        shutil.unpack_archive(ARCHIVE, cls.unpacked.name)  # the page in one folder, named as the archive is
        cls.page = os.path.join(cls.unpacked.name, os.path.basename(ARCHIVE).removesuffix(".tar.gz"))
        cls.server = subprocess.Popen([SERVE, "0", cls.page], stdout=subprocess.PIPE, text=True)
        cls.url = cls.server.stdout.readline().strip()
        cls.browser = Browser()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.server.terminate()
        cls.server.wait()
        cls.unpacked.cleanup()

    def test_state_after_n_frames_is_the_renderers(self):
        # One at a time (a tab in the background gets no frames); 3600 is a minute at the display's refresh rate.
        for frames in (1, 600, 601, 3600):
            tab = self.browser.open(f"{self.url}?fixed-clock=60&frames={frames}", 800, 600)
            seen = tab.wait_for('document.getElementById("statehash").textContent', 240)
            self.assertEqual(seen, renderer_statehash(frames), f"after {frames} frames")
            self.assertEqual(tab.text("frames"), str(frames))

    def test_picture_is_the_renderers_scaled_and_centred(self):
        # 1300 x 980 holds the picture twice over, with 10 pixels of black on every side.
        tab = self.browser.open(f"{self.url}?fixed-clock=60&frames=10", 1300, 980)
        self.assertTrue(tab.wait_for('document.getElementById("statehash").textContent', 60))
        with tempfile.TemporaryDirectory() as directory:
            tab.screenshot(f"{directory}/page.png")
            subprocess.run([RENDER, "--frames", "10", "--out", f"{directory}/frame.png"], check=True,
                           capture_output=True)
            subprocess.run(["convert", "-size", "1300x980", "xc:black", "(", f"{directory}/frame.png", "-scale",
                            "200%", ")", "-geometry", "+10+10", "-composite", f"{directory}/expected.png"], check=True)
            differing = subprocess.run(["compare", "-metric", "AE", f"{directory}/page.png",
                                        f"{directory}/expected.png", "null:"], capture_output=True, text=True).stderr
        self.assertEqual(differing, "0")

    def test_bad_values_give_the_defaults_and_a_note(self):
        tab = self.browser.open(f"{self.url}?scale=0&fixed-clock=sixty&frames=-1{'1' * 40000}", 800, 600)
        self.assertTrue(tab.wait_for('Number(document.getElementById("frames").textContent) >= 5', 60),
                        "the page draws nothing")
        note = tab.evaluate(NOTE)
        for name in ("scale", "fixed-clock", "frames"):
            self.assertIn(name, note)
        self.assertLess(len(note), 300, "the note quotes a long value whole")

    def test_hostile_resources_are_named_on_the_page(self):
        with open(f"{self.page}/orbisk.js") as file:
            script = file.read()
        last_statement = list(re.finditer(r"^[A-Za-z]", script, re.M))[-1].start()
        damages = {"no-module": ("orbisk.wasm", None, "orbisk.wasm could not be loaded (HTTP 404)"),
                   "bad-module": ("orbisk.wasm", b"\0asm garbage", "orbisk.wasm is damaged"),
                   "no-exports": ("orbisk.wasm", b"\0asm\1\0\0\0", "orbisk.wasm is damaged"),
                   "no-script": ("orbisk.js", None, "orbisk.js could not be loaded or is damaged"),
                   "bad-script": ("orbisk.js", b"function main( {", "orbisk.js could not be loaded or is damaged"),
                   "cut-script": ("orbisk.js", script[:last_statement].encode(), "orbisk.js could not be loaded or is"),
                   "stalled": (None, None, "orbisk.wasm could not be loaded (it stopped arriving)")}
        with tempfile.TemporaryDirectory() as root:
            shutil.copytree(self.page, f"{root}/no-full-screen")
            for name, (part, content, _) in damages.items():
                shutil.copytree(self.page, f"{root}/{name}")
                if part:
                    os.remove(f"{root}/{name}/{part}")
                if content:
                    with open(f"{root}/{name}/{part}", "wb") as file:
                        file.write(content)
            with HostileServer(root) as url:
                for name, (_, _, says) in damages.items():
                    with self.subTest(name):
                        tab = self.browser.open(f"{url}{name}/?fixed-clock=60", 800, 600)
                        if name == "stalled":
                            self.assertIn("loading", tab.wait_for(NOTE, 5))
                        tab.wait_for(f"({NOTE}).startsWith('Orbisk cannot run here')", 30)
                        self.assertIn(says, tab.evaluate(NOTE))
                # Every refusal of full screen is caught, and the picture goes on.
                tab = self.browser.open(f"{url}no-full-screen/?fixed-clock=60", 800, 600)
                self.assertTrue(tab.wait_for('Number(document.getElementById("frames").textContent) >= 5', 30))
                tab.click_and_type(400, 300, "f")
                drawn = int(tab.text("frames"))
                self.assertTrue(tab.wait_for(f'Number(document.getElementById("frames").textContent) > {drawn}', 30))
                self.assertEqual(tab.exceptions(), [])
                self.assertEqual(tab.evaluate(NOTE), "")


class HostileServer:
    """Serves a folder as a static server does, but the module of stalled/ stops after its headers and 1,000 bytes,
    and no-full-screen/ comes with a permissions policy that refuses full screen. Its URL, in a with statement."""

    def __init__(self, root):
        self._stop = threading.Event()
        stop = self._stop

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=root, **kwargs)

            def log_message(self, *_):
                pass

            def end_headers(self):
                if self.path.startswith("/no-full-screen/"):
                    self.send_header("Permissions-Policy", "fullscreen=()")
                super().end_headers()

            def do_GET(self):
                if self.path != "/stalled/orbisk.wasm":
                    return super().do_GET()
                self.send_response(200)
                self.send_header("Content-Type", "application/wasm")
                self.send_header("Content-Length", "100000")
                self.end_headers()
                self.wfile.write(b"\0asm" + bytes(996))
                self.wfile.flush()
                stop.wait(60)

        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self._server.serve_forever, daemon=True).start()

    def __enter__(self):
        return f"http://127.0.0.1:{self._server.server_address[1]}/"

    def __exit__(self, *_):
        self._stop.set()
        self._server.shutdown()
        self._server.server_close()


if __name__ == "__main__":
    unittest.main()
