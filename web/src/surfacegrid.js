// The heights of a map reduced for the 3D mesh. A block of cells becomes one
// vertex at its mean height, except where the block's mean stands above (or
// below) all of its neighbours' means: there it takes the block's highest
// (lowest) cell, so peaks and valley floors keep their true heights. Taking
// every n-th cell instead would make a comb of whichever cells it hits.

// {columns, rows, heights (Float32Array, 0..1), xs, ys (the blocks' centres in
// cells)} of blocks of size block x block over width x height 16-bit samples.
export function reduceHeights(width, height, samples, block) {
  const columns = Math.ceil(width / block), rows = Math.ceil(height / block);
  const mean = new Float64Array(columns * rows);
  const high = new Float64Array(columns * rows).fill(-Infinity);
  const low = new Float64Array(columns * rows).fill(Infinity);
  for (let y = 0; y < height; ++y) {
    const r = Math.floor(y / block);
    for (let x = 0; x < width; ++x) {
      const b = r * columns + Math.floor(x / block);
      const v = samples[y * width + x];
      mean[b] += v;
      if (v > high[b]) high[b] = v;
      if (v < low[b]) low[b] = v;
    }
  }
  const side = (i, n) => Math.min(block, n - i * block);
  for (let r = 0; r < rows; ++r)
    for (let c = 0; c < columns; ++c) mean[r * columns + c] /= side(c, width) * side(r, height);
  const heights = new Float32Array(columns * rows);
  for (let r = 0; r < rows; ++r) {
    for (let c = 0; c < columns; ++c) {
      const i = r * columns + c;
      let peak = true, pit = true;
      for (let dr = -1; dr <= 1; ++dr) {
        for (let dc = -1; dc <= 1; ++dc) {
          const rr = r + dr, cc = c + dc;
          if ((dr === 0 && dc === 0) || rr < 0 || cc < 0 || rr >= rows || cc >= columns) continue;
          const m = mean[rr * columns + cc];
          if (m >= mean[i]) peak = false;
          if (m <= mean[i]) pit = false;
        }
      }
      const v = block === 1 ? mean[i] : peak ? high[i] : pit ? low[i] : mean[i];
      heights[i] = v / 65535;
    }
  }
  const centres = (n, count) =>
    Float64Array.from({ length: count }, (_, i) => i * block + (side(i, n) - 1) / 2);
  return { columns, rows, heights, xs: centres(width, columns), ys: centres(height, rows) };
}

// The block size that gives at most `segments` vertices along the longer side.
export function blockFor(width, height, segments) {
  return Math.max(1, Math.ceil(Math.max(width, height) / segments));
}
