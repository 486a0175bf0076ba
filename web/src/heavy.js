// A link opens its map at once unless the stages it asks for would keep the
// page busy for more than a few seconds; then the page says what the link
// will do and waits for a click, so a reload never restarts a long job
// unasked. The work is counted in cell-steps of stream-power erosion: a talus
// step costs about one and a half of them, smoothing (whatever its radius)
// about one, and the generation itself, drainage and shading little beside.
// The line is 300 million cell-steps: about 3 s where 3000 x 3000 cells with
// 300 erosion steps take 30 s, e.g. 1000 x 1000 cells with 300 erosion steps.
export const heavyWork = 300e6;

// Erosion's further laws (uplift, deposition, diffusion, water across lakes,
// multiple flow directions) make a step cost five to six plain ones; a
// droplet costs twenty-five to thirty cell-steps whatever the map's size
// (measured on a 1024 x 1024 map, in the page and natively).
const lawStep = 6;
const dropletWork = 30;

// The cell-steps of {width, height (null when unreadable), smooth, erode,
// thermal, droplets and erosion's laws (each under its link key)}.
export function linkWork(job) {
  const { width, height, smooth, erode, thermal } = job;
  if (!(width > 0 && height > 0)) return 0;
  const laws = job.uplift > 0 || job.deposition > 0 || job.diffusion > 0 ||
               job["cross-lakes"] === true || job["flow-directions"] === "mfd";
  const step = laws ? lawStep : 1;
  return width * height * (step * erode + 1.5 * thermal + (smooth > 0 ? 1 : 0)) +
         dropletWork * (job.droplets ?? 0);
}

export const isHeavy = (work) => work > heavyWork;
