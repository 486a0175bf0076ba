// The page as people meet it: on a phone, by keyboard and screen reader, in
// 3D, offline; one request at a time whatever is pressed.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, truncateSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { setTimeout as sleep } from "node:timers/promises";
import { decode } from "fast-png";
import { countGenerations, openPage, startBrowser } from "./browser.js";

const work = mkdtempSync(join(tmpdir(), "glenvar-reach-test-"));
const shots = process.env.GLENVAR_SCREENSHOTS ?? join(work, "screenshots");
mkdirSync(shots, { recursive: true });
let session;

before(async () => {
  session = await startBrowser();
});
after(async () => {
  await session?.close();
  rmSync(work, { recursive: true, force: true });
});

function cliPicture(name, options) {
  const png = join(work, `${name}.png`);
  execFileSync(process.env.GLENVAR_CLI, ["generate", ...options, "--stencils",
    join(work, "makeland.bin"), "-o", png, "-o", join(work, `${name}.ld`)]);
  return decode(readFileSync(png));
}

async function assertShows(page, picture) {
  const shown = await page.evaluate(() => {
    const c = document.getElementById("map");
    const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    return { width: c.width, height: c.height, rgb: Array.from(d.filter((_, i) => i % 4 !== 3)) };
  });
  assert.deepEqual([shown.width, shown.height], [picture.width, picture.height]);
  assert.ok(Buffer.from(shown.rgb).equals(Buffer.from(picture.data)), "canvas pixels differ");
}

const box = (page, selector) => page.$eval(selector, (e) => {
  const r = e.getBoundingClientRect();
  return { x: r.x, y: r.y, width: r.width, height: r.height };
});
const inside = (b, width, height) =>
  b.x >= 0 && b.y >= 0 && b.x + b.width <= width && b.y + b.height <= height;
const idle = (page) => page.waitForSelector("body:not(.busy)");
const messageText = (page) => page.$eval("#message-text", (e) => e.textContent);
const range = (lo, hi) => `${lo} から ${hi} までの整数を入力してください。`;

// Answers the open message box (its button, or the press given) and returns
// once the page has handled the close: the box drops `open` at once, but the
// page hands the focus back to the field in its close event, a task later.
async function answer(page, expected, press = () => page.click("#message button")) {
  await page.waitForSelector("#message[open]");
  if (expected instanceof RegExp) assert.match(await messageText(page), expected);
  else assert.equal(await messageText(page), expected);
  // Listeners run in the order added: this one after the page's, added as the box opened.
  await page.$eval("#message", (box) => {
    window.messageAnswered = false;
    box.addEventListener("close", () => (window.messageAnswered = true), { once: true });
  });
  await press();
  await page.waitForFunction(() => window.messageAnswered, { timeout: 10000 });
}

// The focused element's id once it is the one expected, or what it is after 10 s.
async function focusedId(page, expected) {
  await page.waitForFunction((id) => document.activeElement?.id === id, { timeout: 10000 },
                             expected).catch(() => {});
  return page.evaluate(() => document.activeElement?.id);
}

test("phone, tablet and desktop layouts show the map and its progress", async () => {
  for (const [width, height] of [[390, 844], [800, 600], [1400, 900]]) {
    const page = await session.browser.newPage();
    await page.setViewport({ width, height });
    await page.goto(`${session.base}?seed=3`);
    await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
    await idle(page);
    const map = await box(page, "#viewport");
    assert.ok(inside(map, width, height) && map.width >= 300 && map.height >= 300,
              `${width}x${height}: map area ${JSON.stringify(map)}`);
    if (width < 640) assert.ok(map.y < (await box(page, "#side")).y, "on a phone the map comes first");
    await page.screenshot({ path: join(shots, `page-${width}x${height}.png`) });
    // The progress shows on the map, wherever the form is scrolled to.
    await page.evaluate(() => window.scrollTo(0, document.body.scrollHeight));
    await page.$eval("#progress", (e) => { e.hidden = false; });
    assert.ok(inside(await box(page, "#progress"), width, height), `${width}x${height}: progress`);
    await page.close();
  }
});

