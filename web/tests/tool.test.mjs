// The page as a tool: its settings work while a job runs, its progress names
// each stage as it goes, it speaks English throughout when asked, it fits
// thumbs on a phone, and its 3D view works by keyboard at a usable speed in
// software rendering.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { createHash } from "node:crypto";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { setTimeout as sleep } from "node:timers/promises";
import { decode } from "fast-png";
import { countGenerations, openPage, startBrowser } from "./browser.js";

const work = mkdtempSync(join(tmpdir(), "glenvar-tool-test-"));
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
    join(work, "makeland.bin"), "-o", png]);
  return decode(readFileSync(png));
}

async function assertShowsPicture(page, picture) {
  const rgb = await page.evaluate(() => {
    const c = document.getElementById("map");
    const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    return { size: [c.width, c.height], data: Array.from(d.filter((_, i) => i % 4 !== 3)) };
  });
  assert.deepEqual(rgb.size, [picture.width, picture.height]);
  assert.ok(Buffer.from(rgb.data).equals(Buffer.from(picture.data)), "canvas pixels differ");
}

const idle = (page, timeout = 120000) => page.waitForSelector("body:not(.busy)", { timeout });
const setValue = (page, selector, value) => page.$eval(selector, (e, v) => {
  e.value = v;
  e.dispatchEvent(new Event("change"));
}, value);
const messageText = (page) => page.$eval("#message-text", (e) => e.textContent);
async function answer(page) {
  await page.click("#message button");
  await page.waitForFunction(() => !document.getElementById("message").open);
}

// Records every state of the progress box, as [phase, status, bar], from now on.
const recordProgress = (page) => page.evaluate(() => {
  window.progressSeen = [];
  const record = () => {
    const state = [document.getElementById("phase").textContent,
                   document.getElementById("status").textContent,
                   document.getElementById("bar").value];
    const last = window.progressSeen.at(-1);
    if (!last || last.join() !== state.join()) window.progressSeen.push(state);
  };
  new MutationObserver(record).observe(document.getElementById("progress"),
                                       { subtree: true, childList: true, characterData: true });
});
const progressSeen = (page) => page.evaluate(() => window.progressSeen);

test("a change while a job runs stops it and runs the job it asks for", async () => {
  const page = await openPage(session, "seed=3&width=600&height=400");
  await recordProgress(page);
  // 1000 erosion steps over 240,000 cells: many seconds of work.
  await setValue(page, "#erode", "1000");
  await page.waitForSelector("body.busy");
  await sleep(300);
  // The field takes the pointer while the job runs: nothing lies over it.
  const reachable = await page.$eval("#erode", (e) => {
    const r = e.getBoundingClientRect();
    return document.elementFromPoint(r.x + r.width / 2, r.y + r.height / 2) === e;
  });
  assert.ok(reachable, "the erosion field is covered while the page is busy");
  // The files wait for the job, and say so.
  assert.equal(await page.$eval("#save-ld", (e) => e.getAttribute("aria-disabled")), "true");
  await page.click("#erode", { clickCount: 3 });
  await page.keyboard.type("5");
  await page.keyboard.press("Tab");
  await idle(page);
  const seen = await progressSeen(page);
  assert.ok(seen.some(([, status]) => / \/ 1000\)/.test(status)), "the long job never ran");
  assert.ok(!seen.some(([, status]) => status.includes("(1000 / 1000)")),
            "the job out of date ran to its end");
  assert.ok(seen.some(([, status]) => status.includes("(5 / 5)")));
  assert.match(page.url(), /erode=5(&|$)/);
  assert.equal(await page.$eval("#save-ld", (e) => e.getAttribute("aria-disabled")), "false");
  await assertShowsPicture(page, cliPicture("restarted", ["--seed", "3", "--width", "600",
    "--height", "400", "--erode", "5"]));
  await page.close();
});

