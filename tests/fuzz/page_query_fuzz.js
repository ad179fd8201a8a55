// The page's reading of its query (readOptions in orbisk.js), fuzzed in the page itself: queries mutated from the
// seeds and from the queries kept, each read twice and checked. `fuzzSlice(seeds, milliseconds, seed)` runs for that
// long and answers the runs, the queries that broke an invariant (with the invariant) and the queries kept: those
// whose outcome (each option accepted, refused or absent, and the notes' count) is new.
"use strict";

var fuzzSlice = (() => {
  const tokens = ["scale", "fixed-clock", "frames", "fps", "=", "&", "%", "%0A", "%00", "%E2%80%A8", "%F0%9F%98%80",
    "%ED%A0%80", "%C2%85", "+", "0", "1", "9", "10", "11", "1000000", "1000001", "1000000000000", "1000000000001",
    "9007199254740993", "-", "e3", ".5", " ", "\\", "\uFEFF", "\u{1F600}", "\uD800", "0x10", "\u0663", "\u2028"];
  const limits = { scale: [1, LargestScale, "scale"], "fixed-clock": [1, LargestFixedClockFps, "fixedFps"],
    frames: [1, LargestFrameCount, "frames"] };
  const corpus = [], outcomes = new Set();
  let state = 1;
  const random = (n) => {
    state ^= state << 13;
    state ^= state >>> 17;
    state ^= state << 5;
    return (state >>> 0) % n;
  };
  const pick = (list) => list[random(list.length)];

  function mutate(text) {
    for (let steps = 1 + random(4); steps > 0; --steps) {
      const at = random(text.length + 1), end = at + random(Math.max(1, text.length - at + 1));
      switch (random(6)) {
        case 0: text = text.slice(0, at) + pick(tokens) + text.slice(at); break;
        case 1: text = text.slice(0, at) + text.slice(end); break;
        case 2: text = text.slice(0, at) + String.fromCharCode(random(2) ? random(128) : random(65536)) +
          text.slice(at + 1); break;
        case 3: text = text.slice(0, at) + text.slice(at, end).repeat(1 + random(40)) + text.slice(end); break;
        case 4: text = text.slice(0, at) + pick(corpus).slice(random(8)); break;
        default: text = `${text}&${pick(tokens)}=${pick(tokens)}${pick(tokens)}`;
      }
    }
    return text;
  }

  // The invariant that the query breaks, or "".
  function broken(text) {
    const query = new URLSearchParams(text);
    const read = readOptions(query);
    if (JSON.stringify(read) !== JSON.stringify(readOptions(new URLSearchParams(text)))) {
      return "the same query is read the same way twice";
    }
    for (const [name, [low, high, field]] of Object.entries(limits)) {
      const value = read.options[field];
      const notes = read.problems.filter((problem) => problem.startsWith(`${name} must be`));
      if (!Number.isInteger(value) || (value !== 0 && (value < low || value > high))) {
        return `${name} within ${low} to ${high}, or 0 for its default`;
      }
      if (notes.length !== (query.has(name) && value === 0 ? 1 : 0)) return `one note for ${name} when it is refused`;
      if (value !== 0 && String(value) !== query.get(name).replace(/^0+(?=.)/, "")) return `${name} as given`;
    }
    if (read.options.showRate !== query.has("fps")) return "fps shows the rate";
    for (const problem of read.problems) {
      if (!/^(scale|fixed-clock|frames) must be a whole number from \d+ to \d+, not "/.test(problem)) {
        return "a note names its option";
      }
      if (/[\p{Cc}\p{Zl}\p{Zp}]/u.test(problem)) return "a note is one line";
      try {
        encodeURIComponent(problem);
      } catch {
        return "a note holds whole characters";
      }
      if ([...problem].length > 120 + QuotedLength * 9) return "a note quotes only the start of a value";
    }
    return "";
  }

  function outcome(text) {
    const query = new URLSearchParams(text), read = readOptions(query);
    const states = Object.entries(limits).map(([name, [, , field]]) =>
      (read.options[field] ? "accepted" : query.has(name) ? "refused" : "absent"));
    return `${states.join()} ${read.problems.length} ${Math.min(text.length, 64) >> 3}`;
  }

  return (seeds, milliseconds, seed) => {
    if (corpus.length === 0) {
      corpus.push(...seeds);
      for (const text of seeds) outcomes.add(outcome(text));
      state = seed | 1;
    }
    const findings = [], kept = [];
    let runs = 0;
    for (const end = performance.now() + milliseconds; performance.now() < end;) {
      const text = runs < corpus.length ? corpus[runs] : mutate(pick(corpus));
      ++runs;
      const invariant = broken(text);
      if (invariant) findings.push({ text, invariant });
      const seen = outcome(text);
      if (!outcomes.has(seen) && text.length < 4096) {
        outcomes.add(seen);
        corpus.push(text);
        kept.push(text);
      }
    }
    return { runs, findings, kept };
  };
})();
