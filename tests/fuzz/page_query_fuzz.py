"""The page's reading of its query fuzzed in headless Chromium: page_query_fuzz.js runs in the page of PAGE_FOLDER
(opened as a file, so that its module does not load) for SECONDS, from the seeds in corpus/page_query and in CORPUS,
where it adds the queries it keeps, and writes each query that breaks an invariant into FINDINGS. Prints its runs as
libFuzzer does ("Done N runs"), then the findings; exit code 1 when there are any.

    page_query_fuzz.py SECONDS PAGE_FOLDER [CORPUS FINDINGS]"""
import hashlib
import json
import os
import random
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "../web"))
from browser import Browser  # noqa: E402

SLICE_MS = 500  # of fuzzing in the page between two looks from here


def texts(folder):
    if not folder or not os.path.isdir(folder):
        return []
    return [open(os.path.join(folder, name), encoding="utf-8", errors="surrogatepass").read()
            for name in sorted(os.listdir(folder))]


def keep(folder, text, prefix=""):
    if folder:
        os.makedirs(folder, exist_ok=True)
        name = prefix + hashlib.sha1(text.encode("utf-8", "surrogatepass")).hexdigest()
        with open(os.path.join(folder, name), "w", encoding="utf-8", errors="surrogatepass") as file:
            file.write(text)


def main(seconds, page, corpus=None, findings_folder=None):
    seeds = texts(os.path.join(HERE, "corpus/page_query")) + texts(corpus)
    with Browser() as browser:
        tab = browser.open(f"file://{os.path.abspath(page)}/index.html", 800, 600)
        if not tab.wait_for('typeof readOptions === "function"', 30):
            sys.exit("page_query_fuzz: the page's script did not load")
        with open(os.path.join(HERE, "page_query_fuzz.js")) as file:
            tab.evaluate(file.read())
        runs, findings, seed = 0, [], random.randrange(1, 2**31)
        start = time.monotonic()
        end = start + seconds
        while time.monotonic() < end and not findings:
            result = tab.evaluate(f"fuzzSlice({json.dumps(seeds)}, {SLICE_MS}, {seed})")
            runs += result["runs"]
            findings += result["findings"]
            for text in result["kept"]:
                keep(corpus, text)
    print(f"Done {runs} runs in {round(time.monotonic() - start)} second(s)")
    for finding in findings:
        print(f"finding: {finding['invariant']}: {json.dumps(finding['text'])}")
        keep(findings_folder, finding["text"], "finding-")
    return 1 if findings else 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 5):
        sys.exit(__doc__)
    sys.exit(main(float(sys.argv[1]), *sys.argv[2:]))