// The canvas's RGB against a picture's, by digest (a 3000 x 3000 canvas is too large to copy out).
async function assertShowsLargePicture(page, picture) {
  const shown = await page.evaluate(async () => {
    const c = document.getElementById("map");
    const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    const rgb = d.filter((_, i) => i % 4 !== 3);
    return Array.from(new Uint8Array(await crypto.subtle.digest("SHA-256", rgb))).join();
  });
  const rgb = picture.channels === 3 ? picture.data
    : picture.data.filter((_, i) => i % picture.channels !== 3);
  assert.equal(shown, Array.from(createHash("sha256").update(rgb).digest()).join(),
               "canvas pixels differ");
}

test("a new water level during a generation grows the map again at that level", async () => {
  const page = await session.browser.newPage();
  await countGenerations(page);
  await page.setViewport({ width: 1400, height: 900 });
  await page.goto(`${session.base}?seed=8&width=600&height=400`);
  await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
  // Many stamps on 3000 x 3000 cells: seconds of generation.
  await page.$eval("#p-width", (e) => { e.value = "3000"; });
  await page.$eval("#p-height", (e) => { e.value = "3000"; });
  await setValue(page, "#p-processAmount", "300");
  await page.click("#generate");
  await page.waitForSelector("body.busy");
  await setValue(page, "#water", "30000");
  await idle(page);
  assert.equal(await page.evaluate(() => window.generations), 3);
  assert.equal(await page.$eval("#map", (e) => e.width), 3000);
  // The address names the map in glenvar-cli's options.
  const address = [...new URL(page.url()).searchParams];
  assert.ok(address.some(([key, value]) => key === "water-level" && Math.abs(value - 0.3) < 1e-9),
            page.url());
  await assertShowsLargePicture(page, cliPicture("regrown",
    address.flatMap(([key, value]) => [`--${key}`, value])));
  await page.close();
});

test("progress names each stage and moves through it; a new job starts from nothing", async () => {
  const page = await openPage(session, "seed=4&width=1000&height=800");
  await recordProgress(page);
  // Each change stops the redraw before it: the last one runs every stage.
  await page.evaluate(() => {
    for (const [id, value] of [["smooth", "4"], ["rivers", "300"], ["erode", "40"]]) {
      const field = document.getElementById(id);
      field.value = value;
      field.dispatchEvent(new Event("change"));
    }
  });
  await idle(page);
  const seen = await progressSeen(page);
  const lastStart = seen.findLastIndex(([phase]) => phase === "");
  const job = seen.slice(lastStart + 1);
  const phases = job.map(([phase]) => phase).filter((p, i, all) => p !== all[i - 1]);
  // The fresh worker grows the shown map again first; the picture is drawn,
  // then the water drained to draw the rivers on it.
  assert.deepEqual(phases, ["生成", "平滑化", "侵食", "描画", "排水"],
                   JSON.stringify(job.slice(0, 5)));
  const eroding = job.filter(([phase]) => phase === "侵食").map(([, , bar]) => bar);
  assert.ok(eroding.length >= 20, `erosion reported ${eroding.length} times in 40 steps`);
  for (let i = 1; i < eroding.length; ++i) assert.ok(eroding[i] >= eroding[i - 1], "bar went back");
  assert.equal(eroding.at(-1), 1);
  // Never the last job's full bar at a new job's start.
  assert.ok(!job.length || job[0][2] < 1, JSON.stringify(job[0]));

  await page.select("#language", "en");
  await setValue(page, "#erode", "41");
  await idle(page);
  const english = (await progressSeen(page)).map(([phase]) => phase);
  for (const phase of ["Smoothing", "Eroding", "Draining", "Drawing"])
    assert.ok(english.includes(phase), `${phase} missing from ${[...new Set(english)]}`);
  await page.select("#language", "ja"); // the choice stays with the browser
  await page.close();
});

