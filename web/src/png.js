// PNG files of the map picture (8-bit RGB, as glenvar-cli writes it) and of
// the heights (16-bit grey).
import { encode } from "fast-png";

export function picturePng(width, height, rgba) {
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) {
    rgb[i] = rgba[j];
    rgb[i + 1] = rgba[j + 1];
    rgb[i + 2] = rgba[j + 2];
  }
  return encode({ width, height, data: rgb, channels: 3, depth: 8 });
}

export function heightmapPng(width, height, samples) {
  return encode({ width, height, data: samples, channels: 1, depth: 16 });
}
