// Packs the page: node web/pack-page.js <converter module .js> <page .html>
// The converter module (with its wasm inside) and web/worker.js become the
// worker's source, kept in the page as a string; the page's texts in
// Japanese come from po/ja.po.
"use strict";
const fs = require("fs");
const path = require("path");

const [modulePath, outPath] = process.argv.slice(2);
const here = __dirname;
const read = (file) => fs.readFileSync(path.join(here, file), "utf8");

// A value written into an inline script: JSON, with "</" broken so that the
// script cannot end early.
const inline = (value) => JSON.stringify(value).replace(/<\//g, "<\\/").replace(/<!--/g, "<\\!--");

// The msgid -> msgstr pairs of a catalog (no plural forms, no contexts).
function catalog(text) {
  const entries = {};
  const unquote = (s) => JSON.parse(s);
  let id = null;
  let str = null;
  let field = null;
  const flush = () => {
    if (id !== null && str) entries[id] = str;
    id = str = field = null;
  };
  for (const line of text.split("\n")) {
    let m;
    if ((m = /^msgid (".*")$/.exec(line))) {
      flush();
      id = unquote(m[1]);
      field = "id";
    } else if ((m = /^msgstr (".*")$/.exec(line))) {
      str = unquote(m[1]);
      field = "str";
    } else if ((m = /^(".*")$/.exec(line)) && field) {
      if (field === "id") id += unquote(m[1]);
      else str += unquote(m[1]);
    } else if (line.trim() === "" || line.startsWith("#")) {
      if (field === "str") flush();
    }
  }
  flush();
  return entries;
}

// Every text the page translates: its data-text attributes and its tr("...") calls.
const html = read("page.html");
const js = read("page.js");
const keys = new Set();
for (const m of html.matchAll(/data-text="([^"]*)"/g)) keys.add(m[1]);
for (const m of js.matchAll(/\btr\("((?:[^"\\]|\\.)*)"\)/g)) keys.add(JSON.parse(`"${m[1]}"`));
const ja = catalog(fs.readFileSync(path.join(here, "..", "po", "ja.po"), "utf8"));
const texts = {};
const missing = [];
for (const key of keys) {
  if (ja[key]) texts[key] = ja[key];
  else missing.push(key);
}
if (missing.length > 0) {
  console.error(`pack-page: po/ja.po lacks: ${missing.map((k) => JSON.stringify(k)).join(", ")}`);
  process.exit(1);
}

const workerSource = fs.readFileSync(modulePath, "utf8") + "\n" + read("worker.js");
const pageJs = js
  .replace('/*WORKER_SOURCE*/""', () => inline(workerSource))
  .replace("/*TEXTS*/{}", () => inline(texts));
const page = html.replace("/*PAGE_CSS*/", () => read("page.css")).replace("/*PAGE_JS*/", () => pageJs);
fs.writeFileSync(outPath, page);
