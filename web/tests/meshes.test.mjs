// The 3D view's downloads against glenvar-cli --mesh for the same map: the
// .stl byte for byte; the .glb's JSON and geometry byte for byte, and its
// texture the same picture (the page encodes its PNGs itself, so the PNG's
// compressed bytes may differ from libpng's).
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { decode } from "fast-png";
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

test("the 3D view's .glb and .stl are glenvar-cli's for a map with smoothing and rivers", async () => {
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
  const pageGlb = readGlb(await downloadedFile(folder, "LandData.glb"));
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
  await page.close();
});
