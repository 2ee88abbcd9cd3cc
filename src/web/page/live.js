// SPDX-License-Identifier: GPL-3.0-or-later
// What both pages share: the viewer's language and units (from the address, else as last
// chosen in this browser) and the live link to the program. A lost link comes back, waiting
// longer each time up to five seconds; a page the browser keeps for going back gives up its
// link, as the server serves a few viewers from each address and a page left behind must not
// take one.
"use strict";
const ostreloLive = (function () {
  const params = new URLSearchParams(location.search);
  const view = {
    params,
    lang: params.get("lang") || localStorage.getItem("ostrelo.lang") || "",
    units: params.get("units") || localStorage.getItem("ostrelo.units") || "",
  };
  let socket = null;
  let retryMs = 500;
  let take = null;
  // With "latency" in the address, how long each sample took from its read to the frame that
  // drew it, in milliseconds (for measuring; the program's clock and this one must agree).
  const delays = params.has("latency") ? [] : null;

  function connect() {
    const query = new URLSearchParams();
    if (view.lang) { query.set("lang", view.lang); }
    if (view.units) { query.set("units", view.units); }
    const scheme = location.protocol === "https:" ? "wss://" : "ws://";
    socket = new WebSocket(scheme + location.host + "/live?" + query.toString());
    socket.onmessage = (event) => {
      const m = JSON.parse(event.data);
      take(m);
      if (delays && m.at) {
        requestAnimationFrame(() => delays.push(performance.timeOrigin + performance.now() - m.at));
      }
    };
    socket.onopen = () => { retryMs = 500; };
    socket.onclose = () => {
      socket = null;
      setTimeout(connect, retryMs);
      retryMs = Math.min(retryMs * 2, 5000);
    };
  }

  window.addEventListener("pagehide", () => {
    if (socket) { socket.onclose = null; socket.close(); socket = null; }
  });
  window.addEventListener("pageshow", (event) => { if (event.persisted && take && !socket) { connect(); } });

  return {
    view,
    delays,
    // Opens the link; every message goes to `handler`.
    open(handler) { take = handler; connect(); },
    // The link again, as after a change of what the page asks for.
    again() { if (socket) { socket.close(); } },
    // Keeps the viewer's language and units and asks for the samples in them.
    choose(lang, units) {
      view.lang = lang;
      view.units = units;
      localStorage.setItem("ostrelo.lang", lang);
      localStorage.setItem("ostrelo.units", units);
      this.again();
    },
  };
})();
