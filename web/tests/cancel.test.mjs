// Stopping a long job in the page: the map, report, address and form shown
// before it stay, and the map kept is the one later commands act on (the
// CLI's picture at a new water level); a link asking for a long job waits.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { setTimeout as sleep } from "node:timers/promises";
import { decode } from "fast-png";
import { countGenerations, downloadedFile, openPage, startBrowser } from "./browser.js";

const work = mkdtempSync(join(tmpdir(), "glenvar-cancel-test-"));
let session;

before(async () => {
  session = await startBrowser();
});
after(async () => {
  await session?.close();
  rmSync(work, { recursive: true, force: true });
});

const cli = (...args) => execFileSync(process.env.GLENVAR_CLI, args);

// glenvar-cli's picture of a map at the water level (a slider position).
function cliPicture(name, options, position) {
  const png = join(work, `${name}.png`);
  cli("generate", ...options, "--water-level", String(position * 0.00001), "--stencils",
      join(work, "makeland.bin"), "-o", png);
  return decode(readFileSync(png));
}

// What the page shows: the canvas's pixels (a digest), the report, the
// address and the fields.
const shown = (page) => page.evaluate(async () => {
  const c = document.getElementById("map");
  const data = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
  const digest = new Uint8Array(await crypto.subtle.digest("SHA-256", data));
  const value = (id) => document.getElementById(id).value;
  return {
    size: [c.width, c.height], pixels: Array.from(digest).join(","),
    report: document.getElementById("report").textContent, address: location.href,
    fields: ["p-seed", "p-width", "p-height", "p-processAmount", "erode", "smooth", "water"]
      .map(value),
    points: document.getElementById("point-count").textContent,
  };
});

async function assertShowsPicture(page, picture) {
  const rgb = await page.evaluate(() => {
    const c = document.getElementById("map");
    const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    return { size: [c.width, c.height], data: Array.from(d.filter((_, i) => i % 4 !== 3)) };
  });
  assert.deepEqual(rgb.size, [picture.width, picture.height]);
  assert.ok(Buffer.from(rgb.data).equals(Buffer.from(picture.data)), "canvas pixels differ");
}

const busy = (page) => page.$eval("body", (e) => e.classList.contains("busy"));
const setValue = (page, selector, value) => page.$eval(selector, (e, v) => {
  e.value = v;
  e.dispatchEvent(new Event("change"));
}, value);

// Stops the running job, and the page must be idle at once: before its next
// task, so without waiting for the worker. Looked at from inside the page, as
// a time measured from here would count the load of the machine too.
async function stopAtOnce(page, stop) {
  await page.waitForSelector("body.busy");
  await sleep(400); // the job is under way in the worker (a load only makes it longer)
  assert.ok(await busy(page), "the job ended by itself: too short for this test");
  await page.evaluate(() => {
    window.afterStop = null;
    const listening = new AbortController();
    // After the page's own handlers of the press (listeners on window come last).
    const look = () => {
      listening.abort();
      setTimeout(() => {
        window.afterStop = { busy: document.body.classList.contains("busy"),
                             progress: !document.getElementById("progress").hidden };
      });
    };
    for (const type of ["click", "keydown"]) addEventListener(type, look, listening);
  });
  await stop();
  await page.waitForFunction(() => window.afterStop, { timeout: 10000 });
  assert.deepEqual(await page.evaluate(() => window.afterStop), { busy: false, progress: false },
                   "still busy after the cancel's own task");
}

async function waterAt(page, position) {
  await setValue(page, "#water", String(position));
  // The change made the page busy before setValue returned: idle means drawn.
  await page.waitForSelector("body:not(.busy)");
}

test("the cancel button stops erosion at once; the map of placed points stays and takes a new water level", async () => {
  const options = ["--seed", "3", "--width", "600", "--height", "400",
    "--point", "100,100", "--point", "400,300"];
  const page = await openPage(session, "seed=3&width=600&height=400&point=100,100&point=400,300");
  const before = await shown(page);
  // 1000 erosion steps over 240,000 cells: many seconds of work.
  await setValue(page, "#erode", "1000");
  await stopAtOnce(page, () => page.click("#cancel"));
  assert.deepEqual(await shown(page), before);
  assert.doesNotMatch(page.url(), /erode=/);

  // The fresh worker holds the same map: a new water level draws the CLI's picture.
  await waterAt(page, 30000);
  await assertShowsPicture(page, cliPicture("points", options, 30000));
  await page.close();
});

