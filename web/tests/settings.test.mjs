// The page's stage settings against glenvar-cli: the same ranges and
// defaults, and every text glenvar-cli refuses (hex, exponents, NaN, out of
// range) refused by the page's reading and by its links' dialog.
/* global createGlenvar */
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { join } from "node:path";
import { startBrowser, openPage } from "./browser.js";

const fixture = join(import.meta.dirname ?? new URL(".", import.meta.url).pathname,
                     "..", "..", "tests", "fixtures", "DefaultTerrain.ld");
let session;

before(async () => {
  session = await startBrowser();
});
after(async () => {
  await session?.close();
});

// glenvar-cli render's {expected, got} for one value, or null when it takes it.
function cliRefusal(option, text) {
  const done = spawnSync(process.env.GLENVAR_CLI, ["render", fixture, `${option}=${text}`, "-o",
    "/nonexistent-dir/never-written.png"], { encoding: "utf8" });
  const told = done.stderr.match(/^glenvar-cli: (\S+): expected (.*), got (.*)\n$/);
  return told && told[1] === option ? { expected: told[2], got: told[3] } : null;
}

// The texts each number stage is tried with: glenvar-cli's grammar and its ranges.
const texts = (r) => ["0x10", "1e1", "1E0", "NaN", "nan", "Infinity", "inf", " 1", "1 ", "+1",
  "1.", ".5", "0.5", "-0", "", String(r.low), String(r.high), String(r.high + 1),
  String(r.low - 1), `${r.high}0`, "1e-400", "268435457"];

