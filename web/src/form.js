// The generation dialog's parameters as a form, and the page address that
// carries them. Address names are glenvar-cli's option names, so a link and
// the command line describe a map the same way. The parameters, their ranges
// and the arithmetic of edits and sliders come from the module
// (createGlenvar()): the table and the code the desktop program and glenvar-cli use.

import { currentLanguage, text } from "./texts.js";
import { refusalText } from "./refusals.js";

// The water level has its own slider beside the map (attachWaterSlider).
const ownSlider = "waterLevel";
// The dialog reads its edits in this order and stops at the first that fails.
const readOrder = ["seed", "pointCount", "width", "height"];
// The page takes every seed a map file holds, beyond the dialog's 32 bits.
const maxSeed = (2n ** 64n - 1n).toString();
// The stages after generation (smoothing, shading, the edge, erosion and
// rivers) and the climate with the biome colours: their ranges, defaults and
// reading come from the settings rows (glenvar.stageTable(),
// glenvar.parseStage()), so that a link's value is refused exactly as
// glenvar-cli refuses it.
const stageTypes = ["integer", "number", "switch", "choice", "span"];
// The stages with controls of their own making in showStages and main.js.
const ownStages = ["smooth", "shade", "edge"];

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
  // A checkbox comes before its own label, so that which box is whose is plain.
  if (control.type === "checkbox") div.append(control, l);
  else div.append(l, control);
  if (extra) div.append(extra);
  div.append(g);
  return div;
}

export class ParameterForm {
  // texts: the desktop program's labels and messages; defaults: a new terrain's
  // values; glenvar: the module, for the table and the numbers.
  constructor(root, texts, defaults, glenvar) {
    this.texts = texts;
    this.defaults = defaults;
    this.glenvar = glenvar;
    const table = glenvar.parameterTable();
    this.rows = Object.fromEntries(table.map((r) => [r.name, r]));
    this.edits = table.filter((r) => !r.slider && r.kind !== "flag");
    this.sliderRows = table.filter((r) => r.slider && r.name !== ownSlider);
    this.checks = table.filter((r) => r.kind === "flag");
    this.linked = table.filter((r) => r.link !== "");
    this.values = { ...defaults, points: [] };
    this.regions = false;
    this.stageRows = glenvar.stageTable().filter((r) => stageTypes.includes(r.type) &&
                                                     r.name !== "regions");
    this.noStages = Object.fromEntries(this.stageRows.map((r) => [r.name, this.fallback(r)]));
    // The stages typed into number fields, in glenvar-cli's order.
    this.fieldStages = this.stageRows.filter((r) => ["integer", "number"].includes(r.type) &&
                                                    r.name !== "smooth");
    // The rest (latitudes, wind, colours, erosion's switches): a checkbox, a
    // list or a text field each.
    this.otherStages = this.stageRows.filter((r) => !ownStages.includes(r.name) &&
                                                    !this.fieldStages.includes(r));
    this.stages = { ...this.noStages };
    this.refusals = []; // link values the form cannot hold, each told once by a read
    this.inputs = {};
    this.labels = {};
    this.build(root);
  }

  build(root) {
    for (const e of this.edits) {
      const input = document.createElement("input");
      input.id = `p-${e.name}`;
      input.type = "text";
      input.inputMode = "numeric";
      const hint = document.createElement("span");
      hint.className = "hint";
      hint.textContent = `${e.low}–${e.kind === "seed" ? maxSeed : e.editHigh}`;
      this.inputs[e.name] = input;
      root.append(row(this.label(e), e.description, input, hint));
    }
    for (const s of this.sliderRows) this.addSlider(root, s);
    for (const c of this.checks) {
      const input = document.createElement("input");
      input.id = `p-${c.name}`;
      input.type = "checkbox";
      this.inputs[c.name] = input;
      root.append(row(this.label(c), c.description, input));
    }
  }

  // A stage's default as the page holds it.
  fallback(r) {
    if (r.type === "switch") return false;
    return r.type === "choice" || r.type === "span" ? r.fallback : Number(r.fallback);
  }

  stageRow(key) {
    return this.stageRows.find((r) => r.name === key);
  }

  // The desktop program's label; a parameter it lacks shows its description.
  label(r) {
    return this.texts[r.name] ?? r.description;
  }

  // The slider's position for a value, held at its nearer end.
  position(key, value) {
    const r = this.rows[key];
    return Math.max(r.sliderLow, Math.min(r.sliderHigh, this.glenvar.sliderPosition(key, value)));
  }

  // A value as a slider can hold it: inside the range it stays exact, outside
  // it becomes the nearer end's value, as the dialog stores it.
  sliderValue(key, value) {
    const pos = this.glenvar.sliderPosition(key, value);
    const held = this.position(key, value);
    return held === pos ? value : this.glenvar.sliderValue(key, held);
  }

