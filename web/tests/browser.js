// The site served from its folder and Debian's chromium driven through
// puppeteer-core, shared by the browser tests and the benchmark.
import { createServer } from "node:http";
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync } from "node:fs";
import { tmpdir } from "node:os";
import { extname, join, normalize } from "node:path";
import puppeteer from "puppeteer-core";

const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css",
  ".wasm": "application/wasm", ".png": "image/png", ".webmanifest": "application/manifest+json",
};

function serve(folder) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, "http://x").pathname));
    try {
      const body = readFileSync(join(folder, path === "/" ? "index.html" : path));
      const type = types[extname(path)] ?? "application/octet-stream";
      response.writeHead(200, { "content-type": type });
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

export async function startBrowser() {
  const server = await serve(process.env.GLENVAR_SITE);
  const profile = mkdtempSync(join(tmpdir(), "glenvar-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking",
           "--disable-component-update", "--disable-sync", "--no-first-run",
           // Containers often have a small /dev/shm.
           "--disable-dev-shm-usage", "--window-size=1400,900",
           // WebGL (the 3D view) on the CPU, with no GPU in CI.
           "--use-angle=swiftshader", "--enable-unsafe-swiftshader"],
  });
  const base = `http://127.0.0.1:${server.address().port}/index.html`;
  return {
    browser,
    base,
    server,
    async close() {
      await browser.close();
      server.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A download into the folder once Chromium has finished it: it may reserve
// NAME empty while it writes a .crdownload, renamed into place when complete.
export async function downloadedFile(folder, name, seconds = 60) {
  const target = join(folder, name);
  const complete = () => existsSync(target) && statSync(target).size > 0 &&
    !readdirSync(folder).some((f) => f.endsWith(".crdownload"));
  for (let i = 0; i < seconds * 10 && !complete(); ++i) {
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  return readFileSync(target);
}

// Counts, as window.generations, the generations the page sends its worker
// from the next page load on.
export async function countGenerations(page) {
  await page.evaluateOnNewDocument(() => {
    window.generations = 0;
    const post = Worker.prototype.postMessage;
    Worker.prototype.postMessage = function (data, ...rest) {
      if (data?.op === "generate") ++window.generations;
      return post.call(this, data, ...rest);
    };
  });
}

// A page opened at the query, once its first map is shown.
export async function openPage(session, query, downloads) {
  const page = await session.browser.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  if (downloads) {
    const cdp = await page.createCDPSession();
    await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  }
  await page.goto(query ? `${session.base}?${query}` : session.base);
  await page.waitForSelector("body[data-ready='1']", { timeout: 120000 });
  return page;
}