test("keyboard and screen reader: names, tab order, slider texts, messages that stay, axe", async () => {
  const page = await openPage(session, "");
  const axe = createRequire(import.meta.url).resolve("axe-core/axe.min.js");
  await page.addScriptTag({ path: axe });
  const result = await page.evaluate(() => window.axe.run());
  const grave = result.violations.filter((v) => v.impact === "serious" || v.impact === "critical");
  const summary = `axe-core ${result.testEngine.version}: ${result.passes.length} rules pass, ` +
    `${result.violations.length} violated (${result.violations.map((v) => `${v.id}:${v.impact}`)
      .join(", ") || "none"}), ${grave.length} serious or critical`;
  console.log(summary);
  assert.deepEqual(grave.map((v) => v.id), [], summary);

  assert.equal(await page.$eval("#p-concentrationRate", (e) => e.getAttribute("aria-valuetext")),
               "20.00%");
  assert.match(await page.$eval("#map", (e) => e.getAttribute("aria-label")), /1280 × 1024/);

  // Tab reaches every control, the open command and the map included.
  const reached = new Set();
  for (let i = 0; i < 60; ++i) {
    await page.keyboard.press("Tab");
    reached.add(await page.evaluate(() => document.activeElement.id));
  }
  for (const id of ["p-seed", "p-width", "p-concentrationRate", "p-twoThreads", "generate",
                    "water", "fit", "open-button", "viewport"])
    assert.ok(reached.has(id), `${id} is not in the tab order`);

  // Enter opens the refusal, and the box stays until answered.
  await page.click("#p-width", { clickCount: 3 });
  await page.keyboard.type("99");
  await page.keyboard.press("Enter");
  await sleep(300);
  assert.ok(await page.$eval("#message", (e) => e.open), "the message box closed by itself");
  await answer(page, range(100, 3000), () => page.keyboard.press("Enter"));
  assert.equal(await focusedId(page, "p-width"), "p-width");
  await page.close();
});

test("one generation at a time; a worker that cannot start ends in a message", async () => {
  const page = await session.browser.newPage();
  await countGenerations(page);
  await page.goto(`${session.base}?width=3000&height=3000`);
  await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
  // Many stamps, so the generation outlasts the presses below.
  await page.$eval("#p-processAmount", (e) => {
    e.value = "300";
    e.dispatchEvent(new Event("change"));
  });
  await page.click("#generate");
  await page.focus("#p-seed");
  for (let i = 0; i < 5; ++i) await page.keyboard.press("Enter");
  await page.click("#generate");
  assert.ok(await page.$eval("body", (e) => e.classList.contains("busy")), "generation too short");
  await idle(page);
  assert.equal(await page.evaluate(() => window.generations), 2);
  await page.close();

  const broken = await session.browser.newPage();
  await broken.evaluateOnNewDocument(() => {
    const Real = Worker;
    window.Worker = class extends Real {
      constructor() {
        super("no-such-worker.js");
      }
    };
  });
  await broken.goto(session.base);
  await broken.waitForSelector("#message[open]");
  assert.match(await messageText(broken), /計算部を起動できませんでした/);
  await broken.close();
});

test("the 3D view: thinned, lit, following water level and regions", async () => {
  const page = await openPage(session, "width=3000&height=2000&points=3");
  await page.click("#view3d");
  await page.waitForFunction(() => document.getElementById("surface")?.dataset.frames > 0,
                             { timeout: 60000 });
  await idle(page);
  const surface = () => page.$eval("#surface", (e) => ({ ...e.dataset }));
  // 3000 x 2000 cells: blocks of 12 at most, 250 x 167 vertices, fewer when drawing is slow.
  const vertices = Number((await surface()).vertices);
  assert.ok(vertices > 0 && vertices <= 250 * 167, `${vertices} vertices`);
  await page.$eval("#water", (e) => {
    e.value = "30000";
    e.dispatchEvent(new Event("change"));
  });
  await page.waitForFunction(() => document.getElementById("surface").dataset.waterLevel ===
                             String(30000 * 0.00001));
  await idle(page);
  await page.click("#regions");
  await idle(page);
  const shot = await page.screenshot({ path: join(shots, "page-3d.png") });
  const png = decode(shot);
  const colours = new Set();
  for (let i = 0; i < png.data.length; i += 4 * 97)
    colours.add((png.data[i] << 16) | (png.data[i + 1] << 8) | png.data[i + 2]);
  assert.ok(colours.size > 50, `a flat 3D view: ${colours.size} colours`);
  await page.close();
});

test("offline once loaded: reload, generate, the CLI's map", async () => {
  const page = await openPage(session, "");
  await page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    while (!navigator.serviceWorker.controller) await new Promise((r) => setTimeout(r, 50));
  });
  // No network for the page, and no server behind it either.
  const port = session.server.address().port;
  session.server.close();
  session.server.closeAllConnections();
  await page.setOfflineMode(true);
  await page.goto(`${session.base}?seed=11&width=300&height=200`);
  await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
  await assertShows(page, cliPicture("offline", ["--seed", "11", "--width", "300", "--height", "200"]));
  const manifest = await page.evaluate(async () =>
    (await fetch(document.querySelector("link[rel=manifest]").href)).json());
  assert.ok(manifest.icons.some((i) => i.sizes === "512x512") && manifest.display === "standalone");
  await page.setOfflineMode(false);
  await new Promise((resolve) => session.server.listen(port, "127.0.0.1", resolve));
  await page.close();
});

