// The page in headless Chromium, driven with real mouse and keyboard events
// through puppeteer-core; the canvas is read back and judged by the same
// screen_check as the desktop's end-to-end test.
//   node web_e2e.js URL SCREEN_CHECK PALETTE_BMP REPLAY WORK
"use strict";
const { execFileSync, spawnSync } = require("child_process");
const fs = require("fs");
const path = require("path");
const puppeteer = require("puppeteer-core");

const [url, check, palette, replay, work] = process.argv.slice(2);
let step = "start";
let shots = 0;
const fail = (what) => { throw new Error(`web e2e: FAILED at '${step}': ${what}`); };
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The page's canvas as a binary PPM file for screen_check.
async function canvasPpm(page, file) {
  const rgba = await page.evaluate(() => Array.from(
    document.getElementById("picture").getContext("2d").getImageData(0, 0, 640, 480).data));
  const ppm = Buffer.alloc(640 * 480 * 3);
  for (let i = 0, j = 0; i < rgba.length; i += 4) {
    ppm[j++] = rgba[i]; ppm[j++] = rgba[i + 1]; ppm[j++] = rgba[i + 2];
  }
  fs.writeFileSync(file, Buffer.concat([Buffer.from("P6\n640 480\n255\n"), ppm]));
  return file;
}

