// A link opens its map at once unless the stages it asks for would keep the
// page busy for more than a few seconds; then the page says what the link
// will do and waits for a click, so a reload never restarts a long job
// unasked. The work is counted in cell-steps of stream-power erosion: a talus
// step costs about one and a half of them, smoothing (whatever its radius)
// about one, and the generation itself, drainage and shading little beside.
// The line is 300 million cell-steps: about 3 s where 3000 x 3000 cells with
// 300 erosion steps take 30 s, e.g. 1000 x 1000 cells with 300 erosion steps.
export const heavyWork = 300e6;

// The cell-steps of {width, height (null when unreadable), smooth, erode, thermal}.
export function linkWork({ width, height, smooth, erode, thermal }) {
  if (!(width > 0 && height > 0)) return 0;
  return width * height * (erode + 1.5 * thermal + (smooth > 0 ? 1 : 0));
}

export const isHeavy = (work) => work > heavyWork;
