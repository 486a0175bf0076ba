// Erosion's further laws on the page against glenvar-cli: a link's uplift,
// deposition and droplets, and the switches' water across lakes and multiple
// flow directions, give glenvar-cli's pixels; the address and a saved
// picture's recipe carry them, and they count towards a long link's work.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { decode } from "fast-png";
import { countGenerations, downloadedFile, openPage, startBrowser } from "./browser.js";

const work = mkdtempSync(join(tmpdir(), "glenvar-erosion-laws-test-"));
let session;

before(async () => {
  session = await startBrowser();
});
after(async () => {
  await session?.close();
  rmSync(work, { recursive: true, force: true });
});

const map = { seed: "7", width: "240", height: "160" };

// glenvar-cli's picture of the test's map with `stages`: their link keys are its options.
function cliPicture(name, stages) {
  const switches = ["cross-lakes", "shade"];
  const options = Object.entries({ ...map, ...stages })
    .flatMap(([k, v]) => (switches.includes(k) ? [`--${k}`] : [`--${k}`, v]));
  const png = join(work, `${name}.png`);
  execFileSync(process.env.GLENVAR_CLI, ["generate", ...options, "--stencils",
    join(work, "makeland.bin"), "-o", png]);
  return decode(readFileSync(png));
}

async function assertShows(page, picture, what) {
  const { width, height, data } = await page.evaluate(() => {
    const c = document.getElementById("map");
    const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    return { width: c.width, height: c.height, data: Array.from(d) };
  });
  assert.deepEqual([width, height], [picture.width, picture.height], what);
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) rgb.set(data.slice(j, j + 3), i);
  assert.ok(Buffer.from(rgb).equals(Buffer.from(picture.data)), `${what}: canvas pixels differ`);
}

const differs = (a, b) => !Buffer.from(a.data).equals(Buffer.from(b.data));
const idle = (page) => page.waitForSelector("body:not(.busy)");
const tick = (page, id) => page.click(`#${id}`).then(() => idle(page));

test("a link with uplift, deposition and droplets shows glenvar-cli's picture, saved and reopened", async () => {
  const laws = { erode: "50", erodibility: "0.05", uplift: "0.0005", deposition: "1",
                 droplets: "20000", rivers: "200" };
  const folder = mkdtempSync(join(work, "downloads-"));
  const page = await openPage(session, new URLSearchParams({ ...map, ...laws }).toString(), folder);
  const linked = cliPicture("linked", laws);
  await assertShows(page, linked, "linked laws");
  // The saved picture's recipe names the laws: opened on a page of defaults, the same map.
  await page.click("#save-png");
  await downloadedFile(folder, "LandData.png");
  const reopened = await openPage(session, "");
  await (await reopened.$("#open")).uploadFile(join(folder, "LandData.png"));
  await reopened.waitForFunction(() => document.getElementById("map").width === 240);
  await idle(reopened);
  await assertShows(reopened, linked, "reopened picture");
  assert.deepEqual(await reopened.$eval("#side", () => ["uplift", "deposition", "droplets"]
    .map((id) => document.getElementById(id).value)), ["0.0005", "1", "20000"]);
  await reopened.close();
  // The laws are heard: without them, or without the droplets, the picture is another.
  const { uplift, deposition, droplets, ...plain } = laws;
  assert.ok(uplift && deposition && droplets);
  assert.ok(differs(cliPicture("plain", plain), linked), "the laws change nothing");
  const withoutDroplets = cliPicture("no-droplets", { ...plain, uplift, deposition });
  assert.ok(differs(withoutDroplets, linked), "the droplets change nothing");
  await page.$eval("#droplets", (e) => {
    e.value = "0";
    e.dispatchEvent(new Event("change"));
  });
  await idle(page);
  await assertShows(page, withoutDroplets, "droplets set to 0");
  assert.doesNotMatch(await page.evaluate(() => location.search), /droplets/);
  await page.close();
});

test("the switches: water across lakes and multiple flow directions, kept by the link", async () => {
  const stages = { erode: "30", erodibility: "0.05", diffusion: "0.5" };
  const page = await openPage(session, new URLSearchParams({ ...map, ...stages }).toString());
  await assertShows(page, cliPicture("diffused", stages), "diffusion");
  await tick(page, "flow-directions");
  await tick(page, "cross-lakes");
  const search = await page.evaluate(() => location.search);
  assert.match(search, /flow-directions=mfd/);
  assert.match(search, /cross-lakes=1/);
  const both = { ...stages, "flow-directions": "mfd", "cross-lakes": "1" };
  const picture = cliPicture("switched", both);
  assert.ok(differs(picture, cliPicture("diffused", stages)), "the switches change nothing");
  await assertShows(page, picture, "both switches");
  // The link opens the same map, its switches on.
  const reopened = await openPage(session, search.slice(1));
  await assertShows(reopened, picture, "reopened link");
  assert.deepEqual(await reopened.$$eval("#flow-directions, #cross-lakes", (e) => e.map((c) => c.checked)),
                   [true, true]);
  await reopened.close();
  // Off again: the plain diffusion's picture.
  await tick(page, "flow-directions");
  await tick(page, "cross-lakes");
  await assertShows(page, cliPicture("diffused", stages), "switches off");
  await page.close();
});

test("a link's droplets and laws count towards a long job", async () => {
  // 20 million droplets on a small map, and 60 steps with deposition on a
  // larger one: each waits for a click; the same steps without a law do not.
  for (const [query, said, heavy] of [
    ["width=300&height=200&droplets=20000000", "、水滴 20000000 個。", true],
    ["width=1000&height=1000&erode=60&deposition=1", "、侵食 60 回。", true],
    ["width=1000&height=1000&erode=60", null, false]]) {
    const page = await session.browser.newPage();
    await countGenerations(page);
    await page.goto(`${session.base}?${query}`);
    await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
    assert.equal(await page.$eval("#pending", (e) => e.hidden), !heavy, query);
    assert.equal(await page.evaluate(() => window.generations), heavy ? 0 : 1, query);
    if (said) assert.ok((await page.$eval("#pending-text", (e) => e.textContent)).includes(said), query);
    await page.close();
  }
});

test("droplets alone: a new water level gives the 3D view new heights", async () => {
  const page = await session.browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.heightCalls = 0;
    const post = Worker.prototype.postMessage;
    Worker.prototype.postMessage = function (data, ...rest) {
      if (data?.op === "heightSamples") ++window.heightCalls;
      return post.call(this, data, ...rest);
    };
  });
  await page.goto(`${session.base}?${new URLSearchParams({ ...map, droplets: "20000" })}`);
  await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
  await page.click("#view3d");
  await page.waitForFunction(() => document.getElementById("surface")?.dataset.frames > 0,
                             { timeout: 60000 });
  await idle(page);
  assert.equal(await page.evaluate(() => window.heightCalls), 1);
  await page.$eval("#water", (e) => {
    e.value = "30000";
    e.dispatchEvent(new Event("change"));
  });
  await page.waitForFunction(() => document.getElementById("surface").dataset.waterLevel ===
                             String(30000 * 0.00001));
  await idle(page);
  // The droplets ran down to the new water: the heights are asked for again.
  assert.equal(await page.evaluate(() => window.heightCalls), 2);
  await page.close();
});
