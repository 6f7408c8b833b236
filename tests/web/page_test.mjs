// The puzzle's web page in a real headless browser: a puzzle made with --html shows its palette,
// plays to the end by dragging, keeps its game across a reload and in a saved copy, shows its
// texts as text, refuses a damaged saved game, and sends no request anywhere.
//
//   node page_test.mjs TESSALUNE PICTURE [--shots DIR]
// Exits 77 (skipped) when no Chromium is installed.
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { Browser, findChromium } from "./cdp.mjs";

const [tessalune, picture, ...rest] = process.argv.slice(2);
const shotsDir = rest[0] === "--shots" ? rest[1] : null;
const chromium = findChromium();
if (!chromium) {
  console.log("SKIPPED: no Chromium installed");
  process.exit(77);
}

let failures = 0;
function check(condition, what) {
  console.log(`${condition ? "ok  " : "FAIL"} ${what}`);
  if (!condition) failures++;
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), "tessalune-web-"));
const NAME = '<b id="x">Moon</b> & <script>alert(1)</script>';
const AUTHOR = "<img src=x onerror=alert(2)>";
const made = spawnSync(tessalune, ["--make", picture, path.join(work, "puzzle.exe"), "--cols", "3",
  "--rows", "3", "--seed", "11", "--html", "--name", NAME, "--author", AUTHOR,
  "--website", "javascript:alert(3)", "--alternative", picture], { encoding: "utf8" });
check(made.status === 0, `the maker writes the page (${made.stderr.trim()})`);
const pageFile = path.join(work, "puzzle.html");
const pageUrl = "file://" + pageFile;