test("English messages, range refusals and report; the Japanese come back exactly", async () => {
  const page = await openPage(session, "seed=2&width=400&height=300");
  const report = () => page.$eval("#report", (e) => e.textContent);
  const japanese = await report();
  await page.select("#language", "en");
  const english = await report();
  assert.match(english, /^Land: [\d.]+%\r?\n/);
  assert.doesNotMatch(english, /[\u3000-\u9fff\uff00-\uffef]/);
  // The same figures, line by line.
  const figures = (t) => t.split(/\r?\n/).map((l) => l.match(/([\d.]+)\D*$/)?.[1]).filter(Boolean);
  assert.deepEqual(figures(english), figures(japanese));

  await setValue(page, "#erode", "5000");
  await page.waitForSelector("#message[open]");
  assert.equal(await messageText(page), "Erosion: enter a whole number from 0 to 1000.");
  await answer(page);
  await page.$eval("#p-width", (e) => { e.value = "50"; });
  await page.click("#generate");
  await page.waitForSelector("#message[open]");
  assert.equal(await messageText(page), "Width (X length): enter a whole number from 100 to 3000.");
  await answer(page);
  await page.$eval("#p-width", (e) => { e.value = "400"; });
  // The model's own refusals in the words glenvar-cli uses.
  const ld = join(work, "whole.ld");
  execFileSync(process.env.GLENVAR_CLI, ["generate", "--width", "300", "--height", "200",
    "--stencils", join(work, "makeland.bin"), "-o", ld]);
  const cut = join(work, "cut.ld");
  writeFileSync(cut, readFileSync(ld).subarray(0, 5000));
  await (await page.$("#open")).uploadFile(cut);
  await page.waitForSelector("#message[open]");
  assert.equal(await messageText(page), "cut.ld could not be opened: unexpected end of file.");
  await answer(page);

  await page.select("#language", "ja");
  assert.equal(await report(), japanese);
  await setValue(page, "#erode", "5000");
  await page.waitForSelector("#message[open]");
  assert.equal(await messageText(page), "0 から 1000 までの整数を入力してください。");
  await answer(page);
  await page.close();

  // A link's refusal is worded when it is told, in the language chosen by then.
  const linked = await session.browser.newPage();
  await linked.goto(session.base);
  await linked.evaluate(() => localStorage.setItem("glenvar-language", "en"));
  await linked.goto(`${session.base}?erodibility=2`);
  await linked.waitForSelector("#message[open]", { timeout: 120000 });
  assert.equal(await messageText(linked),
               "Erodibility: enter a number from 0 to 1.");
  await answer(linked);
  await linked.select("#language", "ja");
  await linked.close();
});

// Two fingers on the viewport, moved from `from` to `to` (each [[x, y], [x, y]]).
async function pinch(page, from, to, steps = 8) {
  const cdp = await page.createCDPSession();
  const points = (pair) => pair.map(([x, y], id) => ({ x, y, id }));
  await cdp.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: points(from) });
  for (let s = 1; s <= steps; ++s) {
    const at = from.map(([x, y], i) => [x + ((to[i][0] - x) * s) / steps,
                                        y + ((to[i][1] - y) * s) / steps]);
    await cdp.send("Input.dispatchTouchEvent", { type: "touchMove", touchPoints: points(at) });
  }
  await cdp.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
}

// A tap on a control of the form, scrolled below the map that stays on top.
async function tapOn(page, selector) {
  await page.$eval(selector, (e) => e.scrollIntoView({ block: "end" }));
  const box = await (await page.$(selector)).boundingBox();
  await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
}

