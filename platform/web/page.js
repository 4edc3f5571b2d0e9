// The page's side of Velmora in the browser: it lays the canvas out at a
// whole scale, turns the page's input into calls of the program, shows the
// program's boxes, downloads and picture, and says when it has ended. The
// program itself (velmora.js, velmora.wasm) is the desktop painter's code.
"use strict";

const canvas = document.getElementById("picture");
const context = canvas.getContext("2d");
const frame = context.createImageData(640, 480);
const boxElement = document.getElementById("box");
const notice = document.getElementById("notice");
let boxClose = null;   // closes the box that is open
let wake = null;       // ends the program's wait for input
let running = false;

function velmoraFailed(text) {
  running = false;
  notice.textContent = text;
  notice.hidden = false;
}

// The largest whole scale that fits; only when even 1 does not, the largest
// fraction that does.
function layOut() {
  const stage = document.getElementById("stage");
  const used = document.getElementById("bar").offsetHeight + document.getElementById("how").offsetHeight + 8;
  const width = window.innerWidth;
  const height = Math.max(1, window.innerHeight - (document.fullscreenElement ? 0 : used));
  const fit = Math.min(width / 640, height / 480);
  const scale = fit >= 1 ? Math.floor(fit) : fit;
  canvas.style.width = 640 * scale + "px";
  canvas.style.height = 480 * scale + "px";
  stage.style.height = height + "px";
}
window.addEventListener("resize", layOut);
document.addEventListener("fullscreenchange", layOut);

// Calls the program directly (not through ccall, which would hand back a
// promise while the program waits for the next frame), strings in memory of
// its own; then ends the program's wait for input, if it waits.
function call(name, ...values) {
  if (!running) return 0;
  const strings = [];
  const args = values.map((value) => {
    if (typeof value !== "string") return value;
    const size = Module.lengthBytesUTF8(value) + 1;
    const at = Module._malloc(size);
    Module.stringToUTF8(value, at, size);
    strings.push(at);
    return at;
  });
  const result = Module["_" + name](...args);
  strings.forEach((at) => Module._free(at));
  if (wake) { const w = wake; wake = null; w(); }
  return result;
}
function showDepth() {
  if (running) document.getElementById("depth").textContent = Module._velmora_drawing_depth();
}

function pointer(event, leftPressed) {
  if (boxClose) return;
  const rect = canvas.getBoundingClientRect();
  call("velmora_pointer", event.clientX - rect.left, event.clientY - rect.top, rect.width, rect.height,
       event.buttons, event.shiftKey ? 1 : 0, event.ctrlKey ? 1 : 0, leftPressed ? 1 : 0);
}
canvas.addEventListener("pointerdown", (event) => {
  event.preventDefault();
  canvas.setPointerCapture(event.pointerId); // a drag that leaves the canvas goes on at its edge
  pointer(event, event.button === 0);
});
canvas.addEventListener("pointermove", (event) => pointer(event, false));
canvas.addEventListener("contextmenu", (event) => event.preventDefault());

window.addEventListener("keydown", (event) => {
  if (boxClose) {
    if (["Enter", "Escape", " ", "Spacebar"].includes(event.key)) {
      event.preventDefault();
      boxClose();
    }
    return;
  }
  if (event.target instanceof HTMLButtonElement && (event.key === "Enter" || event.key === " ")) return;
  if (call("velmora_key", event.code, event.shiftKey ? 1 : 0, event.ctrlKey || event.metaKey ? 1 : 0)) {
    event.preventDefault();
    showDepth();
  }
});

// The tool bar sends exactly what the keys send.
for (const button of document.querySelectorAll("#bar button[data-key]")) {
  button.addEventListener("click", () => {
    call("velmora_virtual_key", Number(button.dataset.key));
    button.blur();
    showDepth();
  });
}
document.getElementById("fullscreen").addEventListener("click", () => {
  if (document.fullscreenElement) document.exitFullscreen();
  else document.documentElement.requestFullscreen().catch(() => {});
});

// Opening: the file is put in the program's file system under the user's
// own name and handed over as a drop.
async function openFile(file) {
  if (!running || !file) return;
  const bytes = new Uint8Array(await file.arrayBuffer());
  const name = file.name.replace(/[\/\0]/g, "_") || "dropped.png";
  Module.FS.writeFile(name, bytes);
  call("velmora_drop", name);
}
document.getElementById("open").addEventListener("change", (event) => {
  openFile(event.target.files[0]);
  event.target.value = "";
});
canvas.addEventListener("dragover", (event) => event.preventDefault());
canvas.addEventListener("drop", (event) => {
  event.preventDefault();
  openFile(event.dataTransfer.files[0]);
});

// A hidden or unfocused page is the program leaving the foreground.
let focused = true;
function activity() {
  call("velmora_activate", document.visibilityState === "visible" && focused ? 1 : 0);
}
document.addEventListener("visibilitychange", activity);
window.addEventListener("focus", () => { focused = true; activity(); });
window.addEventListener("blur", () => { focused = false; activity(); });

var Module = {
  canvas,
  noInitialRun: true,
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
  onAbort: (what) => velmoraFailed((running ? "Velmora stopped: "
                                             : "Velmora could not be loaded (velmora.wasm): ") + what),
  preRun: [() => { Module.FS.mkdir("/files"); Module.FS.chdir("/files"); }],
  velmoraWait(resolve, mode) {
    if (mode === 0) {
      requestAnimationFrame(() => resolve());
      return;
    }
    const timer = mode === 2 ? setTimeout(() => { wake = null; resolve(); }, 500) : 0;
    wake = () => { clearTimeout(timer); resolve(); };
  },
  velmoraBox(caption, text) {
    document.getElementById("box-caption").textContent = caption;
    document.getElementById("box-text").textContent = text;
    boxElement.hidden = false;
    document.getElementById("box-ok").focus();
    return new Promise((resolve) => {
      boxClose = () => {
        boxElement.hidden = true;
        boxClose = null;
        resolve();
      };
    });
  },
  velmoraPresent(rgba) {
    frame.data.set(rgba);
    context.putImageData(frame, 0, 0);
  },
  velmoraPointer(visible) {
    canvas.style.cursor = visible ? "default" : "none";
  },
  velmoraDownload(name, bytes) {
    const url = URL.createObjectURL(new Blob([bytes], { type: "image/png" }));
    const link = document.createElement("a");
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    return true;
  },
  velmoraEnded(status) {
    velmoraFailed(status === 0 ? "Velmora has ended. Reload the page to start again."
                               : "Velmora has ended (status " + status + "). Reload the page to start again.");
  },
  async onRuntimeInitialized() {
    const args = [];
    const wanted = new URLSearchParams(location.search).get("open");
    if (wanted) {
      try {
        const response = await fetch(new URL(wanted, location.href));
        if (!response.ok) throw new Error(response.status + " " + response.statusText);
        const name = decodeURIComponent(new URL(response.url).pathname.split("/").pop()) || "opened.png";
        Module.FS.writeFile(name, new Uint8Array(await response.arrayBuffer()));
        args.push("--open", name);
      } catch (error) {
        document.getElementById("how").textContent = "Could not load " + wanted + ": " + error.message;
      }
    }
    running = true;
    layOut();
    Module.callMain(args);
    activity();
    showDepth();
  },
};
document.getElementById("box-ok").addEventListener("click", () => boxClose && boxClose());
if (typeof WebAssembly !== "object") {
  velmoraFailed("This browser cannot run WebAssembly, which Velmora needs.");
}
layOut();
