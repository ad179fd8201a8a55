// Runs the saver's WebAssembly module in the page: one frame per display refresh, the picture scaled by the largest
// whole factor that fits the window (or ?scale=N), centred on black. Other options: ?fixed-clock=F runs the
// renderer's clock (frame k at k * 1000 / F ms), ?frames=N stops after frame N, ?fps shows frames per second.
"use strict";

const LargestScale = 10;
// As orbisk-render and orbisk-x11 take them.
const LargestFixedClockFps = 1000000, LargestFrameCount = 1e12;
// Of a bad value, the note quotes no more than this many characters.
const QuotedLength = 24;
// A module that takes longer than the first to arrive is said to be loading; one of which nothing more has come for
// the second is given up.
const LoadingNoteMs = 1000, StalledLoadMs = 10000;
// What the page's script calls in the module.
const ModuleFunctions = ["_initialize", "orbisk_start", "orbisk_frame", "orbisk_picture", "orbisk_state_hash"];
const PictureWidth = 640, PictureHeight = 480;
const element = (id) => document.getElementById(id);

// The start of a bad value for the note, on one line: a control character, a line or paragraph separator and half
// of a character pair are written as \u{…}, a backslash is doubled.
function quoted(text) {
  const characters = [...text]; // whole characters, never half of a pair
  const escape = (c) => (c === "\\" ? "\\\\" : `\\u{${c.codePointAt(0).toString(16)}}`);
  const start = characters.slice(0, QuotedLength).join("").replace(/[\p{Cc}\p{Cs}\p{Zl}\p{Zp}\\]/gu, escape);
  return characters.length > QuotedLength ? `${start}…` : start;
}

// The query's options; a value that cannot be used gives the default and a line in `problems`.
function readOptions(query) {
  const problems = [];
  const whole = (name, low, high) => {
    if (!query.has(name)) return 0;
    const text = query.get(name);
    if (/^[0-9]+$/.test(text) && Number(text) >= low && Number(text) <= high) return Number(text);
    problems.push(`${name} must be a whole number from ${low} to ${high}, not "${quoted(text)}"`);
    return 0;
  };
  const options = {
    scale: whole("scale", 1, LargestScale), // 0: the largest that fits
    fixedFps: whole("fixed-clock", 1, LargestFixedClockFps), // 0: the page's clock
    frames: whole("frames", 1, LargestFrameCount), // 0: until the page closes
    showRate: query.has("fps"),
  };
  return { options, problems };
}

// Places the canvas: each picture pixel a block of whole device pixels, centred in the window.
function place(canvas, requestedScale) {
  const ratio = window.devicePixelRatio || 1;
  const width = Math.round(window.innerWidth * ratio), height = Math.round(window.innerHeight * ratio);
  const fits = Math.floor(Math.min(width / PictureWidth, height / PictureHeight));
  const scale = requestedScale || Math.min(Math.max(fits, 1), LargestScale);
  canvas.style.width = `${(PictureWidth * scale) / ratio}px`;
  canvas.style.height = `${(PictureHeight * scale) / ratio}px`;
  canvas.style.left = `${Math.floor((width - PictureWidth * scale) / 2) / ratio}px`;
  canvas.style.top = `${Math.floor((height - PictureHeight * scale) / 2) / ratio}px`;
}

// The module's bytes, read as they come, so that a download that stalls is given up; `loading` is called when it
// takes long.
async function download(loading) {
  const abort = new AbortController();
  const slow = setTimeout(loading, LoadingNoteMs);
  let stalled;
  const arriving = () => {
    clearTimeout(stalled);
    stalled = setTimeout(() => abort.abort(), StalledLoadMs);
  };
  const failed = (reason) => new Error(`its module orbisk.wasm could not be loaded (${reason})`);
  try {
    arriving();
    const response = await fetch("orbisk.wasm", { signal: abort.signal }).catch(() => null);
    if (!response) throw failed(abort.signal.aborted ? "no answer" : "no connection");
    if (!response.ok) throw failed(`HTTP ${response.status}`);
    const reader = response.body.getReader();
    const parts = [];
    for (;;) {
      const part = await reader.read().catch(() => null);
      if (!part) throw failed(abort.signal.aborted ? "it stopped arriving" : "the connection broke");
      if (part.done) return await new Blob(parts).arrayBuffer();
      parts.push(part.value);
      arriving();
    }
  } finally {
    clearTimeout(stalled);
    clearTimeout(slow);
  }
}

