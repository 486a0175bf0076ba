// Heights from a file in the page against glenvar-cli shape on the same file:
// the same pixels with open and joined edges, a GeoTIFF's NoData kept, no
// address and no recipe for such a map, and the refusals of files the page
// cannot take.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { decode, encode } from "fast-png";
import { downloadedFile, openPage, startBrowser } from "./browser.js";
import { pngRecipe } from "../src/png.js";

const work = mkdtempSync(join(tmpdir(), "glenvar-heights-test-"));
const file = (name) => join(work, name);
let session;

before(async () => {
  session = await startBrowser();
});
after(async () => {
  await session?.close();
  rmSync(work, { recursive: true, force: true });
});

const cli = (...args) => execFileSync(process.env.GLENVAR_CLI, args);
const stages = ["--smooth", "2", "--rivers", "300", "--shade"];
const link = "smooth=2&rivers=300&shade=1";

// glenvar-cli shape's picture of the file with the stages.
function shaped(input, name, ...options) {
  cli("shape", input, ...stages, ...options, "-o", file(name));
  return decode(readFileSync(file(name)));
}

// A 180 x 140 Int16 elevation model in metres (UTM 33N, 30 m cells, deflated
// with a predictor) with a block of NoData inside and a strip on its border.
function elevationModel(path) {
  execFileSync("/usr/bin/python3", ["-c", `
import sys, numpy
from osgeo import gdal, osr
h, w = 140, 180
y, x = numpy.mgrid[0:h, 0:w]
z = 400 + 300 * numpy.sin(x / 17.0) * numpy.cos(y / 23.0) + 2.5 * (x - y) - 120
z = numpy.round(z).astype(numpy.int16)
z[40:60, 70:100] = -32768
z[:, 0:3] = -32768
d = gdal.GetDriverByName("GTiff").Create(sys.argv[1], w, h, 1, gdal.GDT_Int16,
                                          ["COMPRESS=DEFLATE", "PREDICTOR=2"])
d.SetGeoTransform((500000, 30, 0, 5000000, 0, -30))
s = osr.SpatialReference()
s.ImportFromEPSG(32633)
d.SetProjection(s.ExportToWkt())
b = d.GetRasterBand(1)
b.SetNoDataValue(-32768)
b.SetUnitType("m")
b.WriteArray(z)
d = None
`, path]);
}

const bytes = (a) => Buffer.from(a.buffer, a.byteOffset, a.byteLength);
const idle = (page) => page.waitForSelector("body:not(.busy)", { timeout: 120000 });

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
  assert.ok(Buffer.from(shown.rgb).equals(bytes(picture.data)), `${what}: canvas pixels differ`);
}

async function openFile(page, path, width) {
  await (await page.$("#open")).uploadFile(path);
  await page.waitForFunction((w) => document.getElementById("map").width === w,
                             { timeout: 120000 }, width);
  await idle(page);
}

async function refusal(page, path) {
  await (await page.$("#open")).uploadFile(path);
  await page.waitForSelector("#message[open]");
  const text = await page.$eval("#message-text", (e) => e.textContent);
  await page.click("#message button");
  await page.waitForFunction(() => !document.getElementById("message").open);
  return text;
}

test("a 16-bit PNG heightmap and a float TIFF: the CLI's pictures with open and joined edges", async () => {
  const grown = (seed, heightmap) => cli("generate", "--seed", seed, "--width", "210", "--height",
    "150", "--stencils", file("makeland.bin"), "--heightmap", file(heightmap));
  grown("1", "h.png");
  grown("2", "h.tif");
  const folder = mkdtempSync(join(work, "downloads-"));
  const page = await openPage(session, link, folder);
  await openFile(page, file("h.png"), 210);
  const open = shaped(file("h.png"), "open.png");
  await assertShows(page, open, "open edges");
  // The map has no recipe: the address holds no setting, the picture no recipe.
  assert.equal(await page.evaluate(() => location.search), "");
  assert.deepEqual(await page.$$eval("#save-ld, #save-dat", (l) => l.map((e) => e.disabled)),
                   [true, true]);
  await page.click("#save-png");
  const saved = await downloadedFile(folder, "LandData.png");
  assert.equal(pngRecipe(saved), null);
  assert.ok(bytes(decode(saved).data).equals(bytes(open.data)), "saved picture differs");

  assert.equal(await page.$eval("#wrap-check", (e) => e.hidden), false);
  await page.click("#wrap-edges");
  await idle(page);
  await assertShows(page, shaped(file("h.png"), "wrap.png", "--boundary", "wrap"), "joined edges");
  // A stage changed on the imported map keeps its heights and its edges.
  await page.$eval("#smooth", (e) => {
    e.value = "0";
    e.dispatchEvent(new Event("change"));
  });
  await idle(page);
  assert.equal(await page.evaluate(() => location.search), "");
  cli("shape", file("h.png"), "--rivers", "300", "--shade", "--boundary", "wrap", "-o", file("w0.png"));
  await assertShows(page, decode(readFileSync(file("w0.png"))), "joined edges unsmoothed");

  await page.click("#wrap-edges");
  await idle(page);
  await openFile(page, file("h.tif"), 210);
  cli("shape", file("h.tif"), "--rivers", "300", "--shade", "-o", file("t.png"));
  await assertShows(page, decode(readFileSync(file("t.png"))), "float TIFF");
  // The 3D view shows it.
  await page.click("#view3d");
  await page.waitForFunction(() => document.getElementById("surface")?.dataset.frameMs,
                             { timeout: 120000 });
  assert.equal(await page.$eval("#message", (e) => e.open), false);
  await page.close();
});

