// SPDX-License-Identifier: GPL-3.0-or-later
// The dashboard in a browser: it draws what the program computed, and computes nothing itself.
"use strict";
(function () {
  const TWIPS_PER_PIXEL = 15;
  const STALE_MS = 1000;
  const dash = document.getElementById("dash");
  const notice = document.getElementById("notice");
  const engineer = document.getElementById("engineer");
  const langSelect = document.getElementById("lang");
  const unitsSelect = document.getElementById("units");
  const fullButton = document.getElementById("full");
  const towerButton = document.getElementById("tower");
  const standings = document.getElementById("standings");
  const params = new URLSearchParams(location.search);
  let lang = params.get("lang") || localStorage.getItem("ostrelo.lang") || "";
  let units = params.get("units") || localStorage.getItem("ostrelo.units") || "";
  let layout = null;
  const nodes = { L: [], C: [], P: [], S: [] };
  const shown = { L: [], B: [], C: [], P: [], S: [] };
  let lastLive = 0;
  let socket = null;
  let retryMs = 500;
  let wakeLock = null;
  let noDataText = "NO DATA";
  let towerShown = params.has("standings") ? params.get("standings") !== "0"
    : localStorage.getItem("ostrelo.standings") === "1";
  let towerDrawn = "";

  function px(twips) { return twips / TWIPS_PER_PIXEL + "px"; }

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
      if (e.pt) { node.style.fontSize = (e.pt * 20 / TWIPS_PER_PIXEL) + "px"; }
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
        const text = document.createElement("span");
        text.className = "text";
        node.append(fill, text);
        node.vertical = e.vertical;
      } else if (e.k === "S") {
        node.classList.add("marker");
        node.hidden = true;
      }
      if (nodes[e.k]) { nodes[e.k][e.n] = node; }
      dash.appendChild(node);
    }
    fit();
  }

  function fit() {
    if (!layout) { return; }
    const width = layout.width / TWIPS_PER_PIXEL;
    const height = layout.height / TWIPS_PER_PIXEL;
    const scale = Math.min(window.innerWidth / width, window.innerHeight / height);
    dash.style.transform = "scale(" + scale + ")";
    dash.style.marginRight = (width * scale - width) + "px";
    dash.style.marginBottom = (height * scale - height) + "px";
  }

  // A text wider than its box shrinks its font as far as it must.
  function setText(node, text) {
    node.textContent = text;
    node.style.transform = "";
    if (node.scrollWidth > node.clientWidth && node.clientWidth > 0) {
      node.style.transform = "scaleX(" + (node.clientWidth / node.scrollWidth) + ")";
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
      node.lastChild.textContent = text;
    }
    for (let n = 1; n < m.S.length; n++) {
      if (nodes.S[n]) { nodes.S[n].hidden = !m.S[n]; }
    }
  }

  // The timing tower: each row its eight columns, then followed car and fastest lap.
  function drawTower(rows) {
    const text = JSON.stringify(rows);
    if (text === towerDrawn) { return; }
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
  }

  function showTower(shown) {
    towerShown = shown;
    standings.hidden = !shown;
    towerButton.setAttribute("aria-pressed", String(shown));
    towerDrawn = "";
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
    unitsSelect.options[0].textContent = m.texts.metric.trim();
    unitsSelect.options[1].textContent = m.texts.imperial.trim();
    if (langSelect.options.length === 0) {
      for (const name of m.languages) { langSelect.add(new Option(name, name)); }
    }
    langSelect.value = m.lang;
    unitsSelect.value = m.units;
    notice.textContent = noDataText;
  }

  function connect() {
    const query = new URLSearchParams();
    if (lang) { query.set("lang", lang); }
    if (units) { query.set("units", units); }
    const scheme = location.protocol === "https:" ? "wss://" : "ws://";
    socket = new WebSocket(scheme + location.host + "/live?" + query.toString());
    socket.onmessage = (event) => {
      const m = JSON.parse(event.data);
      if (m.texts) { greet(m); return; }
      draw(m);
      engineer.textContent = (m.E || []).join("\n");
      if (towerShown) { drawTower(m.T || []); }
      if (m.live) { lastLive = Date.now(); }
    };
    socket.onopen = () => { retryMs = 500; };
    socket.onclose = () => {
      socket = null;
      setTimeout(connect, retryMs);
      retryMs = Math.min(retryMs * 2, 5000);
    };
  }

  function choose() {
    lang = langSelect.value;
    units = unitsSelect.value;
    localStorage.setItem("ostrelo.lang", lang);
    localStorage.setItem("ostrelo.units", units);
    shown.L = []; shown.B = []; shown.C = [];
    if (socket) { socket.close(); }
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
  window.addEventListener("resize", fit);
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
    connect();
  });
})();
