// A value the form refuses, in the page's language: in Japanese the desktop
// program's own messages, exactly; in English named by the setting's English
// description (the parameter table's or the settings row's), as glenvar-cli
// and Python name it.
import { currentLanguage, text } from "./texts.js";

const named = (row) => row.description.charAt(0).toUpperCase() + row.description.slice(1);

// kind: "integerInRange", "numberInRange", "integer" or "positiveInteger";
// desktop: the desktop program's texts (glenvar.texts()).
export function refusalText(desktop, kind, row, low, high) {
  if (currentLanguage() === "en") {
    if (kind === "integerInRange") return text("enterIntegerInRange", named(row), low, high);
    if (kind === "numberInRange") return text("enterNumberInRangeOf", named(row), low, high);
    return text(kind === "integer" ? "enterInteger" : "enterPositiveInteger", named(row));
  }
  if (kind === "integerInRange")
    return desktop.enterIntegerInRange.replace("%1", low).replace("%2", high);
  if (kind === "numberInRange") return text("enterNumberInRange", low, high);
  return kind === "integer" ? desktop.enterInteger : desktop.enterPositiveInteger;
}
