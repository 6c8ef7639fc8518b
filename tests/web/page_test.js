// The page in headless Chromium: each download is compared byte for byte
// with the Linux build's archive of the same folders (listed in the Windows
// order, as the page lists them).
//
//   node tests/web/page_test.js PAGE AVDCONV AVDTOOL MAKE_SAMPLE_GAME LISTING_PRELOAD
//
// PAGE is dist/avdconv.html; AVDCONV, AVDTOOL and MAKE_SAMPLE_GAME come from
// the Linux build, LISTING_PRELOAD is tests/support/windows_listing_order.c built as a
// shared library.
"use strict";
const assert = require("assert/strict");
const { execFileSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { chromium } = require("playwright-core");

const [pagePath, avdconv, avdtool, makeSampleGame, preload] = process.argv.slice(2).map((p) => path.resolve(p));
const pageUrl = "file://" + pagePath;
const work = fs.mkdtempSync(path.join(os.tmpdir(), "avd-web-"));

// --- Games and the Linux build's archives -------------------------------------

function makeGame(name, ...options) {
  const game = path.join(work, name);
  const data = path.join(work, name + "-data", "DATA");
  execFileSync(makeSampleGame, [game, data, ...options], { stdio: "ignore" });
  return { game, data };
}

// The Linux build's archive and output lines for `folders`, with the game
// folder's path as the page names it.
function linuxConversion({ game, data }, name) {
  const out = path.join(work, "linux-" + name);
  fs.mkdirSync(out);
  const stdout = execFileSync(avdconv, ["--jobs", "1", "--output", out, "--data", data, "--force", game], {
    env: { ...process.env, LD_PRELOAD: preload, LANG: "C", LC_ALL: "C" },
  });
  const lines = new TextDecoder("shift_jis").decode(stdout).split("\n");
  const list = execFileSync(avdtool, ["list", path.join(out, "DAV299.AVD")], { env: { ...process.env, LANG: "C" } });
  return {
    archive: fs.readFileSync(path.join(out, "DAV299.AVD")),
    members: list.toString("latin1").split("\n").filter((line) => line.trim() !== ""),
    lines: lines.map((line) => line.split(game + "/").join("/game/").split(out + "/").join("/out/")),
  };
}

// --- The page ----------------------------------------------------------------

const launchFlags = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync"];
const requests = [];

async function openPage(extraFlags = []) {
  const userDataDir = fs.mkdtempSync(path.join(work, "profile-"));
  const context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: [...launchFlags, ...extraFlags],
    acceptDownloads: true,
  });
  context.on("request", (request) => requests.push(request.url()));
  const page = context.pages()[0] || (await context.newPage());
  page.on("pageerror", (error) => console.error("page error:", error.message));
  await page.goto(pageUrl);
  return { context, page };
}

async function chooseFolders(page, { game, data }) {
  await page.setInputFiles("#game-folder", game);
  await page.setInputFiles("#data-folder", data);
}

// Converts with the folders chosen, waits for the end of the run (the
// member table and the contact sheet come after the archive) and returns
// the downloaded archive.
async function convertAndDownload(page) {
  await page.click("#convert");
  await page.waitForFunction(() => window.avdLastRun, null, { timeout: 600000 });
  const [download] = await Promise.all([page.waitForEvent("download"), page.click("#download")]);
  assert.equal(download.suggestedFilename(), "DAV299.AVD");
  return fs.readFileSync(await download.path());
}

function sameBytes(actual, expected, what) {
  assert.ok(Buffer.compare(actual, expected) === 0,
    `${what}: the page's archive (${actual.length} bytes) differs from the Linux build's (${expected.length} bytes)`);
}

