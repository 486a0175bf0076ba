// Reading the dialog's edits and writing its slider labels exactly as the
// desktop program does.

// Blanks and tabs at both ends are skipped; the rest is an optional sign and
// decimal digits. Zero only from a text that starts with the digit 0, so an
// empty text, +0 and -0 fail. Magnitudes saturate above any 32-bit limit.
function scan(text, allowMinus) {
  const t = text.replace(/^[ \t]+|[ \t]+$/g, "");
  const startsWithZero = t.startsWith("0");
  let i = 0;
  let negative = false;
  if (t[0] === "+" || t[0] === "-") {
    negative = t[0] === "-";
    if (negative && !allowMinus) return null;
    i = 1;
  }
  if (i === t.length) return null;
  const cap = 2 ** 33;
  let magnitude = 0;
  for (; i < t.length; ++i) {
    const c = t.charCodeAt(i) - 48;
    if (c < 0 || c > 9) return null;
    magnitude = Math.min(cap, magnitude * 10 + c);
  }
  if (magnitude === 0 && !startsWithZero) return null;
  return { negative, magnitude };
}

export function parseInt32(text) {
  const s = scan(text, true);
  if (!s) return null;
  const v = s.negative ? -s.magnitude : s.magnitude;
  return Math.max(-2147483648, Math.min(2147483647, v));
}

// The seed as a map file holds it, 0..2^64-1, with the edits' grammar; a
// decimal text, as JavaScript numbers cannot hold 64 bits. null when the text
// is no unsigned integer, "range" when it is one beyond 64 bits.
export const maxSeed = 2n ** 64n - 1n;
export function parseSeed(text) {
  const t = text.replace(/^[ \t]+|[ \t]+$/g, "");
  const digits = /^\+?([0-9]+)$/.exec(t);
  if (!digits) return null;
  const v = BigInt(digits[1]);
  if (v === 0n && !t.startsWith("0")) return null;
  return v > maxSeed ? "range" : v.toString();
}

export function parseUInt32(text) {
  const s = scan(text, false);
  if (!s) return null;
  return Math.min(s.magnitude, 4294967295);
}

// printf's "%.<digits>f": the exact binary value rounded half to even.
export function fixed(value, digits) {
  const exact = value.toFixed(100); // every digit of a double below 1e21
  const [whole, fraction] = exact.split(".");
  const kept = whole + fraction.slice(0, digits);
  const rest = fraction.slice(digits).replace(/0+$/, "");
  let roundUp = rest !== "" && rest[0] >= "5";
  if (rest === "5") roundUp = Number(kept[kept.length - 1]) % 2 === 1;
  let n = BigInt(kept.replace("-", ""));
  if (roundUp) n += 1n;
  const s = n.toString().padStart(digits + 1, "0");
  const sign = value < 0 && n !== 0n ? "-" : "";
  return digits ? `${sign}${s.slice(0, -digits)}.${s.slice(-digits)}` : sign + s;
}

// The four generation sliders and the water slider: position range, the
// position a value opens at, the value a position writes, and the label.
const f32Thousandth = Math.fround(0.001);
// Hundred-thousandths of the whole, labelled as a percentage.
const fine = {
  min: 0, max: 100000,
  position: (v) => Math.trunc(v * 100000),
  value: (pos) => pos * 0.00001,
  label: (pos) => `${fixed(pos * 0.001, 2)}%`,
};

export const sliders = {
  processAmount: {
    min: 1, max: 500,
    position: (v) => Math.trunc(v * 1000 + 0.5),
    value: (pos) => pos * f32Thousandth,
    label: (pos) => String(pos),
  },
  concentrationRate: fine,
  concentrationAmount: fine,
  unitAmount: {
    min: 1, max: 200,
    position: (v) => Math.trunc(v),
    value: (pos) => pos,
    label: (pos) => String(pos),
  },
  waterLevel: { ...fine, min: 1 },
};

export function clampPosition(slider, pos) {
  if (!Number.isFinite(pos)) return pos > 0 ? slider.max : slider.min;
  return Math.max(slider.min, Math.min(slider.max, pos));
}

// A value as a slider can hold it: inside the range it stays exact, outside
// it becomes the nearer end's value, as the dialog stores it.
export function sliderValue(slider, v) {
  const pos = slider.position(v);
  const clamped = clampPosition(slider, pos);
  return clamped === pos ? v : slider.value(clamped);
}
