// The page: the parameters form, the map view and the commands, talking to
// the worker that holds the map.
/* global createGlenvar */
import { ParameterForm } from "./form.js";
import { MapView } from "./view.js";
import { picturePng, heightmapPng } from "./png.js";

const $ = (id) => document.getElementById(id);

// Calls into the worker, one promise per call.
const worker = new Worker("worker.js");
const pending = new Map();
let nextId = 1;
function call(op, ...args) {
  const id = nextId++;
  return new Promise((resolve, reject) => {
    pending.set(id, { resolve, reject });
    worker.postMessage({ id, op, args });
  });
}
// A worker that cannot start or has died fails every call still waiting.
worker.onerror = (e) => {
  for (const { reject } of pending.values()) reject(new Error(e.message || "worker failed"));
  pending.clear();
};
worker.onmessage = ({ data }) => {
  if (data.progress) return showProgress(data.progress);
  const { resolve, reject } = pending.get(data.id);
  pending.delete(data.id);
  if (data.error !== undefined) reject(new Error(data.error));
  else resolve(data.result);
};

let texts, form, view;
let glenvar; // the module on the page's own thread: texts, parameter table, numbers
let map = null; // the last picture: {width, height, rgba, report, parameters}
let placing = false;

// The progress window's two texts: the phase and its state.
function showProgress({ phase, done, total }) {
  const percent = total > 0 ? `${glenvar.fixed((done / total) * 100, 2)}%` : "0%";
  const [label, status, share] =
    phase === 0 ? [texts.phaseGenerate, texts.preparing, 0]
    : phase === 1 ? [texts.phaseGenerate, percent, total > 0 ? done / total : 0]
    : phase === 2 ? [texts.phaseGenerate, texts.normalising, 1]
    : phase === 3 ? [texts.phaseRender, "0%", 0]
    : [texts.phaseRender, percent, total > 0 ? done / total : 0];
  $("phase").textContent = label;
  $("status").textContent = status;
  $("bar").value = share;
}

function message(text, field) {
  $("message-text").textContent = text;
  const box = $("message");
  box.showModal();
  box.addEventListener("close", () => {
    if (field) {
      field.focus();
      field.select();
    }
  }, { once: true });
}

async function busy(work) {
  document.body.classList.add("busy");
  $("progress").hidden = false;
  try {
    return await work();
  } catch (e) {
    message(String(e.message ?? e));
  } finally {
    $("progress").hidden = true;
    document.body.classList.remove("busy");
  }
}

function showMap(result) {
  map = result;
  placing = false;
  view.show(result.width, result.height, result.rgba);
  const hasCells = result.width > 0 && result.height > 0;
  // As the desktop's information command, no report without cells.
  $("report").textContent = hasCells ? result.report : "";
  const p = result.parameters;
  for (const id of ["save-ld", "save-dat", "save-png", "save-height"]) $(id).disabled = !hasCells;
  $("regions").disabled = !hasCells || p.points.length === 0;
  $("water").disabled = !hasCells;
  document.body.dataset.state = "map";
}

async function generate() {
  const read = form.read();
  if (read.error) return message(read.error, read.field);
  const params = read.values;
  params.waterLevel = form.values.waterLevel;
  const address = form.address();
  history.replaceState(null, "", address ? `?${address}` : location.pathname);
  $("link").href = location.href;
  await busy(async () => {
    const result = await call("generate", params, form.regions);
    if (result.message) return message(result.message);
    showMap(result);
    $("regions").checked = form.regions;
  });
}

async function render(regions, waterLevel) {
  await busy(async () => showMap(await call("render", regions, waterLevel)));
}

async function showPlacement() {
  const read = form.read();
  if (read.error) return message(read.error, read.field);
  const { width, height } = form.values;
  const result = await call("placement", width, height, form.values.points);
  placing = true;
  document.body.dataset.state = "placing";
  view.show(result.width, result.height, result.rgba);
}

function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = document.createElement("a");
  a.href = url;
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

async function open(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  await busy(async () => {
    const result = await call("load", bytes);
    if (result.message) return message(result.message);
    form.show(result.parameters);
    form.regions = false;
    $("regions").checked = false;
    showMap(result);
  });
}

function wire() {
  $("generate").onclick = generate;
  // Enter accepts the values shown, as the dialog's default button does.
  $("parameters").addEventListener("keydown", (e) => {
    if (e.key === "Enter") generate();
  });
  $("fit").onchange = (e) => view.setFit(e.target.checked);
  $("regions").onchange = (e) => {
    form.regions = e.target.checked;
    render(form.regions);
  };
  $("water").addEventListener("change", () => {
    const pos = Number($("water").value);
    const level = glenvar.sliderValue("waterLevel", pos);
    $("water-label").textContent = glenvar.sliderLabel("waterLevel", pos);
    if (level === map?.parameters.waterLevel) return;
    form.values.waterLevel = level;
    // A new water level shows the map itself, as on the desktop.
    form.regions = false;
    $("regions").checked = false;
    render(false, level);
  });
  form.inputs.manualPlacement.addEventListener("change", (e) => {
    form.values.manualPlacement = e.target.checked;
    if (e.target.checked) showPlacement();
    else if (map) showMap(map);
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
  const binary = "application/octet-stream";
  $("save-ld").onclick = async () => download(await call("mapFile"), "LandData.ld", binary);
  $("save-dat").onclick = async () => download(await call("rawFile"), "LandData.dat", binary);
  $("save-png").onclick = () =>
    download(picturePng(map.width, map.height, map.rgba), "LandData.png", "image/png");
  $("save-height").onclick = async () => {
    const h = await call("heightSamples");
    download(heightmapPng(h.width, h.height, h.samples), "LandData-height.png", "image/png");
  };
  $("open").onchange = (e) => {
    if (e.target.files[0]) open(e.target.files[0]);
    e.target.value = "";
  };
}

function placePoint(x, y) {
  if (!placing) return;
  form.values.points.push([x, y]);
  $("point-count").textContent = String(form.values.points.length);
  showPlacement();
}

async function start() {
  glenvar = await createGlenvar();
  texts = glenvar.texts();
  const defaults = glenvar.parameters();
  document.title = texts.appTitle;
  $("form-caption").textContent = texts.generateCaption;
  $("water-caption").textContent = texts.waterLevelCaption;
  $("info-caption").textContent = texts.infoCaption;
  $("placement-text").textContent = texts.placementInstruction;
  form = new ParameterForm($("parameters"), texts, defaults, glenvar);
  form.attachWaterSlider($("water"), $("water-label"));
  view = new MapView($("viewport"), $("map"), placePoint);
  form.show(defaults);
  form.fromAddress(location.search);
  wire();
  $("regions").checked = form.regions;
  $("point-count").textContent = String(form.values.points.length);
  // Every page shows a map at once; a link's map is the one its address names.
  await generate();
  document.body.dataset.ready = "1";
}

start();