test("Escape stops a generation; the opened file's map stays and takes a new water level", async () => {
  const ld = join(work, "opened.ld");
  cli("generate", "--seed", "9", "--width", "500", "--height", "300", "--stencils",
      join(work, "makeland.bin"), "-o", ld);
  const folder = mkdtempSync(join(work, "downloads-"));
  const page = await openPage(session, "width=200&height=100", folder);
  await (await page.$("#open")).uploadFile(ld);
  await page.waitForFunction(() => document.getElementById("map").width === 500);
  await page.waitForSelector("body:not(.busy)");
  const before = await shown(page);

  // Many stamps on 3000 x 3000 cells: seconds of generation.
  await page.$eval("#p-width", (e) => { e.value = "3000"; });
  await page.$eval("#p-height", (e) => { e.value = "3000"; });
  await setValue(page, "#p-processAmount", "300");
  await page.click("#generate");
  await stopAtOnce(page, () => page.keyboard.press("Escape"));
  assert.deepEqual(await shown(page), before);
  // The file saved again is the file opened.
  await page.click("#save-ld");
  const saved = await downloadedFile(folder, "LandData.ld", 30);
  assert.ok(saved.equals(readFileSync(ld)), "the saved map differs from the opened");

  await waterAt(page, 20000);
  const png = join(work, "opened.png");
  cli("render", ld, "--water-level", String(20000 * 0.00001), "-o", png);
  await assertShowsPicture(page, decode(readFileSync(png)));
  await page.close();
});

test("a cancelled generation from hand placement keeps the placement and its points", async () => {
  const page = await openPage(session, "seed=2&width=600&height=400");
  await page.click("#p-manualPlacement");
  await page.waitForSelector("body[data-state='placing']");
  const box = await (await page.$("#map")).boundingBox();
  const cells = [[50, 60], [300, 200]];
  for (const [i, [x, y]] of cells.entries()) {
    await page.mouse.click(box.x + x + 0.5, box.y + y + 0.5);
    await page.waitForFunction((n) => document.getElementById("point-count").textContent === n,
                               {}, String(i + 1));
  }
  await page.waitForSelector("body:not(.busy)");
  const before = await shown(page);
  // While placing, a stage waits for the generation: 1000 erosion steps of it.
  await setValue(page, "#erode", "1000");
  await page.click("#generate");
  await stopAtOnce(page, () => page.click("#cancel"));
  assert.deepEqual(await shown(page), before);
  assert.equal(await page.$eval("body", (e) => e.dataset.state), "placing");

  await page.click("#generate");
  await page.waitForSelector("body[data-state='map']:not(.busy)");
  await assertShowsPicture(page, cliPicture("placed", ["--seed", "2", "--width", "600",
    "--height", "400", ...cells.flatMap(([x, y]) => ["--point", `${x},${y}`])], 50000));
  await page.close();
});

test("a link asking for a long job says what it will do and waits for a click", async () => {
  const page = await session.browser.newPage();
  await countGenerations(page);
  await page.goto(`${session.base}?seed=4&width=2000&height=1500&smooth=4&erode=120&thermal=50`);
  await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
  await sleep(500);
  assert.equal(await page.evaluate(() => window.generations), 0);
  assert.equal(await busy(page), false);
  const said = () => page.$eval("#pending-text", (e) => e.textContent);
  assert.equal(await page.$eval("#pending", (e) => e.hidden), false);
  assert.equal(await said(), "このﾘﾝｸの地図は作るのに時間がかかります: 2000 × 1500 ｾﾙ、平滑化 4、" +
    "侵食 120 回、崩落 50 回。「開始」を押すと作り始めます (途中で Esc か「ｷｬﾝｾﾙ」で止められます)。");
  await page.select("#language", "en");
  assert.match(await said(), /^This link's map takes a while to make: 2000 × 1500 cells, smoothing radius 4, 120 erosion steps, 50 talus steps\./);
  assert.equal(await page.$eval("#start", (e) => e.innerText.trim()), "Start");
  assert.equal(await page.$eval("#cancel", (e) => e.textContent.trim().split(" ")[0]), "Cancel");

  // Started, then stopped before any map: the offer stands again, the link unchanged.
  const address = page.url();
  await page.click("#start");
  await stopAtOnce(page, () => page.click("#cancel"));
  assert.equal(await page.evaluate(() => window.generations), 1);
  assert.equal(await page.$eval("#pending", (e) => e.hidden), false);
  assert.equal(page.url(), address);
  await page.close();

  // Erosion on a small map comes at once.
  const light = await openPage(session, "seed=4&width=600&height=200&erode=100");
  assert.equal(await light.$eval("#pending", (e) => e.hidden), true);
  assert.equal(await light.$eval("#map", (e) => e.width), 600);
  await light.close();
});
