// The biome picture's key: each biome the map's land holds, its colour, its
// name in the page's language and its share of the land, from the module's
// table (glenvar.biomeTable()) and the shown map's land cells by biome id.
import { currentLanguage, text } from "./texts.js";

// Fills the list; false (and an empty list) when the map shows no biomes or
// has no land.
export function showLegend(list, table, cells) {
  list.replaceChildren();
  if (!cells || cells.length === 0) return false;
  let land = 0;
  for (const c of cells) land += c;
  for (const [id, biome] of table.entries()) {
    if (!(cells[id] > 0)) continue;
    const item = document.createElement("li");
    item.dataset.biome = biome.key;
    const swatch = document.createElement("span");
    swatch.className = "swatch";
    swatch.style.background = biome.colour;
    const name = document.createElement("span");
    name.textContent = currentLanguage() === "en" ? biome.english : biome.japanese;
    // The same share as glenvar-cli info --json gives, a percent of the land.
    const share = document.createElement("span");
    share.className = "share";
    share.textContent = text("biomeShare", ((cells[id] * 100) / land).toFixed(1));
    item.append(swatch, name, share);
    list.append(item);
  }
  return list.children.length > 0;
}
