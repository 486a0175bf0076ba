// The page in headless chromium against glenvar-cli: the same file bytes, the
// same pixels, the same report and the desktop program's messages.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { decode } from "fast-png";
import { downloadedFile, openPage, startBrowser } from "./browser.js";
import { pngRecipe } from "../src/png.js";

const work = mkdtempSync(join(tmpdir(), "glenvar-web-test-"));
let session;

before(async () => {
  session = await startBrowser();
});
after(async () => {
  await session?.close();
  rmSync(work, { recursive: true, force: true });
});

// glenvar-cli generate's map file and picture for the options.
function cliMap(name, options) {
  const file = (ext) => join(work, `${name}${ext}`);
  execFileSync(process.env.GLENVAR_CLI, ["generate", ...options, "--stencils",
    join(work, "makeland.bin"), "-o", file(".ld"), "-o", file(".dat"), "-o", file(".png"),
    "--heightmap", file("-height.png")]);
  return {
    ld: readFileSync(file(".ld")),
    dat: readFileSync(file(".dat")),
    picture: decode(readFileSync(file(".png"))),
    heights: decode(readFileSync(file("-height.png"))),
    report: execFileSync(process.env.GLENVAR_CLI, ["info", file(".ld")], { encoding: "utf8" }),
  };
}

const bytes = (a) => Buffer.from(a.buffer, a.byteOffset, a.byteLength);
const samePng = (a, b) =>
  a.width === b.width && a.height === b.height && a.depth === b.depth &&
  a.channels === b.channels && bytes(a.data).equals(bytes(b.data));

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

async function assertShowsPicture(page, picture) {
  const shown = await canvasRgb(page);
  assert.deepEqual([shown.width, shown.height], [picture.width, picture.height]);
  assert.ok(Buffer.from(shown.rgb).equals(bytes(picture.data)), "canvas pixels differ");
}

async function downloaded(page, button, name, folder) {
  rmSync(join(folder, name), { force: true });
  await page.click(button);
  return downloadedFile(folder, name);
}

const report = (page) => page.$eval("#report", (e) => e.textContent.replace(/\r/g, ""));

test("default map and a map of hand-placed points: the CLI's file and pixels", async () => {
  const folder = mkdtempSync(join(work, "downloads-"));
  const page = await openPage(session, "", folder);
  const cli = cliMap("default", []);
  assert.ok((await downloaded(page, "#save-ld", "LandData.ld", folder)).equals(cli.ld));
  await assertShowsPicture(page, cli.picture);
  assert.equal(await report(page), cli.report);
  assert.ok((await downloaded(page, "#save-dat", "LandData.dat", folder)).equals(cli.dat));
  const png = await downloaded(page, "#save-png", "LandData.png", folder);
  assert.ok(samePng(decode(png), cli.picture));
  assert.ok(samePng(decode(await downloaded(page, "#save-height", "LandData-height.png", folder)),
                    cli.heights));

  // Placement by clicking: the cells under the clicks, on a map wider than the view.
  await page.evaluate(() => {
    document.getElementById("p-width").value = "2000";
    document.getElementById("p-height").value = "300";
  });
  await page.click("#p-manualPlacement");
  await page.waitForSelector("body[data-state='placing']");
  const box = await (await page.$("#map")).boundingBox();
  const cells = [[5, 7], [640, 150], [851, 299]];
  for (const [i, [x, y]] of cells.entries()) {
    await page.mouse.click(box.x + x + 0.5, box.y + y + 0.5);
    await page.waitForFunction((n) => document.getElementById("point-count").textContent === n,
                               {}, String(i + 1));
  }
  await page.click("#generate");
  await page.waitForSelector("body[data-state='map']:not(.busy)");
  const placed = cliMap("placed", ["--width", "2000", "--height", "300",
    ...cells.flatMap(([x, y]) => ["--point", `${x},${y}`])]);
  assert.ok((await downloaded(page, "#save-ld", "LandData.ld", folder)).equals(placed.ld));
  await assertShowsPicture(page, placed.picture);
  assert.match(page.url(), /point=5%2C7&point=640%2C150&point=851%2C299/);
  await page.close();
});