test("a phone: targets of 24 px, each box before its label, tap placement, pinch and zoom steps", async () => {
  const page = await session.browser.newPage();
  await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true,
                           deviceScaleFactor: 2 });
  await page.goto(`${session.base}?seed=5&width=800&height=600`);
  await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
  await idle(page);
  const small = await page.evaluate(() => [...document.querySelectorAll(
    "input, select, button, a[href], textarea, [tabindex]")]
    .filter((e) => e.getClientRects().length > 0 && e.id !== "viewport")
    .map((e) => {
      const r = e.getBoundingClientRect();
      return { id: e.id || e.tagName, w: r.width, h: r.height };
    })
    .filter(({ w, h }) => w < 24 || h < 24));
  assert.deepEqual(small, []);
  const boxes = await page.$$eval("input[type=checkbox]", (list) => list.map((e) => ({
    id: e.id, next: e.nextElementSibling?.tagName === "LABEL" ? e.nextElementSibling.htmlFor : null,
  })));
  assert.ok(boxes.length >= 7);
  for (const { id, next } of boxes) assert.equal(next, id, `${id}: not before its own label`);
  // The water level, the switches and the zoom just under the map, for the README.
  await page.evaluate(() => {
    const row = document.getElementById("water").closest(".row");
    const map = document.getElementById("viewport");
    scrollTo(0, row.getBoundingClientRect().top + scrollY - map.offsetHeight - 8);
  });
  await page.screenshot({ path: join(shots, "page-phone.jpg"), type: "jpeg", quality: 85 });
  await page.evaluate(() => window.scrollTo(0, 0));

  // Zoom-to-fit is the phone's start; a pinch outwards zooms in and leaves it.
  const scale = () => page.$eval("#map", (e) => Number(e.dataset.scale));
  const fitted = await scale();
  assert.ok(fitted < 1 && (await page.$eval("#fit", (e) => e.checked)));
  const v = await (await page.$("#viewport")).boundingBox();
  const [cx, cy] = [v.x + v.width / 2, v.y + v.height / 2];
  await pinch(page, [[cx - 30, cy], [cx + 30, cy]], [[cx - 90, cy], [cx + 90, cy]]);
  const pinched = await scale();
  assert.ok(pinched > fitted * 2, `pinch: ${fitted} -> ${pinched}`);
  assert.equal(await page.$eval("#fit", (e) => e.checked), false);
  // One finger drags the map zoomed in.
  const shift = () => page.$eval("#map", (e) => e.style.transform);
  const before = await shift();
  await pinch(page, [[cx, cy]], [[cx - 60, cy - 40]]);
  assert.notEqual(await shift(), before, "a drag did not move the map");
  // The buttons step to 1:1 and no further, and back down to the whole map.
  for (let i = 0; i < 6; ++i) await tapOn(page, "#zoom-in");
  assert.equal(await scale(), 1);
  assert.equal(await page.$eval("#zoom-label", (e) => e.textContent), "100%");
  const out = [];
  for (let i = 0; i < 6; ++i) {
    await tapOn(page, "#zoom-out");
    out.push(await scale());
  }
  assert.deepEqual(out, [0.5, fitted, fitted, fitted, fitted, fitted]);

  // Hand placement by tap, ended by Done.
  await tapOn(page, "#p-manualPlacement");
  await page.waitForSelector("body[data-state='placing']:not(.busy)");
  assert.doesNotMatch(await page.$eval("#placement-text", (e) => e.textContent), /ｸﾘｯｸ|クリック/);
  const map = await (await page.$("#map")).boundingBox();
  for (const [i, [fx, fy]] of [[0.25, 0.3], [0.7, 0.6]].entries()) {
    await page.touchscreen.tap(map.x + map.width * fx, map.y + map.height * fy);
    await page.waitForFunction((n) => document.getElementById("point-count").textContent === n,
                               {}, String(i + 1));
    await idle(page);
  }
  await tapOn(page, "#place-done");
  await page.waitForSelector("body[data-state='map']:not(.busy)");
  const points = new URL(page.url()).searchParams.getAll("point");
  assert.equal(points.length, 2);
  await assertShowsPicture(page, cliPicture("tapped", ["--seed", "5", "--width", "800",
    "--height", "600", ...points.flatMap((p) => ["--point", p])]));

  // The maskable icon keeps its picture inside the safe circle (80% of its side).
  const manifest = await page.evaluate(async () =>
    (await fetch(document.querySelector("link[rel=manifest]").href)).json());
  const maskable = manifest.icons.find((i) => i.purpose === "maskable");
  assert.ok(maskable, "no maskable icon");
  const bytes = await page.evaluate(async (src) =>
    Array.from(new Uint8Array(await (await fetch(src)).arrayBuffer())), maskable.src);
  const icon = decode(Uint8Array.from(bytes));
  assert.equal(`${icon.width}x${icon.height}`, maskable.sizes);
  const pixel = (x, y) => Array.from(icon.data.slice((y * icon.width + x) * icon.channels,
                                                     (y * icon.width + x) * icon.channels + 3));
  const background = pixel(0, 0);
  let outside = 0;
  for (let y = 0; y < icon.height; y += 2)
    for (let x = 0; x < icon.width; x += 2)
      if (Math.hypot(x - icon.width / 2, y - icon.height / 2) > 0.4 * icon.width &&
          pixel(x, y).join() !== background.join()) ++outside;
  assert.equal(outside, 0, "the icon's picture reaches past the safe circle");
  await page.close();
});

