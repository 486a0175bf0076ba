// The generation dialog's parameters as a form, and the page address that
// carries them. Address names are glenvar-cli's option names, so a link and
// the command line describe a map the same way.
import { parseInt32, parseSeed, maxSeed, sliders, clampPosition, sliderValue } from "./numbers.js";
import { text } from "./texts.js";

const edits = [
  { key: "seed", gloss: "seed", hint: `0–${maxSeed}` },
  { key: "width", gloss: "width (X length)", hint: "100–3000" },
  { key: "height", gloss: "height (Y length)", hint: "100–3000" },
  { key: "pointCount", gloss: "concentration points", hint: "0–255" },
];
const sliderRows = [
  { key: "processAmount", gloss: "processing (stamps per 1000 cells)" },
  { key: "concentrationRate", gloss: "concentration rate (share pulled)" },
  { key: "concentrationAmount", gloss: "concentration amount (how far)" },
  { key: "unitAmount", gloss: "unit amount (largest disc)" },
];
const checks = [
  { key: "manualPlacement", gloss: "place the points by hand: click the map" },
  { key: "keepRandomState", gloss: "no random re-initialisation (continue the random source)" },
  { key: "twoThreads", gloss: "two threads (same map; the page computes on one)" },
];

const addressNames = {
  seed: "seed", width: "width", height: "height", pointCount: "points",
  processAmount: "process-amount", concentrationRate: "concentration-rate",
  concentrationAmount: "concentration-amount", unitAmount: "unit-amount",
  waterLevel: "water-level",
};

function row(label, gloss, control, extra) {
  const div = document.createElement("div");
  div.className = "row";
  const l = document.createElement("label");
  l.textContent = label;
  l.dataset.en = gloss; // the label itself when the page is in English
  l.htmlFor = control.id;
  const g = document.createElement("span");
  g.className = "gloss";
  g.textContent = gloss;
  div.append(l, control);
  if (extra) div.append(extra);
  div.append(g);
  return div;
}

// A slider's value from a link, in glenvar-cli's units: {value} or {error}.
const linkRanges = {
  processAmount: ["0.001", "0.5"], concentrationRate: ["0", "1"],
  concentrationAmount: ["0", "1"], unitAmount: ["1", "200"], waterLevel: ["0.00001", "1"],
};
function linkSliderValue(key, written, texts) {
  const [lo, hi] = linkRanges[key];
  const v = written.trim() === "" ? NaN : Number(written);
  if (key === "unitAmount") {
    if (!Number.isInteger(v)) return { error: texts.enterInteger };
    if (v < 1 || v > 200) return { error: texts.enterIntegerInRange.replace("%1", lo).replace("%2", hi) };
    return { value: v };
  }
  const s = sliders[key];
  const pos = s.position(v);
  if (!Number.isFinite(v) || clampPosition(s, pos) !== pos)
    return { error: text("enterNumberInRange", lo, hi) };
  return { value: v };
}

export class ParameterForm {
  // texts: the desktop program's labels and messages; defaults: a new terrain's values.
  constructor(root, texts, defaults) {
    this.texts = texts;
    this.defaults = defaults;
    this.values = { ...defaults, points: [] };
    this.regions = false;
    this.refusals = []; // link values the sliders cannot hold, each told once
    this.inputs = {};
    this.labels = {};
    this.build(root);
  }

  build(root) {
    for (const e of edits) {
      const input = document.createElement("input");
      input.id = `p-${e.key}`;
      input.type = "text";
      input.inputMode = "numeric";
      const hint = document.createElement("span");
      hint.className = "hint";
      hint.textContent = e.hint;
      this.inputs[e.key] = input;
      root.append(row(this.texts[e.key], e.gloss, input, hint));
    }
    for (const s of sliderRows) this.addSlider(root, s.key, this.texts[s.key], s.gloss);
    for (const c of checks) {
      const input = document.createElement("input");
      input.id = `p-${c.key}`;
      input.type = "checkbox";
      this.inputs[c.key] = input;
      root.append(row(this.texts[c.key], c.gloss, input));
    }
  }

  addSlider(root, key, label, gloss) {
    const s = sliders[key];
    const input = document.createElement("input");
    input.id = `p-${key}`;
    input.type = "range";
    input.min = s.min;
    input.max = s.max;
    const shown = document.createElement("output");
    shown.id = `l-${key}`;
    this.inputs[key] = input;
    this.labels[key] = shown;
    // As the dialog, the label and the value follow the slider when it is let go.
    input.addEventListener("change", () => {
      this.refusals = this.refusals.filter((r) => r.key !== key);
      const pos = Number(input.value);
      this.values[key] = s.value(pos);
      shown.textContent = s.label(pos);
    });
    root.append(row(label, gloss, input, shown));
  }

