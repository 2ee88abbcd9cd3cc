// SPDX-License-Identifier: GPL-3.0-or-later
// The phone dash: the tiles the program computed, as large as the screen lets them be. It
// places and sizes them, and computes no value itself.
"use strict";
(function () {
  const STALE_MS = 1000;
  const board = document.getElementById("tiles");
  const notice = document.getElementById("notice");
  const sleepNotice = document.getElementById("sleep");
  const langSelect = document.getElementById("lang");
  const unitsSelect = document.getElementById("units");
  const choices = document.getElementById("choices");
  const live = ostreloLive;
  let wanted = live.view.params.get("tiles") || localStorage.getItem("ostrelo.tiles") || "";
  let names = [];
  let chosen = [];
  let texts = null;
  const tiles = new Map();
  let lastLive = 0;
  let placedFor = "";

  // The tiles named in `list` that the program knows, in its order, each once; the
  // program's default when none is known.
  function choose(list, fallback) {
    const picked = [];
    for (const name of list.split(",").map((n) => n.trim())) {
      if (names.includes(name) && !picked.includes(name)) { picked.push(name); }
    }
    return picked.length > 0 ? picked : fallback;
  }

  function span(parent, className) {
    const s = document.createElement("span");
    if (className) { s.className = className; }
    parent.appendChild(s);
    return s;
  }

  // A tile's elements: caption above, values in the middle, a line of detail below.
  function makeTile(name) {
    const node = document.createElement("div");
    node.className = "tile " + name;
    node.dataset.k = name;
    const cap = document.createElement("div");
    cap.className = "cap";
    const val = document.createElement("div");
    val.className = "val";
    const det = document.createElement("div");
    det.className = "det";
    const tile = { name, node, cap: span(cap), val, det: span(det), values: [], unit: null, lamps: [], shown: "" };
    if (name === "rpm") {
      node.classList.add("rpm");
      tile.bar = document.createElement("div");
      tile.bar.className = "bar";
      node.appendChild(tile.bar);
      tile.lights = document.createElement("div");
      tile.lights.className = "lights";
      node.appendChild(tile.lights);
    }
    if (name === "lamps") { val.classList.add("lamps"); }
    if (name === "tyres") { val.classList.add("grid"); }
    if (name === "engine") { val.classList.add("pair"); }
    node.append(cap, val, det);
    board.appendChild(node);
    return tile;
  }

  function build() {
    board.replaceChildren();
    tiles.clear();
    for (const name of chosen) { tiles.set(name, makeTile(name)); }
    placedFor = "";
    place();
  }

  // Rectangles for the tiles on a screen of `width` x `height`: the rpm strip across the top,
  // the gear beside the others (across) or above them (upright), the others in the grid whose
  // values come out largest.
  function layout(width, height) {
    const gap = 4;
    const rects = new Map();
    let x = 0, y = 0, w = width, h = height;
    const landscape = width >= height;
    if (chosen.includes("rpm")) {
      const strip = Math.round(Math.min(90, Math.max(56, height * (landscape ? 0.18 : 0.11))));
      rects.set("rpm", [x, y, w, strip]);
      y += strip + gap; h -= strip + gap;
    }
    const others = chosen.filter((n) => n !== "rpm" && n !== "gear");
    if (chosen.includes("gear")) {
      if (others.length === 0) {
        rects.set("gear", [x, y, w, h]);
        h = 0;
      } else if (landscape) {
        const gw = Math.round(Math.min(w * 0.28, h * 0.75));
        rects.set("gear", [x, y, gw, h]);
        x += gw + gap; w -= gw + gap;
      } else {
        const gh = Math.round(Math.min(h * 0.28, w * 0.75));
        rects.set("gear", [x, y, w, gh]);
        y += gh + gap; h -= gh + gap;
      }
    }
    const n = others.length;
    let best = null;
    for (let columns = 1; columns <= n; columns++) {
      const rows = Math.ceil(n / columns);
      const tw = (w - gap * (columns - 1)) / columns;
      const th = (h - gap * (rows - 1)) / rows;
      // The value's size: most of the height under the caption, or what eight characters
      // of a lap time leave across.
      const size = Math.min((th - captionHeight(th)) * 0.78, (tw - 12) / 4.6);
      if (!best || size > best.size) { best = { size, columns, tw, th }; }
    }
    others.forEach((name, i) => {
      const c = i % best.columns, r = Math.floor(i / best.columns);
      rects.set(name, [x + c * (best.tw + gap), y + r * (best.th + gap), best.tw, best.th]);
    });
    return rects;
  }

  function captionHeight(tileHeight) { return Math.min(22, Math.max(11, tileHeight * 0.2)); }

  function place() {
    const key = [innerWidth, innerHeight, chosen.join()].join();
    if (key === placedFor) { fitAll(); return; }
    placedFor = key;
    const rects = layout(innerWidth, innerHeight);
    for (const [name, [x, y, w, h]] of rects) {
      const node = tiles.get(name).node;
      node.style.left = x + "px"; node.style.top = y + "px";
      node.style.width = w + "px"; node.style.height = h + "px";
    }
    for (const tile of tiles.values()) { tile.shown = ""; }
    fitAll();
  }

  // Shrinks `spans` together from `size` (each at its share of it in `shares`) until they
  // fit across `box` and its content fits its height.
  function fit(spans, box, size, shares = []) {
    const apply = () => spans.forEach((s, i) => { s.style.fontSize = size * (shares[i] || 1) + "px"; });
    apply();
    for (let pass = 0; pass < 10; pass++) {
      const room = box.clientWidth;
      const used = box.scrollWidth;
      const tall = box.scrollHeight > box.clientHeight + 0.5;
      if (used <= room && !tall) { return; }
      const ratio = Math.min(room / Math.max(used, 1), tall ? 0.9 : 1);
      size = Math.max(1, Math.min(size * ratio * 0.98, size - 0.5));
      apply();
    }
  }

  function fitTile(tile) {
    const h = tile.node.clientHeight;
    const capH = captionHeight(h);
    const hasDetail = tile.det.textContent !== "";
    tile.det.parentNode.hidden = !hasDetail;
    fit([tile.cap], tile.cap.parentNode, capH / 1.2);
    if (hasDetail) { fit([tile.det], tile.det.parentNode, capH / 1.2); }
    const valH = tile.val.clientHeight;
    if (tile.name === "tyres") {
      for (const cell of tile.values) { fit([cell.firstChild], cell, (valH / 2 - 8) * 0.8); }
    } else if (tile.name === "engine") {
      for (const cell of tile.values) { fit([cell.firstChild], cell, (valH - 8) * 0.8); }
    } else if (tile.name === "lamps") {
      for (const lamp of tile.lamps) { fit([lamp.firstChild], lamp, Math.min(valH * 0.4, 24)); }
    } else {
      if (tile.lights) {
        // Round lights as tall as the strip lets them be, in no more than a third of it.
        const light = Math.max(4, Math.min(h - 12, (tile.node.clientWidth / 3 - 16) / 5));
        tile.lights.style.height = light + "px";
        tile.lights.style.top = (h - light) / 2 + "px";
        tile.val.style.paddingRight = 5 * light + 16 + 12 + "px";
      }
      fit([...tile.val.children], tile.val, valH * 0.82, [1, 0.4]);
    }
  }

  function fitAll() {
    for (const tile of tiles.values()) { if (tile.shown === "") { fitTile(tile); } }
  }

  function setText(node, text) {
    if (node.textContent !== text) { node.textContent = text; }
  }

  // One tile as the program sent it; refitted only when a text changed.
  function drawTile(tile, d) {
    const key = JSON.stringify([d.c, d.v, d.u, d.d, d.m.map((l) => l[0])]);
    const changed = key !== tile.shown;
    setText(tile.cap, d.c);
    setText(tile.det, d.d);
    if (tile.name === "tyres" || tile.name === "engine") {
      while (tile.values.length < d.v.length) {
        const cell = document.createElement("div");
        cell.className = "cell";
        span(cell, "v");
        tile.val.appendChild(cell);
        tile.values.push(cell);
      }
      d.v.forEach(([text, background], i) => {
        setText(tile.values[i].firstChild, text);
        tile.values[i].style.background = background || "#ffffff";
      });
    } else if (tile.name === "lamps") {
      while (tile.lamps.length < d.m.length) {
        const lamp = document.createElement("div");
        lamp.className = "lamp";
        span(lamp);
        tile.val.appendChild(lamp);
        tile.lamps.push(lamp);
      }
      d.m.forEach(([caption, lit], i) => {
        setText(tile.lamps[i].firstChild, caption);
        tile.lamps[i].classList.toggle("lit", lit);
      });
    } else {
      if (tile.values.length === 0) {
        tile.values.push(span(tile.val, "v"));
        tile.unit = span(tile.val, "u");
      }
      const [text, background] = d.v[0] || ["", null];
      setText(tile.values[0], text);
      setText(tile.unit, d.u);
      tile.node.style.background = background || "";
    }
    if (tile.bar) {
      tile.bar.style.transform = "scaleX(" + d.f + ")";
      while (tile.lights.children.length < 5) {
        const light = document.createElement("div");
        light.className = "light";
        tile.lights.appendChild(light);
      }
      [...tile.lights.children].forEach((light, i) => light.classList.toggle("on", i < d.l));
    }
    if (changed) {
      tile.shown = key;
      fitTile(tile);
    }
  }

  // The radio's newest call shows for half a minute after it was made.
  const radio = document.getElementById("radio");
  const RADIO_MS = 30000;
  function showRadio(calls) {
    const newest = (calls || [])[0];
    const fresh = newest && Date.now() - newest[0] < RADIO_MS;
    radio.hidden = !fresh;
    if (fresh) {
      setText(radio, newest[1]);
      radio.classList.toggle("urgent", newest[2]);
    }
  }

  function draw(m) {
    showRadio(m.R);
    for (const d of m.D || []) {
      const tile = tiles.get(d.k);
      if (tile) { drawTile(tile, d); }
    }
  }

  // The screen stays on while samples come: the browser's wake lock where it gives one
  // (HTTPS, or this computer), else a muted inline video playing, else the page says so.
  let wakeLock = null;
  let video = null;
  async function keepAwake() {
    if (document.visibilityState !== "visible") { return; }
    if ("wakeLock" in navigator && !wakeLock) {
      try {
        wakeLock = await navigator.wakeLock.request("screen");
        wakeLock.addEventListener("release", () => { wakeLock = null; });
        awake("lock");
        return;
      } catch (e) { wakeLock = null; }
    }
    if (wakeLock) { return; }
    if (!video) {
      const canvas = document.createElement("canvas");
      canvas.width = canvas.height = 8;
      const ink = canvas.getContext("2d");
      let frame = 0;
      setInterval(() => { ink.fillStyle = frame++ % 2 ? "#000" : "#010101"; ink.fillRect(0, 0, 8, 8); }, 1000);
      video = document.createElement("video");
      video.muted = true;
      video.loop = true;
      video.playsInline = true;
      video.setAttribute("playsinline", "");
      if (canvas.captureStream) { video.srcObject = canvas.captureStream(1); }
      document.body.appendChild(video);
    }
    try {
      await video.play();
      awake("video");
    } catch (e) {
      awake("none");
    }
  }

  function awake(how) {
    document.body.dataset.awake = how;
    sleepNotice.hidden = how !== "none";
  }

  function rest() {
    if (wakeLock) { wakeLock.release(); wakeLock = null; }
    if (video) { video.pause(); }
  }

  function setStale(stale) {
    document.body.classList.toggle("stale", stale);
    notice.hidden = !stale;
    if (stale) { rest(); } else { keepAwake(); }
  }

  function greet(m) {
    texts = m.texts;
    notice.textContent = texts.noData;
    sleepNotice.textContent = texts.maySleep;
    document.getElementById("full").textContent = texts.fullDash;
    document.querySelector("#choice summary").textContent = texts.tiles;
    if (langSelect.options.length === 0) {
      for (const name of m.languages) { langSelect.add(new Option(name, name)); }
    }
    langSelect.value = m.lang;
    unitsSelect.value = m.units;
    unitsSelect.options[0].textContent = texts.metric.trim();
    unitsSelect.options[1].textContent = texts.imperial.trim();
    names = m.tileNames;
    const picked = choose(wanted, m.defaultTiles);
    const captions = texts.tileCaptions.split(",");
    choices.replaceChildren();
    names.forEach((name, i) => {
      const label = document.createElement("label");
      const box = document.createElement("input");
      box.type = "checkbox";
      box.value = name;
      box.checked = picked.includes(name);
      box.addEventListener("change", pick);
      label.append(box, " " + (captions[i] || name));
      choices.appendChild(label);
    });
    if (picked.join() !== chosen.join()) {
      chosen = picked;
      build();
    } else {
      placedFor = "";
      place();
    }
  }

  // Ticked tiles keep their order; a new one comes last.
  function pick(event) {
    let list = chosen.filter((n) => n !== event.target.value);
    if (event.target.checked) { list.push(event.target.value); }
    if (list.length === 0) { event.target.checked = true; return; }
    wanted = list.join(",");
    localStorage.setItem("ostrelo.tiles", wanted);
    chosen = list;
    build();
  }

  function take(m) {
    if (m.texts) { greet(m); return; }
    draw(m);
    if (m.live) { lastLive = Date.now(); }
  }

  function chooseView() {
    for (const tile of tiles.values()) { tile.shown = ""; }
    live.choose(langSelect.value, unitsSelect.value);
  }

  langSelect.addEventListener("change", chooseView);
  unitsSelect.addEventListener("change", chooseView);
  window.addEventListener("resize", place);
  let toolsTimer = 0;
  document.addEventListener("pointerdown", (event) => {
    const tools = document.getElementById("tools");
    tools.classList.add("shown");
    clearTimeout(toolsTimer);
    if (!tools.contains(event.target)) {
      toolsTimer = setTimeout(() => tools.classList.remove("shown"), 4000);
    }
  });
  document.addEventListener("visibilitychange", () => {
    if (document.visibilityState === "visible" && !document.body.classList.contains("stale")) { keepAwake(); }
  });
  setInterval(() => {
    const stale = Date.now() - lastLive > STALE_MS;
    if (stale !== document.body.classList.contains("stale")) { setStale(stale); }
  }, 250);
  setStale(true);
  live.open(take);
})();
