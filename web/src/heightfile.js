// Heights from a file the page opens, read as glenvar-cli's `shape` reads the
// same file: a 16-bit grey PNG heightmap (0..1 over its samples), or a
// single-band TIFF (Glenvar's float heights, or an elevation model in metres
// or feet with GDAL's NoData, unit, scale and offset). The size is checked
// from the header, before any sample is decoded.
import { decode } from "fast-png";
import { fromArrayBuffer } from "geotiff";
import { heightFileKind, isHeightPng, pngHeader } from "./heightheader.js";

// A refusal for the page to word: {refused: key, args}.
const refusal = (refused, ...args) => ({ refused, args });

// The limit is a side's largest count of cells, as the page grows maps.
const tooLarge = (width, height, side) =>
  !(width <= side && height <= side) ? refusal("heightsTooLarge", width, height, side) : null;

function fromPng(bytes, name, side) {
  const header = pngHeader(bytes);
  if (!isHeightPng(header)) return refusal("notHeightPng", name);
  const large = tooLarge(header.width, header.height, side);
  if (large) return large;
  let png;
  try {
    png = decode(bytes);
  } catch (e) {
    return refusal("unreadableHeights", name, String(e?.message ?? e));
  }
  const heights = Float64Array.from(png.data, (s) => s / 65535);
  // A transparent grey is GDAL's NoData: the cells holding that sample.
  const noDataValue = png.transparency?.length === 1 ? png.transparency[0] : null;
  const noData = noDataValue === null ? null : Uint8Array.from(png.data, (s) => s === noDataValue);
  return { heights: { name, sampleType: "UInt16 PNG", units: "unitless", sampleBits: 16,
                      width: png.width, height: png.height, heights, noData, noDataValue } };
}

// GDAL's sample type names, by TIFF sample format (1 unsigned, 2 signed, 3 float) and bits.
const sampleTypes = { "1,8": "Byte", "1,16": "UInt16", "1,32": "UInt32", "2,16": "Int16",
                      "2,32": "Int32", "3,32": "Float32", "3,64": "Float64" };

// GDAL's PROJ-free sign of a coordinate system: a model type or a CRS key.
const hasCrs = (keys) => keys !== null && ["GTModelTypeGeoKey", "ProjectedCSTypeGeoKey",
  "GeographicTypeGeoKey"].some((k) => keys[k] !== undefined && keys[k] !== 0);

function unitsOf(unitType) {
  const text = String(unitType ?? "").toLowerCase();
  return ["ft", "foot", "feet"].some((w) => text.includes(w)) ? "foot" : "metre";
}

async function fromTiff(bytes, name, side) {
  let image;
  try {
    const tiff = await fromArrayBuffer(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength));
    image = await tiff.getImage();
  } catch (e) {
    return refusal("unreadableHeights", name, String(e?.message ?? e));
  }
  const width = image.getWidth(), height = image.getHeight();
  const bands = image.getSamplesPerPixel();
  if (bands !== 1) return refusal("notOneBand", name, bands);
  const sampleType = sampleTypes[`${image.getSampleFormat()},${image.getBitsPerSample()}`];
  if (!sampleType) return refusal("unreadableHeights", name, "sample type");
  const large = tooLarge(width, height, side);
  if (large) return large;
  let raster;
  try {
    [raster] = await image.readRasters();
  } catch (e) {
    return refusal("unreadableHeights", name, String(e?.message ?? e));
  }
  const heights = Float64Array.from(raster);
  const noDataValue = image.getGDALNoData();
  let noData = null;
  if (noDataValue !== null) {
    noData = new Uint8Array(heights.length);
    for (let i = 0; i < heights.length; ++i) {
      const v = heights[i];
      noData[i] = v === noDataValue || (Number.isNaN(noDataValue) && Number.isNaN(v)) ? 1 : 0;
    }
  }
  const file = { name, sampleType, units: "unitless", sampleBits: sampleType === "Float32" ? 32 : 64,
                 width, height, heights, noData, noDataValue };
  // As GDAL reads them: Glenvar's own heights say so; a float raster with no
  // coordinate system and no NoData whose heights all lie in 0..1 is one of
  // Glenvar's too; everything else is an elevation model in its band's unit.
  const metadata = (await image.getGDALMetadata(null)) ?? {};
  if (metadata.GLENVAR_HEIGHTS !== undefined) return { heights: file };
  const floats = sampleType.startsWith("Float");
  if (floats && !hasCrs(image.getGeoKeys()) && noData === null &&
      heights.every((v) => v >= 0 && v <= 1))
    return { heights: file };
  const band = (await image.getGDALMetadata(0)) ?? {};
  file.units = unitsOf(band.UNITTYPE);
  const scale = band.SCALE !== undefined ? Number(band.SCALE) : 1;
  const offset = band.OFFSET !== undefined ? Number(band.OFFSET) : 0;
  if (scale !== 1 || offset !== 0)
    for (let i = 0; i < heights.length; ++i)
      if (noData === null || !noData[i]) heights[i] = heights[i] * scale + offset;
  return { heights: file };
}

// {heights: what glenvar.importHeights takes} or a refusal; `side` is the
// largest side the page takes, in cells.
export async function readHeightFile(bytes, name, side) {
  const kind = heightFileKind(bytes);
  if (kind === "png") return fromPng(bytes, name, side);
  if (kind === "tiff") return fromTiff(bytes, name, side);
  return refusal("unreadableHeights", name, "format");
}
