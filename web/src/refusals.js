// A value the form refuses, in the page's language: in Japanese the desktop
// program's own messages, exactly; in English named as the field is named in
// English (the settings row's English label, the parameter table's English
// description).
import { currentLanguage, text } from "./texts.js";

// The name the field shows in English: a stage row's label, a parameter's description.
const named = (row) => {
  const name = row.englishLabel || row.description;
  return name.charAt(0).toUpperCase() + name.slice(1);
};

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