  addSlider(root, r) {
    const key = r.name;
    const input = document.createElement("input");
    input.id = `p-${key}`;
    input.type = "range";
    input.min = r.sliderLow;
    input.max = r.sliderHigh;
    const shown = document.createElement("output");
    shown.id = `l-${key}`;
    this.inputs[key] = input;
    this.labels[key] = shown;
    // As the dialog, the label and the value follow the slider when it is let go.
    input.addEventListener("change", () => {
      this.refusals = this.refusals.filter((r) => r.key !== key);
      const pos = Number(input.value);
      this.values[key] = this.glenvar.sliderValue(key, pos);
      shown.textContent = this.glenvar.sliderLabel(key, pos);
    });
    root.append(row(this.label(r), r.description, input, shown));
  }

  // Puts values into the controls, as the dialog does when it opens. The
  // generation sliders keep what they can show, as the dialog's OK stores it
  // (a file's -5 or NaN becomes the nearer end); the water level only when it
  // is no number at all, so a file's level otherwise stays the map's.
  show(values) {
    this.values = { ...this.values, ...values };
    const v = this.values;
    for (const { name } of this.sliderRows) v[name] = this.sliderValue(name, v[name]);
    if (!Number.isFinite(v[ownSlider])) v[ownSlider] = this.sliderValue(ownSlider, v[ownSlider]);
    for (const e of this.edits) this.inputs[e.name].value = String(v[e.name]);
    for (const { name } of [...this.sliderRows, this.rows[ownSlider]]) {
      const pos = this.position(name, v[name]);
      if (this.inputs[name]) this.inputs[name].value = String(pos);
      if (this.labels[name]) this.labels[name].textContent = this.glenvar.sliderLabel(name, pos);
    }
    for (const c of this.checks) this.inputs[c.name].checked = Boolean(v[c.name]);
  }

  // The stages' controls: {smooth (a range), smoothLabel, shade, edge
  // (checkboxes), and a number field for each other number stage}; their
  // ranges and hints are the rows'.
  attachStages(controls) {
    this.stageControls = controls;
    for (const r of this.stageRows) {
      const control = controls[r.name];
      if (r.type !== "switch") this.inputs[r.name] = control;
      if (r.type === "integer" || r.type === "number") {
        control.min = r.low;
        control.max = r.high;
        control.title = r.description;
      }
    }
  }

  showStages() {
    const c = this.stageControls;
    c.smooth.value = String(this.stages.smooth);
    c.smoothLabel.textContent = String(this.stages.smooth);
    c.shade.checked = this.stages.shade;
    c.edge.checked = this.stages.edge === "repeat";
    for (const { name } of this.fieldStages) c[name].value = String(this.stages[name]);
    for (const r of this.otherStages) {
      if (r.type === "switch") c[r.name].checked = this.stages[r.name];
      else if (c[r.name].type === "checkbox") c[r.name].checked = this.stages[r.name] === r.choices[1];
      else c[r.name].value = this.stages[r.name];
    }
  }

  // The stage a control of otherStages holds: {value}, or {error} as stageValue.
  controlStage(r, control) {
    if (r.type === "switch") return { value: control.checked };
    return this.stageValue(r.name, this.stageText(r, control));
  }

  // The text glenvar-cli would be given for a stage's control.
  stageText(r, control) {
    return control.type === "checkbox" ? r.choices[control.checked ? 1 : 0] : control.value;
  }

  // A stage's value as glenvar-cli reads it: {value}, or {error} in the
  // dialog's words when it would refuse it.
  stageValue(key, written) {
    const read = this.glenvar.parseStage(key, written);
    const r = this.stageRow(key);
    // A span's two numbers as their text: the value compares and links as one.
    if (!("expected" in read)) return { value: r.type === "span" ? read.value.join(",") : read.value };
    const name = currentLanguage() === "en" ? r.englishLabel : r.japanese;
    if (key === "edge") return { error: text("edgeValues") };
    if (r.type === "choice") return { error: text("choiceValues", name, r.choices.join(", ")) };
    if (r.type === "span") return { error: text("spanValues", name, r.low, r.high) };
    const kind = r.type === "number" ? "numberInRange" : "integerInRange";
    return { error: refusalText(this.texts, kind, r, r.low, r.high) };
  }

  attachWaterSlider(input, label) {
    this.inputs.waterLevel = input;
    this.labels.waterLevel = label;
    input.min = this.rows[ownSlider].sliderLow;
    input.max = this.rows[ownSlider].sliderHigh;
  }

  // The dialog's validated read: the first failure gives its message and the
  // field to correct; on success the edits are rewritten in canonical form.
  read() {
    const read = {};
    for (const key of readOrder) {
      const r = this.rows[key];
      const { kind, low, editHigh } = r;
      const field = this.inputs[key];
      const refused = (why, lo, hi) => ({ error: refusalText(this.texts, why, r, lo, hi), field });
      if (kind === "seed") {
        const seed = this.glenvar.parseSeed(field.value);
        if (seed === null) return refused("positiveInteger");
        if (seed === "range") return refused("integerInRange", 0, maxSeed);
        read[key] = seed;
        continue;
      }
      const v = this.glenvar.parseInt32(field.value);
      if (v === null) return refused("integer");
      if (v < low || v > editHigh) return refused("integerInRange", low, editHigh);
      read[key] = v;
    }
    const refusal = this.refusals.shift();
    // Worded now, in the language chosen since the address was read.
    if (refusal) return { error: refusal.error(), field: this.inputs[refusal.key] };
    for (const c of this.checks) read[c.name] = this.inputs[c.name].checked;
    this.show(read);
    return { values: this.generation() };
  }