// Chooses the file, then waits for the page to take it (its change handler
// makes the page busy; this listener runs after it) and to be idle again.
async function openFile(page, path) {
  await page.$eval("#open", (input) => {
    window.fileTaken = false;
    input.addEventListener("change", () => (window.fileTaken = true), { once: true });
  });
  await (await page.$("#open")).uploadFile(path);
  await page.waitForFunction(() => window.fileTaken, { timeout: 10000 });
  await idle(page);
}

test("files: too large named with the limit; out-of-range values load, generating refuses", async () => {
  const page = await openPage(session, "width=200&height=100");
  const big = join(work, "big.ld");
  writeFileSync(big, "");
  truncateSync(big, 1073741824 + 1);
  await openFile(page, big);
  await answer(page, /1073741824 ﾊﾞｲﾄ/);

  // As a damaged or hand-made file may hold them: unit amount -5, an infinite
  // processing amount, a NaN concentration rate, 1000 concentration points.
  cliPicture("source", ["--seed", "7", "--width", "200", "--height", "100"]);
  const ld = readFileSync(join(work, "source.ld"));
  ld.writeInt32LE(-5, 20);
  ld.writeDoubleLE(Infinity, 24);
  ld.writeDoubleLE(NaN, 40);
  ld.writeInt32LE(1000, 56);
  writeFileSync(join(work, "odd.ld"), ld);
  await openFile(page, join(work, "odd.ld"));
  assert.equal(await page.$eval("#message", (e) => e.open), false);
  assert.equal(await page.$eval("#p-pointCount", (e) => e.value), "1000");
  assert.doesNotMatch(page.url(), /NaN|Infinity/);
  assert.match(page.url(), /points=1000/);
  // The dialog's refusal for the first bad field, which then has the focus.
  await page.click("#generate");
  await answer(page, range(0, 255));
  assert.equal(await focusedId(page, "p-pointCount"), "p-pointCount");
  // The sliders hold their ends, as the dialog's do: that map.
  await page.$eval("#p-pointCount", (e) => { e.value = "4"; });
  await page.click("#generate");
  await idle(page);
  await assertShows(page, cliPicture("held", ["--seed", "7", "--width", "200", "--height", "100",
    "--unit-amount", "1", "--process-amount", "0.5000000237487257", "--concentration-rate", "0"]));
  await page.close();
});

test("seeds up to 2^64-1 in links and files; out-of-range link values get messages", async () => {
  const big = ["--seed", "18446744073709551615", "--width", "200", "--height", "100"];
  const picture = cliPicture("seed64", big);
  const page = await openPage(session, "seed=18446744073709551615&width=200&height=100");
  await assertShows(page, picture);
  cliPicture("seed5e9", ["--seed", "5000000000", "--width", "200", "--height", "100"]);
  await openFile(page, join(work, "seed5e9.ld"));
  assert.equal(await page.$eval("#p-seed", (e) => e.value), "5000000000");
  assert.match(page.url(), /seed=5000000000/);

  const refusals = [
    ["seed=18446744073709551616", range(0, "18446744073709551615")],
    ["seed=-1", "正の整数を入力してください。"],
    ["unit-amount=500", range(1, 200)],
    ["points=256", range(0, 255)],
    ["concentration-rate=NaN", "0 から 1 までの数値を入力してください。"],
  ];
  for (const [query, expected] of refusals) {
    const refused = await session.browser.newPage();
    await refused.goto(`${session.base}?${query}`);
    await answer(refused, expected);
    await refused.close();
  }
  await page.close();
});

test("English labels on request; the Japanese ones stay the default and come back exact", async () => {
  const page = await openPage(session, "");
  const side = () => page.$eval("#side", (e) => e.innerText);
  const japanese = await side();
  const japaneseIn = (selector) => page.$$eval(selector, (list) =>
    list.map((e) => e.textContent).filter((t) => /[\u3000-\u9fff\uff00-\uffef]/.test(t)));
  await page.select("#language", "en");
  await page.screenshot({ path: join(shots, "page-english.png") });
  assert.deepEqual(await japaneseIn("label, button, h2, #placement-text"), []);
  assert.equal(await page.$eval("#generate", (e) => e.innerText.trim()), "Generate");
  await page.reload();
  await page.waitForSelector("body[data-ready='1']");
  assert.equal(await page.$eval("#language", (e) => e.value), "en");
  assert.deepEqual(await japaneseIn("label, button, h2"), []);
  await page.select("#language", "ja");
  assert.equal(await side(), japanese);
  await page.close();
});
