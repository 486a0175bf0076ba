// The page's speed against the native generator, both doing WebMap's
// generate + render on one thread, median of the runs of one session; and the
// site's compressed size.
import { execFileSync } from "node:child_process";
import { cpSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir, loadavg } from "node:os";
import { join } from "node:path";
import { gzipSync } from "node:zlib";
import { startBrowser } from "../tests/browser.js";

const site = process.env.GLENVAR_SITE;
const native = process.env.GLENVAR_NATIVE_TIMING;
const repeats = { default: 5, largest: 2 };
const goals = { default: 2, largest: 2.5 };

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const total = (runs) => median(runs.map(([g, r]) => g + r));

// The site and the benchmark's worker, served together.
const folder = mkdtempSync(join(tmpdir(), "glenvar-bench-"));
cpSync(site, folder, { recursive: true });
cpSync(new URL("./worker.js", import.meta.url), join(folder, "bench-worker.js"));
writeFileSync(join(folder, "bench.html"), "<!doctype html><title>bench</title>");
process.env.GLENVAR_SITE = folder;
const session = await startBrowser();
const page = await session.browser.newPage();
await page.goto(session.base.replace("index.html", "bench.html"));

console.log(`load average at start: ${loadavg().map((l) => l.toFixed(2)).join(" ")}`);
// Native and page runs take turns, so a change in the machine's load falls on both.
const rounds = 3;
await page.evaluate(() => {
  window.bench = new Worker("bench-worker.js");
});
const timePage = (settings, repeats) => page.evaluate((s, n) => new Promise((resolve, reject) => {
  window.bench.onmessage = (e) => resolve(e.data);
  window.bench.onerror = (e) => reject(new Error(e.message));
  window.bench.postMessage({ settings: s, repeats: n });
}), settings, repeats);

let failed = false;
for (const name of ["default", "largest"]) {
  const nativeRuns = [], webRuns = [];
  for (let round = 0; round < rounds; ++round) {
    const output = execFileSync(native, [name, String(repeats[name])], { encoding: "utf8" });
    const timed = JSON.parse(output);
    nativeRuns.push(...timed.runs);
    webRuns.push(...await timePage(timed.settings, repeats[name]));
  }
  const ratio = total(webRuns) / total(nativeRuns);
  const ok = ratio <= goals[name];
  failed ||= !ok;
  const generate = (runs) => median(runs.map((r) => r[0])).toFixed(1);
  console.log(`${name}: page ${total(webRuns).toFixed(1)} ms (generate ${generate(webRuns)}), ` +
              `native ${total(nativeRuns).toFixed(1)} ms (generate ${generate(nativeRuns)}), ` +
              `ratio ${ratio.toFixed(2)} (goal <= ${goals[name]}) ${ok ? "holds" : "MISSED"}`);
}
await session.close();
rmSync(folder, { recursive: true, force: true });

let raw = 0, compressed = 0;
for (const f of readdirSync(site)) {
  const bytes = readFileSync(join(site, f));
  raw += bytes.length;
  compressed += gzipSync(bytes, { level: 9 }).length;
}
console.log(`site: ${raw} bytes, ${compressed} bytes gzipped file by file (goal < 1048576) ` +
            `${compressed < 1048576 ? "holds" : "MISSED"}`);
console.log(`load average at end: ${loadavg().map((l) => l.toFixed(2)).join(" ")}`);
process.exit(failed || compressed >= 1048576 ? 1 : 0);