async function main() {
  const downloads = path.join(work, "downloads");
  fs.mkdirSync(downloads, { recursive: true });
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium", headless: "new",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           `--user-data-dir=${path.join(work, "profile")}`],
  });
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on("pageerror", (error) => errors.push(error.message));
    await page.setViewport({ width: 800, height: 640 });
    const cdp = await page.createCDPSession();
    await cdp.send("Page.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
    await page.goto(url);

    const shoot = () => canvasPpm(page, path.join(work, `${String(++shots).padStart(2, "0")}-${step}.ppm`));
    const judge = (args) => spawnSync(check, args, { encoding: "utf8" });
    // Until `screen_check ARGS` (@ the newest canvas) passes, or with want 1 until it fails.
    const poll = async (args, want = 0) => {
      const deadline = Date.now() + 15000;
      for (;;) {
        const shot = await shoot();
        const result = judge(args.map((a) => (a === "@" ? shot : String(a))));
        if (result.status === want) return shot;
        if (Date.now() > deadline) fail(`screen_check ${args.join(" ")}: ${result.stderr.trim()}`);
        await sleep(100);
      }
    };
    const holds = (args) => {
      const result = judge(args.map(String));
      if (result.status !== 0) fail(`screen_check ${args.join(" ")}: ${result.stderr.trim()}`);
    };
    const rect = await (await page.$("#picture")).boundingBox();
    const move = (x, y) => page.mouse.move(rect.x + x + 0.5, rect.y + y + 0.5);
    const script = [];  // the same painting for the native player
    const drag = async (button, x0, x1, y) => {
      await move(x0, y);
      await page.mouse.down({ button });
      script.push(button === "left" ? `lbutton ${x0} ${y} 1` : `move ${x0} ${y} 2`);
      for (let x = x0 + 10; x <= x1; x += 10) {
        await move(x, y);
        script.push(`move ${x} ${y} ${button === "left" ? 1 : 2}`);
      }
      await page.mouse.up({ button });
    };
    const rest = async (x, y) => { await move(x, y); script.push(`move ${x} ${y}`); };
    const boxText = () => page.evaluate(() => document.getElementById("box").hidden ? null
      : document.getElementById("box-text").textContent);
    const untilBox = async (open) => {
      const deadline = Date.now() + 10000;
      while ((await boxText() !== null) !== open) {
        if (Date.now() > deadline) fail(open ? "no box appeared" : "the box did not close");
        await sleep(50);
      }
    };

    step = "start"; // the tiled pattern, pixel-exact through the palette, at a whole scale
    await poll(["tiled", "@", palette]);
    const size = await page.evaluate(() => [document.getElementById("picture").style.width,
                                            document.getElementById("picture").style.height]);
    if (size.join() !== "640px,480px") fail(`the canvas is shown at ${size}`);

    step = "left-drag"; // exactly the brush's rows, repeating every 80 - 5 columns
    await rest(200, 300);
    const before = await poll(["period", "@", 206, 223, 304, 315, 78]);
    await drag("left", 200, 400, 300);
    const painted = await poll(["period", "@", 240, 395, 305, 314, 75]);
    holds(["stroke", before, painted, 200, 300]);

    step = "save"; // two downloads; the depth map as the native player saves it
    await rest(500, 420);
    await page.keyboard.press("F2");
    await untilBox(true);
    const saved = await boxText();
    await page.keyboard.press("Enter");
    await untilBox(false);
    const deadline = Date.now() + 10000;
    let files = [];
    while ((files = fs.readdirSync(downloads).filter((f) => f.endsWith(".png"))).length < 2) {
      if (Date.now() > deadline) fail(`downloads: ${files}`);
      await sleep(100);
    }
    const depthFile = files.find((f) => f.endsWith("-depth.png"));
    if (!depthFile || !/^velmora-\d{8}-\d{6}-depth\.png$/.test(depthFile) || !saved.includes(depthFile)) {
      fail(`downloads ${files} and the box '${saved}'`);
    }
    execFileSync(replay, ["--out", path.join(work, "native"), "-"],
                 { input: `time 1700000000\n${script.join("\n")}\nkey F2\n` });
    const native = fs.readdirSync(path.join(work, "native")).find((f) => /^velmora-.*-depth\.png$/.test(f));
    if (!fs.readFileSync(path.join(downloads, depthFile)).equals(
        fs.readFileSync(path.join(work, "native", native)))) {
      fail("the saved depth map differs from the native player's");
    }

    step = "right-drag"; // clears back to the background
    await drag("right", 200, 400, 300);
    await move(500, 420);
    const cleared = await poll(["period", "@", 230, 420, 305, 314, 80]);

    step = "box"; // F1's box closes by Enter, Escape and Space; input meanwhile is dropped
    for (const key of ["Enter", "Escape", "Space"]) {
      await page.keyboard.press("F1");
      await untilBox(true);
      if (!(await boxText()).startsWith("Command list:")) fail(`the box says ${await boxText()}`);
      await move(300, 100);
      await page.keyboard.press("ArrowUp");
      await page.keyboard.press(key);
      await untilBox(false);
      await sleep(200);
      holds(["same", cleared, await shoot(), 500, 420]);
    }
    if (await page.evaluate(() => document.getElementById("depth").textContent) !== "5") {
      fail("a key pressed behind the box changed the drawing depth");
    }

    step = "flicker"; // other colours, the same arrangement
    await page.keyboard.press("KeyF");
    await poll(["recolour", cleared, "@", palette]);
    await page.keyboard.press("KeyF");

    step = "depth-view"; // the relief, painting goes on in it, then the stereogram again
    await page.keyboard.press("KeyD");
    await poll(["grey", "@", 100, 500, 200, 290, 21]);
    await drag("left", 200, 400, 250);
    await move(560, 440);
    await poll(["grey", "@", 230, 400, 254, 265, 56]);
    await page.keyboard.press("KeyD");
    await poll(["period", "@", 230, 400, 254, 265, 75]);

    step = "undo"; // Ctrl+Z takes that stroke back
    await page.keyboard.down("Control");
    await page.keyboard.press("KeyZ");
    await page.keyboard.up("Control");
    await poll(["period", "@", 230, 400, 254, 265, 80]);

    step = "open"; // a depth map of ours: a plateau at depth 10 repeats every 70 columns
    execFileSync(replay, ["--out", path.join(work, "made"), "-"], {
      input: "time 1700000000\nkey Up\nkey Up\nkey Up\nkey Up\nkey Up\n" +
             Array.from({ length: 26 }, (_, i) => `lbutton ${150 + 10 * i} 100`).join("\n") +
             "\nmove 560 440\nkey F2\n",
    });
    const map = path.join(work, "made", "velmora-20231114-221320-depth.png");
    const chooser = await page.$("#open");
    await chooser.uploadFile(map);
    const opened = await poll(["period", "@", 170, 400, 104, 115, 70]);

    step = "open-refused"; // not a PNG: a box naming the file, nothing changed
    const bad = path.join(work, "notes.png");
    fs.writeFileSync(bad, "not a picture");
    await chooser.uploadFile(bad);
    await untilBox(true);
    if (await boxText() !== "notes.png: not a PNG file") fail(`the box says ${await boxText()}`);
    await page.keyboard.press("Enter");
    await untilBox(false);
    holds(["same", opened, await shoot()]);

    step = "end"; // Esc ends the program; the page says so
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => !document.getElementById("notice").hidden &&
      document.getElementById("notice").textContent.includes("Velmora has ended"), { timeout: 10000 });
    if (errors.length > 0) fail(`page errors: ${errors.join("; ")}`);

    // A second page: ?open= a map from the same site, and one whose program
    // cannot be loaded, both answered through request interception.
    step = "open-at-start";
    const second = await browser.newPage();
    await second.setViewport({ width: 800, height: 640 });
    await second.setRequestInterception(true);
    second.on("request", (request) => {
      if (request.url().endsWith("/maps/plateau.png")) {
        request.respond({ status: 200, contentType: "image/png", body: fs.readFileSync(map) });
      } else if (request.url().endsWith("/velmora.wasm") && step === "no-program") {
        request.respond({ status: 404, body: "" });
      } else {
        request.continue();
      }
    });
    await second.goto(url + "?open=maps/plateau.png");
    const canvas = () => canvasPpm(second, path.join(work, "second.ppm"));
    const until = Date.now() + 15000;
    while (judge(["period", await canvas(), 170, 400, 104, 115, 70]).status !== 0) {
      if (Date.now() > until) fail("the map in the address did not open");
      await sleep(100);
    }
    step = "no-program"; // a clear message instead of a blank canvas
    await second.goto(url);
    await second.waitForFunction(() => !document.getElementById("notice").hidden &&
      document.getElementById("notice").textContent.startsWith("Velmora could not be loaded"),
    { timeout: 15000 });
  } finally {
    await browser.close();
  }
}

main().then(() => console.log("web e2e: passed"), (error) => {
  console.error(error.message);
  process.exit(1);
});
