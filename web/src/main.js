// The page: the parameters form, the map view and the commands, talking to
// the worker that holds the map.
/* global createGlenvar */
import { ParameterForm } from "./form.js";
import { buildStageFields } from "./stagefields.js";
import { MapView } from "./view.js";
import { picturePng, heightmapPng, heightmapR16, pngRecipe } from "./png.js";
import { heightFileKind, isHeightPng, pngHeader } from "./heightheader.js";
import { RequestGate } from "./busy.js";
import { describeSliders } from "./access.js";
import { currentLanguage, fileLimit, setLanguage, text } from "./texts.js";
import { registerOffline } from "./offline.js";
import { Cancelled, connectWorker, WorkerFailure } from "./calls.js";
import { message } from "./messages.js";
import { restoreSettings, settingsOf } from "./settings.js";
import { linkWork, isHeavy } from "./heavy.js";
import { progressShown } from "./progress.js";
import { showLegend } from "./legend.js";

const $ = (id) => document.getElementById(id);

const worker = connectWorker("worker.js", (progress) => showProgress(progress));
// A job's calls into the worker: once the job is cancelled, none of them
// reaches the fresh worker.
const callsOf = (signal) => (op, ...args) =>
  signal.aborted ? Promise.reject(signal.reason) : worker.call(op, ...args);

let texts, forms, form, view, defaults, biomes;
let glenvar; // the module on the page's own thread: texts, parameter table, numbers
let map = null; // the last picture: {width, height, rgba, report, parameters}
let placing = false;
let surface = null; // the 3D view, loaded on first use
let heights = null; // the shown map's height samples while the 3D view needs them
let surfaceMap = null; // the map the 3D view shows
// How the shown map was made ({params} of its generation, or {file}: a Blob of
// its bytes) and the settings that go with it, to rebuild it after a cancel.
let source = null;
let shownSettings = null;
let pendingWork = null; // a heavy link's work, until it is started
let heavyLink = null; // the same, offered again when its job is cancelled

// The progress window's two texts, the phase and its state, and its bar.
function showProgress(report) {
  const { label, status, share } =
    progressShown(report, texts, (percent) => `${glenvar.fixed(percent, 2)}%`);
  if ($("phase").textContent !== label) $("phase").textContent = label;
  $("status").textContent = status;
  $("bar").value = share;
}

const failureText = (e) =>
  e instanceof WorkerFailure ? text("workerFailed") : String(e?.message ?? e ?? text("failed"));

// The job under way: {kind: "generate" or "render", request: what it was
// asked, as text}, so that a change of the settings can tell whether it
// makes the job out of date; null for a job no setting changes (files).
let running = null;

const gate = new RequestGate({
  onBusy(on) {
    document.body.classList.toggle("busy", on);
    $("viewport").setAttribute("aria-busy", String(on));
    $("progress").hidden = !on;
    // A new job's box starts empty, never with the last job's 100%.
    if (on) showProgress({ phase: "", done: 0, total: 0 });
    if (!on) running = null;
    enableFiles();
  },
  onError: (e) => message(failureText(e)),
});

// The files act on the map shown; while a job may replace it they wait (a
// press is refused), keeping the focus a disabled button would lose.
function enableFiles() {
  const hasCells = map !== null && map.width > 0 && map.height > 0;
  // Heights from a file have no parameters that rebuild them: no map file
  // holds them, as glenvar-cli shape writes none.
  const imported = Boolean(source?.heightFile);
  for (const id of ["save-ld", "save-dat", "save-png", "save-height", "save-sidecar",
                    "save-glb", "save-stl", "open-button"]) {
    const mapFile = id === "save-ld" || id === "save-dat";
    if (id !== "open-button") $(id).disabled = !hasCells || (mapFile && imported);
    $(id).setAttribute("aria-disabled", String(gate.busy));
  }
}

// The settings of the map about to be shown: an imported map's have no
// address and keep its edges.
const settingsNow = () =>
  source?.heightFile ? { ...settingsOf(form), address: "", wrap: source.wrap } : settingsOf(form);

// A job that a settings change can make out of date records what it was asked.
const job = (kind, request, body) => (signal) => {
  running = { kind, request };
  // A job in place of a stopped one starts from nothing too.
  showProgress({ phase: "", done: 0, total: 0 });
  return body(signal);
};

