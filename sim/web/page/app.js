// The simulated station's page: the live screen from the server's event
// stream, the six keys passed on as presses and releases, and the
// emulators' controls and state.
"use strict";

const screen = document.getElementById("screen");
const context = screen.getContext("2d");
context.imageSmoothingEnabled = false;
const screenStatus = document.getElementById("screen-status");
// Read by the browser test: how many frames have been drawn.
window.brisel = { frames: 0 };

// The fields of the emulator's state shown, in this order.
const shownFields = [
  ["tuner_c", "tuner C"], ["tuner_l", "tuner L"], ["tuner_mode", "network"],
  ["load", "antenna"], ["load_swr", "SWR antenna"], ["network_swr", "SWR through network"],
  ["filter", "filter"], ["keyed", "carrier"], ["drive", "drive W"], ["keyed_hz", "carrier Hz"],
  ["fa_hz", "FA Hz"], ["forward", "forward W"], ["reflected", "reflected W"],
  ["temp1", "sink 1 °C"], ["temp2", "sink 2 °C"], ["protection", "protection"],
  ["fault", "fault"], ["fault_left", "fault replies left"],
];
const stateBody = document.querySelector("#state tbody");
const stateCells = {};
for (const [field, label] of shownFields) {
  const row = stateBody.insertRow();
  row.insertCell().textContent = label;
  const cell = row.insertCell();
  cell.id = "state-" + field;
  stateCells[field] = cell;
}

// Pictures decode in the background: one that finishes after a newer one is not drawn.
let framesArrived = 0;
let frameDrawn = 0;
function showFrame(base64Png) {
  const number = ++framesArrived;
  const picture = new Image();
  picture.onload = () => {
    if (number < frameDrawn) return;
    frameDrawn = number;
    context.drawImage(picture, 0, 0);
    window.brisel.frames += 1;
    screenStatus.textContent = "";
  };
  picture.src = "data:image/png;base64," + base64Png;
}

const protectionBits = document.getElementById("protection-bits");
function showState(line) {
  for (const pair of line.split(" ")) {
    const equals = pair.indexOf("=");
    const field = pair.slice(0, equals);
    if (equals > 0 && field in stateCells) stateCells[field].textContent = pair.slice(equals + 1);
  }
  const latches = stateCells.protection.textContent;
  protectionBits.textContent = latches === "00" ? "none" : latches;
}

// The maker's transceiver's controls only while its emulator runs.
function showRadio(line) {
  const present = line !== "absent";
  document.getElementById("radio-row").hidden = !present;
  document.getElementById("radio-absent").hidden = present;
  if (present) document.getElementById("radio-state").textContent = line;
}

const events = new EventSource("events");
events.addEventListener("frame", (event) => showFrame(event.data));
events.addEventListener("state", (event) => showState(event.data));
events.addEventListener("radio", (event) => showRadio(event.data));
events.onerror = () => { screenStatus.textContent = "The web server is not answering; retrying…"; };

// Every panel command goes out in order, so a release never overtakes its press.
let panelQueue = Promise.resolve();
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
function panel(command, afterMs = 0) {
  panelQueue = panelQueue.then(() => pause(afterMs))
    .then(() => fetch("panel", { method: "POST", body: command }))
    .then((response) => response.ok || response.text().then((text) => showAnswer(text, true)))
    .catch((error) => showAnswer("panel: " + error, true));
  return panelQueue;
}

// A click shorter than this is held this long, as the panel channel's own
// "press" does, so that the station's debounce sees it.
const shortestPressMs = 100;
const keysDown = new Set();
const keyButtons = {};
const pressedAt = {};
function keyDown(key) {
  if (keysDown.has(key)) return;
  keysDown.add(key);
  pressedAt[key] = performance.now();
  keyButtons[key].classList.add("down");
  panel("down " + key);
}
function keyUp(key) {
  if (!keysDown.has(key)) return;
  keysDown.delete(key);
  keyButtons[key].classList.remove("down");
  panel("up " + key, Math.max(0, shortestPressMs - (performance.now() - pressedAt[key])));
}

for (const button of document.querySelectorAll(".key")) {
  const key = button.dataset.key;
  keyButtons[key] = button;
  button.addEventListener("pointerdown", (event) => {
    if (event.button !== 0) return;
    button.setPointerCapture(event.pointerId);
    keyDown(key);
  });
  for (const end of ["pointerup", "pointercancel", "lostpointercapture"])
    button.addEventListener(end, () => keyUp(key));
}

function typingInField(event) {
  return event.target instanceof HTMLInputElement || event.target instanceof HTMLSelectElement;
}
document.addEventListener("keydown", (event) => {
  if (event.key >= "1" && event.key <= "6" && !typingInField(event) && !event.repeat) keyDown(event.key);
});
document.addEventListener("keyup", (event) => {
  if (event.key >= "1" && event.key <= "6") keyUp(event.key);
});
// A key held while the page loses the focus would otherwise stay down.
window.addEventListener("blur", () => keysDown.forEach(keyUp));

const answer = document.getElementById("answer");
function showAnswer(text, failed) {
  answer.textContent = text.trim();
  answer.classList.toggle("error", failed);
}

function post(target, command) {
  fetch(target, { method: "POST", body: command })
    .then((response) => response.text().then((text) => showAnswer(text, !response.ok)))
    .catch((error) => showAnswer(target + ": " + error, true));
}
const emulator = (command) => post("emulator", command);
const radio = (command) => post("radio", command);

const value = (id) => document.getElementById(id).value.trim();
const on = (id, action) => document.getElementById(id).addEventListener("click", action);
document.getElementById("band").addEventListener("change", () => {
  document.getElementById("frequency").value = value("band");
});
on("key-on", () => emulator(`key ${value("drive")} ${value("frequency")}`));
on("key-off", () => emulator("unkey"));
on("radio-freq", () => radio(`freq ${value("frequency")}`));
on("radio-tx-on", () => radio("tx on"));
on("radio-tx-off", () => radio("tx off"));
for (const preset of document.querySelectorAll(".load-preset"))
  preset.addEventListener("click", () => emulator("load " + preset.dataset.load));
// 3 % off resonance: about 50 Ω of reactance beside the dipole's 70 Ω.
on("load-dipole-off", () => emulator(`load dipole ${Math.round(Number(value("frequency")) * 1.03)}`));
on("load-z", () => emulator(`load z ${value("load-r")} ${value("load-x")}`));
on("load-dipole", () => emulator(`load dipole ${value("dipole")}`));
on("temp-set", () => emulator(`temp ${value("temp1")} ${value("temp2")}`));
on("temp-auto", () => emulator("temp auto"));
on("fault-arm", () => emulator(`fault ${value("fault-kind")} ${value("fault-count")}`));
on("fault-none", () => emulator("fault none"));
// What the operator does on the unit: a short press of key 6, the error key.
on("clear-protection", () => {
  keyDown("6");
  keyUp("6");
});
