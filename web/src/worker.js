// Runs the WebAssembly module off the page's thread: every call arrives as
// {id, op, args} and is answered with {id, result} or {id, error}; progress
// goes out as {progress} while a call runs.
/* global importScripts, createGlenvar */
import { readHeightFile } from "./heightfile.js";

importScripts("glenvar.js");

const ready = createGlenvar();

const copy = (view) => view.slice(); // out of the module's memory before the next call
const progress = (phase, done, total) => postMessage({ progress: { phase, done, total } });

function picture(m, regions) {
  const p = m.parameters();
  const rgba = copy(m.render(regions, progress));
  return { width: p.gridWidth, height: p.gridHeight, rgba, report: m.report(),
           englishReport: m.englishReport(), parameters: p, recipe: m.recipe(regions),
           biomeCells: copy(m.biomeCells()) };
}

function heights(m, asFile, floats) {
  const { width, height, samples } = m.heightSamples(asFile, floats);
  return { width, height, samples: copy(samples) };
}

// The page's stages (each under its link key, m.stageTable()) come first
// with every call that shows or writes the map, so a call never sees the
// controls' previous state; a value the settings rows refuse fails the call.
const staged = (op) => (m, [stages, ...args]) => {
  const refused = m.setStages(stages);
  if (refused) throw new Error(refused);
  return op(m, args);
};

// A kept file's bytes into the module: "" or its refusal.
function reload(m, file) {
  const { kind, message } = m.load(new Uint8Array(new FileReaderSync().readAsArrayBuffer(file)));
  return kind === "failed" ? message : "";
}

// The largest side of a map the page grows, in cells, limits the heights it opens too.
const largestSide = (m) => m.parameterTable().find((r) => r.name === "width").editHigh;

// A heightmap's bytes into the module: {heights} made the map, else
// {refused, args} (for the page to word) or {message, englishMessage}.
async function importFile(m, bytes, name, wrap) {
  const read = await readHeightFile(bytes, name, largestSide(m));
  if (!read.heights) return read;
  const message = m.importHeights(read.heights, wrap);
  return message ? { message, englishMessage: m.englishFailure() } : { heights: true };
}

const ops = {
  generate: staged((m, [params, regions]) => {
    const message = m.generate(params, progress);
    if (message) return { message, englishMessage: m.englishFailure() };
    return picture(m, regions);
  }),
  render: staged((m, [regions, waterLevel]) => {
    if (waterLevel !== undefined) m.setWaterLevel(waterLevel);
    return picture(m, regions);
  }),
  load: staged((m, [bytes]) => {
    const { kind, message } = m.load(bytes);
    if (kind === "failed") return { message, englishMessage: m.englishFailure() };
    return { kind, ...picture(m, false) };
  }),
  // A heightmap or elevation model file (its bytes, its name) with open
  // edges unless `wrap`: the map and its picture, or the refusal.
  importHeights: async (m, [stages, bytes, name, wrap]) => {
    const refused = m.setStages(stages);
    if (refused) throw new Error(refused);
    const made = await importFile(m, bytes, name, wrap);
    return made.heights ? { kind: "heights", ...picture(m, false) } : made;
  },
  // An imported map's edges: joined (wrap) or open.
  importedWrap: (m, [wrap]) => m.setImportedWrap(wrap),
  // The shown map again in a fresh worker after a cancelled job: its
  // generation request or the bytes of its file (a Blob), and its water
  // level; nothing is drawn, as the page still shows its picture. Its
  // generation reports as any other, as the job after it waits for it.
  restore: async (m, [source, waterLevel]) => {
    // Its end is no drawing's start: no picture follows.
    const generating = (phase, done, total) => phase !== "done" && progress(phase, done, total);
    let message;
    if (source.heightFile) {
      const bytes = new Uint8Array(new FileReaderSync().readAsArrayBuffer(source.heightFile));
      const made = await importFile(m, bytes, source.name, source.wrap);
      message = made.heights ? "" : made.message ?? made.refused;
    } else {
      message = source.params ? m.generate(source.params, generating) : reload(m, source.file);
    }
    if (message) throw new Error(message);
    // Only a level moved since: a file's own level keeps its very bits.
    if (!Object.is(m.parameters().waterLevel, waterLevel)) m.setWaterLevel(waterLevel);
  },
  placement: (m, [width, height, points]) => ({
    width, height, rgba: copy(m.placementPicture(width, height, points)),
  }),
  // The shown map's .glb (glb) or .stl as glenvar-cli --mesh writes it, the
  // .glb with the picture PNG `png`: {bytes}, or the refusal.
  mesh: staged((m, [glb, options, png]) => {
    const made = m.meshBytes(glb, options, png);
    return made.bytes ? { bytes: copy(made.bytes) } : made;
  }),
  mapFile: (m) => copy(m.mapFileBytes()),
  rawFile: (m) => copy(m.rawFileBytes()),
  heightSamples: staged((m) => heights(m, false, false)),
  // A heightmap file's samples (closed by the edge; "png", "r16" or "exr")
  // with the recipe and the sidecar it carries.
  heightmap: staged((m, [kind, regions]) => ({
    ...heights(m, true, kind === "exr"),
    recipe: m.recipe(regions),
    sidecar: m.sidecar(kind === "exr", kind === "png", regions),
  })),
};

function transferables(result) {
  const list = [];
  for (const v of Object.values(result ?? {})) if (ArrayBuffer.isView(v)) list.push(v.buffer);
  if (ArrayBuffer.isView(result)) list.push(result.buffer);
  return list;
}

// One call after another: an import awaits its decoding, and the calls
// that follow must find its map.
let queue = Promise.resolve();
onmessage = ({ data }) => {
  queue = queue.then(() => answer(data));
};

async function answer({ id, op, args }) {
  let m;
  try {
    m = await ready;
  } catch (e) {
    postMessage({ id, error: String(e?.message ?? e), startFailed: true });
    return;
  }
  try {
    const result = await ops[op](m, args ?? []);
    postMessage({ id, result }, transferables(result));
  } catch (e) {
    postMessage({ id, error: String(e?.message ?? e) });
  }
}
