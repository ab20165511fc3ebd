// The phone view: renders the scanner's readings pushed over the WebSocket, sends keypad presses, and
// shows today's hits and recordings fetched from the same server. Nothing is loaded from elsewhere.
"use strict";

const $ = (id) => document.getElementById(id);
let socket = null;
let keysAllowed = false;
let retryMs = 500;
let activityTimer = null;
let model = "pro2052";

function text(id, value) {
  const el = $(id);
  const shown = value === null || value === undefined ? "" : String(value);
  if (el.textContent !== shown) el.textContent = shown;
}

function megahertz(hz) {
  return hz ? (hz / 1e6).toFixed(4) : "---.----";
}

function showReading(r) {
  if (!r) return;
  text("mode", r.mode_name || "\u00a0");
  text("frequency", megahertz(r.frequency_hz));
  const place = [];
  if (r.channel) place.push("CH " + r.channel);
  if (r.bank) place.push("BANK " + r.bank);
  text("place", place.join(" \u00b7 "));
  text("talkgroup", r.talkgroup ? "TG " + r.talkgroup : "");
  text("modulation", r.modulation || "");
  text("tone", r.tone || "");
  const names = $("names");
  const lines = [r.channel_name, r.talkgroup_name].filter((n) => n);
  names.replaceChildren(...lines.map((n) => {
    const div = document.createElement("div");
    div.textContent = n;
    return div;
  }));
  $("display").dataset.squelch = r.squelch_open ? "open" : "closed";
  const bars = r.signal_bars === null || r.signal_bars === undefined ? 0 : r.signal_bars;
  $("signal").hidden = r.signal_bars === null || r.signal_bars === undefined;
  Array.from($("signal").children).forEach((bar, i) => bar.classList.toggle("on", i < bars));
  if (r.model && r.model !== model) {
    model = r.model;
    showKeys();
  }
}

function showLink(link, pageOnline) {
  const el = $("link");
  if (!pageOnline) {
    el.dataset.state = "closed";
    text("link", "Page offline, reconnecting");
    $("display").dataset.dimmed = "true";
    return;
  }
  el.dataset.state = !link.port_open ? "closed" : (link.answering ? "up" : "quiet");
  text("link", link.text);
  $("display").dataset.dimmed = link.port_open && link.answering ? "false" : "true";
}

function showKeys() {
  $("keys-note").hidden = keysAllowed;
  document.querySelectorAll("#keypad button").forEach((button) => {
    button.disabled = !keysAllowed;
    button.hidden = button.dataset.model !== undefined && button.dataset.model !== model;
  });
}

function item(time, what, name) {
  const li = document.createElement("li");
  const t = document.createElement("span");
  t.className = "time";
  t.textContent = time;
  const w = document.createElement("span");
  w.className = "what";
  w.textContent = what;
  li.append(t, w);
  if (name) {
    const n = document.createElement("span");
    n.className = "name";
    n.textContent = name;
    li.append(n);
  }
  return li;
}

function hitText(hit) {
  const parts = hit.log === "scan" ? ["CH " + hit.key, hit.frequency, hit.mode]
    : hit.log === "trunk" ? ["TG " + hit.key, hit.detail, hit.mode]
    : [hit.key + " MHz", hit.mode, hit.duration !== null ? hit.duration.toFixed(1) + " s" : ""];
  return parts.filter((p) => p).join(" \u00b7 ");
}

function showActivity(a) {
  text("total", a.total === 1 ? "1 hit" : a.total + " hits");
  const most = Math.max(1, ...a.hours);
  $("chart").replaceChildren(...a.hours.map((count, hour) => {
    const bar = document.createElement("div");
    bar.style.height = (count ? Math.max(3, (100 * count) / most) : 0) + "%";
    bar.title = hour + ":00  " + count + (count === 1 ? " hit" : " hits");
    return bar;
  }));
  $("hits").replaceChildren(...a.hits.map((hit) => item(hit.time, hitText(hit), hit.name)));
  $("no-hits").hidden = a.hits.length > 0;
  const recordings = a.recordings || [];
  $("recordings-box").hidden = recordings.length === 0;
  $("recordings").replaceChildren(...recordings.map((rec) => {
    const li = item(rec.start.slice(11, 19), rec.label, "");
    const play = document.createElement("button");
    play.textContent = "\u25B6 Play " + Math.round(rec.duration_ms / 1000) + " s";
    play.addEventListener("click", () => {
      const player = $("player");
      player.src = rec.url;
      player.play().catch(() => {});
    });
    li.append(play);
    return li;
  }));
}

function loadActivity() {
  fetch("/api/activity", { cache: "no-store", credentials: "same-origin" })
    .then((response) => (response.ok ? response.json() : null))
    .then((a) => { if (a) showActivity(a); })
    .catch(() => {});
}

// Several log lines in a burst fetch the list once.
function activitySoon() {
  if (activityTimer) return;
  activityTimer = setTimeout(() => { activityTimer = null; loadActivity(); }, 300);
}

function connect() {
  const scheme = location.protocol === "https:" ? "wss://" : "ws://";
  socket = new WebSocket(scheme + location.host + "/ws");
  socket.onopen = () => { retryMs = 500; };
  socket.onmessage = (event) => {
    let message;
    try { message = JSON.parse(event.data); } catch (e) { return; }
    switch (message.type) {
      case "hello":
        keysAllowed = message.keys;
        showKeys();
        showLink(message.link, true);
        showReading(message.reading);
        loadActivity();
        break;
      case "reading": showReading(message.reading); break;
      case "link": showLink(message.link, true); break;
      case "activity": activitySoon(); break;
      case "hit": if (message.event === "end") activitySoon(); break;
      case "error": console.warn("phone view:", message.error); break;
    }
  };
  socket.onclose = () => {
    showLink(null, false);
    setTimeout(connect, retryMs);
    retryMs = Math.min(retryMs * 2, 10000);
  };
}

document.addEventListener("DOMContentLoaded", () => {
  document.querySelectorAll("#keypad button").forEach((button) => {
    button.addEventListener("click", () => {
      if (socket && socket.readyState === WebSocket.OPEN)
        socket.send(JSON.stringify({ type: "key", key: button.dataset.key }));
    });
  });
  showKeys();
  connect();
});
