// The page against the native converter on one core: the bench-size sample
// game converted by `avdconv --jobs 1` and by the page in headless
// Chromium, in one run; prints both times, their ratio and the page's peak
// wasm memory (the sum over its wasm instances).
//
//   node bench/web_bench.js PAGE AVDCONV MAKE_SAMPLE_GAME [SCALE [JOBS]]
// JOBS: the page's compression workers (default: one per core).
// (scripts/bench-web.sh builds what it needs and runs it)
"use strict";
const { execFileSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { chromium } = require("playwright-core");

const [pagePath, avdconv, makeSampleGame, scale = "1", jobs = ""] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), "avd-web-bench-"));
const game = path.join(work, "game");
const data = path.join(work, "DATA");
execFileSync(makeSampleGame, [game, data, "--bench", scale], { stdio: "ignore" });

function nativeSeconds() {
  const started = process.hrtime.bigint();
  execFileSync(avdconv, ["--quiet", "--jobs", "1", "--output", work, "--data", data, game]);
  return Number(process.hrtime.bigint() - started) / 1e9;
}

async function pageRun() {
  const browser = await chromium.launch({
    executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync"],
  });
  const page = await browser.newPage();
  await page.goto("file://" + path.resolve(pagePath) + (jobs ? "?jobs=" + jobs : ""));
  await page.setInputFiles("#game-folder", game);
  await page.setInputFiles("#data-folder", data);
  const started = process.hrtime.bigint();
  await page.click("#convert");
  await page.locator("#download").waitFor({ timeout: 600000 });
  const seconds = Number(process.hrtime.bigint() - started) / 1e9;
  // The member table and the contact sheet follow the archive.
  await page.waitForFunction(() => window.avdLastRun, null, { timeout: 600000 });
  const run = await page.evaluate(() => window.avdLastRun);
  run.workers = jobs || (await page.evaluate(() => navigator.hardwareConcurrency));
  await browser.close();
  return { seconds, wasmBytes: run.wasmBytes, workers: run.workers };
}

(async () => {
  const native = nativeSeconds();
  const web = await pageRun();
  const mib = (bytes) => (bytes / 1048576).toFixed(1);
  console.log(`bench game (scale ${scale}): native --jobs 1 ${native.toFixed(2)} s, page ${web.seconds.toFixed(2)} s ` +
    `(${web.workers} compression workers), ` +
    `ratio page/native ${(web.seconds / native).toFixed(2)}; page's peak wasm memory ${mib(web.wasmBytes)} MiB`);
  fs.rmSync(work, { recursive: true, force: true });
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
