import { startBrowser, openPage } from "./browser.js";
const s = await startBrowser();
const page = await openPage(s, process.argv[2] ?? "");
page.on("console", (m) => console.log("console:", m.text()));
console.log(await page.$eval("#report", (e) => e.textContent));
console.log(await page.evaluate(() => [document.getElementById("map").width, document.getElementById("map").height, location.href]));
await page.screenshot({ path: "/tmp/wt14/shot.png" });
await s.close();
