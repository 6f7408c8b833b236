// A headless Chromium driven over its DevTools pipe (fd 3 in, fd 4 out, NUL-terminated JSON), so
// that the page tests need no package beyond Node itself.
import { spawn, spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

export function findChromium() {
  for (const name of ["chromium", "chromium-browser", "google-chrome"]) {
    const found = spawnSync("sh", ["-c", `command -v ${name}`], { encoding: "utf8" }).stdout.trim();
    if (found) return found;
  }
  return null;
}

export class Browser {
  static async launch(executable) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tessalune-chromium-"));
    const child = spawn(executable, [
      "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--disable-default-apps", "--mute-audio", `--user-data-dir=${profile}`,
      "--remote-debugging-pipe", "about:blank",
    ], { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
    child.stderr.on("data", () => {});
    const browser = new Browser(child, profile);
    return browser;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    let buffer = Buffer.alloc(0);
    child.stdio[4].on("data", (chunk) => {
      buffer = Buffer.concat([buffer, chunk]);
      let end;
      while ((end = buffer.indexOf(0)) >= 0) {
        const message = JSON.parse(buffer.subarray(0, end).toString("utf8"));
        buffer = buffer.subarray(end + 1);
        this.receive(message);
      }
    });
  }

  receive(message) {
    if (message.id && this.pending.has(message.id)) {
      const { resolve, reject } = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (message.error) reject(new Error(JSON.stringify(message.error)));
      else resolve(message.result);
      return;
    }
    for (const listener of this.listeners) listener(message);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = JSON.stringify({ id, method, params, ...(sessionId ? { sessionId } : {}) });
    this.child.stdio[3].write(message + "\0");
    return new Promise((resolve, reject) => this.pending.set(id, { resolve, reject }));
  }

  on(listener) {
    this.listeners.push(listener);
  }

  // A new tab with its own session; every command of the returned page goes to it.
  async newPage() {
    const { targetId } = await this.send("Target.createTarget", { url: "about:blank" });
    const { sessionId } = await this.send("Target.attachToTarget", { targetId, flatten: true });
    return new Page(this, sessionId);
  }

  async close() {
    try {
      await Promise.race([this.send("Browser.close"), new Promise((r) => setTimeout(r, 3000))]);
    } finally {
      const exited = new Promise((r) => this.child.once("exit", r));
      this.child.kill();
      await Promise.race([exited, new Promise((r) => setTimeout(r, 3000))]);
      fs.rmSync(this.profile, { recursive: true, force: true, maxRetries: 5, retryDelay: 200 });
    }
  }
}

export class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.events = [];
    browser.on((message) => {
      if (message.sessionId === sessionId) this.events.push(message);
    });
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  async evaluate(expression) {
    const result = await this.send("Runtime.evaluate", { expression, awaitPromise: true, returnByValue: true });
    if (result.exceptionDetails) throw new Error(`${expression}: ${JSON.stringify(result.exceptionDetails)}`);
    return result.result.value;
  }

  async waitFor(expression, timeoutMs = 15000) {
    const until = Date.now() + timeoutMs;
    while (Date.now() < until) {
      try {
        const value = await this.evaluate(expression);
        if (value) return value;
      } catch (error) {
        // The page may be between documents.
      }
      await new Promise((r) => setTimeout(r, 50));
    }
    throw new Error(`timed out waiting for ${expression}`);
  }

  async mouse(type, x, y, button = "left") {
    await this.send("Input.dispatchMouseEvent", {
      type, x, y, button, buttons: type === "mouseReleased" ? 0 : 1, clickCount: 1,
    });
  }

  // A drag as a hand makes it: press, a first sideways step, then on to the target in steps.
  async drag(from, to, steps = 6) {
    await this.mouse("mousePressed", from.x, from.y);
    await this.mouse("mouseMoved", from.x + 20, from.y);
    for (let k = 1; k <= steps; k++) {
      const x = from.x + 20 + ((to.x - from.x - 20) * k) / steps;
      const y = from.y + ((to.y - from.y) * k) / steps;
      await this.mouse("mouseMoved", x, y);
    }
    await this.mouse("mouseReleased", to.x, to.y);
  }
}