// As the desktop's information command, no report without cells.
function showReport() {
  const hasCells = map !== null && map.width > 0 && map.height > 0;
  const report = currentLanguage() === "en" ? map?.englishReport : map?.report;
  $("report").textContent = hasCells ? report : "";
}

// A refusal from the module: the desktop program's text, or in English the
// words the other front ends use, put in a sentence by `worded`.
const refusedBy = (result, worded) =>
  currentLanguage() === "en" ? worded(result.englishMessage) : result.message;

// The key of a map coloured by biome; hidden for a map coloured by height.
function showBiomes() {
  const hasCells = map !== null && map.width > 0 && map.height > 0;
  $("legend").hidden = !showLegend($("biome-list"), biomes, hasCells ? map.biomeCells : null);
}

function describeMap(hasCells) {
  $("map").setAttribute("aria-label", hasCells ? text("map", map.width, map.height) : text("noMap"));
}

function showMap(result, settings) {
  map = result;
  shownSettings = settings;
  placing = false;
  view.show(result.width, result.height, result.rgba);
  const hasCells = result.width > 0 && result.height > 0;
  showReport();
  showBiomes();
  const p = result.parameters;
  enableFiles();
  $("regions").disabled = !hasCells || p.points.length === 0;
  $("water").disabled = !hasCells;
  $("view3d").disabled = !hasCells;
  // An imported map's edges are its own setting: open, or joined.
  $("wrap-check").hidden = !source?.heightFile;
  describeMap(hasCells);
  document.body.dataset.state = "map";
}

// The 3D view follows the map shown: its heights, its picture and its water level.
async function showSurface(call) {
  if (!$("view3d").checked || !map || placing || map.width === 0) return;
  if (!surface) {
    const { Surface } = await import("./view3d.js");
    try {
      surface = new Surface($("viewport"), text("surface"), surfaceViewText);
    } catch {
      $("view3d").checked = false;
      document.body.classList.remove("surface");
      throw new Error(text("noWebGL"));
    }
  }
  heights ??= await call("heightSamples", form.stages);
  surface.show(map, heights.samples, map.parameters.waterLevel);
  surfaceMap = map;
}

function newMap(result, made, settings) {
  heights = null;
  source = made;
  showMap(result, settings);
}

// A heavy link's work waits for a click: job {width, height, smooth, erode,
// thermal}, or null to put the box away.
function showPending(job) {
  pendingWork = job;
  $("pending").hidden = !job;
  if (!job) return;
  $("pending-text").textContent = text("heavyLink", job);
  document.body.dataset.state = "waiting";
}

// A map made from a file has no address: no setting rebuilds it.
function showLink(address = source?.heightFile ? "" : form.address()) {
  history.replaceState(null, "", address ? `?${address}` : location.pathname);
  $("link").href = location.href;
}

// Grows the map the form describes. Pressed again while a generation of the
// same request runs, nothing more happens; with other settings, or while the
// map is being redrawn, the job under way is out of date: it stops, and this
// one runs in its place. `again`: the job under way was stopped for this one.
function generate({ again = false } = {}) {
  if (gate.busy && running === null) return; // a file being read or written is waited for
  const read = form.read();
  if (read.error) return message(read.error, read.field);
  const params = read.values;
  params.waterLevel = form.values.waterLevel;
  const request = JSON.stringify([params, form.stages, form.regions]);
  if (!again && gate.busy && running?.kind === "generate" && running.request === request) return;
  showLink(form.address());
  showPending(null);
  const work = job("generate", request, async (signal) => {
    const call = callsOf(signal);
    const settings = settingsOf(form);
    const result = await call("generate", form.stages, params, form.regions);
    if (result.message) return message(refusedBy(result, (why) => text("generateFailed", why)));
    newMap(result, { params }, settings);
    $("regions").checked = form.regions;
    await showSurface(call);
  });
  if (!gate.busy) return gate.run(work);
  if (!again) stopJob({ restoreForm: false });
  gate.latest(work);
}

// Another look at the same map (stages, regions, water): a redraw under way
// gives way to it, a generation under way starts again with the change.
function render(regions, waterLevel) {
  if (gate.busy && running?.kind === "generate") {
    stopJob({ restoreForm: false });
    return generate({ again: true });
  }
  // A level not yet drawn goes with every later redraw, as a fresh worker holds the shown map's.
  // An imported map keeps its own level until the slider moves it.
  const level = waterLevel ?? (map && !source?.heightFile &&
    !Object.is(form.values.waterLevel, map.parameters.waterLevel) ? form.values.waterLevel : undefined);
  if (gate.busy && running?.kind === "render") stopJob({ restoreForm: false });
  gate.latest(job("render", "", async (signal) => {
    const call = callsOf(signal);
    const settings = settingsNow();
    showMap(await call("render", form.stages, regions, level), settings);
    await showSurface(call);
  }));
}