// Drops the two folders onto the page. A script cannot make the browser's
// own entries of dropped folders, so the folders' files are taken from a
// folder input and handed on as entries that behave as the browser's do.
async function dropFolders(page, folders) {
  for (const [kind, folder] of Object.entries(folders)) {
    await page.evaluate((kind) => {
      const input = document.createElement("input");
      input.type = "file";
      input.webkitdirectory = true;
      input.id = "drop-helper-" + kind;
      input.hidden = true;
      document.body.append(input);
    }, kind);
    await page.setInputFiles("#drop-helper-" + kind, folder);
  }
  await page.evaluate(() => {
    // A folder entry of the files of `input`, read back in batches of two as
    // a folder reader may return them.
    function folderEntry(name, files, depth) {
      const children = new Map();
      for (const file of files) {
        const parts = file.webkitRelativePath.split("/").slice(depth);
        if (parts.length === 1) {
          children.set(parts[0], { isFile: true, isDirectory: false, name: parts[0], file: (ok) => ok(file) });
        } else if (!children.has(parts[0])) {
          const inside = files.filter((f) => f.webkitRelativePath.split("/")[depth] === parts[0]);
          children.set(parts[0], folderEntry(parts[0], inside, depth + 1));
        }
      }
      return {
        isFile: false, isDirectory: true, name,
        createReader() {
          const list = [...children.values()];
          return { readEntries: (ok) => ok(list.splice(0, 2)) };
        },
      };
    }
    const items = ["game", "data"].map((kind) => {
      const files = [...document.getElementById("drop-helper-" + kind).files];
      const name = files[0].webkitRelativePath.split("/")[0];
      return { webkitGetAsEntry: () => folderEntry(name, files, 1) };
    });
    const drop = new Event("drop", { bubbles: true, cancelable: true });
    drop.dataTransfer = { items };
    document.body.dispatchEvent(drop);
  });
}

// --- The tests ---------------------------------------------------------------

const tests = [];
const test = (name, body) => tests.push({ name, body });

const sample = makeGame("sample-game");
const international = makeGame("international-game", "--international");
const sampleLinux = linuxConversion(sample, "sample");

