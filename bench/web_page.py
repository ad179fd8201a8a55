"""The web page in Debian's headless Chromium: the bytes it transfers, the time from the start of loading to the first
frame drawn, and the median time of drawing a frame (performance.now around the module's frame) over frames 601 to
1200, after the first ten seconds as the native benchmark measures. Prints one line of each.

    web_page.py PAGE_DIR"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../tests/web"))
from browser import Browser  # noqa: E402

page = sys.argv[1]
size = sum(os.path.getsize(os.path.join(page, name)) for name in ("index.html", "orbisk.js", "orbisk.wasm"))
print(f"transfer      {size / 1000:8.1f} kB (page, script and module, uncompressed)")
server = subprocess.Popen([os.path.join(os.path.dirname(__file__), "../scripts/serve-web"), "0", page],
                          stdout=subprocess.PIPE, text=True)
url = server.stdout.readline().strip()
try:
    with Browser() as browser:
        # A new tab starts a page process of its own; loading the page again in it does not.
        tab = browser.open(f"{url}?frames=1", 800, 600)
        first = [float(tab.wait_for('document.getElementById("first-frame-ms").textContent', 30))]
        for load in range(1, 6):
            tab.navigate(f"{url}?frames=1&load={load}")
            first.append(float(tab.wait_for(f'location.search.endsWith("load={load}") && '
                                            'document.getElementById("first-frame-ms").textContent', 30)))
        print(f"first frame   {min(first[1:]):8.1f} ms after the start of loading (best of 5 loads in the same tab; "
              f"{first[0]:.1f} in a new tab)")
        tab = browser.open(f"{url}?fixed-clock=60&frames=1200", 800, 600)
        median = float(tab.wait_for('document.getElementById("median-frame-ms").textContent', 120))
        print(f"frame         {median * 1000:8.0f} us (median of frames 601 to 1200, one a display refresh)")
finally:
    server.terminate()
    server.wait()