test("an Int16 GeoTIFF with NoData: the CLI's picture; a file too large, 8-bit or flat is refused", async () => {
  elevationModel(file("dem.tif"));
  const page = await openPage(session, "shade=1&seed=9");
  await page.select("#language", "en");
  await openFile(page, file("dem.tif"), 180);
  cli("shape", file("dem.tif"), "--shade", "-o", file("dem.png"));
  const dem = decode(readFileSync(file("dem.png")));
  await assertShows(page, dem, "GeoTIFF");

  writeFileSync(file("wide.png"), encode({ width: 3001, height: 2, channels: 1, depth: 16,
                                           data: new Uint16Array(6002).map((_, i) => i) }));
  assert.equal(await refusal(page, file("wide.png")), "The heightmap is too large: " +
               "3001 × 2 cells; this page opens heightmaps of up to 3000 × 3000 cells.");
  writeFileSync(file("grey8.png"), encode({ width: 4, height: 4, channels: 1, depth: 8,
                                            data: new Uint8Array(16).map((_, i) => i) }));
  assert.match(await refusal(page, file("grey8.png")), /^grey8\.png is no 16-bit grey heightmap/);
  writeFileSync(file("flat.png"), encode({ width: 4, height: 4, channels: 1, depth: 16,
                                           data: new Uint16Array(16).fill(900) }));
  assert.equal(await refusal(page, file("flat.png")), "flat.png could not be opened: " +
               "every cell holds the same height; there is no land to shape.");
  execFileSync("/usr/bin/python3", ["-c", `
import sys, numpy
from osgeo import gdal
z = numpy.arange(20, dtype=numpy.float32).reshape(4, 5)
z[2, 3] = numpy.nan
d = gdal.GetDriverByName("GTiff").Create(sys.argv[1], 5, 4, 1, gdal.GDT_Float32)
d.GetRasterBand(1).WriteArray(z)
d = None
`, file("nan.tif")]);
  await page.select("#language", "ja");
  assert.equal(await refusal(page, file("nan.tif")),
               "nan.tif を開けません: ｾﾙ 3,2 が NaN で、高さではありません。");
  await page.select("#language", "en");
  // Every refusal kept the map shown.
  await assertShows(page, dem, "GeoTIFF after the refusals");

  // A long erosion cancelled: the fresh worker is given the file's heights
  // again, and the address stays without the settings of a grown map.
  await page.click("#shade");
  await idle(page);
  cli("shape", file("dem.tif"), "-o", file("flat-dem.png"));
  await assertShows(page, decode(readFileSync(file("flat-dem.png"))), "GeoTIFF unshaded");
  await page.$eval("#erode", (e) => {
    e.value = "1000";
    e.dispatchEvent(new Event("change"));
  });
  await page.waitForSelector("body.busy");
  await page.click("#cancel");
  await idle(page);
  assert.equal(await page.evaluate(() => location.search), "");
  await page.click("#shade");
  await idle(page);
  await assertShows(page, dem, "GeoTIFF after a cancel");

  // A transparent grey sample is NoData, as GDAL reads it.
  execFileSync("/usr/bin/python3", ["-c", `
import struct, sys, zlib
w, h = 40, 30
rows = b"".join(b"\\0" + b"".join(struct.pack(">H", 30000 if 10 <= x < 20 and y < 9 else
                                                   (x * 1500 + y * 700) % 60000 + 1)
                                  for x in range(w)) for y in range(h))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
open(sys.argv[1], "wb").write(b"\\x89PNG\\r\\n\\x1a\\n" +
    chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 16, 0, 0, 0, 0)) +
    chunk(b"tRNS", struct.pack(">H", 30000)) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
`, file("holes.png")]);
  await openFile(page, file("holes.png"), 40);
  cli("shape", file("holes.png"), "--shade", "-o", file("holes-cli.png"));
  await assertShows(page, decode(readFileSync(file("holes-cli.png"))), "PNG with a transparent grey");
  // The next map grown has the form's level, not the elevation model's sea level.
  await page.click("#generate");
  await page.waitForFunction(() => document.getElementById("map").width !== 40, { timeout: 120000 });
  await idle(page);
  assert.equal(await page.evaluate(() => location.search), "?seed=9&shade=1");
  await page.close();
});
