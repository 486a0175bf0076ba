// PNG files of the map picture (8-bit RGB, as glenvar-cli writes it) and of
// the heights (16-bit grey), each with the recipe that rebuilds it in an iTXt
// chunk under glenvar-cli's keyword; and the recipe read back from a PNG.
import { encode } from "fast-png";

const keyword = "glenvar recipe";
const signature = [137, 80, 78, 71, 13, 10, 26, 10];

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// The uncompressed iTXt chunk: keyword, no compression, no language, no translated keyword.
export function recipeChunk(recipe) {
  const data = new Uint8Array([...new TextEncoder().encode(keyword), 0, 0, 0, 0, 0,
                               ...new TextEncoder().encode(recipe)]);
  const chunk = new Uint8Array(12 + data.length);
  const view = new DataView(chunk.buffer);
  view.setUint32(0, data.length);
  chunk.set(new TextEncoder().encode("iTXt"), 4);
  chunk.set(data, 8);
  view.setUint32(8 + data.length, crc32(chunk.subarray(4, 8 + data.length)));
  return chunk;
}

// The recipe right after the header chunk (signature 8 bytes, IHDR 25), as libpng puts it.
function withRecipe(png, recipe) {
  if (!recipe) return png;
  const chunk = recipeChunk(recipe);
  const out = new Uint8Array(png.length + chunk.length);
  out.set(png.subarray(0, 33));
  out.set(chunk, 33);
  out.set(png.subarray(33), 33 + chunk.length);
  return out;
}

export function picturePng(width, height, rgba, recipe) {
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) {
    rgb[i] = rgba[j];
    rgb[i + 1] = rgba[j + 1];
    rgb[i + 2] = rgba[j + 2];
  }
  return withRecipe(encode({ width, height, data: rgb, channels: 3, depth: 8 }), recipe);
}

export function heightmapPng(width, height, samples, recipe) {
  return withRecipe(encode({ width, height, data: samples, channels: 1, depth: 16 }), recipe);
}

// Raw little-endian 16-bit samples, as glenvar-cli's .r16.
export function heightmapR16(samples) {
  const bytes = new Uint8Array(samples.length * 2);
  const view = new DataView(bytes.buffer);
  samples.forEach((s, i) => view.setUint16(2 * i, s, true));
  return bytes;
}

export const isPng = (bytes) => signature.every((b, i) => bytes[i] === b);

// The recipe of a PNG's uncompressed iTXt chunk under our keyword; null when it has none.
export function pngRecipe(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const latin1 = new TextDecoder("latin1");
  for (let at = 8; at + 12 <= bytes.length;) {
    const length = view.getUint32(at);
    const type = latin1.decode(bytes.subarray(at + 4, at + 8));
    if (type === "IEND") break;
    const data = bytes.subarray(at + 8, Math.min(at + 8 + length, bytes.length));
    const end = data.indexOf(0);
    if (type === "iTXt" && latin1.decode(data.subarray(0, end)) === keyword && data[end + 1] === 0) {
      const language = data.indexOf(0, end + 3);
      const translated = language < 0 ? -1 : data.indexOf(0, language + 1);
      if (translated >= 0) return new TextDecoder().decode(data.subarray(translated + 1));
    }
    at += 12 + length;
  }
  return null;
}