  generation() {
    const v = this.values;
    const out = {};
    for (const { name, kind } of Object.values(this.rows))
      out[name] = kind === "seed" ? String(v[name]) : kind === "flag" ? Boolean(v[name]) : v[name];
    out.points = v.manualPlacement ? v.points.map((p) => [p[0], p[1]]) : [];
    return out;
  }

  // The address of the current parameters; defaults are left out.
  address() {
    const q = new URLSearchParams();
    const v = this.values;
    for (const { name, link, kind } of this.linked) {
      if (kind === "flag") {
        if (v[name]) q.set(link, "1");
      } else if (String(v[name]) !== String(this.defaults[name])) {
        q.set(link, String(v[name]));
      }
    }
    if (v.twoThreads) q.set("threads", "2");
    if (v.manualPlacement) {
      if (v.points.length === 0) q.set("manual", "1");
      for (const p of v.points) q.append("point", `${p[0]},${p[1]}`);
    }
    if (this.regions) q.set("regions", "1");
    for (const key of ["smooth", "shade", "edge"]) this.linkStage(q, key);
    // In glenvar-cli's order: erosion, its K, talus, rivers.
    for (const { name } of this.fieldStages) this.linkStage(q, name);
    for (const { name } of this.otherStages) this.linkStage(q, name);
    return q.toString();
  }

  // A stage in the address, unless it is at its default.
  linkStage(q, key) {
    const value = this.stages[key];
    if (value === this.noStages[key]) return;
    q.set(key, value === true ? "1" : String(value));
  }

  // A slider's value from a link, in glenvar-cli's units: {value}, or {error}
  // when the slider cannot hold it.
  linkSliderValue(r, written) {
    const v = written.trim() === "" ? NaN : Number(written);
    const refused = (why, lo, hi) => ({ error: () => refusalText(this.texts, why, r, lo, hi) });
    if (r.kind === "integer") {
      if (!Number.isInteger(v)) return refused("integer");
      if (v < r.low || v > r.high) return refused("integerInRange", r.low, r.high);
      return { value: v };
    }
    const pos = Number.isFinite(v) ? this.glenvar.sliderPosition(r.name, v) : NaN;
    if (pos >= r.sliderLow && pos <= r.sliderHigh) return { value: v };
    // The ends as the slider's label would round them: 0.001, not 0.0010000000474974513.
    const end = (p) => Number(this.glenvar.sliderValue(r.name, p).toPrecision(6));
    return refused("numberInRange", end(r.sliderLow), end(r.sliderHigh));
  }

  // The stages of an address; a value glenvar-cli would refuse is refused
  // by the next read, and the stage keeps its default.
  stagesFromAddress(q) {
    this.stages = { ...this.noStages };
    for (const { name, type } of this.stageRows) {
      // A switch is on when its link says 1, as the address writes it.
      if (type === "switch") this.stages[name] = q.get(name) === "1";
      if (!q.has(name) || type === "switch") continue;
      const written = q.get(name);
      const read = this.stageValue(name, written);
      if (read.error) this.refusals.push({ key: name, error: () => this.stageValue(name, written).error });
      else this.stages[name] = read.value;
    }
    this.showStages();
  }

  // Reads an address: edits take its text as typed (the read checks it),
  // sliders its number when they can hold it; any other value, a malformed
  // point too, is refused by the next read with the dialog's kind of message.
  fromAddress(search) {
    const q = new URLSearchParams(search);
    const next = {};
    this.refusals = [];
    for (const { name, link, kind, slider } of this.linked) {
      if (kind === "flag") {
        next[name] = q.get(link) === "1";
        continue;
      }
      if (!q.has(link) || !slider) continue;
      const read = this.linkSliderValue(this.rows[name], q.get(link));
      if (read.error) this.refusals.push({ key: name, error: read.error });
      else next[name] = read.value;
    }
    const points = q
      .getAll("point")
      .map((p) => p.split(",").map((n) => this.glenvar.parseInt32(n)));
    next.points = points.filter((p) => p.length === 2 && p[0] !== null && p[1] !== null);
    if (next.points.length < points.length) {
      const error = () => refusalText(this.texts, "integer", { description: "point" });
      this.refusals.push({ key: "manualPlacement", error });
    }
    next.manualPlacement = q.get("manual") === "1" || next.points.length > 0;
    next.twoThreads = q.get("threads") === "2";
    this.regions = q.get("regions") === "1";
    this.stagesFromAddress(q);
    this.show(next);
    // Edits show the address's text; the validated read decides on it.
    for (const { name, link } of this.edits)
      if (q.has(link)) this.inputs[name].value = q.get(link);
  }
}