test("3D by keyboard: focus ring, spoken view, arrows turn, + zooms, never inside a hill, 20 fps", async () => {
  const page = await openPage(session, "seed=6&width=3000&height=3000&points=6");
  await page.click("#view3d");
  await page.waitForFunction(() => document.getElementById("surface")?.dataset.frameMs,
                             { timeout: 120000 });
  await idle(page);
  const surface = () => page.$eval("#surface", (e) => ({
    ...e.dataset, said: document.getElementById("surface-view").textContent,
    focused: document.activeElement === e && e.matches(":focus-visible"),
    outline: getComputedStyle(e).outlineStyle,
  }));
  // Software rendering (SwiftShader): the detail steps down until a frame takes 50 ms or less.
  await page.waitForFunction(() => Number(document.getElementById("surface").dataset.frameMs) <= 50,
                             { timeout: 60000 }).catch(() => {});
  const timed = await surface();
  assert.ok(Number(timed.frameMs) <= 50, `a frame takes ${timed.frameMs} ms at ` +
            `${timed.vertices} vertices, pixel ratio ${timed.pixelRatio}`);
  assert.ok(Number(timed.vertices) <= 257 * 257);
  await page.screenshot({ path: join(shots, "page-3d-large.jpg"), type: "jpeg", quality: 85 });

  await page.focus("#viewport");
  await page.keyboard.press("Tab");
  const focused = await surface();
  assert.ok(focused.focused, "the 3D view takes no keyboard focus");
  assert.equal(focused.outline, "solid");
  const facing = (s) => Number(s.said.match(/方位 (\d+)°/)[1]);
  const distance = (s) => Number(s.said.match(/距離 ([\d.]+)/)[1]);
  await page.keyboard.press("ArrowLeft");
  const turned = await surface();
  assert.notEqual(turned.frames, focused.frames, "not drawn again");
  await page.keyboard.press("ArrowRight");
  await page.keyboard.press("ArrowRight");
  assert.equal((facing(await surface()) - facing(turned) + 360) % 360, 30);
  await page.keyboard.press("+");
  assert.ok(distance(await surface()) < distance(turned));
  // The focusable view passes axe-core as the rest of the page does.
  await page.addScriptTag({ path: createRequire(import.meta.url).resolve("axe-core/axe.min.js") });
  const grave = await page.evaluate(async () => (await window.axe.run()).violations
    .filter((v) => v.impact === "serious" || v.impact === "critical").map((v) => v.id));
  assert.deepEqual(grave, []);

  // Down close and low over the hills: the camera stays above the ground.
  for (let i = 0; i < 30; ++i) await page.keyboard.press("+");
  for (let i = 0; i < 8; ++i) await page.keyboard.press("ArrowDown");
  for (let i = 0; i < 12; ++i) await page.keyboard.press("ArrowLeft");
  assert.ok(Number((await surface()).aboveGround) >= 0.0149);
  // And it still draws the land: no blank view from inside.
  const shot = decode(await page.screenshot({ clip: await (await page.$("#surface")).boundingBox() }));
  const colours = new Set();
  for (let i = 0; i < shot.data.length; i += 4 * 97)
    colours.add((shot.data[i] << 16) | (shot.data[i + 1] << 8) | shot.data[i + 2]);
  assert.ok(colours.size > 20, `${colours.size} colours close up`);

  await page.close();
});
