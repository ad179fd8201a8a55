// Runs the saver's WebAssembly module in the page: one frame per display refresh, the picture scaled by the largest
// whole factor that fits the window (or ?scale=N), centred on black. Other options: ?fixed-clock=F runs the
// renderer's clock (frame k at k * 1000 / F ms), ?frames=N stops after frame N, ?fps shows frames per second.
"use strict";

const LargestScale = 10;
// As orbisk-render and orbisk-x11 take them.
const LargestFixedClockFps = 1000000, LargestFrameCount = 1e12;
// Of a bad value, the note quotes no more than this.
const QuotedLength = 24;
const PictureWidth = 640, PictureHeight = 480;
const element = (id) => document.getElementById(id);

// The query's options; a value that cannot be used gives the default and a line in `problems`.
function readOptions(query) {
  const problems = [];
  const whole = (name, low, high) => {
    if (!query.has(name)) return 0;
    const text = query.get(name);
    if (/^[0-9]+$/.test(text) && Number(text) >= low && Number(text) <= high) return Number(text);
    const quoted = text.length > QuotedLength ? `${text.slice(0, QuotedLength)}…` : text;
    problems.push(`${name} must be a whole number from ${low} to ${high}, not "${quoted}"`);
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

// The module, or an error that says in plain words why there is none.
async function loadModule() {
  const response = await fetch("orbisk.wasm").catch(() => null);
  if (!response?.ok) {
    throw new Error(`its module orbisk.wasm could not be loaded${response ? ` (HTTP ${response.status})` : ""}`);
  }
  const bytes = await response.arrayBuffer();
  // The module imports the system interface of its C library but never calls it while running.
  const unused = new Proxy({}, { get: () => () => 52 /* ENOSYS */ });
  const { instance } = await WebAssembly.instantiate(bytes, { wasi_snapshot_preview1: unused }).catch(() => {
    throw new Error("its module orbisk.wasm is damaged");
  });
  instance.exports._initialize();
  return instance.exports;
}

async function main() {
  const { options, problems } = readOptions(new URLSearchParams(location.search));
  if (problems.length) {
    element("note").textContent = `${problems.join("; ")}: using the default`;
    element("note").hidden = false;
  }
  const canvas = element("picture");
  place(canvas, options.scale);
  window.addEventListener("resize", () => place(canvas, options.scale));
  const enterFullScreen = () => document.fullscreenElement || document.documentElement.requestFullscreen?.();
  window.addEventListener("click", enterFullScreen);
  window.addEventListener("keydown", (event) => event.key !== "Escape" && enterFullScreen());

  const orbisk = await loadModule();
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

main().catch((error) => {
  element("note").textContent = `Orbisk cannot run here: ${error.message}`;
  element("note").hidden = false;
});
