// The worker that runs one conversion: it follows the converter module
// (createConverter) in the worker's source. The page sends "open" with the
// two folders' files, is told whether the game folder holds game data, then
// sends "convert"; the converter's output, progress and the archive come
// back as messages. The page ends the worker to cancel.
"use strict";

let converter = null;

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
  });
  mount("/game", message.game);
  mount("/data", message.data);
  converter.FS.mkdir("/out");
  const holds = converter.ccall("avd_holds_game_data", "number", ["string"], ["/game/"]);
  postMessage({ type: "opened", holdsGameData: holds === 1 });
}

function convert(message) {
  const status = converter.ccall(
    "avd_convert",
    "number",
    ["string", "string", "string", "number", "number"],
    ["/game/", "/data/", "/out/", message.force ? 1 : 0, 1],
  );
  stdoutLines.flush();
  stderrLines.flush();
  let archive = null;
  if (status === 0) {
    // The member table and the contact sheet come before the archive.
    converter.ccall("avd_inspect", "number", ["string"], ["/out/DAV299.AVD"]);
    archive = converter.FS.readFile("/out/DAV299.AVD").buffer;
  }
  const wasmBytes = converter.HEAPU8.length;
  postMessage({ type: "done", status, archive, wasmBytes }, archive ? [archive] : []);
}

onmessage = (event) => {
  const message = event.data;
  try {
    if (message.type === "open") {
      open(message).catch((error) => postMessage({ type: "failed", error: String(error) }));
    } else if (message.type === "convert") {
      convert(message);
    }
  } catch (error) {
    postMessage({ type: "failed", error: String(error) });
  }
};