// The module, or an error that says in plain words why there is none.
async function loadModule(loading) {
  const bytes = await download(loading);
  const damaged = new Error("its module orbisk.wasm is damaged");
  // The module imports the system interface of its C library but never calls it while running.
  const unused = new Proxy({}, { get: () => () => 52 /* ENOSYS */ });
  const { instance } = await WebAssembly.instantiate(bytes, { wasi_snapshot_preview1: unused }).catch(() => {
    throw damaged;
  });
  const { exports } = instance;
  const complete =
    exports.memory instanceof WebAssembly.Memory && ModuleFunctions.every((name) => typeof exports[name] === "function");
  if (!complete) throw damaged;
  try {
    exports._initialize();
  } catch {
    throw damaged;
  }
  return exports;
}

function showNote(text) {
  element("note").textContent = text;
  element("note").hidden = !text;
}

// Full screen, where the browser allows it: it may refuse (a frame without the permission, no user's gesture), by
// a promise that fails or, in older browsers, by an exception; the picture then goes on as it is.
function enterFullScreen() {
  if (document.fullscreenElement) return;
  try {
    document.documentElement.requestFullscreen?.()?.catch?.(() => {});
  } catch {
    // refused
  }
}

async function main() {
  const { options, problems } = readOptions(new URLSearchParams(location.search));
  const problemsNote = problems.length ? `${problems.join("; ")}: using the default` : "";
  showNote(problemsNote);
  const canvas = element("picture");
  place(canvas, options.scale);
  window.addEventListener("resize", () => place(canvas, options.scale));
  window.addEventListener("click", enterFullScreen);
  window.addEventListener("keydown", (event) => event.key !== "Escape" && enterFullScreen());

  const orbisk = await loadModule(() => showNote("Orbisk is loading its module orbisk.wasm…"));
  showNote(problemsNote);
  const context = canvas.getContext("2d", { alpha: false });
  const pixels = new ImageData(
    new Uint8ClampedArray(orbisk.memory.buffer, orbisk.orbisk_picture(), PictureWidth * PictureHeight * 4),
    PictureWidth);
  const tick = () => Math.floor(performance.now()) >>> 0;
  const calendarSecond = () => Math.floor(Date.now() / 1000);
  orbisk.orbisk_start(tick(), calendarSecond(), options.fixedFps);

  let frames = 0, rateFrames = 0, rateSince = performance.now();
  const frameTimes = []; // of the last 600 frames
  const frame = () => {
    const begin = performance.now();
    orbisk.orbisk_frame(tick(), calendarSecond());
    frameTimes[frames % 600] = performance.now() - begin;
    context.putImageData(pixels, 0, 0);
    element("frames").textContent = ++frames;
    if (frames === 1) element("first-frame-ms").textContent = performance.now().toFixed(1);
    ++rateFrames;
    if (options.showRate) showRate();
    if (frames !== options.frames) return requestAnimationFrame(frame);
    element("statehash").textContent = BigInt.asUintN(64, orbisk.orbisk_state_hash()).toString(16).padStart(16, "0");
    frameTimes.sort((a, b) => a - b);
    element("median-frame-ms").textContent = frameTimes[frameTimes.length >> 1].toFixed(3);
  };
  const showRate = () => {
    const now = performance.now();
    if (now - rateSince < 1000) return;
    element("rate").textContent = `${((rateFrames * 1000) / (now - rateSince)).toFixed(1)} frames/s`;
    element("rate").hidden = false;
    rateFrames = 0;
    rateSince = now;
  };
  requestAnimationFrame(frame);
}

// The script's last statement, which the page looks for: a script cut short runs everything before it, or nothing.
var orbiskStarted = main().catch((error) => showNote(`Orbisk cannot run here: ${error.message}`));
