// SPDX-License-Identifier: GPL-3.0-or-later
// The dashboard in a browser: it draws what the program computed, and computes nothing itself.
"use strict";
(function () {
  const TWIPS_PER_PIXEL = 15;
  const STALE_MS = 1000;
  const dash = document.getElementById("dash");
  const stage = document.getElementById("stage");
  const panel = document.getElementById("panel");
  const notice = document.getElementById("notice");
  const engineer = document.getElementById("engineer");
  const langSelect = document.getElementById("lang");
  const unitsSelect = document.getElementById("units");
  const fullButton = document.getElementById("full");
  const towerButton = document.getElementById("tower");
  const standings = document.getElementById("standings");
  const live = ostreloLive;
  const params = live.view.params;
  let layout = null;
  const nodes = { L: [], C: [], P: [], S: [] };
  const shown = { L: [], B: [], C: [], P: [], S: [] };
  let lastLive = 0;
  let wakeLock = null;
  let noDataText = "NO DATA";
  let towerShown = params.has("standings") ? params.get("standings") !== "0"
    : localStorage.getItem("ostrelo.standings") === "1";
  let towerDrawn = "";
  let towerRows = 0;
  // The texts whose font is still to be fitted to their box.
  const unfitted = new Set();
  // What the arrangement of the dashboard and the panel was computed for.
  let arranged = "";

  function px(twips) { return twips / TWIPS_PER_PIXEL + "px"; }

  // A time as hours, minutes and seconds of this device's day.
  function clock(ms) {
    const t = new Date(ms);
    return [t.getHours(), t.getMinutes(), t.getSeconds()].map((n) => String(n).padStart(2, "0")).join(":");
  }

  function build() {
    dash.style.width = px(layout.width);
    dash.style.height = px(layout.height);
    dash.style.background = layout.background;
    for (const e of layout.elements) {
      const node = document.createElement("div");
      node.className = "el";
      node.style.left = px(e.x); node.style.top = px(e.y);
      node.style.width = px(e.w); node.style.height = px(e.h);
      if (e.font) { node.style.fontFamily = '"' + e.font + '", "Roboto", sans-serif'; }
      if (e.bold) { node.style.fontWeight = "bold"; }
      if (e.colour) { node.style.color = e.colour; }
      if (e.left) { node.classList.add("left"); }
      if (e.boxed) { node.classList.add("boxed"); }
      if (e.k === "I") {
        // Only the logo and the car have a picture; the background is the window's colour.
        if (e.n === 0 || e.n === 1) {
          const img = document.createElement("img");
          img.src = e.n === 0 ? "/logo.png" : "/car.png";
          img.alt = "";
          node.appendChild(img);
        }
      } else if (e.k === "C") {
        node.classList.add("lamp");
      } else if (e.k === "P") {
        node.classList.add("bar");
        const fill = document.createElement("div");
        fill.className = "fill";
        fill.style.background = e.barColour || "#3070d0";
        if (e.vertical) { fill.style.width = "100%"; } else { fill.style.height = "100%"; }
        node.append(fill);
        node.vertical = e.vertical;
      } else if (e.k === "S") {
        node.classList.add("marker");
        node.hidden = true;
      }
      if (e.font && e.k !== "I") {
        // The text in a box of its own, so that its width can be measured against the room.
        const text = document.createElement("span");
        text.className = "text";
        node.appendChild(text);
        // A pixel of air on each side of a label or a bar; a lamp's padding is its air.
        node.text = { span: text, designPx: e.pt * 20 / TWIPS_PER_PIXEL, air: e.k === "C" ? 0 : 1 };
      }
      if (nodes[e.k]) { nodes[e.k][e.n] = node; }
      dash.appendChild(node);
    }
    arrange();
  }

  // The panel's size laid out with `width` (a length, or "max-content") and no limit below.
  function panelSize(width) {
    panel.style.flex = "none";
    panel.style.alignSelf = "flex-start";
    panel.style.width = width;
    const size = { width: panel.offsetWidth, height: panel.offsetHeight };
    panel.style.flex = "";
    panel.style.alignSelf = "";
    panel.style.width = "";
    return size;
  }

  // The dashboard as large as it can be with the panel (race engineer, standings) beside it or
  // under it, whichever leaves it larger; nothing covers anything else. Recomputed when the
  // screen or what the panel holds changes, not with every value.
  function arrange() {
    const lines = engineer.textContent === "" ? 0 : engineer.textContent.split("\n").length;
    const key = [window.innerWidth, window.innerHeight, lines, towerShown, towerRows].join();
    if (!layout || key === arranged) {
      fitPanel();
      return;
    }
    arranged = key;
    const width = window.innerWidth;
    const height = window.innerHeight;
    const designWidth = layout.width / TWIPS_PER_PIXEL;
    const designHeight = layout.height / TWIPS_PER_PIXEL;
    const empty = lines === 0 && !towerShown;
    panel.classList.toggle("empty", empty);
    let scale = Math.min(width / designWidth, height / designHeight);
    let column = false;
    if (!empty) {
      engineer.style.fontSize = "";
      standings.querySelector("table").style.fontSize = "";
      document.body.classList.remove("column");
      const beside = Math.min(panelSize("max-content").width, width / 2);
      const under = Math.min(panelSize(width + "px").height, height * 0.6);
      const besideScale = Math.min((width - beside) / designWidth, height / designHeight);
      const underScale = Math.min(width / designWidth, (height - under) / designHeight);
      column = underScale > besideScale;
      scale = Math.max(0, column ? underScale : besideScale);
    }
    document.body.classList.toggle("column", column);
    stage.style.width = designWidth * scale + "px";
    stage.style.height = designHeight * scale + "px";
    dash.style.transform = "scale(" + scale + ")";
    fitPanel();
  }

  // Shows `text` in an element of the dashboard; its font is fitted with the others.
  function setText(node, text) {
    if (node.text.span.textContent !== text) {
      node.text.span.textContent = text;
      unfitted.add(node);
    }
  }

  // Each text that changed gets its design size, or the largest below it that fits its box,
  // as the window does. All are measured at once, so that the page lays out once or twice.
  function fitTexts() {
    const zoom = dash.getBoundingClientRect().width / dash.offsetWidth;
    if (unfitted.size === 0 || !(zoom > 0)) { return; }
    let nodes = [...unfitted];
    unfitted.clear();
    const sizes = new Map();
    for (const node of nodes) {
      sizes.set(node, node.text.designPx);
      node.text.span.style.fontSize = node.text.designPx + "px";
    }
    // The text's own box, ascent to descent: an inline box's height leaves out the descent.
    const range = document.createRange();
    for (let pass = 0; pass < 8 && nodes.length > 0; pass++) {
      const ratios = nodes.map((node) => {
        if (node.text.span.textContent === "") { return 1; }
        range.selectNodeContents(node.text.span);
        const box = range.getBoundingClientRect();
        const room = node.clientWidth - 2 * node.text.air;
        return Math.min(room / (box.width / zoom), node.offsetHeight / (box.height / zoom));
      });
      nodes = nodes.filter((node, i) => {
        if (!(ratios[i] < 1)) { return false; }
        // Advances do not scale exactly: aim just below, then step down.
        const size = sizes.get(node);
        const next = Math.max(1, Math.min(size * ratios[i] * 0.995, size - 0.25));
        sizes.set(node, next);
        node.text.span.style.fontSize = next + "px";
        return next > 1;
      });
    }
  }

  // The engineer's lines and the standings fit the panel's width, shrinking their font.
  function fitPanel() {
    for (const [box, content, designPx] of [[engineer, engineer, 14], [standings, standings.querySelector("table"), 13]]) {
      content.style.fontSize = "";
      if (box.hidden) { continue; }
      for (let pass = 0; pass < 8 && content.scrollWidth > box.clientWidth && box.clientWidth > 0; pass++) {
        const size = parseFloat(content.style.fontSize) || designPx;
        content.style.fontSize = Math.max(1, Math.min(size * box.clientWidth / content.scrollWidth * 0.99, size - 0.25)) + "px";
      }
    }
  }

  function draw(m) {
    for (let n = 1; n < m.L.length; n++) {
      const node = nodes.L[n];
      if (!node) { continue; }
      if (m.L[n] !== shown.L[n]) { setText(node, m.L[n]); shown.L[n] = m.L[n]; }
      if (m.B[n] && m.B[n] !== shown.B[n]) { node.style.background = m.B[n]; shown.B[n] = m.B[n]; }
    }
    for (let n = 1; n < m.C.length; n++) {
      const node = nodes.C[n];
      const [caption, lit] = m.C[n];
      if (node && (caption !== (shown.C[n] || [])[0] || lit !== (shown.C[n] || [])[1])) {
        setText(node, caption);
        node.classList.toggle("lit", lit);
        shown.C[n] = m.C[n];
      }
    }
    for (let n = 1; n < m.P.length; n++) {
      const node = nodes.P[n];
      if (!node) { continue; }
      const [value, maximum, text] = m.P[n];
      const fraction = maximum > 0 ? Math.max(0, Math.min(1, value / maximum)) : 0;
      const fill = node.firstChild;
      if (node.vertical) { fill.style.height = (fraction * 100) + "%"; } else { fill.style.width = (fraction * 100) + "%"; }
      setText(node, text);
    }
    for (let n = 1; n < m.S.length; n++) {
      if (nodes.S[n]) { nodes.S[n].hidden = !m.S[n]; }
    }
    fitTexts();
  }

  // The timing tower: each row its eight columns, then followed car and fastest lap.
  function drawTower(rows) {
    const text = JSON.stringify(rows);
    if (text === towerDrawn) { return false; }
    towerDrawn = text;
    const body = standings.querySelector("tbody");
    body.replaceChildren();
    for (const row of rows) {
      const tr = document.createElement("tr");
      tr.classList.toggle("followed", row[8]);
      for (let c = 0; c < 8; c++) {
        const td = document.createElement("td");
        td.textContent = row[c];
        if (c === 4 && row[9]) { td.className = "best"; }
        tr.appendChild(td);
      }
      body.appendChild(tr);
    }
    towerRows = rows.length;
    return true;
  }

  function showTower(shown) {
    towerShown = shown;
    standings.hidden = !shown;
    towerButton.setAttribute("aria-pressed", String(shown));
    towerDrawn = "";
    arrange();
  }

  function setStale(stale) {
    dash.classList.toggle("stale", stale);
    notice.hidden = !stale;
    notice.textContent = noDataText;
    if (stale) { releaseWakeLock(); } else { keepAwake(); }
  }

  async function keepAwake() {
    if (wakeLock || !("wakeLock" in navigator) || document.visibilityState !== "visible") { return; }
    try {
      wakeLock = await navigator.wakeLock.request("screen");
      wakeLock.addEventListener("release", () => { wakeLock = null; });
    } catch (e) { wakeLock = null; }
  }

  function releaseWakeLock() {
    if (wakeLock) { wakeLock.release(); wakeLock = null; }
  }

  function greet(m) {
    noDataText = m.texts.noData;
    towerButton.textContent = m.texts.standings;
    const head = standings.querySelector("thead tr");
    head.replaceChildren();
    for (const title of m.texts.columns.split(",")) {
      const th = document.createElement("th");
      th.textContent = title;
      head.appendChild(th);
    }
    fullButton.textContent = m.texts.fullScreen;
    document.getElementById("phone").textContent = m.texts.phoneDash;
    unitsSelect.options[0].textContent = m.texts.metric.trim();
    unitsSelect.options[1].textContent = m.texts.imperial.trim();
    if (langSelect.options.length === 0) {
      for (const name of m.languages) { langSelect.add(new Option(name, name)); }
    }
    langSelect.value = m.lang;
    unitsSelect.value = m.units;
    notice.textContent = noDataText;
    // Column titles of another length.
    arrange();
  }

  function take(m) {
    if (m.texts) { greet(m); return; }
    draw(m);
    // The engineer's figures, then the radio's last calls with their times.
    const calls = (m.R || []).slice(0, 3).map((c) => clock(c[0]) + "  " + c[1]);
    const lines = (m.E || []).concat(calls).join("\n");
    let panelMoved = lines !== engineer.textContent;
    engineer.textContent = lines;
    if (towerShown) { panelMoved = drawTower(m.T || []) || panelMoved; }
    if (panelMoved) { arrange(); }
    if (m.live) { lastLive = Date.now(); }
  }

  function choose() {
    shown.L = []; shown.B = []; shown.C = [];
    arranged = "";
    live.choose(langSelect.value, unitsSelect.value);
  }

  langSelect.addEventListener("change", choose);
  unitsSelect.addEventListener("change", choose);
  fullButton.addEventListener("click", () => {
    if (document.fullscreenElement) { document.exitFullscreen(); }
    else if (document.documentElement.requestFullscreen) { document.documentElement.requestFullscreen(); }
  });
  towerButton.addEventListener("click", () => {
    showTower(!towerShown);
    localStorage.setItem("ostrelo.standings", towerShown ? "1" : "0");
  });
  showTower(towerShown);
  window.addEventListener("resize", arrange);
  // A tap anywhere shows the tools for a few seconds.
  let toolsTimer = 0;
  document.addEventListener("pointerdown", () => {
    document.getElementById("tools").classList.add("shown");
    clearTimeout(toolsTimer);
    toolsTimer = setTimeout(() => document.getElementById("tools").classList.remove("shown"), 4000);
  });
  document.addEventListener("visibilitychange", () => {
    if (document.visibilityState === "visible" && !dash.classList.contains("stale")) { keepAwake(); }
  });
  setInterval(() => {
    const stale = Date.now() - lastLive > STALE_MS;
    if (stale !== dash.classList.contains("stale")) { setStale(stale); }
  }, 250);

  fetch("/layout.json").then((r) => r.json()).then((l) => {
    layout = l;
    build();
    setStale(true);
    live.open(take);
  });
})();