// Ends the running job at once: its worker goes, and a fresh one is given the
// shown map again, so what follows acts on the map in sight. With
// restoreForm the form and the address go back to that map's (a placement
// being made stays as it is); without, the form keeps the change that
// stopped the job, and the job to run next follows. false when idle.
function stopJob({ restoreForm }) {
  if (!gate.cancel(new Cancelled("cancelled"))) return false;
  worker.restart();
  // The imported map's edges go back to the shown picture's, with the form.
  if (restoreForm && source?.heightFile && shownSettings) {
    source.wrap = shownSettings.wrap;
    $("wrap-edges").checked = source.wrap;
  }
  if (source) {
    worker.call("restore", source, map.parameters.waterLevel).catch((e) => {
      if (!(e instanceof Cancelled)) message(failureText(e));
    });
  }
  if (restoreForm && shownSettings) {
    restoreSettings(form, shownSettings, { keepValues: placing });
    if (source?.heightFile) showImportedLevel(map.parameters.waterLevel);
    $("regions").checked = form.regions;
    showLink(shownSettings.address);
  }
  return true;
}

// The cancel button and Escape: the map, its settings and its address stay.
function cancel() {
  if (!stopJob({ restoreForm: true })) return;
  if (!map && heavyLink) showPending(heavyLink);
  if ($("progress").contains(document.activeElement)) $("viewport").focus();
  // A 3D view that was still to show the map in sight goes off again.
  if ($("view3d").checked && surfaceMap !== map) {
    $("view3d").checked = false;
    document.body.classList.remove("surface");
  }
}

function showPlacement() {
  const read = form.read();
  if (read.error) return message(read.error, read.field);
  const { width, height } = form.values;
  const points = form.values.points.map((p) => [p[0], p[1]]);
  showPending(null);
  gate.latest(job("view", "", async (signal) => {
    const result = await callsOf(signal)("placement", width, height, points);
    placing = true;
    document.body.dataset.state = "placing";
    view.show(result.width, result.height, result.rgba);
  }));
}

function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = document.createElement("a");
  a.href = url;
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// A picture or heightmap this page or glenvar-cli made names its map in its
// recipe: the recipe becomes the address, and the map is grown again.
function openRecipe(bytes) {
  const recipe = pngRecipe(bytes);
  const pairs = recipe === null ? null : glenvar.recipeAddress(recipe);
  if (pairs === null) {
    message(text("noRecipe"));
    return false;
  }
  form.show(defaults);
  form.fromAddress(new URLSearchParams(pairs).toString());
  $("regions").checked = form.regions;
  return true;
}

async function open(file) {
  let regrow = false;
  await gate.run(async (signal) => {
    const call = callsOf(signal);
    if (file.size > fileLimit) return message(text("tooLarge"));
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch {
      if (!signal.aborted) message(text("unreadable"));
      return;
    }
    signal.throwIfAborted();
    const kind = heightFileKind(bytes);
    // A picture (8-bit or colour) names its map in its recipe; a 16-bit grey PNG holds heights.
    if (kind === "png" && !isHeightPng(pngHeader(bytes))) {
      if (pngRecipe(bytes) === null) return message(text("notHeightPng", file.name));
      regrow = openRecipe(bytes);
      return;
    }
    if (kind) return openHeights(call, bytes, file.name);
    // The bytes stay with the page (out of its heap, as a Blob) for a restore;
    // the worker takes the array itself.
    const kept = new Blob([bytes]);
    const result = await call("load", form.stages, bytes);
    if (result.message) return message(refusedBy(result, (why) => text("loadFailed", file.name, why)));
    form.show(result.parameters);
    form.regions = false;
    $("regions").checked = false;
    showPending(null);
    newMap(result, { file: kept }, settingsOf(form));
    showLink();
    await showSurface(call);
  });
  if (regrow) await generate();
}

