// The puzzle's web page for 225 pieces: its size against the stored JPEGs, and the time to the
// first drawn palette against the browser's own time to show the same JPEG in a plain page,
// both in headless Chromium with the CPU throttled 4× (a phone-class CPU), printed as ratios.
//
//   node web_page_bench.mjs TESSALUNE
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { Browser, findChromium } from "../tests/web/cdp.mjs";

const tessalune = process.argv[2];
const chromium = findChromium();
if (!tessalune || !chromium) {
  console.error("usage: node web_page_bench.mjs TESSALUNE (needs Chromium)");
  process.exit(2);
}
const work = fs.mkdtempSync(path.join(os.tmpdir(), "tessalune-web-bench-"));
const run = (program, args) => {
  const done = spawnSync(program, args, { encoding: "utf8" });
  if (done.status !== 0) throw new Error(`${program} ${args.join(" ")}: ${done.stderr}`);
};
// Photograph-like pictures: plasma noise compresses about as a photograph does.
run("convert", ["-seed", "7", "-size", "1600x1200", "plasma:fractal", "-blur", "0x1", path.join(work, "source.png")]);
run("convert", ["-seed", "8", "-size", "1200x900", "plasma:fractal", "-blur", "0x1", path.join(work, "alternative.png")]);
run(tessalune, ["--make", path.join(work, "source.png"), path.join(work, "puzzle"), "--cols", "15", "--rows", "15",
  "--alternative", path.join(work, "alternative.png"), "--html", "--seed", "1"]);

const page = fs.readFileSync(path.join(work, "puzzle.html"), "latin1");
const stored = [...page.matchAll(/src="data:image\/jpeg;base64,([^"]*)"/g)].map((m) => Buffer.from(m[1], "base64"));
const jpegBytes = stored.reduce((sum, b) => sum + b.length, 0);
const limit = 1.37 * jpegBytes + 150 * 1024;
console.log(`page size ${page.length} bytes; stored JPEGs ${jpegBytes} bytes (${stored.length} pictures)`);
console.log(`page size / (1.37 x JPEGs + 150 KB) = ${(page.length / limit).toFixed(3)} (at most 1)`);

fs.writeFileSync(path.join(work, "plain.html"),
  `<!DOCTYPE html><html><body style="margin:0"><img src="data:image/jpeg;base64,${stored[0].toString("base64")}"></body></html>`);

const browser = await Browser.launch(chromium);
try {
  const tab = await browser.newPage();
  await tab.send("Page.enable");
  await tab.send("Emulation.setDeviceMetricsOverride", { width: 1280, height: 800, deviceScaleFactor: 1, mobile: false });
  await tab.send("Emulation.setCPUThrottlingRate", { rate: 4 });
  const timeOf = async (file, expression) => {
    await tab.evaluate("localStorage.clear()").catch(() => {});
    await tab.send("Page.navigate", { url: "file://" + path.join(work, file) });
    return tab.waitFor(expression, 60000);
  };
  // The plain page shows nothing but the picture, so its first contentful paint is the picture.
  const shownJpeg = `(performance.getEntriesByType("paint").find((e) => e.name === "first-contentful-paint") || {}).startTime`;
  const page_ = [], plain = [];
  for (let k = 0; k < 5; k++) {
    page_.push(await timeOf("puzzle.html", "window.tessaluneFirstPalette"));
    plain.push(await timeOf("plain.html", shownJpeg));
  }
  const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
  console.log(`first drawn palette ${median(page_).toFixed(0)} ms, plain JPEG shown ${median(plain).toFixed(0)} ms (CPU 4x slower)`);
  console.log(`first palette / plain JPEG = ${(median(page_) / median(plain)).toFixed(2)} (at most 2)`);
} finally {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
}
