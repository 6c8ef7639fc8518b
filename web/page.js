// The page: gathers the two folders' files, runs the conversion in a worker
// and shows what it says. WORKER_SOURCE (the converter module and
// web/worker.js) and TEXTS (the page's texts in the user's language) are
// put in by web/pack-page.js.
"use strict";

const WORKER_SOURCE = /*WORKER_SOURCE*/"";
const TEXTS = /*TEXTS*/{};

const $ = (id) => document.getElementById(id);
const sjis = new TextDecoder("shift_jis");
const japanese = /^ja\b/i.test((navigator.languages && navigator.languages[0]) || navigator.language || "");

// A text of the page in the user's language.
function tr(english) {
  return (japanese && TEXTS[english]) || english;
}

// The files of the two folders, {path, file} with paths relative to the
// chosen folder, and the folders' names.
const chosen = { game: null, data: null };
let worker = null;
let workerUrl = null;
let downloadUrl = null;

function translatePage() {
  document.documentElement.lang = japanese ? "ja" : "en";
  for (const element of document.querySelectorAll("[data-text]")) element.textContent = tr(element.dataset.text);
}

function setChosen(kind, name, files) {
  chosen[kind] = { name, files };
  $(kind + "-chosen").textContent = `${name} (${files.length})`;
  $("convert").disabled = worker !== null || !chosen.game || !chosen.data;
}

// The files of a folder input: its paths begin with the chosen folder's name.
function filesOfInput(input) {
  const files = [];
  let name = "";
  for (const file of input.files) {
    const path = file.webkitRelativePath || file.name;
    const slash = path.indexOf("/");
    if (!name) name = slash >= 0 ? path.slice(0, slash) : "";
    files.push({ path: slash >= 0 ? path.slice(slash + 1) : path, file });
  }
  return { name, files };
}

// Every file under a dropped folder entry, with paths relative to it.
async function filesOfEntry(folder) {
  const files = [];
  async function walk(entry, prefix) {
    if (entry.isFile) {
      const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
      files.push({ path: prefix + entry.name, file });
      return;
    }
    const reader = entry.createReader();
    const inside = prefix === null ? "" : prefix + entry.name + "/";
    for (;;) {
      const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
      if (batch.length === 0) break;
      for (const child of batch) await walk(child, inside);
    }
  }
  await walk(folder, null);
  return files;
}

// A drop of folders: the one named DATA (in any letter case) is the DATA
// folder, another the game folder.
async function onDrop(event) {
  event.preventDefault();
  $("folders").classList.remove("dragging");
  if (worker) return;
  const entries = [];
  for (const item of event.dataTransfer.items) {
    const entry = item.webkitGetAsEntry && item.webkitGetAsEntry();
    if (entry && entry.isDirectory) entries.push(entry);
  }
  for (const entry of entries) {
    const kind = entry.name.toUpperCase() === "DATA" ? "data" : "game";
    setChosen(kind, entry.name, await filesOfEntry(entry));
  }
}

function clearResult() {
  if (downloadUrl) URL.revokeObjectURL(downloadUrl);
  downloadUrl = null;
  $("download-place").replaceChildren();
  $("summary").textContent = "";
  $("log").textContent = "";
  $("progress-text").textContent = "";
  $("progress").value = 0;
  $("members").replaceChildren();
  $("members").hidden = true;
  $("contact-sheet").replaceChildren();
}

function setRunning(running) {
  $("convert").disabled = running || !chosen.game || !chosen.data;
  $("cancel").disabled = !running;
  $("game-folder").disabled = running;
  $("data-folder").disabled = running;
}

function endWorker() {
  if (worker) worker.terminate();
  worker = null;
  $("question").hidden = true;
  setRunning(false);
}

// The converter's last two lines with text: the summary comes just before
// the closing line.
let lastLines = [];
function addLine(bytes) {
  const text = sjis.decode(bytes);
  $("log").textContent += text;
  if (text.trim() !== "") lastLines = [lastLines[lastLines.length - 1], text.replace(/\n$/, "")];
}

// "<pass>: <n>/<total>, now <file>" in the user's language.
function showProgress(bytes) {
  const text = sjis.decode(bytes);
  $("progress-text").textContent = text;
  const counts = /(\d+)\/(\d+)/.exec(text);
  if (counts) {
    $("progress").max = Number(counts[2]);
    $("progress").value = Number(counts[1]) - 1;
  }
}