test("the sample game, chosen with the folder inputs, gives the Linux build's archive", async ({ page }) => {
  await chooseFolders(page, sample);
  assert.equal(await page.locator("#convert").isEnabled(), true);
  assert.equal(await page.locator("#download").count(), 0, "choosing the folders does not convert");
  sameBytes(await convertAndDownload(page), sampleLinux.archive, "sample game");
  const summary = await page.textContent("#summary");
  assert.match(summary, /^Converted: 5 scenarios, 25 pictures, 3 data files; 0 warnings; /);
  assert.equal(await page.evaluate(() => document.getElementById("progress").position), 1);
  const log = (await page.textContent("#log")).split("\n");
  assert.deepEqual(log, sampleLinux.lines, "the log holds the converter's lines");
  const rows = await page.$$eval("#members tr", (rows) =>
    rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
  assert.deepEqual(rows, sampleLinux.members.map((line) => line.trim().split(/\s{2,}/)), "the member table");
  const sheet = await page.$eval("#contact-sheet img", (img) => img.decode().then(() => img.naturalWidth));
  assert.ok(sheet > 0, "the contact sheet is a picture");
});

test("the international game gives the Linux build's archive", async ({ page }) => {
  const expected = linuxConversion(international, "international").archive;
  await chooseFolders(page, international);
  sameBytes(await convertAndDownload(page), expected, "international game");
});

test("one and three compression workers give the same archive", async ({ page }) => {
  const expected = linuxConversion(international, "international-jobs").archive;
  for (const jobs of [1, 3]) {
    await page.goto(pageUrl + "?jobs=" + jobs);
    await chooseFolders(page, international);
    sameBytes(await convertAndDownload(page), expected, `international game, ${jobs} worker(s)`);
  }
});

test("served by a web server, the page converts as from disk", async ({ page }) => {
  const http = require("http");
  const server = http.createServer((request, response) => {
    response.writeHead(200, { "Content-Type": "text/html; charset=utf-8" });
    response.end(fs.readFileSync(pagePath));
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  servedUrl = `http://127.0.0.1:${server.address().port}/avdconv.html`;
  try {
    await page.goto(servedUrl);
    await chooseFolders(page, sample);
    sameBytes(await convertAndDownload(page), sampleLinux.archive, "served page");
  } finally {
    server.close();
  }
});

test("a drop of the two folders converts as the inputs do", async ({ page }) => {
  await dropFolders(page, sample);
  sameBytes(await convertAndDownload(page), sampleLinux.archive, "dropped sample game");
});

test("a folder without game data asks, and No converts nothing", async ({ page }) => {
  await chooseFolders(page, { game: sample.data, data: sample.data });
  await page.click("#convert");
  await page.locator("#question").waitFor({ state: "visible" });
  await page.click("#question-no");
  assert.equal(await page.locator("#question").isHidden(), true);
  assert.equal(await page.locator("#download").count(), 0);
  assert.equal(await page.locator("#convert").isEnabled(), true);
  assert.equal(await page.textContent("#log"), "");
});

let bench = null;
let servedUrl = null;
test("Cancel leaves no download, and the next conversion works", async ({ page }) => {
  bench = bench || makeGame("bench-game", "--bench", "1");
  await chooseFolders(page, bench);
  await page.click("#convert");
  await page.locator("#progress-text", { hasText: "Pictures" }).waitFor({ timeout: 60000 });
  await page.click("#cancel");
  assert.equal(await page.locator("#download").count(), 0);
  assert.equal(await page.locator("#cancel").isDisabled(), true);
  await chooseFolders(page, sample);
  sameBytes(await convertAndDownload(page), sampleLinux.archive, "after a cancelled run");
});

test("a damaged picture gives the Linux build's warning line", async ({ page }) => {
  const damaged = makeGame("damaged-game");
  const picture = fs.readdirSync(path.join(damaged.game, "CG")).find((n) => /\.MOE$/i.test(n));
  const bytes = fs.readFileSync(path.join(damaged.game, "CG", picture));
  // A width and a height of 65535: more pixels than a picture may have.
  const palette = bytes[0] === 0x4d && bytes[1] === 0x4d && bytes[2] === 0x44 && bytes[3] === 0x1a;
  bytes.fill(0xff, palette ? 4 : 0, palette ? 8 : 4);
  fs.writeFileSync(path.join(damaged.game, "CG", picture), bytes);
  const linux = linuxConversion(damaged, "damaged");
  const warnings = linux.lines.filter((line) => line.includes(picture));
  assert.ok(warnings.length > 0, "the Linux build warns about the damaged picture");
  await chooseFolders(page, damaged);
  sameBytes(await convertAndDownload(page), linux.archive, "damaged game");
  const log = (await page.textContent("#log")).split("\n");
  for (const warning of warnings) assert.ok(log.includes(warning), `the log lacks: ${warning}`);
});

// Its wasm memory only grows: what it has at the end is its peak. One
// conversion runs at a time, in one wasm instance.
test("the bench game converts within 96 MiB of wasm memory", async ({ page }) => {
  bench = bench || makeGame("bench-game", "--bench", "1");
  await chooseFolders(page, bench);
  await page.click("#convert");
  await page.waitForFunction(() => window.avdLastRun, null, { timeout: 600000 });
  const run = await page.evaluate(() => window.avdLastRun);
  assert.equal(run.status, 0);
  assert.ok(run.wasmBytes < 96 * 1048576, `the page's wasm memory grew to ${run.wasmBytes} bytes`);
});

async function main() {
  let failed = 0;
  const { context, page } = await openPage();
  for (const { name, body } of tests) {
    const started = Date.now();
    try {
      await page.goto(pageUrl);
      await body({ page });
      console.log(`ok   ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
    } catch (error) {
      failed++;
      console.log(`FAIL ${name}\n     ${String(error.stack || error).split("\n").join("\n     ")}`);
    }
  }
  await context.close();
  // Japanese, as a browser whose language is Japanese shows it.
  try {
    const ja = await openPage(["--lang=ja", "--accept-lang=ja"]);
    await chooseFolders(ja.page, sample);
    assert.notEqual(await ja.page.textContent("#convert"), "Convert");
    sameBytes(await convertAndDownload(ja.page), sampleLinux.archive, "Japanese page");
    assert.match(await ja.page.textContent("#summary"), /^変換しました: シナリオ 5 個/);
    await ja.context.close();
    console.log("ok   a Japanese browser shows Japanese");
  } catch (error) {
    failed++;
    console.log(`FAIL a Japanese browser shows Japanese\n     ${error.stack || error}`);
  }
  const elsewhere = requests.filter(
    (url) => ![pageUrl, servedUrl].includes(url.split("?")[0]) && !/^(blob|data):/.test(url));
  if (elsewhere.length === 0) {
    console.log("ok   no request beyond the page itself");
  } else {
    failed++;
    console.log(`FAIL requests beyond the page: ${elsewhere.join(", ")}`);
  }
  fs.rmSync(work, { recursive: true, force: true, maxRetries: 5 });
  console.log(failed === 0 ? "all page tests passed" : `${failed} page test(s) failed`);
  process.exit(failed === 0 ? 0 : 1);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
