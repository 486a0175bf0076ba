// The map picture's PNG byte for byte as glenvar-cli writes it (libpng 1.6,
// zlib level 3), so that the .glb that embeds it is glenvar-cli's too: each
// row filtered as libpng's adaptive choice does (the least sum of bytes taken
// as signed, the earlier filter on a tie), the stream deflated by pako (a
// port of zlib, the same bytes at the same settings), its window narrowed for
// small pictures and its IDAT chunks 8192 bytes as libpng makes them.
import { deflate } from "pako";
import { recipeChunk } from "./png.js";

const level = 3; // export/PngFile.cpp
const idatSize = 8192; // libpng's compression buffer
const signature = [137, 80, 78, 71, 13, 10, 26, 10];

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function chunk(type, data) {
  const out = new Uint8Array(12 + data.length);
  const view = new DataView(out.buffer);
  view.setUint32(0, data.length);
  for (let i = 0; i < 4; ++i) out[4 + i] = type.charCodeAt(i);
  out.set(data, 8);
  let c = 0xffffffff;
  for (let i = 4; i < 8 + data.length; ++i) c = crcTable[(c ^ out[i]) & 0xff] ^ (c >>> 8);
  view.setUint32(8 + data.length, (c ^ 0xffffffff) >>> 0);
  return out;
}

function paeth(a, b, c) {
  const pa = Math.abs(b - c), pb = Math.abs(a - c), pc = Math.abs(b - c + a - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Row bytes under filter f (0 none, 1 sub, 2 up, 3 average, 4 Paeth) into `to`.
function filter(f, row, prev, bpp, to) {
  for (let i = 0; i < row.length; ++i) {
    const a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
    const p = f === 0 ? 0 : f === 1 ? a : f === 2 ? b : f === 3 ? (a + b) >> 1 : paeth(a, b, c);
    to[i] = row[i] - p;
  }
}

// One row's filter byte and bytes, as libpng picks them: the least sum of
// the bytes taken as signed, the earlier filter on a tie. (A map has at least
// 2 x 2 cells: libpng's rules for pictures one pixel wide or high never apply.)
function filtered(row, prev, bpp, scratch) {
  const out = new Uint8Array(row.length + 1);
  let least = Infinity;
  for (let f = 0; f < 5; ++f) {
    filter(f, row, prev, bpp, scratch);
    let sum = 0;
    for (const v of scratch) sum += v < 128 ? v : 256 - v;
    if (sum < least) {
      least = sum;
      out[0] = f;
      out.set(scratch, 1);
    }
  }
  return out;
}

// libpng's zlib window: the smallest that holds a small image's data.
function windowBits(size) {
  let bits = 15;
  if (size <= 16384) {
    for (let half = 1 << (bits - 1); size + 262 <= half; half >>= 1) --bits;
  }
  return bits;
}

// libpng rewrites the first IDAT's stream header to the least window that holds the data.
function narrowHeader(z, size) {
  if (size > 16384 || (z[0] & 0x0f) !== 8 || (z[0] & 0xf0) > 0x70) return;
  let info = z[0] >> 4;
  let half = 1 << (info + 7);
  if (size > half) return;
  do {
    half >>= 1;
    --info;
  } while (info > 0 && size <= half);
  z[0] = (z[0] & 0x0f) | (info << 4);
  const flags = z[1] & 0xe0;
  z[1] = flags + 0x1f - (((z[0] << 8) + flags) % 0x1f);
}

export function libpngPicturePng(width, height, rgba, recipe) {
  const rowBytes = width * 3;
  const raw = new Uint8Array(height * (rowBytes + 1));
  let prev = new Uint8Array(rowBytes);
  const scratch = new Uint8Array(rowBytes);
  for (let y = 0; y < height; ++y) {
    const row = new Uint8Array(rowBytes);
    for (let x = 0, i = y * width * 4; x < rowBytes; x += 3, i += 4) {
      row.set(rgba.subarray(i, i + 3), x);
    }
    raw.set(filtered(row, prev, 3, scratch), y * (rowBytes + 1));
    prev = row;
  }
  const size = raw.length;
  const z = deflate(raw, { level, windowBits: windowBits(size), memLevel: 8 });
  narrowHeader(z, size);
  const header = new Uint8Array(13);
  const view = new DataView(header.buffer);
  view.setUint32(0, width);
  view.setUint32(4, height);
  header.set([8, 2, 0, 0, 0], 8); // 8-bit RGB, deflate, adaptive filtering, not interlaced
  const parts = [Uint8Array.from(signature), chunk("IHDR", header)];
  if (recipe) parts.push(recipeChunk(recipe));
  for (let at = 0; at < z.length; at += idatSize) {
    parts.push(chunk("IDAT", z.subarray(at, at + idatSize)));
  }
  parts.push(chunk("IEND", new Uint8Array()));
  const out = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
  let at = 0;
  for (const p of parts) {
    out.set(p, at);
    at += p.length;
  }
  return out;
}