test("each stage row reads and refuses as glenvar-cli, with its range and default", async () => {
  const page = await openPage(session, "");
  const { rows, reads } = await page.evaluate(async (cases) => {
    const m = await createGlenvar();
    const rows = m.stageTable();
    const reads = rows.map((r) => cases[r.name]?.map((t) => m.parseStage(r.name, t)) ?? []);
    return { rows, reads };
  }, Object.fromEntries(["smooth", "erode", "erodibility", "thermal", "rivers", "edge"].map(
    (k) => [k, k === "edge" ? ["wrap", "repeat", "Wrap", "", "1"] : null])));
  assert.deepEqual(rows.map((r) => r.option),
                   ["--point", "--smooth", "--erode", "--erodibility", "--thermal", "--rivers",
                    "--regions", "--shade", "--edge", "--latitudes", "--lapse-rate",
                    "--wind-from", "--colours", "--uplift", "--deposition", "--diffusion",
                    "--cross-lakes", "--droplets", "--flow-directions"]);
  // The stage section is made from the rows: each field's id, labels and gloss
  // are its row's, and its control what the page had by hand.
  const fields = await page.$$eval("[aria-labelledby=shape-caption] .row", (divs) => divs.map((d) => {
    const [label, input] = [d.querySelector("label"), d.querySelector("input, select")];
    return { name: input.id, for: label.htmlFor, japanese: label.textContent,
             englishLabel: label.dataset.en, gloss: d.querySelector(".gloss").textContent,
             control: [input.type, input.getAttribute("step"), input.getAttribute("value")] };
  }));
  assert.deepEqual(fields.map(({ control, ...f }) => f),
                   rows.filter((r) => r.japanese).map((r) => ({
                     name: r.name, for: r.name, japanese: r.japanese,
                     englishLabel: r.englishLabel, gloss: r.gloss })));
  assert.deepEqual(fields.map((f) => [f.name, ...f.control]),
                   [["smooth", "range", null, "0"], ["erode", "number", "1", "0"],
                    ["erodibility", "number", "0.001", "0.01"], ["thermal", "number", "1", "0"],
                    ["rivers", "number", "100", "0"], ["shade", "checkbox", null, null],
                    ["edge", "checkbox", null, null], ["latitudes", "text", null, "90,-90"],
                    ["lapse-rate", "number", "0.1", "6.5"], ["wind-from", "select-one", null, null],
                    ["colours", "checkbox", null, null], ["uplift", "number", "0.0001", "0"],
                    ["deposition", "number", "0.1", "0"], ["diffusion", "number", "0.1", "0"],
                    ["cross-lakes", "checkbox", null, null], ["droplets", "number", "1000", "0"],
                    ["flow-directions", "checkbox", null, null]]);
  // The wind's list holds every word glenvar-cli takes, the default first.
  const wind = rows.find((r) => r.name === "wind-from");
  assert.deepEqual(await page.$$eval("#wind-from option", (o) => o.map((e) => e.value)),
                   wind.choices);
  const help = spawnSync(process.env.GLENVAR_CLI, ["render", "--help"], { encoding: "utf8" }).stdout;
  const numbers = rows.filter((r) => r.type === "integer" || r.type === "number");
  const tried = await page.evaluate(async (cases) => {
    const m = await createGlenvar();
    return cases.map(([name, t]) => m.parseStage(name, t));
  }, numbers.flatMap((r) => texts(r).map((t) => [r.name, t])));
  let i = 0;
  for (const r of numbers) {
    const block = help.slice(help.indexOf(`  ${r.option} `)).split("\n  -")[0];
    assert.ok(block.includes(`(default ${r.fallback}`), `${r.option}'s default`);
    for (const t of texts(r)) {
      const cli = cliRefusal(r.option, t);
      const read = tried[i++];
      if (cli) {
        assert.deepEqual({ expected: read.expected, got: read.got }, cli, `${r.option} ${t}`);
        assert.equal(r.expected, cli.expected);
      } else {
        assert.ok("value" in read && !("expected" in read), `${r.option} ${t} taken by both`);
      }
    }
  }
  const edge = reads[rows.findIndex((r) => r.name === "edge")];
  assert.deepEqual(edge.map((e) => e.value ?? null), ["wrap", "repeat", null, null, null]);
  // The texts of the latitudes, the wind and the colours, as glenvar-cli reads them.
  const words = { "--latitudes": ["60,10", "10,60", "90,-90", "91,0", "0,-90.5", "0x1,0", "60, 10",
                                  "60,", "60", "NaN,0", "1e1,0", ""],
                  "--wind-from": ["W", "west", "bands", "w", "West", "north-west", "NNE", ""],
                  "--colours": ["biomes", "heights", "Biomes", "1", ""],
                  "--flow-directions": ["mfd", "d8", "MFD", "d4", "1", ""] };
  const cases = Object.entries(words).flatMap(([option, list]) => list.map((t) => [option, t]));
  const choiceReads = await page.evaluate(async (cases, links) => {
    const m = await createGlenvar();
    return cases.map(([option, t]) => m.parseStage(links[option], t));
  }, cases, Object.fromEntries(rows.map((r) => [r.option, r.name])));
  for (const [k, [option, t]] of cases.entries()) {
    const cli = cliRefusal(option, t);
    const read = choiceReads[k];
    if (cli) assert.deepEqual({ expected: read.expected, got: read.got }, cli, `${option} ${t}`);
    else assert.ok("value" in read && !("expected" in read), `${option} ${t} taken by both`);
  }
  await page.close();
});

test("a link's stage value that glenvar-cli refuses gets the dialog's message", async () => {
  for (const [query, said] of [["smooth=0x10", "0 から 32 までの整数を入力してください。"],
                               ["erode=1e1", "0 から 1000 までの整数を入力してください。"],
                               ["erodibility=NaN", "0 から 1 までの数値を入力してください。"],
                               ["rivers=268435457",
                                "0 から 268435456 までの整数を入力してください。"],
                               ["lapse-rate=15.5", "0 から 15 までの数値を入力してください。"],
                               ["latitudes=10,60",
                                "緯度には -90 から 90 までの数値を 北,南 の順に指定してください。"],
                               ["colours=grey", "植生図には heights, biomes のいずれかを指定して" +
                                "ください。"],
                               ["uplift=0.02", "0 から 0.01 までの数値を入力してください。"],
                               ["droplets=1.5", "0 から 67108864 までの整数を入力してください。"],
                               ["flow-directions=MFD",
                                "多方向流には d8, mfd のいずれかを指定してください。"]]) {
    const page = await openPage(session, query);
    assert.equal(await page.$eval("#message-text", (e) => e.textContent), said, query);
    await page.close();
  }
});
