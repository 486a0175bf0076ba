// The stage section's rows (smoothing, erosion, rivers, shading, the edge,
// the climate and the biome colours),
// each made from its settings row (glenvar.stageTable()): the control's id is
// the row's link key, and its labels, gloss, step and default are the row's,
// so the page itself names no stage.

// The section is named by its first row's label.
const captionId = "shape-caption";

function control(r) {
  // A longer choice (the wind) is a list of its words, the default first.
  if (r.type === "choice" && r.choices.length > 2) {
    const select = document.createElement("select");
    select.id = r.name;
    for (const word of r.choices) select.add(new Option(word, word));
    return select;
  }
  const input = document.createElement("input");
  input.id = r.name;
  // A choice of two is a checkbox that means its second word (the edge's repeat).
  if (r.type === "switch" || r.type === "choice") {
    input.type = "checkbox";
    return input;
  }
  // A span (the latitudes) is typed as glenvar-cli takes it: N,S.
  if (r.type === "span") {
    input.type = "text";
    input.defaultValue = r.fallback;
    return input;
  }
  input.type = r.slider ? "range" : "number";
  if (r.step > 0) input.step = String(r.step);
  input.defaultValue = r.fallback;
  return input;
}

// Fills the section with the rows that have a field; returns their controls
// by name, and each slider's shown value as `${name}Label`.
export function buildStageFields(section, rows) {
  const controls = {};
  for (const [i, r] of rows.filter((r) => r.japanese !== "").entries()) {
    const div = document.createElement("div");
    div.className = "row";
    const label = document.createElement("label");
    label.htmlFor = r.name;
    if (i === 0) label.id = captionId;
    label.dataset.en = r.englishLabel;
    label.textContent = r.japanese;
    const input = control(r);
    // A checkbox before its own label; a field after it.
    if (input.type === "checkbox") div.append(input, label);
    else div.append(label, input);
    controls[r.name] = input;
    if (r.slider) {
      const shown = document.createElement("output");
      shown.id = `${r.name}-label`;
      shown.htmlFor.add(r.name);
      shown.textContent = r.fallback;
      div.append(shown);
      controls[`${r.name}Label`] = shown;
    }
    const gloss = document.createElement("span");
    gloss.className = "gloss";
    gloss.textContent = r.gloss;
    div.append(gloss);
    section.append(div);
  }
  return controls;
}
