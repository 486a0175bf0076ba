// The progress window's phase and share for each report from the worker. The
// generation's phases and drawing keep the desktop program's words; the
// stages after it (and any stage added later, under the name the module
// gives it) are named as the page names them.
import { currentLanguage, text } from "./texts.js";

const generation = { preparing: "phaseGenerate", stamping: "phaseGenerate",
                     normalising: "phaseGenerate" };

// {label, status, share} of a report {phase, done, total}; percent(x) writes x %.
export function progressShown({ phase, done, total }, desktopTexts, percent) {
  const t = (key) => (currentLanguage() === "ja" && key in desktopTexts ? desktopTexts[key] : text(key));
  const share = total > 0 ? Math.min(1, done / total) : 0;
  const shownPercent = percent(share * 100);
  if (phase === "") return { label: "", status: "", share: 0 };
  if (phase === "preparing") return { label: t("phaseGenerate"), status: t("preparing"), share: 0 };
  if (phase === "normalising") return { label: t("phaseGenerate"), status: t("normalising"), share: 1 };
  if (phase === "done") return { label: t("phaseRender"), status: percent(0), share: 0 };
  if (phase === "rendering") return { label: t("phaseRender"), status: shownPercent, share };
  if (phase in generation) return { label: t(generation[phase]), status: shownPercent, share };
  const label = text(`phase-${phase}`) ?? phase;
  const steps = total > 0 ? text("steps", done, total) : "";
  return { label, status: steps ? `${shownPercent} (${steps})` : shownPercent, share };
}