test("a cut file gives the desktop program's end-of-file message and keeps the map", async () => {
  const page = await openPage(session, "width=300&height=200");
  const before = await canvasRgb(page);
  const cut = join(work, "cut.ld");
  writeFileSync(cut, cliMap("whole", ["--width", "300", "--height", "200"]).ld.subarray(0, 5000));
  await (await page.$("#open")).uploadFile(cut);
  await page.waitForSelector("#message[open]");
  assert.equal(await page.$eval("#message-text", (e) => e.textContent),
               "無題のﾌｧｲﾙ の末尾以降にｱｸｾｽしようとしました。");
  assert.deepEqual(await canvasRgb(page), before);
  await page.click("#message button");

  // The raw form of another map opens in its place.
  const raw = cliMap("raw", ["--seed", "3", "--width", "200", "--height", "150"]);
  writeFileSync(join(work, "raw-copy.dat"), raw.dat);
  await (await page.$("#open")).uploadFile(join(work, "raw-copy.dat"));
  await page.waitForFunction(() => document.getElementById("map").width === 200);
  await page.waitForSelector("body:not(.busy)");
  await assertShowsPicture(page, raw.picture);
  await page.close();
});

// glenvar-cli render of the link test's map.
const cliPicture = (name, options) => {
  const png = join(work, `${name}.png`);
  execFileSync(process.env.GLENVAR_CLI, ["render", join(work, "link.ld"), ...options, "-o", png]);
  return decode(readFileSync(png));
};

test("a link reproduces map, report, regions and water level; a bad one is refused", async () => {
  // Every parameter away from its default, as the sliders write it: a field
  // the page dropped would change the map file.
  const blank = await openPage(session, "");
  const slid = await blank.evaluate(async () => {
    const m = await createGlenvar();
    return [["processAmount", 23], ["concentrationRate", 61234], ["concentrationAmount", 77777],
      ["waterLevel", 43000]].map(([name, position]) => String(m.sliderValue(name, position)));
  });
  await blank.close();
  const linked = {
    seed: "7", width: "160", height: "120", points: "3",
    "process-amount": slid[0], "concentration-rate": slid[1], "concentration-amount": slid[2],
    "unit-amount": "90", "water-level": slid[3],
  };
  const folder = mkdtempSync(join(work, "downloads-"));
  const address = new URLSearchParams({ ...linked, "keep-random-state": "1", threads: "2" });
  const page = await openPage(session, address.toString(), folder);
  const cli = cliMap("link", [...Object.entries(linked).flatMap(([k, v]) => [`--${k}`, v]),
    "--keep-random-state", "--threads", "2"]);
  assert.ok((await downloaded(page, "#save-ld", "LandData.ld", folder)).equals(cli.ld));
  await assertShowsPicture(page, cli.picture);
  assert.equal(await report(page), cli.report);

  // Regions with their point marks, then a new water level (which ends the region display).
  await page.click("#regions");
  await page.waitForSelector("body:not(.busy)");
  await assertShowsPicture(page, cliPicture("regions", ["--regions"]));
  await page.$eval("#water", (e) => {
    e.value = "30000";
    e.dispatchEvent(new Event("change"));
  });
  await page.waitForFunction(() => !document.getElementById("regions").checked);
  await page.waitForSelector("body:not(.busy)");
  await assertShowsPicture(page, cliPicture("water", ["--water-level", String(30000 * 0.00001)]));
  assert.equal(await page.$eval("#water-label", (e) => e.textContent), "30.00%");

  const refused = await openPage(session, "width=99");
  assert.equal(await refused.$eval("#message-text", (e) => e.textContent),
               "100 から 3000 までの整数を入力してください。");
  await Promise.all([page.close(), refused.close()]);
});

