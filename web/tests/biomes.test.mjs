// The page's biome view against glenvar-cli: the same pixels for the same
// climate, a legend with the biomes' names and shares as info --json gives
// them, the 3D view wearing the biome picture, and climate texts refused as
// glenvar-cli refuses them.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { decode } from "fast-png";
import { downloadedFile, openPage, startBrowser } from "./browser.js";

const work = mkdtempSync(join(tmpdir(), "glenvar-biome-test-"));
let session;

before(async () => {
  session = await startBrowser();
});
after(async () => {
  await session?.close();
  rmSync(work, { recursive: true, force: true });
});

const cli = (args, options) => execFileSync(process.env.GLENVAR_CLI, args, options);
const map = { seed: "11", width: "300", height: "200" };
const mapOptions = Object.entries(map).flatMap(([k, v]) => [`--${k}`, v]);

// glenvar-cli's picture of the test's map with the options, and the map file.
function cliPicture(name, options) {
  const png = join(work, `${name}.png`);
  cli(["generate", ...mapOptions, ...options, "--stencils", join(work, "makeland.bin"),
       "-o", png, "-o", join(work, "map.ld")]);
  return decode(readFileSync(png));
}

async function canvasRgb(page) {
  const { width, height, data } = await page.evaluate(() => {
    const c = document.getElementById("map");
    const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    return { width: c.width, height: c.height, data: Array.from(d) };
  });
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) rgb.set(data.slice(j, j + 3), i);
  return { width, height, rgb };
}

async function assertShows(page, picture, what) {
  const shown = await canvasRgb(page);
  assert.deepEqual([shown.width, shown.height], [picture.width, picture.height], what);
  const expected = Buffer.from(picture.data.buffer, picture.data.byteOffset, picture.data.byteLength);
  assert.ok(Buffer.from(shown.rgb).equals(expected), `${what}: canvas pixels differ`);
}

const idle = (page) => page.waitForSelector("body:not(.busy)");
const legend = (page) => page.$$eval("#biome-list li", (items) => items.map((li) => ({
  key: li.dataset.biome, name: li.children[1].textContent, share: li.children[2].textContent })));

test("a biome link: glenvar-cli's pixels and picture file, a legend of info --json's shares", async () => {
  const climate = { colours: "biomes", "wind-from": "west", latitudes: "60,10",
                    "lapse-rate": "8", smooth: "3", rivers: "300" };
  const folder = mkdtempSync(join(work, "downloads-"));
  const page = await openPage(session, new URLSearchParams({ ...map, ...climate, shade: "1" })
    .toString(), folder);
  const options = [...Object.entries(climate).flatMap(([k, v]) => [`--${k}`, v]), "--shade"];
  const picture = cliPicture("linked", options);
  await assertShows(page, picture, "biome link");
  await page.click("#save-png");
  const saved = decode(await downloadedFile(folder, "LandData.png"));
  assert.ok(Buffer.from(saved.data).equals(Buffer.from(picture.data)), "saved picture differs");
  // Its recipe names the climate: opened on a page of defaults, the same picture is grown.
  const reopened = await openPage(session, "");
  await (await reopened.$("#open")).uploadFile(join(folder, "LandData.png"));
  await reopened.waitForFunction(() => document.getElementById("map").width === 300);
  await idle(reopened);
  await assertShows(reopened, picture, "reopened picture");
  assert.deepEqual(await reopened.$eval("#side", () => ["colours", "wind-from", "latitudes",
    "lapse-rate"].map((id) => { const e = document.getElementById(id);
    return e.type === "checkbox" ? e.checked : e.value; })), [true, "W", "60,10", "8"]);
  await reopened.close();

  const info = JSON.parse(cli(["info", join(work, "map.ld"), "--json", "--smooth", "3",
    "--latitudes", "60,10", "--wind-from", "west", "--lapse-rate", "8"], { encoding: "utf8" }));
  const held = info.biomes.filter((b) => b.cells > 0);
  assert.ok(held.length >= 3, `only ${held.length} biomes on the test's map`);
  assert.deepEqual(await legend(page), held.map((b) => ({
    key: b.biome, name: b.nameJa, share: `陸地の ${b.share.toFixed(1)}%` })));
  assert.equal(await page.$eval("#legend", (e) => e.hidden), false);
  await page.select("#language", "en");
  assert.deepEqual((await legend(page)).map((b) => [b.name, b.share]),
                   held.map((b) => [b.name, `${b.share.toFixed(1)}% of the land`]));
  await page.select("#language", "ja"); // the choice outlives the page
  await page.close();
});

test("the toggle: heights and biomes in 2D and 3D; the wind and latitudes redraw", async () => {
  const page = await openPage(session, new URLSearchParams(map).toString());
  assert.equal(await page.$eval("#legend", (e) => e.hidden), true);
  await page.click("#view3d");
  await page.waitForFunction(() => document.getElementById("surface")?.dataset.frameMs,
                             { timeout: 120000 });
  await idle(page);
  const surface = async () => {
    const box = await (await page.$("#surface")).boundingBox();
    return Buffer.from(decode(await page.screenshot({ clip: box })).data);
  };
  const heightSurface = await surface();

  await page.click("#colours");
  await idle(page);
  assert.match(await page.evaluate(() => location.search), /colours=biomes/);
  await assertShows(page, cliPicture("toggled", ["--colours", "biomes"]), "biomes toggled on");
  assert.equal(await page.$eval("#legend", (e) => e.hidden), false);
  assert.ok(!(await surface()).equals(heightSurface), "the 3D view keeps the height colours");

  await page.select("#wind-from", "E");
  await idle(page);
  await assertShows(page, cliPicture("east", ["--colours", "biomes", "--wind-from", "E"]),
                    "wind from the east");
  await page.$eval("#latitudes", (e) => {
    e.value = "20,-20";
    e.dispatchEvent(new Event("change"));
  });
  await idle(page);
  await assertShows(page, cliPicture("tropics", ["--colours", "biomes", "--wind-from", "E",
                                                 "--latitudes", "20,-20"]), "the tropics");
  // Reversed latitudes: refused with the range, the map and the field as they were.
  await page.$eval("#latitudes", (e) => {
    e.value = "-20,20";
    e.dispatchEvent(new Event("change"));
  });
  assert.equal(await page.$eval("#message-text", (e) => e.textContent),
               "緯度には -90 から 90 までの数値を 北,南 の順に指定してください。");
  assert.equal(await page.$eval("#latitudes", (e) => e.value), "20,-20");
  await page.click("#message button");
  await page.click("#colours");
  await idle(page);
  await assertShows(page, cliPicture("heights", ["--wind-from", "E", "--latitudes", "20,-20"]),
                    "heights again");
  assert.equal(await page.$eval("#legend", (e) => e.hidden), true);
  // Biomes again, then the water over every cell: no land, no legend.
  await page.click("#colours");
  await idle(page);
  assert.equal(await page.$eval("#legend", (e) => e.hidden), false);
  await page.$eval("#water", (e) => {
    e.value = e.max;
    e.dispatchEvent(new Event("change"));
  });
  await idle(page);
  assert.equal(await page.$eval("#legend", (e) => e.hidden), true, "a legend of no land");
  await page.close();
});