// An imported map's water level (its sea level, or Glenvar's 0..1 level) is
// its own: the slider shows it, while the form keeps the level of the next
// map grown, so that no elevation model's level reaches a generation.
function showImportedLevel(level) {
  const pos = form.position("waterLevel", level);
  $("water").value = String(pos);
  $("water-label").textContent = glenvar.sliderLabel("waterLevel", pos);
}

// Heights from a file, with open edges unless the page joins them; the map
// has no recipe, so the address holds no settings while it is shown.
async function openHeights(call, bytes, name) {
  const kept = new Blob([bytes]);
  const wrap = $("wrap-edges").checked;
  const result = await call("importHeights", form.stages, bytes, name, wrap);
  if (result.refused) return message(text(result.refused, ...result.args));
  if (result.message) {
    // glenvar-cli's words name the file: "NAME: why".
    const why = result.englishMessage.replace(`${name}: `, "");
    return message(text("heightsRefused", name, why, result.message));
  }
  showImportedLevel(result.parameters.waterLevel);
  form.regions = false;
  $("regions").checked = false;
  showPending(null);
  newMap(result, { heightFile: kept, name, wrap }, { ...settingsOf(form), address: "", wrap });
  showLink();
  await showSurface(call);
}

// The imported map's edges changed: the same heights shaped and drawn again.
function changeWrap(wrap) {
  if (!source?.heightFile) return;
  source.wrap = wrap;
  heights = null;
  if (gate.busy && running?.kind === "render") stopJob({ restoreForm: false });
  gate.latest(job("render", "", async (signal) => {
    const call = callsOf(signal);
    await call("importedWrap", wrap);
    showMap(await call("render", form.stages, form.regions), settingsNow());
    await showSurface(call);
  }));
}

function wireFiles() {
  const binary = "application/octet-stream";
  const name = (form, stem = "LandData") => stem + forms[form].extension;
  const save = (op, file) => () =>
    gate.run(async (signal) => download(await callsOf(signal)(op), file, binary));
  $("save-ld").onclick = save("mapFile", name("map"));
  $("save-dat").onclick = save("rawFile", name("raw"));
  $("save-png").onclick = () => gate.run(async () =>
    download(picturePng(map.width, map.height, map.rgba, map.recipe), name("picture"), "image/png"));
  // The heightmap in the chosen form, and its sidecar NAME.json, as glenvar-cli names them.
  const heightForms = { png: "heightmapPng", r16: "heightmapR16", exr: "heightmapExr" };
  const heightmap = async (signal) => {
    const kind = $("height-form").value;
    const h = await callsOf(signal)("heightmap", form.stages, kind, form.regions);
    return { h, kind, file: name(heightForms[kind], "LandData-height") };
  };
  const encoded = async ({ h, kind }) =>
    kind === "png" ? heightmapPng(h.width, h.height, h.samples, h.recipe)
    : kind === "r16" ? heightmapR16(h.samples)
    : (await import("./exr.js")).heightmapExr(h.width, h.height, h.samples, h.recipe);
  $("save-height").onclick = () => gate.run(async (signal) => {
    const made = await heightmap(signal);
    const bytes = await encoded(made);
    signal.throwIfAborted();
    download(bytes, made.file, made.kind === "png" ? "image/png" : binary);
  });
  $("save-sidecar").onclick = () => gate.run(async (signal) => {
    const { h, file } = await heightmap(signal);
    download(new TextEncoder().encode(h.sidecar), `${file}.json`, "application/json");
  });
  // The 3D view's surface as glenvar-cli --mesh writes it (its default
  // layout, untiled), the .glb's texture the picture in libpng's very bytes.
  const saveMesh = (glb) => () => gate.run(async (signal) => {
    const png = glb ? (await import("./libpngform.js")).libpngPicturePng(
      map.width, map.height, map.rgba, map.recipe) : new Uint8Array();
    const made = await callsOf(signal)("mesh", form.stages, glb, {}, png);
    if (made.message) return message(refusedBy(made, (why) => text("meshFailed", why)));
    download(made.bytes, name(glb ? "meshGlb" : "meshStl"), glb ? "model/gltf-binary" : "model/stl");
  });
  $("save-glb").onclick = saveMesh(true);
  $("save-stl").onclick = saveMesh(false);
  $("open").accept = [forms.map.extension, forms.raw.extension, forms.picture.extension,
                      ".tif", ".tiff"].join(",");
  $("wrap-edges").onchange = (e) => changeWrap(e.target.checked);
  // A file chosen while the page is busy would be refused; no chooser then.
  $("open-button").onclick = () => gate.busy || $("open").click();
  $("open").onchange = (e) => {
    if (e.target.files[0]) open(e.target.files[0]);
    e.target.value = "";
  };
}

