// The page's own texts, in Japanese (the page's default, as the desktop
// program's) and English. Texts written in index.html carry their English in
// data-en; the Japanese stays in the page itself.

export const fileLimit = 1073741824; // 1 GiB: the file, its copy in the module and the map fit in 4 GiB

// glenvar-cli's refusals of imported heights (pipeline/ImportedHeights.cpp), in Japanese.
const japaneseHeightRefusals = [
  [/^the raster has (\d+) x (\d+) cells; at least 2 x 2 are needed$/,
    (w, h) => `${w} × ${h} ｾﾙしかありません (2 × 2 ｾﾙ以上が必要です)`],
  [/^cell (\d+),(\d+) holds (NaN|an infinity), which is no height$/,
    (x, y, v) => `ｾﾙ ${x},${y} が${v === "NaN" ? " NaN " : "無限大"}で、高さではありません`],
  [/^every cell is NoData$/, () => "すべてのｾﾙが NoData です"],
  [/^every cell holds the same height; there is no land to shape$/,
    () => "すべてのｾﾙが同じ高さで、形作る土地がありません"],
  [/^the NoData value lies inside the range of the heights/,
    () => "NoData の値が高さの範囲内にあり、本当の高さと区別できません"],
];

const texts = {
  ja: {
    tooLarge: `ﾌｧｲﾙが大きすぎます。このﾍﾟｰｼﾞで開けるのは ${fileLimit} ﾊﾞｲﾄ (1 GiB) までです。`,
    unreadable: "ﾌｧｲﾙを読み込めませんでした。",
    workerFailed: "計算部を起動できませんでした。ﾍﾟｰｼﾞを読み込み直してください。",
    failed: "処理に失敗しました。",
    enterNumberInRange: (lo, hi) => `${lo} から ${hi} までの数値を入力してください。`,
    map: (w, h) => `地図 ${w} × ${h} ｾﾙ`,
    noMap: "地図なし",
    surface: "3D表示: ﾄﾞﾗｯｸﾞか矢印ｷｰで回転、ﾎｲｰﾙ・ﾋﾟﾝﾁか + − ｷｰで拡大縮小",
    surfaceView: (turn, tilt, distance) => `方位 ${turn}°、俯角 ${tilt}°、距離 ${distance}`,
    noWebGL: "このﾌﾞﾗｳｻﾞでは3D表示を使えません (WebGL がありません)。",
    edgeValues: "edge には repeat か wrap を指定してください。",
    choiceValues: (name, words) => `${name}には ${words} のいずれかを指定してください。`,
    spanValues: (name, lo, hi) =>
      `${name}には ${lo} から ${hi} までの数値を 北,南 の順に指定してください。`,
    biomeShare: (share) => `陸地の ${share}%`,
    noRecipe: "この画像には地図の作り方が記録されていません。",
    heavyLink: (job) => `このﾘﾝｸの地図は作るのに時間がかかります: ${job.width} × ${job.height} ｾﾙ` +
      (job.smooth > 0 ? `、平滑化 ${job.smooth}` : "") +
      (job.erode > 0 ? `、侵食 ${job.erode} 回` : "") +
      (job.thermal > 0 ? `、崩落 ${job.thermal} 回` : "") +
      (job.droplets > 0 ? `、水滴 ${job.droplets} 個` : "") +
      "。「開始」を押すと作り始めます (途中で Esc か「ｷｬﾝｾﾙ」で止められます)。",
    // The stages' progress; the generation's phases are the desktop program's.
    "phase-smoothing": "平滑化",
    "phase-eroding": "侵食",
    "phase-talus": "崩落",
    "phase-draining": "排水",
    steps: (done, total) => `${done} / ${total}`,
    placementTouch: "地図をﾀｯﾌﾟして集中点を置き、「完了」で地図を作ります。",
    // Heights from a file.
    notHeightPng: (name) => `${name} は16ﾋﾞｯﾄ ｸﾞﾚｰの高さ画像ではなく、地図の作り方も記録されていません。`,
    heightsTooLarge: (w, h, side) =>
      `高さのﾌｧｲﾙが大きすぎます (${w} × ${h} ｾﾙ)。このﾍﾟｰｼﾞで開けるのは ${side} × ${side} ｾﾙまでです。`,
    notOneBand: (name, n) => `${name} には ${n} 個のﾊﾞﾝﾄﾞがあります。高さのﾌｧｲﾙはﾊﾞﾝﾄﾞ 1 個です。`,
    unreadableHeights: (name, why) => `${name} を高さとして読み込めませんでした (${why})。`,
    // The refusals of imported heights glenvar-cli words; others as the desktop program words them.
    heightsRefused: (name, why, desktop) => {
      for (const [pattern, worded] of japaneseHeightRefusals) {
        const m = why.match(pattern);
        if (m) return `${name} を開けません: ${worded(...m.slice(1))}。`;
      }
      return desktop;
    },
  },
  en: {
    tooLarge: `The file is too large: this page opens files of up to ${fileLimit} bytes (1 GiB).`,
    unreadable: "The file could not be read.",
    workerFailed: "The page's generator could not start. Please reload the page.",
    failed: "The operation failed.",
    enterNumberInRange: (lo, hi) => `Enter a number from ${lo} to ${hi}.`,
    map: (w, h) => `Map of ${w} × ${h} cells`,
    noMap: "No map",
    surface: "3D view: drag or arrow keys to turn, wheel, pinch or + − keys to zoom",
    surfaceView: (turn, tilt, distance) =>
      `Facing ${turn}°, looking down ${tilt}°, distance ${distance}`,
    // The progress window's texts, which in Japanese are the desktop program's.
    phaseGenerate: "Generating",
    phaseRender: "Drawing",
    preparing: "Preparing",
    normalising: "Normalising",
    noWebGL: "This browser cannot show the 3D view (no WebGL).",
    edgeValues: "The edge is either repeat or wrap.",
    choiceValues: (name, words) => `${name}: choose one of ${words}.`,
    spanValues: (name, lo, hi) =>
      `${name}: enter two numbers from ${lo} to ${hi}, north first, as N,S.`,
    biomeShare: (share) => `${share}% of the land`,
    noRecipe: "This picture holds no recipe of a map this page can make.",
    heavyLink: (job) => `This link's map takes a while to make: ${job.width} × ${job.height} cells` +
      (job.smooth > 0 ? `, smoothing radius ${job.smooth}` : "") +
      (job.erode > 0 ? `, ${job.erode} erosion steps` : "") +
      (job.thermal > 0 ? `, ${job.thermal} talus steps` : "") +
      (job.droplets > 0 ? `, ${job.droplets} droplets` : "") +
      ". Press Start to make it (Esc or Cancel stops it midway).",
    "phase-smoothing": "Smoothing",
    "phase-eroding": "Eroding",
    "phase-talus": "Talus",
    "phase-draining": "Draining",
    steps: (done, total) => `${done} of ${total}`,
    // Refusals of a value out of range, named by the setting's English description.
    enterPositiveInteger: (name) => `${name}: enter a whole number of 0 or more.`,
    enterInteger: (name) => `${name}: enter a whole number.`,
    enterIntegerInRange: (name, lo, hi) => `${name}: enter a whole number from ${lo} to ${hi}.`,
    enterNumberInRangeOf: (name, lo, hi) => `${name}: enter a number from ${lo} to ${hi}.`,
    placementTouch: "Tap the map to place the concentration points; Done makes the map.",
    generateFailed: (why) => `The map could not be made: ${why}.`,
    meshFailed: (why) => `The 3D model could not be made: ${why}.`,
    loadFailed: (name, why) => `${name} could not be opened: ${why}.`,
    notHeightPng: (name) => `${name} is no 16-bit grey heightmap and holds no recipe of a map: ` +
      "this page opens 16-bit grey PNG heightmaps.",
    heightsTooLarge: (w, h, side) => `The heightmap is too large: ${w} × ${h} cells; ` +
      `this page opens heightmaps of up to ${side} × ${side} cells.`,
    notOneBand: (name, n) => `${name}: a heightmap has one band; this raster has ${n}.`,
    unreadableHeights: (name, why) => `${name} could not be read as heights (${why}).`,
    heightsRefused: (name, why) => `${name} could not be opened: ${why}.`,
  },
};

let language = "ja";
// Element -> its Japanese text or name, kept for switching back.
const japanese = new Map();
const japaneseLabels = new Map();

export function text(key, ...args) {
  const t = texts[language][key];
  return typeof t === "function" ? t(...args) : t;
}

export function currentLanguage() {
  return language;
}

// Rewrites every element that carries data-en (its text) or data-en-label (its name).
export function setLanguage(next, root = document) {
  language = next === "en" ? "en" : "ja";
  document.documentElement.lang = language;
  for (const e of root.querySelectorAll("[data-en]")) {
    if (!japanese.has(e)) japanese.set(e, e.textContent);
    e.textContent = language === "en" ? e.dataset.en : japanese.get(e);
  }
  for (const e of root.querySelectorAll("[data-en-label]")) {
    if (!japaneseLabels.has(e)) japaneseLabels.set(e, e.getAttribute("aria-label"));
    e.setAttribute("aria-label", language === "en" ? e.dataset.enLabel : japaneseLabels.get(e));
  }
}