test("stages in a link: the CLI's relief picture, report, heightmaps, sidecars; its picture reopens", async () => {
  const folder = mkdtempSync(join(work, "stages-"));
  const page = await openPage(session, "seed=11&width=300&height=200&smooth=3&shade=1&edge=repeat",
                              folder);
  const file = (ext) => join(work, `stages${ext}`);
  execFileSync(process.env.GLENVAR_CLI, ["generate", "--seed", "11", "--width", "300", "--height",
    "200", "--smooth", "3", "--shade", "--edge", "repeat", "--stencils", join(work, "makeland.bin"),
    "-o", file(".ld"), "-o", file(".png"), "--heightmap", file("-height.png"),
    "--heightmap", file("-height.r16"), "--heightmap", file("-height.exr")]);
  const cliPicture = readFileSync(file(".png"));
  await assertShowsPicture(page, decode(cliPicture));
  assert.equal(await report(page), execFileSync(process.env.GLENVAR_CLI,
    ["info", file(".ld"), "--smooth", "3"], { encoding: "utf8" }));
  assert.match(page.url(), /smooth=3&shade=1&edge=repeat/);

  // The picture and the 16-bit PNG: the CLI's pixels and recipe; .r16 and sidecars: its bytes.
  const recipe = JSON.parse(readFileSync(file("-height.png.json"), "utf8")).recipe;
  assert.match(recipe, / --smooth 3 --shade --edge repeat$/);
  const png = await downloaded(page, "#save-png", "LandData.png", folder);
  assert.ok(samePng(decode(png), decode(cliPicture)));
  assert.deepEqual([pngRecipe(png), pngRecipe(cliPicture)], [recipe, recipe]);
  const heights = await downloaded(page, "#save-height", "LandData-height.png", folder);
  assert.ok(samePng(decode(heights), decode(readFileSync(file("-height.png")))));
  assert.equal(pngRecipe(heights), recipe);
  for (const form of ["png", "r16", "exr"]) {
    await page.select("#height-form", form);
    const name = `LandData-height.${form}`;
    if (form !== "png")
      assert.ok((await downloaded(page, "#save-height", name, folder))
        .equals(readFileSync(file(`-height.${form}`))), name);
    assert.ok((await downloaded(page, "#save-sidecar", `${name}.json`, folder))
      .equals(readFileSync(file(`-height.${form}.json`))));
  }

  // Smoothing off leaves the link; the CLI's picture brings the map and its stages back.
  await page.$eval("#smooth", (e) => {
    e.value = "0";
    e.dispatchEvent(new Event("change"));
  });
  await page.waitForSelector("body:not(.busy)");
  assert.doesNotMatch(page.url(), /smooth=/);
  await (await page.$("#open")).uploadFile(file(".png"));
  await page.waitForFunction(() => location.search.includes("smooth=3"));
  await page.waitForSelector("body[data-state='map']:not(.busy)");
  await assertShowsPicture(page, decode(cliPicture));
  const refused = await openPage(session, "smooth=33");
  assert.equal(await refused.$eval("#message-text", (e) => e.textContent),
               "0 から 32 までの整数を入力してください。");
  await Promise.all([page.close(), refused.close()]);
});

