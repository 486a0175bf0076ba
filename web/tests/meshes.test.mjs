// The 3D view's downloads against glenvar-cli --mesh for the same map, byte
// for byte; and the page's libpng-form picture PNG, that the .glb embeds,
// against libpng's own as glenvar-cli writes it, at sizes where libpng
// narrows its window or splits its data.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { decode } from "fast-png";
import { inflate } from "pako";
import { encode } from "fast-png";
import { libpngPicturePng } from "../src/libpngform.js";
import { pngRecipe } from "../src/png.js";
import { downloadedFile, openPage, startBrowser } from "./browser.js";

const work = mkdtempSync(join(tmpdir(), "glenvar-meshes-test-"));
let session;

before(async () => {
  session = await startBrowser();
});
after(async () => {
  await session?.close();
  rmSync(work, { recursive: true, force: true });
});

// The glTF's JSON and its BIN chunk, read by the container's own rules.
function readGlb(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  assert.equal(view.getUint32(0, true), 0x46546c67, "no glTF magic");
  assert.equal(view.getUint32(8, true), bytes.length, "length field");
  const jsonLength = view.getUint32(12, true);
  const json = JSON.parse(new TextDecoder().decode(bytes.subarray(20, 20 + jsonLength)));
  const binAt = 20 + jsonLength;
  const bin = bytes.subarray(binAt + 8, binAt + 8 + view.getUint32(binAt, true));
  return { json, bin };
}

const viewBytes = (glb, v) => {
  const b = glb.json.bufferViews[v];
  return Buffer.from(glb.bin.subarray(b.byteOffset ?? 0, (b.byteOffset ?? 0) + b.byteLength));
};

// The JSON without where each view lies in the buffer (the texture's length moves them).
function layoutFree(json) {
  const copy = structuredClone(json);
  for (const b of copy.bufferViews) delete b.byteOffset, delete b.byteLength;
  for (const b of copy.buffers) delete b.byteLength;
  return copy;
}

const map = { seed: "11", width: "120", height: "100", smooth: "2", rivers: "60" };

test("the 3D view's .glb and .stl are glenvar-cli's for a map with smoothing, rivers", async () => {
  const glbPath = join(work, "m.glb");
  const stlPath = join(work, "m.stl");
  const options = Object.entries(map).flatMap(([k, v]) => [`--${k}`, v]);
  execFileSync(process.env.GLENVAR_CLI, ["generate", ...options, "--stencils",
    join(work, "makeland.bin"), "--mesh", glbPath, "--mesh", stlPath]);
  const folder = mkdtempSync(join(work, "downloads-"));
  const page = await openPage(session, new URLSearchParams(map).toString(), folder);
  await page.waitForSelector("#save-glb:not([disabled])");
  await page.click("#save-stl");
  const stl = await downloadedFile(folder, "LandData.stl");
  assert.ok(stl.equals(readFileSync(stlPath)), ".stl differs from glenvar-cli's");
  await page.waitForSelector("body:not(.busy)");
  await page.click("#save-glb");
  const glb = await downloadedFile(folder, "LandData.glb");
  const pageGlb = readGlb(glb);
  const cliGlb = readGlb(readFileSync(glbPath));
  assert.deepEqual(layoutFree(pageGlb.json), layoutFree(cliGlb.json));
  const image = cliGlb.json.images[0].bufferView;
  for (let v = 0; v < cliGlb.json.bufferViews.length; ++v) {
    if (v === image) continue;
    assert.ok(viewBytes(pageGlb, v).equals(viewBytes(cliGlb, v)), `buffer view ${v} differs`);
  }
  const pageTexture = decode(viewBytes(pageGlb, image));
  const cliTexture = decode(viewBytes(cliGlb, image));
  assert.deepEqual([pageTexture.width, pageTexture.height], [120, 100]);
  assert.ok(Buffer.from(pageTexture.data).equals(Buffer.from(cliTexture.data)),
            "the texture's pixels differ");
  assert.ok(glb.equals(readFileSync(glbPath)), "the texture's PNG bytes differ");
  await page.close();
});

const rgbaOf = (picture) => {
  const rgba = new Uint8Array(picture.width * picture.height * 4);
  for (let i = 0, j = 0; j < rgba.length; i += 3, j += 4) {
    rgba.set(picture.data.subarray(i, i + 3), j);
  }
  return rgba;
};

// The filter bytes of a PNG's rows, read back with pako.
function rowFilters(png, width, height) {
  const idat = [];
  for (let at = 8; at < png.length; at += 12 + png.readUInt32BE(at)) {
    if (png.toString("latin1", at + 4, at + 8) === "IDAT") {
      idat.push(png.subarray(at + 8, at + 8 + png.readUInt32BE(at)));
    }
  }
  const raw = inflate(Buffer.concat(idat));
  return Array.from({ length: height }, (_, y) => raw[y * (width * 3 + 1)]);
}

test("the libpng-form picture PNG is glenvar-cli's, small and large, under every filter", () => {
  const hashed = (x, y, i) => (i * 7919 + x * 4001) % 65536;
  const cone = (x, y) => Math.round(65535 * Math.max(0, 1 - Math.hypot(x - 100, y - 75) / 110));
  const bilinear = (x, y) => x * y * 2;
  // 2 x 2 to 9 x 7: the least windows; 40 x 30: a narrowed one; 130 x 90: two
  // IDAT chunks; the shaded cone and the bilinear heights: libpng's five filters.
  const cases = [[2, 2, hashed], [3, 3, hashed], [9, 7, hashed], [40, 30, hashed],
                 [130, 90, hashed], [200, 150, cone, ["--shade"]], [200, 150, bilinear]];
  const used = new Set();
  for (const [width, height, heightAt, options = []] of cases) {
    const samples = new Uint16Array(width * height);
    for (let i = 0; i < samples.length; ++i) {
      samples[i] = heightAt(i % width, Math.floor(i / width), i);
    }
    const heights = join(work, `h${width}x${height}.png`);
    writeFileSync(heights, encode({ width, height, data: samples, channels: 1, depth: 16 }));
    const out = join(work, `p${width}x${height}.png`);
    execFileSync(process.env.GLENVAR_CLI,
                 ["shape", heights, "--rivers", "3", ...options, "-o", out]);
    const cli = readFileSync(out);
    rowFilters(cli, width, height).forEach((f) => used.add(f));
    const picture = decode(cli);
    const ours = libpngPicturePng(width, height, rgbaOf(picture), pngRecipe(cli));
    assert.ok(Buffer.from(ours).equals(cli), `${width} x ${height}: the PNG bytes differ`);
  }
  assert.deepEqual([...used].sort(), [0, 1, 2, 3, 4], "libpng's filters not all tried");
});