// The stages reshape a copy of the map: the same map is shown again, and the
// link follows at once.
function wireStages() {
  const changed = (change) => (e) => {
    change(e.target);
    heights = null;
    form.refusals = form.refusals.filter((r) => r.key !== e.target.id);
    showLink();
    if (map && !placing) render(form.regions);
  };
  $("smooth").addEventListener("change", changed((t) => {
    form.stages.smooth = Number(t.value);
    $("smooth-label").textContent = t.value;
  }));
  $("shade").addEventListener("change", changed((t) => (form.stages.shade = t.checked)));
  // Erosion and rivers: a value glenvar-cli would refuse is told at once and
  // the field shows the stage's value again.
  for (const { name: key } of form.fieldStages) {
    $(key).addEventListener("change", (e) => {
      const read = form.stageValue(key, e.target.value);
      if (read.error) {
        e.target.value = String(form.stages[key]);
        return message(read.error, e.target);
      }
      if (read.value === form.stages[key]) return;
      changed((t) => (form.stages[key] = read.value))(e);
    });
  }
  // The climate, the colours and erosion's switches. A text glenvar-cli
  // would refuse is told at once and the control shows the stage again.
  for (const r of form.otherStages) {
    $(r.name).addEventListener("change", (e) => {
      const read = form.controlStage(r, e.target);
      if (read.error) {
        form.showStages();
        return message(read.error, e.target);
      }
      if (read.value === form.stages[r.name]) return;
      form.stages[r.name] = read.value;
      heights = null; // erosion's switches shape the heights
      form.refusals = form.refusals.filter((f) => f.key !== r.name);
      showLink();
      if (map && !placing) render(form.regions);
    });
  }
  // The edge changes only the heightmap files.
  $("edge").addEventListener("change", (e) => {
    form.stages.edge = e.target.checked ? "repeat" : "wrap";
    form.refusals = form.refusals.filter((r) => r.key !== "edge");
    showLink();
  });
}

function wire() {
  $("generate").onclick = () => generate();
  $("start").onclick = () => generate();
  $("cancel").onclick = cancel;
  // Escape stops the running job, unless it answers a message box.
  document.addEventListener("keydown", (e) => {
    if (e.key !== "Escape" || !gate.busy || $("message").open) return;
    e.preventDefault();
    cancel();
  });
  // Presses on the boxes over the map are theirs: no drag, no placed point.
  for (const id of ["progress", "pending"])
    $(id).addEventListener("pointerdown", (e) => e.stopPropagation());
  // Enter accepts the values shown, as the dialog's default button does. The
  // key is spent here: it must not go on to press the message box's button.
  $("parameters").addEventListener("keydown", (e) => {
    if (e.key !== "Enter") return;
    e.preventDefault();
    generate();
  });
  $("fit").onchange = (e) => view.setFit(e.target.checked);
  $("zoom-in").onclick = () => view.step(1);
  $("zoom-out").onclick = () => view.step(-1);
  // A tap on the map places a point; Done ends the placement as a right click does.
  $("place-done").onclick = () => placing && generate();
  $("regions").onchange = (e) => {
    form.regions = e.target.checked;
    render(form.regions);
  };
  $("view3d").onchange = (e) => {
    document.body.classList.toggle("surface", e.target.checked);
    if (e.target.checked) gate.latest(job("view", "", (signal) => showSurface(callsOf(signal))));
  };
  $("water").addEventListener("change", () => {
    const pos = Number($("water").value);
    form.refusals = form.refusals.filter((r) => r.key !== "waterLevel"); // answered by moving it
    const level = glenvar.sliderValue("waterLevel", pos);
    $("water-label").textContent = glenvar.sliderLabel("waterLevel", pos);
    if (level === map?.parameters.waterLevel) return;
    form.values.waterLevel = level;
    // The water is the erosion's and the droplets' base: new heights.
    if (form.stages.erode > 0 || form.stages.droplets > 0) heights = null;
    // A new water level shows the map itself, as on the desktop.
    form.regions = false;
    $("regions").checked = false;
    render(false, level);
  });
  form.inputs.manualPlacement.addEventListener("change", (e) => {
    form.values.manualPlacement = e.target.checked;
    if (e.target.checked) showPlacement();
    else if (map) showMap(map, shownSettings);
  });
  // The placement picture follows a new size as soon as the edit is left.
  for (const key of ["width", "height"])
    form.inputs[key].addEventListener("change", () => placing && showPlacement());
  $("place").onclick = () => {
    form.inputs.manualPlacement.checked = true;
    form.values.manualPlacement = true;
    showPlacement();
  };
  $("clear-points").onclick = () => {
    form.values.points = [];
    if (placing) showPlacement();
  };
  $("viewport").addEventListener("contextmenu", (e) => {
    if (!placing) return;
    e.preventDefault();
    generate();
  });
  $("language").onchange = (e) => showLanguage(e.target.value);
  wireStages();
  wireFiles();
}

