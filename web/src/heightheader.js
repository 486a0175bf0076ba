// What a file's first bytes say of the heights it holds, without decoding
// them: for the page to choose how to open it.

const pngSignature = [137, 80, 78, 71, 13, 10, 26, 10];
const isTiff = (b) => (b[0] === 0x49 && b[1] === 0x49 && (b[2] === 42 || b[2] === 43) && b[3] === 0)
  || (b[0] === 0x4d && b[1] === 0x4d && b[2] === 0 && (b[3] === 42 || b[3] === 43));

// "png" or "tiff" by the file's first bytes; null for neither.
export function heightFileKind(bytes) {
  if (pngSignature.every((b, i) => bytes[i] === b)) return "png";
  return bytes.length >= 8 && isTiff(bytes) ? "tiff" : null;
}

// The PNG's header (the first chunk, IHDR): {width, height, depth, colourType}; null when cut short.
export function pngHeader(bytes) {
  if (bytes.length < 33) return null;
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  return { width: view.getUint32(16), height: view.getUint32(20), depth: bytes[24],
           colourType: bytes[25] };
}

export const isHeightPng = (header) => header !== null && header.depth === 16 && header.colourType === 0;
