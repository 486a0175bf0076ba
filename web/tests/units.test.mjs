// The page's arithmetic that needs no browser: the 3D mesh's reduction of the
// heights, the map's zoom steps and the progress box's shares.
import { test } from "node:test";
import assert from "node:assert/strict";
import { blockFor, blockStats, coarser, reduceHeights } from "../src/surfacegrid.js";
import { zoomSteps } from "../src/view.js";
import { progressShown } from "../src/progress.js";

// A plain mean over one block, for reference.
function blockMean(width, height, samples, block, c, r) {
  let sum = 0, n = 0;
  for (let y = r * block; y < Math.min(height, (r + 1) * block); ++y)
    for (let x = c * block; x < Math.min(width, (c + 1) * block); ++x) {
      sum += samples[y * width + x];
      ++n;
    }
  return sum / n / 65535;
}

test("the mesh keeps a one-cell peak and pit that every n-th cell would miss", () => {
  const width = 1000, height = 700, block = blockFor(width, height, 256);
  assert.equal(block, 4);
  const samples = new Uint16Array(width * height).fill(30000);
  samples[301 * width + 501] = 65535; // a needle off the every-4th grid
  samples[102 * width + 203] = 0; // and a well
  const grid = reduceHeights(width, height, samples, block);
  assert.equal(grid.columns, 250);
  assert.equal(grid.rows, 175);
  const at = (x, y) => grid.heights[Math.floor(y / block) * grid.columns + Math.floor(x / block)];
  assert.equal(at(501, 301), 1);
  assert.equal(at(203, 102), 0);
  // Elsewhere the block's mean, the partial last blocks included.
  const w = 999, h = 699; // blocks of 4 leave a last column and row of 3
  const noise = Uint16Array.from({ length: w * h }, (_, i) => (i * 7919) % 60000);
  const rough = reduceHeights(w, h, noise, 4);
  let means = 0;
  for (let r = 0; r < rough.rows; ++r)
    for (let c = 0; c < rough.columns; ++c) {
      const mean = blockMean(w, h, noise, 4, c, r);
      if (Math.abs(rough.heights[r * rough.columns + c] - mean) < 1e-6) ++means;
    }
  assert.ok(means > 0.5 * rough.rows * rough.columns, `${means} blocks at their mean`);
  assert.equal(rough.xs[rough.columns - 1], 996 + 1); // centre of the last 3 columns
  assert.equal(rough.ys[0], 1.5);
});

test("a small map keeps every cell exactly", () => {
  const samples = Uint16Array.from({ length: 30 * 20 }, (_, i) => (i * 104729) % 65536);
  const grid = reduceHeights(30, 20, samples, blockFor(30, 20, 256));
  assert.deepEqual(Array.from(grid.heights), Array.from(samples, (v) => Math.fround(v / 65535)));
});

test("a pyramid level made from finer blocks is the level read from the cells", () => {
  const w = 1001, h = 523; // blocks cut at both edges
  const samples = Uint16Array.from({ length: w * h }, (_, i) => (i * 2654435761) >>> 16);
  const fine = blockStats(w, h, samples, 3);
  for (const factor of [1, 2, 5, 7]) {
    const made = coarser(fine, factor), read = blockStats(w, h, samples, 3 * factor);
    for (const key of ["columns", "rows", "block"]) assert.equal(made[key], read[key], key);
    for (const key of ["sum", "count", "high", "low"])
      assert.deepEqual(made[key], read[key], `${key} at factor ${factor}`);
  }
});

test("zoom steps halve from 1:1 down to the whole map", () => {
  assert.deepEqual(zoomSteps(0.2), [0.2, 0.25, 0.5, 1]);
  assert.deepEqual(zoomSteps(0.5), [0.5, 1]);
  assert.deepEqual(zoomSteps(1.7), [1]);
  assert.deepEqual(zoomSteps(0), [1]);
});

test("progress: each stage named with its share, a new job's box empty", () => {
  const percent = (p) => `${p.toFixed(2)}%`;
  const desktop = { phaseGenerate: "生成", phaseRender: "描画", preparing: "準備中",
                    normalising: "正規化中" };
  const eroding = progressShown({ phase: "eroding", done: 30, total: 120 }, desktop, percent);
  assert.deepEqual(eroding, { label: "侵食", status: "25.00% (30 / 120)", share: 0.25 });
  assert.equal(progressShown({ phase: "draining", done: 1, total: 4 }, desktop, percent).label,
               "排水");
  assert.equal(progressShown({ phase: "rendering", done: 5, total: 10 }, desktop, percent).label,
               "描画");
  // A stage the page does not know yet still shows its name and share.
  assert.deepEqual(progressShown({ phase: "climate", done: 1, total: 2 }, desktop, percent),
                   { label: "climate", status: "50.00% (1 / 2)", share: 0.5 });
  assert.deepEqual(progressShown({ phase: "", done: 0, total: 0 }, desktop, percent),
                   { label: "", status: "", share: 0 });
});
