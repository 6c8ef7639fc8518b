// The worker that runs one conversion, and its compression workers: it
// follows the converter module (createConverter) in the worker's source.
// The page sends "open" with the two folders' files and the worker's own
// source, is told whether the game folder holds game data, then sends
// "convert"; the converter's output, progress and the archive come back as
// messages. The page ends the worker to cancel, and its compression workers
// end with it.
"use strict";

let converter = null;

// --- The compression workers, as the conversion's worker sees them ---------------
// Members go out in their order of addition to whichever worker is idle;
// their packed forms wait here until the converter takes them.
const pool = { source: null, workers: [], idle: [], queue: [], results: new Map(), waiting: [], memory: [] };

function dispatch() {
  while (pool.idle.length > 0 && pool.queue.length > 0) {
    const worker = pool.idle.shift();
    const job = pool.queue.shift();
    worker.postMessage({ type: "compress", sequence: job.sequence, bytes: job.bytes }, [job.bytes.buffer]);
  }
}

function startCompressors(wanted) {
  const url = URL.createObjectURL(new Blob([pool.source], { type: "text/javascript" }));
  for (let i = 0; i < wanted; i++) {
    const worker = new Worker(url);
    const index = i;
    pool.memory.push(0);
    worker.onmessage = (event) => {
      const message = event.data;
      if (message.type !== "compressed") return;
      pool.results.set(message.sequence, { status: message.status, bytes: message.bytes });
      pool.memory[index] = Math.max(pool.memory[index], message.wasmBytes);
      pool.idle.push(worker);
      dispatch();
      for (const resolve of pool.waiting.splice(0)) resolve();
    };
    worker.postMessage({ type: "compressor" });
    pool.workers.push(worker);
    pool.idle.push(worker);
  }
  return wanted;
}

const poolHooks = {
  startCompressors,
  compress(sequence, bytes) {
    pool.queue.push({ sequence, bytes });
    dispatch();
  },
  packedSize(sequence) {
    const result = pool.results.get(sequence);
    return result ? result.bytes.length : -1;
  },
  takePacked(sequence, dest) {
    const result = pool.results.get(sequence);
    pool.results.delete(sequence);
    converter.HEAPU8.set(result.bytes, dest);
    return result.status;
  },
  nextResult: () => new Promise((resolve) => pool.waiting.push(resolve)),
};

// --- A compression worker -------------------------------------------------------
let compressorReady = null;

async function compressOne(message) {
  const module = await compressorReady;
  const data = module._malloc(Math.max(message.bytes.length, 1));
  module.HEAPU8.set(message.bytes, data);
  const status = module._avd_compress(data, message.bytes.length);
  module._free(data);
  const packed = module.HEAPU8.slice(module._avd_packed(), module._avd_packed() + module._avd_packed_size());
  const bytes = status === 0 ? packed : new Uint8Array(0);
  postMessage({ type: "compressed", sequence: message.sequence, status, bytes, wasmBytes: module.HEAPU8.length },
    [bytes.buffer]);
}

// --- The conversion -------------------------------------------------------------

// The bytes of one output stream, handed to the page a line at a time.
function lineCollector(stream) {
  let bytes = [];
  return {
    byte(b) {
      if (b === null) return;
      bytes.push(b);
      if (b === 10) this.flush();
    },
    flush() {
      if (bytes.length === 0) return;
      postMessage({ type: "line", stream, bytes: new Uint8Array(bytes) });
      bytes = [];
    },
  };
}
const stdoutLines = lineCollector("out");
const stderrLines = lineCollector("err");

// Mounts `files` ({path, file}, paths relative to the chosen folder) as the
// folder `at`. The files are read only when the converter reads them.
function mount(at, files) {
  converter.FS.mkdir(at);
  converter.FS.mount(converter.WORKERFS, { blobs: files.map((f) => ({ name: f.path, data: f.file })) }, at);
}

async function open(message) {
  converter = await createConverter({
    stdout: (b) => stdoutLines.byte(b),
    stderr: (b) => stderrLines.byte(b),
    onProgressLine: (bytes) => postMessage({ type: "progress", bytes }),
    onResult: (kind, bytes) => postMessage({ type: "result", kind, bytes }),
    ...poolHooks,
  });
  pool.source = message.source;
  mount("/game", message.game);
  mount("/data", message.data);
  converter.FS.mkdir("/out");
  const holds = converter.ccall("avd_holds_game_data", "number", ["string"], ["/game/"]);
  postMessage({ type: "opened", holdsGameData: holds === 1 });
}

async function convert(message) {
  const status = await converter.ccall(
    "avd_convert",
    "number",
    ["string", "string", "string", "number", "number"],
    ["/game/", "/data/", "/out/", message.force ? 1 : 0, message.jobs],
    { async: true },
  );
  stdoutLines.flush();
  stderrLines.flush();
  // The archive first, then its member table and contact sheet.
  const archive = status === 0 ? converter.FS.readFile("/out/DAV299.AVD").buffer : null;
  postMessage({ type: "converted", status, archive }, archive ? [archive] : []);
  if (status === 0) converter.ccall("avd_inspect", "number", ["string"], ["/out/DAV299.AVD"]);
  // Every instance's memory only grows: the sum of their last sizes is the peak.
  const wasmBytes = converter.HEAPU8.length + pool.memory.reduce((a, b) => a + b, 0);
  postMessage({ type: "done", status, wasmBytes });
}

onmessage = (event) => {
  const message = event.data;
  try {
    if (message.type === "open") {
      open(message).catch((error) => postMessage({ type: "failed", error: String(error) }));
    } else if (message.type === "convert") {
      convert(message).catch((error) => postMessage({ type: "failed", error: String(error) }));
    } else if (message.type === "compressor") {
      compressorReady = createConverter({});
    } else if (message.type === "compress") {
      // A member the worker could not compress is one the compressor failed on.
      compressOne(message).catch(() =>
        postMessage({ type: "compressed", sequence: message.sequence, status: 2, bytes: new Uint8Array(0), wasmBytes: 0 }),
      );
    }
  } catch (error) {
    postMessage({ type: "failed", error: String(error) });
  }
};