// The choice of language stays with the browser, not with the link: a link names a map.
function showLanguage(language) {
  setLanguage(language);
  $("language").value = currentLanguage();
  try {
    localStorage.setItem("glenvar-language", currentLanguage());
  } catch {
    // Storage may be off (private windows); the choice then lasts for the visit.
  }
  describeMap(map !== null && map.width > 0);
  showReport();
  showBiomes();
  showPlacementText();
  surface?.describe(text("surface"), surfaceViewText);
  if (pendingWork) showPending(pendingWork);
}

// Where the 3D view's camera stands, in the page's language.
const surfaceViewText = (...args) => text("surfaceView", ...args);

// Fingers tap where a mouse clicks: a touch screen is told to tap and press Done.
function showPlacementText() {
  const touch = matchMedia("(pointer: coarse)").matches;
  $("placement-text").textContent = touch ? text("placementTouch")
    : currentLanguage() === "ja" ? texts.placementInstruction : $("placement-text").dataset.en;
}

// The zoom as a share of one pixel per cell; zooming by hand leaves the fit.
function showZoom(scale, fit) {
  $("zoom-label").textContent = `${Math.round(scale * 100)}%`;
  $("fit").checked = fit;
}

function placePoint(x, y) {
  if (!placing) return;
  form.values.points.push([x, y]);
  $("point-count").textContent = String(form.values.points.length);
  showPlacement();
}

async function start() {
  // The module runs on this thread too (the table, the numbers); without it nothing works.
  try {
    glenvar = await createGlenvar();
  } catch (e) {
    throw new WorkerFailure(String(e?.message ?? e));
  }
  texts = glenvar.texts();
  defaults = glenvar.parameters();
  forms = glenvar.fileForms();
  biomes = glenvar.biomeTable();
  document.title = texts.appTitle;
  $("form-caption").textContent = texts.generateCaption;
  $("water-caption").textContent = texts.waterLevelCaption;
  $("info-caption").textContent = texts.infoCaption;
  showPlacementText();
  form = new ParameterForm($("parameters"), texts, defaults, glenvar);
  form.attachWaterSlider($("water"), $("water-label"));
  // Each stage's control has its row's link key as its id.
  form.attachStages(buildStageFields(document.querySelector("[aria-labelledby=shape-caption]"),
                                     form.stageRows));
  view = new MapView($("viewport"), $("map"), placePoint, showZoom);
  // On a phone the whole map is worth more than its cells one by one.
  if (matchMedia("(max-width: 640px)").matches) {
    $("fit").checked = true;
    view.setFit(true);
  }
  describeSliders(document);
  form.show(defaults);
  form.fromAddress(location.search);
  wire();
  let saved = null;
  try {
    saved = localStorage.getItem("glenvar-language");
  } catch {
    // As above: no storage, Japanese.
  }
  if (saved === "en") showLanguage(saved);
  $("regions").checked = form.regions;
  $("point-count").textContent = String(form.values.points.length);
  // Every page shows a map at once, a link's map the one its address names,
  // unless that asks for a long job: then a click starts it.
  const job = { width: glenvar.parseInt32(form.inputs.width.value),
                height: glenvar.parseInt32(form.inputs.height.value), ...form.stages };
  if (isHeavy(linkWork(job))) showPending((heavyLink = job));
  else await generate();
  document.body.dataset.ready = "1";
}

// Whatever fails without a handler of its own still ends in a message box.
addEventListener("unhandledrejection", (e) => {
  e.preventDefault();
  message(failureText(e.reason));
});
start().catch((e) => message(failureText(e)));
registerOffline();