// The member table, as avdtool list prints it: its columns are apart by two
// spaces or more.
function showMembers(bytes) {
  const table = $("members");
  const lines = sjis.decode(bytes).split("\n").filter((line) => line.trim() !== "");
  lines.forEach((line, i) => {
    const row = document.createElement("tr");
    for (const text of line.trim().split(/\s{2,}/)) {
      const cell = document.createElement(i === 0 ? "th" : "td");
      cell.textContent = text;
      row.append(cell);
    }
    table.append(row);
  });
  table.hidden = lines.length === 0;
}

function showResult(kind, bytes) {
  if (kind === "members") {
    showMembers(bytes);
  } else if (kind === "contact-sheet" && bytes.length > 0) {
    const picture = document.createElement("img");
    picture.src = URL.createObjectURL(new Blob([bytes], { type: "image/png" }));
    picture.alt = tr("Contact sheet");
    $("contact-sheet").replaceChildren(picture);
  } else if (kind === "notes" && bytes.length > 0) {
    const notes = document.createElement("pre");
    notes.textContent = sjis.decode(bytes);
    $("contact-sheet").append(notes);
  }
}

// The archive is written: the download, while the member table and the
// contact sheet are being made.
function showArchive(message) {
  $("progress-text").textContent = "";
  if (message.status !== 0 || !message.archive) return;
  $("progress").value = $("progress").max;
  $("summary").textContent = lastLines[0] || "";
  const blob = new Blob([message.archive], { type: "application/octet-stream" });
  downloadUrl = URL.createObjectURL(blob);
  const link = document.createElement("a");
  link.id = "download";
  link.href = downloadUrl;
  link.download = "DAV299.AVD";
  link.textContent = tr("Download DAV299.AVD");
  $("download-place").replaceChildren(link);
}

// The run is over: window.avdLastRun tells scripts how it went.
function finish(message) {
  endWorker();
  window.avdLastRun = { status: message.status, wasmBytes: message.wasmBytes };
}

// Compression workers: one per core (the converter takes at most six), or
// what ?jobs=N in the page's address asks for.
function jobs() {
  const asked = Number(new URLSearchParams(location.search).get("jobs"));
  if (Number.isInteger(asked) && asked >= 1 && asked <= 64) return asked;
  return Math.max(navigator.hardwareConcurrency || 1, 1);
}

function startConversion() {
  if (worker || !chosen.game || !chosen.data) return;
  clearResult();
  lastLines = [];
  window.avdLastRun = null;
  workerUrl = workerUrl || URL.createObjectURL(new Blob([WORKER_SOURCE], { type: "text/javascript" }));
  worker = new Worker(workerUrl);
  setRunning(true);
  worker.onmessage = (event) => {
    const message = event.data;
    if (message.type === "line") addLine(message.bytes);
    else if (message.type === "progress") showProgress(message.bytes);
    else if (message.type === "result") showResult(message.kind, message.bytes);
    else if (message.type === "opened") {
      if (message.holdsGameData) worker.postMessage({ type: "convert", force: false, jobs: jobs() });
      else $("question").hidden = false;
    } else if (message.type === "converted") showArchive(message);
    else if (message.type === "done") finish(message);
    else if (message.type === "failed") {
      $("log").textContent += message.error + "\n";
      endWorker();
    }
  };
  worker.onerror = (event) => {
    $("log").textContent += (event.message || "error") + "\n";
    endWorker();
  };
  worker.postMessage({ type: "open", game: chosen.game.files, data: chosen.data.files, source: WORKER_SOURCE });
}

function init() {
  translatePage();
  $("game-folder").addEventListener("change", (e) => {
    const { name, files } = filesOfInput(e.target);
    setChosen("game", name, files);
  });
  $("data-folder").addEventListener("change", (e) => {
    const { name, files } = filesOfInput(e.target);
    setChosen("data", name, files);
  });
  $("convert").addEventListener("click", startConversion);
  $("cancel").addEventListener("click", () => {
    endWorker();
    clearResult();
    $("log").textContent = tr("Cancelled: nothing was converted.") + "\n";
  });
  $("question-yes").addEventListener("click", () => {
    $("question").hidden = true;
    if (worker) worker.postMessage({ type: "convert", force: true, jobs: jobs() });
  });
  $("question-no").addEventListener("click", endWorker);
  const zone = document.body;
  zone.addEventListener("dragover", (e) => {
    e.preventDefault();
    $("folders").classList.add("dragging");
  });
  zone.addEventListener("dragleave", () => $("folders").classList.remove("dragging"));
  zone.addEventListener("drop", onDrop);
}

init();
