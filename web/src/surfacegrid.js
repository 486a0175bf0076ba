// The heights of a map reduced for the 3D mesh. A block of cells becomes one
// vertex at its mean height, except where the block's mean stands above (or
// below) all of its neighbours' means: there it takes the block's highest
// (lowest) cell, so peaks and valley floors keep their true heights. Taking
// every n-th cell instead would make a comb of whichever cells it hits.
// The blocks form a pyramid: the cells are read once, into the finest
// blocks, and each coarser level is made from those.

// Sum, count, highest and lowest sample of each block x block square of
// width x height 16-bit samples (the last row and column of blocks may be cut).
export function blockStats(width, height, samples, block) {
  const columns = Math.ceil(width / block), rows = Math.ceil(height / block);
  const n = columns * rows;
  const stats = { width, height, block, columns, rows, sum: new Float64Array(n),
                  count: new Float64Array(n), high: new Float64Array(n).fill(-Infinity),
                  low: new Float64Array(n).fill(Infinity) };
  const columnOf = Int32Array.from({ length: width }, (_, x) => Math.floor(x / block));
  const { sum, count, high, low } = stats;
  for (let y = 0; y < height; ++y) {
    const base = Math.floor(y / block) * columns;
    for (let x = 0, i = y * width; x < width; ++x, ++i) {
      const b = base + columnOf[x];
      const v = samples[i];
      sum[b] += v;
      ++count[b];
      if (v > high[b]) high[b] = v;
      if (v < low[b]) low[b] = v;
    }
  }
  return stats;
}

// The same for blocks `factor` times as large, from the finer ones.
export function coarser(fine, factor) {
  if (factor === 1) return fine;
  const columns = Math.ceil(fine.columns / factor), rows = Math.ceil(fine.rows / factor);
  const n = columns * rows;
  const out = { width: fine.width, height: fine.height, block: fine.block * factor, columns,
                rows, sum: new Float64Array(n), count: new Float64Array(n),
                high: new Float64Array(n).fill(-Infinity), low: new Float64Array(n).fill(Infinity) };
  for (let r = 0; r < fine.rows; ++r) {
    const base = Math.floor(r / factor) * columns;
    for (let c = 0; c < fine.columns; ++c) {
      const i = r * fine.columns + c, b = base + Math.floor(c / factor);
      out.sum[b] += fine.sum[i];
      out.count[b] += fine.count[i];
      out.high[b] = Math.max(out.high[b], fine.high[i]);
      out.low[b] = Math.min(out.low[b], fine.low[i]);
    }
  }
  return out;
}

// {columns, rows, block, heights (Float32Array, 0..1), xs, ys (the blocks'
// centres in cells)} of the vertices the blocks give.
export function meshHeights(stats) {
  const { width, height, block, columns, rows, sum, count, high, low } = stats;
  const mean = Float64Array.from(sum, (s, i) => s / count[i]);
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
  const side = (i, n) => Math.min(block, n - i * block);
  const centres = (n, count) =>
    Float64Array.from({ length: count }, (_, i) => i * block + (side(i, n) - 1) / 2);
  return { columns, rows, block, heights, xs: centres(width, columns), ys: centres(height, rows) };
}

export function reduceHeights(width, height, samples, block) {
  return meshHeights(blockStats(width, height, samples, block));
}

// The block size that gives at most `segments` vertices along the longer side.
export function blockFor(width, height, segments) {
  return Math.max(1, Math.ceil(Math.max(width, height) / segments));
}