test("erosion and rivers in a link: the CLI's picture, report and downloads, at any water level", async () => {
  const folder = mkdtempSync(join(work, "waters-"));
  const stages = ["--smooth", "3", "--erode", "10", "--erodibility", "0.02", "--thermal", "2",
    "--rivers", "300"];
  const page = await openPage(session, "seed=5&width=300&height=200&smooth=3&shade=1&erode=10" +
    "&erodibility=0.02&thermal=2&rivers=300", folder);
  const file = (ext) => join(work, `waters${ext}`);
  const cli = (args) => execFileSync(process.env.GLENVAR_CLI, args, { encoding: "utf8" });
  cli(["generate", "--seed", "5", "--width", "300", "--height", "200", ...stages, "--shade",
    "--stencils", join(work, "makeland.bin"), "-o", file(".ld"), "-o", file(".png"),
    "--heightmap", file("-height.r16")]);
  const cliPng = readFileSync(file(".png"));
  await assertShowsPicture(page, decode(cliPng));
  assert.equal(await report(page), cli(["info", file(".ld"), ...stages]));
  assert.match(page.url(), /erode=10&erodibility=0.02&thermal=2&rivers=300/);
  const png = await downloaded(page, "#save-png", "LandData.png", folder);
  assert.ok(samePng(decode(png), decode(cliPng)));
  assert.equal(pngRecipe(png), pngRecipe(cliPng));
  assert.match(pngRecipe(png), / --erode 10 --erodibility 0.02 --thermal 2 --rivers 300 --shade$/);
  await page.select("#height-form", "r16");
  assert.ok((await downloaded(page, "#save-height", "LandData-height.r16", folder))
    .equals(readFileSync(file("-height.r16"))));

  // The water level is the erosion's base: a new level erodes the map again.
  await page.$eval("#water", (e) => {
    e.value = "30000";
    e.dispatchEvent(new Event("change"));
  });
  await page.waitForSelector("body:not(.busy)");
  cli(["render", file(".ld"), ...stages, "--shade", "--water-level", String(30000 * 0.00001),
    "-o", file("-water.png")]);
  await assertShowsPicture(page, decode(readFileSync(file("-water.png"))));

  // A field glenvar-cli would refuse keeps the stage; rivers off leave the link.
  await page.$eval("#erode", (e) => {
    e.value = "1001";
    e.dispatchEvent(new Event("change"));
  });
  await page.waitForSelector("#message[open]");
  assert.equal(await page.$eval("#message-text", (e) => e.textContent),
               "0 から 1000 までの整数を入力してください。");
  await page.click("#message button");
  assert.equal(await page.$eval("#erode", (e) => e.value), "10");
  await page.$eval("#rivers", (e) => {
    e.value = "0";
    e.dispatchEvent(new Event("change"));
  });
  await page.waitForSelector("body:not(.busy)");
  assert.doesNotMatch(page.url(), /rivers=/);
  const refused = await openPage(session, "erodibility=2");
  assert.equal(await refused.$eval("#message-text", (e) => e.textContent),
               "0 から 1 までの数値を入力してください。");
  await Promise.all([page.close(), refused.close()]);
});

// The page's numbers are the desktop program's code compiled into the module;
// the C++ tests check the same functions natively over many inputs.
test("slider labels and edit reads follow the desktop program's rules", async () => {
  const page = await openPage(session, "");
  const reads = [
    [" 12\t", 12, 12], ["+0", null, null], ["-0", null, null], ["0", 0, 0], ["", null, null],
    ["abc", null, null], ["-1", -1, null], ["4294967296", 2147483647, 4294967295],
    ["-99999999999", -2147483648, null], ["+7", 7, 7], ["1 2", null, null], ["１２", null, null],
  ];
  const got = await page.evaluate(async (texts) => {
    const m = await createGlenvar();
    return {
      labels: Array.from({ length: 100001 }, (_, p) => m.sliderLabel("concentrationRate", p)),
      processStep: m.sliderValue("processAmount", 10),
      position: m.sliderPosition("concentrationRate", 0.123456),
      reads: texts.map((t) => [m.parseInt32(t), m.parseUInt32(t)]),
      fixed: m.fixed(0.125, 2),
    };
  }, reads.map((r) => r[0]));
  await page.close();

  // Labels: printf's rounding (Python's % formatting rounds the same exact values).
  const printf = execFileSync("python3", ["-c",
    "print('\\n'.join('%.2f%%' % (p * 0.001) for p in range(100001)))"], { encoding: "utf8" });
  assert.deepEqual(got.labels, printf.trimEnd().split("\n"));
  assert.equal(got.processStep, 0.010000000474974513);
  assert.equal(got.position, 12345);
  reads.forEach(([text, signed, unsigned], i) =>
    assert.deepEqual(got.reads[i], [signed, unsigned], `reads of "${text}"`));
  assert.equal(got.fixed, "0.12");
});
