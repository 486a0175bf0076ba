// EXR heightmaps as glenvar-cli writes them through OpenEXR: one 32-bit float
// channel "Y", rows from the top, ZIP-compressed blocks of 16 scan lines, the
// recipe as the string attribute glenvarRecipe. The same bytes: the header's
// attributes sorted by name as OpenEXR keeps them, OpenEXR's byte reordering
// and predictor, and pako, a port of zlib, at OpenEXR's level 4.
import { deflate } from "pako";

const linesPerBlock = 16;
const zipLevel = 4;

// A growing little-endian byte list.
class Bytes {
  constructor() {
    this.parts = [];
    this.length = 0;
  }
  add(bytes) {
    this.parts.push(bytes);
    this.length += bytes.length;
  }
  number(kind, value) {
    const b = new Uint8Array(kind === "u64" ? 8 : 4);
    const v = new DataView(b.buffer);
    if (kind === "i32") v.setInt32(0, value, true);
    else if (kind === "f32") v.setFloat32(0, value, true);
    else v.setBigUint64(0, BigInt(value), true);
    this.add(b);
  }
  text(s) {
    this.add(new TextEncoder().encode(s));
  }
  zeroEnded(s) {
    this.text(s);
    this.add(new Uint8Array(1));
  }
  joined() {
    const out = new Uint8Array(this.length);
    let at = 0;
    for (const p of this.parts) {
      out.set(p, at);
      at += p.length;
    }
    return out;
  }
}

function value(write) {
  const b = new Bytes();
  write(b);
  return b.joined();
}

function header(width, height, recipe) {
  const box = (b) => [0, 0, width - 1, height - 1].forEach((n) => b.number("i32", n));
  const attributes = {
    channels: ["chlist", value((b) => {
      b.zeroEnded("Y");
      [2, 0, 1, 1].forEach((n) => b.number("i32", n)); // float; linear 0 and 3 reserved bytes; sampling 1, 1
      b.add(new Uint8Array(1));
    })],
    compression: ["compression", new Uint8Array([3])],
    dataWindow: ["box2i", value(box)],
    displayWindow: ["box2i", value(box)],
    lineOrder: ["lineOrder", new Uint8Array([0])],
    pixelAspectRatio: ["float", value((b) => b.number("f32", 1))],
    screenWindowCenter: ["v2f", value((b) => [0, 0].forEach((n) => b.number("f32", n)))],
    screenWindowWidth: ["float", value((b) => b.number("f32", 1))],
  };
  if (recipe) attributes.glenvarRecipe = ["string", new TextEncoder().encode(recipe)];
  const b = new Bytes();
  b.add(new Uint8Array([0x76, 0x2f, 0x31, 0x01, 2, 0, 0, 0]));
  for (const name of Object.keys(attributes).sort()) {
    const [type, bytes] = attributes[name];
    b.zeroEnded(name);
    b.zeroEnded(type);
    b.number("i32", bytes.length);
    b.add(bytes);
  }
  b.add(new Uint8Array(1));
  return b.joined();
}

// OpenEXR's ZIP block: bytes split into even and odd halves, each byte then
// the difference to the one before, deflated; kept raw when that is no smaller.
function zipBlock(raw) {
  const t = new Uint8Array(raw.length);
  const half = (raw.length + 1) >> 1;
  for (let i = 0; i < raw.length; ++i) t[(i & 1 ? half : 0) + (i >> 1)] = raw[i];
  for (let i = t.length - 1; i > 0; --i) t[i] = (t[i] - t[i - 1] + 384) & 0xff;
  const packed = deflate(t, { level: zipLevel });
  return packed.length < raw.length ? packed : raw;
}

// samples: width x height altitudes already rounded to single precision, rows from the top.
export function heightmapExr(width, height, samples, recipe) {
  const head = header(width, height, recipe);
  const rowBytes = width * 4;
  const blocks = [];
  for (let y = 0; y < height; y += linesPerBlock) {
    const lines = Math.min(linesPerBlock, height - y);
    const raw = new Uint8Array(samples.buffer.slice(samples.byteOffset + y * rowBytes,
                                                    samples.byteOffset + (y + lines) * rowBytes));
    blocks.push([y, zipBlock(raw)]);
  }
  const out = new Bytes();
  out.add(head);
  let at = head.length + 8 * blocks.length;
  for (const [, data] of blocks) {
    out.number("u64", at);
    at += 8 + data.length;
  }
  for (const [y, data] of blocks) {
    out.number("i32", y);
    out.number("i32", data.length);
    out.add(data);
  }
  return out.joined();
}