const browser = await Browser.launch(chromium);
const escaped = [];
const pageErrors = [];
browser.on((message) => {
  if (message.method === "Runtime.exceptionThrown") pageErrors.push(JSON.stringify(message.params.exceptionDetails).slice(0, 400));
  if (message.method === "Log.entryAdded" && message.params.entry.level === "error") pageErrors.push(message.params.entry.text);
  const request = message.method === "Network.requestWillBeSent" && message.params.request.url;
  if (request && !/^(file|data|blob):/.test(request)) escaped.push(request);
});
try {
  const page = await browser.newPage();
  await page.send("Network.enable");
  await page.send("Page.enable");
  await page.send("Runtime.enable");
  await page.send("Log.enable");
  await page.send("Emulation.setDeviceMetricsOverride", { width: 1024, height: 700, deviceScaleFactor: 1, mobile: false });
  const download = path.join(work, "saved");
  fs.mkdirSync(download);
  await browser.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: download });

  const open = async (url) => {
    await page.send("Page.navigate", { url });
    await page.waitFor("window.tessaluneFirstPalette > 0");
  };
  await open(pageUrl);

  // The palette: every piece in the strip, and the strip's pixels show pieces, not just its colour.
  const slots = await page.evaluate("tessalune.paletteSlots().length");
  check(slots === 9, `the palette holds all 9 pieces (${slots})`);
  const drawn = await page.evaluate(`(() => {
    const c = document.getElementById("stage"), g = c.getContext("2d");
    const d = g.getImageData(0, 0, tessalune.stripWidth, c.height).data;
    let piece = 0;
    for (let i = 0; i < d.length; i += 4) if (!(d[i] === 0 && d[i + 1] === 128 && d[i + 2] === 192)) piece++;
    return piece;
  })()`);
  check(drawn > 1000, `the palette shows pieces (${drawn} picture pixels in the strip)`);

  // Texts as text: no element or link came out of them.
  const texts = await page.evaluate(`({
    title: document.querySelector("#bar .title").textContent, tab: document.title,
    elements: document.querySelectorAll("#x, #bar img, #bar script, #bar a").length,
    byline: document.querySelector("#bar .byline").textContent })`);
  check(texts.title === NAME && texts.tab === NAME, "the name is shown as the text it is");
  check(texts.elements === 0 && texts.byline.includes(AUTHOR), "no markup of the texts became an element or link");

  // Where piece i must go for its cell, one cell in from the desktop's corner, in page pixels.
  const placeOf = async (i) => page.evaluate(`(() => {
    const p = tessalune.puzzle, top = document.getElementById("stage").getBoundingClientRect().top;
    const col = ${i} % p.cols, row = Math.floor(${i} / p.cols);
    return { x: tessalune.screenX((col + 1) * p.cellWidth + p.pieceWidth / 2),
             y: top + tessalune.screenY((row + 1) * p.cellHeight + p.pieceHeight / 2) };
  })()`);
  const paletteSpot = async (i) => page.evaluate(`(() => {
    const top = document.getElementById("stage").getBoundingClientRect().top;
    const s = tessalune.paletteSlots().find((s) => s.piece === ${i});
    return s && { x: s.x + s.size / 2, y: top + s.y + s.size / 2 };
  })()`);
  const scrollPaletteTo = (i) => page.evaluate(`(() => {
    const s = tessalune.paletteSlots().find((s) => s.piece === ${i});
    const c = document.getElementById("stage");
    if (s && (s.y < 0 || s.y + s.size > c.clientHeight)) {
      c.dispatchEvent(new WheelEvent("wheel", { deltaY: s.y - 10, clientX: 5, clientY: c.getBoundingClientRect().top + 5, bubbles: true }));
    }
  })()`);
  const placePiece = async (i) => {
    await scrollPaletteTo(i);
    await page.drag(await paletteSpot(i), await placeOf(i));
  };

  await placePiece(4);
  const moved = await page.evaluate("JSON.stringify(tessalune.game.positions[4])");
  check(moved !== "null", `a dragged piece lies on the desktop (${moved})`);

  await page.send("Page.reload");
  await page.waitFor("window.tessaluneFirstPalette > 0");
  check(await page.evaluate("JSON.stringify(tessalune.game.positions[4])") === moved, "a reload keeps the moved piece");

  await page.evaluate('document.getElementById("save").click()');
  const saved = path.join(download, "puzzle.html");
  for (let t = 0; t < 100 && !fs.existsSync(saved); t++) await new Promise((r) => setTimeout(r, 100));
  check(fs.existsSync(saved), "Save to file downloads the page");
  await page.evaluate("localStorage.clear()");
  await open("file://" + saved);
  check(await page.evaluate("JSON.stringify(tessalune.game.positions[4])") === moved,
    "the saved page, opened without the browser's kept game, continues the game");

  for (let i = 0; i < 9; i++) if (i !== 4) await placePiece(i);
  const state = await page.waitFor(`document.body.dataset.state === "solved" && document.querySelector("#solved img") && document.querySelector("#solved img").src === document.getElementById("tessalune-picture").src`, 5000).catch(() => false);
  check(state, "dragging every piece to its place solves the puzzle and shows the solved picture");
  const alternative = await page.waitFor(`document.querySelector("#solved").dataset.picture === "alternative"`, 5000).catch(() => false);
  check(alternative, "the alternative picture follows the solved one");
  if (shotsDir) {
    const shot = await page.send("Page.captureScreenshot", { format: "png" });
    fs.writeFileSync(path.join(shotsDir, "solved.png"), Buffer.from(shot.data, "base64"));
  }

  // A saved game whose data is damaged is refused with a message; the page still plays.
  const html = fs.readFileSync(saved, "utf8");
  const damaged = html.replace(/("positions":\[)/, "$1\"x\",");
  check(damaged !== html, "the saved page holds the game");
  fs.writeFileSync(path.join(work, "damaged.html"), damaged);
  await page.evaluate("localStorage.clear()");
  await open("file://" + path.join(work, "damaged.html"));
  const notice = await page.evaluate("window.tessaluneNotice || ''");
  check(/damaged/.test(notice) && (await page.evaluate("tessalune.paletteSlots().length")) === 9,
    `a damaged saved game is refused with a message (${notice})`);

  // A phone: 390 × 844 with touch. A finger drags a piece out of the strip.
  await page.send("Emulation.setDeviceMetricsOverride", { width: 390, height: 844, deviceScaleFactor: 2, mobile: true });
  await page.send("Emulation.setTouchEmulationEnabled", { enabled: true, maxTouchPoints: 2 });
  await page.evaluate("localStorage.clear()");
  await open(pageUrl);
  const from = await paletteSpot(0), to = await placeOf(0);
  const touch = (type, points) => page.send("Input.dispatchTouchEvent", { type, touchPoints: points });
  await touch("touchStart", [{ x: from.x, y: from.y }]);
  await touch("touchMove", [{ x: from.x + 20, y: from.y }]);
  for (let k = 1; k <= 6; k++) await touch("touchMove", [{ x: from.x + ((to.x - from.x) * k) / 6, y: from.y + ((to.y - from.y) * k) / 6 }]);
  await touch("touchEnd", []);
  const touched = await page.evaluate("JSON.stringify(tessalune.game.positions[0])");
  check(touched !== "null", `a finger drags a piece onto the desktop on a phone (${touched})`);
  if (shotsDir) {
    const shot = await page.send("Page.captureScreenshot", { format: "png" });
    fs.writeFileSync(path.join(shotsDir, "phone.png"), Buffer.from(shot.data, "base64"));
  }
  check(pageErrors.length === 0, `the page reports no error (${pageErrors.join("; ")})`);
  check(escaped.length === 0, `no request leaves the page (${escaped.join(", ")})`);
} catch (error) {
  check(false, `${error.message} (page errors: ${pageErrors.join("; ")})`);
} finally {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
}
process.exit(failures ? 1 : 0);