  // Puts values into the controls, as the dialog does when it opens. The
  // generation sliders keep what they can show, as the dialog's OK stores it
  // (a file's -5 or NaN becomes the nearer end); a water level only when it
  // is no number at all, so a file's level otherwise stays the map's.
  show(values) {
    this.values = { ...this.values, ...values };
    const v = this.values;
    for (const { key } of sliderRows) v[key] = sliderValue(sliders[key], v[key]);
    if (!Number.isFinite(v.waterLevel)) v.waterLevel = sliderValue(sliders.waterLevel, v.waterLevel);
    this.inputs.seed.value = String(v.seed);
    this.inputs.width.value = String(v.width);
    this.inputs.height.value = String(v.height);
    this.inputs.pointCount.value = String(v.pointCount);
    for (const key of [...sliderRows.map((s) => s.key), "waterLevel"]) {
      const s = sliders[key];
      const pos = clampPosition(s, s.position(v[key]));
      if (this.inputs[key]) this.inputs[key].value = String(pos);
      if (this.labels[key]) this.labels[key].textContent = s.label(pos);
    }
    for (const c of checks) this.inputs[c.key].checked = Boolean(v[c.key]);
  }

  attachWaterSlider(input, label) {
    this.inputs.waterLevel = input;
    this.labels.waterLevel = label;
    input.min = sliders.waterLevel.min;
    input.max = sliders.waterLevel.max;
  }

  // The dialog's validated read: the first failure gives its message and the
  // field to correct; on success the edits are rewritten in canonical form.
  read() {
    const t = this.texts;
    const range = (lo, hi) => t.enterIntegerInRange.replace("%1", lo).replace("%2", hi);
    const seed = parseSeed(this.inputs.seed.value);
    if (seed === null) return { error: t.enterPositiveInteger, field: this.inputs.seed };
    if (seed === "range") return { error: range(0, maxSeed), field: this.inputs.seed };
    const checks32 = [
      ["pointCount", 0, 255],
      ["width", 100, 3000],
      ["height", 100, 3000],
    ];
    const read = { seed: String(seed) };
    for (const [key, lo, hi] of checks32) {
      const v = parseInt32(this.inputs[key].value);
      if (v === null) return { error: t.enterInteger, field: this.inputs[key] };
      if (v < lo || v > hi) return { error: range(lo, hi), field: this.inputs[key] };
      read[key] = v;
    }
    const refusal = this.refusals.shift();
    if (refusal) return { error: refusal.error, field: this.inputs[refusal.key] };
    for (const c of checks) read[c.key] = this.inputs[c.key].checked;
    this.show(read);
    return { values: this.generation() };
  }

  generation() {
    const v = this.values;
    return {
      seed: String(v.seed), width: v.width, height: v.height, unitAmount: v.unitAmount,
      processAmount: v.processAmount, waterLevel: v.waterLevel,
      concentrationRate: v.concentrationRate, concentrationAmount: v.concentrationAmount,
      pointCount: v.pointCount, keepRandomState: Boolean(v.keepRandomState),
      manualPlacement: Boolean(v.manualPlacement), twoThreads: Boolean(v.twoThreads),
      points: v.manualPlacement ? v.points.map((p) => [p[0], p[1]]) : [],
    };
  }

  // The address of the current parameters; defaults are left out.
  address() {
    const q = new URLSearchParams();
    const v = this.values;
    for (const [key, name] of Object.entries(addressNames))
      if (String(v[key]) !== String(this.defaults[key])) q.set(name, String(v[key]));
    if (v.keepRandomState) q.set("keep-random-state", "1");
    if (v.twoThreads) q.set("threads", "2");
    if (v.manualPlacement) {
      if (v.points.length === 0) q.set("manual", "1");
      for (const p of v.points) q.append("point", `${p[0]},${p[1]}`);
    }
    if (this.regions) q.set("regions", "1");
    return q.toString();
  }

  // Reads an address: edits take its text as typed (the read checks it),
  // sliders its number when they can hold it; any other value is refused by
  // the next read with the dialog's kind of message.
  fromAddress(search) {
    const q = new URLSearchParams(search);
    const next = {};
    this.refusals = [];
    for (const [key, name] of Object.entries(addressNames)) {
      if (!q.has(name) || !sliders[key]) continue;
      const read = linkSliderValue(key, q.get(name), this.texts);
      if (read.error) this.refusals.push({ key, error: read.error });
      else next[key] = read.value;
    }
    const points = q.getAll("point").map((p) => p.split(",").map((n) => parseInt32(n)));
    next.points = points.filter((p) => p.length === 2 && p[0] !== null && p[1] !== null);
    next.manualPlacement = q.get("manual") === "1" || next.points.length > 0;
    next.keepRandomState = q.get("keep-random-state") === "1";
    next.twoThreads = q.get("threads") === "2";
    this.regions = q.get("regions") === "1";
    this.show(next);
    // Edits show the address's text; the validated read decides on it.
    for (const key of ["seed", "width", "height", "pointCount"])
      if (q.has(addressNames[key])) this.inputs[key].value = q.get(addressNames[key]);
  }
}
