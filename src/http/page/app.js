// The bench page: the reading as the meter shows it, pushed by the server
// as it is sampled; the trend of the recording; the recorded files.
"use strict";

// A token given once as ?token= is kept for this tab and taken out of the
// address, so that it is not bookmarked or shared by accident.
const token = (() => {
  const url = new URL(location.href);
  const given = url.searchParams.get("token");
  if (given !== null) {
    sessionStorage.setItem("tarnixToken", given);
    url.searchParams.delete("token");
    history.replaceState(null, "", url.pathname + url.search + url.hash);
  }
  return sessionStorage.getItem("tarnixToken") || "";
})();

// A refusal is thrown, or with `anyStatus` handed on for its reason.
function get(path, anyStatus = false) {
  const headers = token ? { Authorization: "Bearer " + token } : {};
  return fetch(path, { headers }).then((r) => {
    if (!r.ok && !anyStatus) throw new Error(path + ": " + r.status);
    return r;
  });
}

function withToken(path) {
  if (!token) return path;
  return path + (path.includes("?") ? "&" : "?") + "token=" + encodeURIComponent(token);
}

const $ = (id) => document.getElementById(id);

function text(id, value) {
  $(id).textContent = value === null || value === undefined || value === "" ? "—" : value;
}

function localTime(iso) {
  if (!iso) return "";
  const d = new Date(iso);
  return isNaN(d) ? iso : d.toLocaleString();
}

const unitSymbols = { Ohm: "Ω", degC: "°C", degF: "°F" };
function unitSymbol(unit) { return unitSymbols[unit] || unit || ""; }

// The status as the server sent it; `raw` keeps the value's digits as the
// meter showed them ("5.50"), which a parsed number loses.
function showStatus(s, raw) {
  const digits = raw && (/"value":(-?[0-9.]+)/.exec(raw) || [])[1];
  const r = s.recorder || {};
  text("bench", r.model ? "Tarnix · " + r.model : "Tarnix");
  const answers = $("answers");
  answers.textContent = r.meter_answers ? "meter answers" : "meter silent";
  answers.className = "state " + (r.meter_answers ? "up" : "down");
  text("function", s.function);
  text("display", s.display);
  text("range", s.range);
  $("value").textContent =
    s.value === null || s.value === undefined ? "" : (digits || s.value) + " " + unitSymbol(s.unit);
  const alarm = $("alarm");
  alarm.textContent = s.alarm || "no limits";
  alarm.className = s.alarm || "";
  text("limits", s.limits
    ? (s.limits.low === null ? "open" : s.limits.low) + " … " +
      (s.limits.high === null ? "open" : s.limits.high) + " " + unitSymbol(s.unit)
    : "");
  text("last", localTime(r.last_sample));
  text("port", r.port);
  text("samples", r.samples === undefined ? "" : r.samples + " samples, " + r.lines + " lines");
  text("status", r.status);
  document.title = (s.display ? s.display + " " + (s.range || "") + " · " : "") + "Tarnix bench";
  if (typeof trendHeard === "function") trendHeard(s);
}

function listen() {
  const events = new EventSource(withToken("/events"));
  events.addEventListener("reading", (e) => showStatus(JSON.parse(e.data), e.data));
  events.onerror = () => {
    const answers = $("answers");
    answers.textContent = "server unreachable";
    answers.className = "state down";
  };
}

get("/api/status").then((r) => r.text()).then((t) => showStatus(JSON.parse(t), t)).catch(() => {});
listen();

// ---- The trend: min/max columns of the recording, one lane a series.

const trend = { whole: null, view: null, data: null, following: true, pending: null, last: 0 };
const canvas = $("trend");
const MinSpan = 1000; // ms: the nearest zoom

function iso(ms) { return new Date(ms).toISOString(); }

function palette() {
  const dark = matchMedia("(prefers-color-scheme: dark)").matches;
  return {
    fg: dark ? "#e8e8e6" : "#1b1b1b", muted: dark ? "#a0a4a8" : "#5d5d5d",
    grid: dark ? "#30353b" : "#e2e2de",
    series: dark ? ["#7cb7ff", "#ffb86b", "#8be38b", "#ff8fb1", "#c9a2ff", "#6fe0e0", "#f5e26b", "#ff9b8a"]
                 : ["#1f5fbf", "#c25e00", "#1f7a35", "#b3265e", "#6a3fbf", "#00777a", "#8a7400", "#b3261e"],
  };
}

function spanText(ms) {
  const s = ms / 1000;
  if (s < 120) return Math.round(s) + " s";
  if (s < 7200) return Math.round(s / 60) + " min";
  if (s < 172800) return Math.round(s / 3600) + " h";
  return Math.round(s / 86400) + " days";
}

function fetchTrend() {
  if (!trend.view) return;
  const width = Math.max(50, Math.min(4000, Math.round(canvas.clientWidth)));
  const { from, to } = trend.view;
  const asked = from + ":" + to + ":" + width;
  trend.pending = asked;
  get("/api/trend?from=" + encodeURIComponent(iso(from)) + "&to=" + encodeURIComponent(iso(to)) +
      "&columns=" + width, true)
    .then((r) => r.ok ? r.json() : r.text().then((text) => ({ refused: text.trim() })))
    .then((data) => {
      if (trend.pending !== asked) return; // a later view was asked for meanwhile
      trend.data = data;
      drawTrend();
      document.body.dataset.trendDrawn = String(performance.now()); // for the page's bench
    })
    .catch(() => {});
}

function niceTicks(lo, hi, count) {
  const step0 = (hi - lo) / count;
  const mag = Math.pow(10, Math.floor(Math.log10(step0)));
  const step = [1, 2, 5, 10].map((k) => k * mag).find((s) => s >= step0) || step0;
  const ticks = [];
  for (let v = Math.ceil(lo / step) * step; v <= hi + step * 1e-9; v += step)
    ticks.push(Math.abs(v) < step * 1e-9 ? 0 : v);
  return ticks;
}

function drawTrend() {
  const dpr = window.devicePixelRatio || 1;
  const w = canvas.clientWidth, h = canvas.clientHeight;
  canvas.width = Math.round(w * dpr);
  canvas.height = Math.round(h * dpr);
  const g = canvas.getContext("2d");
  g.setTransform(dpr, 0, 0, dpr, 0, 0);
  const colours = palette();
  g.clearRect(0, 0, w, h);
  g.font = "12px system-ui, sans-serif";
  const data = trend.data;
  if (!trend.view) {
    g.fillStyle = colours.muted;
    g.fillText("No recording yet", 10, 20);
    return;
  }
  canvas.dataset.span = String(trend.view.to - trend.view.from); // ms, for the page's test
  $("trendSpan").textContent = "· " + spanText(trend.view.to - trend.view.from) + " to " +
    new Date(trend.view.to).toLocaleString();
  if (!data) return;
  if (data.refused) { // "422 the trend reads data files, ...", in lines that fit
    g.fillStyle = colours.muted;
    let line = "", y = 20;
    for (const word of data.refused.replace(/^\d+ /, "").split(" ")) {
      if (line && g.measureText(line + " " + word).width > w - 20) {
        g.fillText(line, 10, y);
        line = word;
        y += 16;
      } else {
        line = line ? line + " " + word : word;
      }
    }
    g.fillText(line, 10, y);
    return;
  }
  const left = 64, right = 8, top = 4, bottom = 20;
  const series = data.series || [];
  const lanes = Math.max(1, series.length);
  const laneH = (h - top - bottom) / lanes;
  const cols = data.columns;
  const plotW = w - left - right;
  series.forEach((s, i) => {
    const y0 = top + i * laneH, y1 = y0 + laneH - 4;
    const values = s.min.concat(s.max).filter((v) => v !== null);
    let lo = Math.min(...values), hi = Math.max(...values);
    if (!values.length) { lo = 0; hi = 1; }
    if (lo === hi) { lo -= Math.abs(lo) * 0.05 || 0.5; hi += Math.abs(hi) * 0.05 || 0.5; }
    const y = (v) => y1 - ((v - lo) / (hi - lo)) * (y1 - y0 - 14);
    g.strokeStyle = colours.grid;
    g.fillStyle = colours.muted;
    for (const t of niceTicks(lo, hi, Math.max(2, Math.floor(laneH / 40)))) {
      g.beginPath(); g.moveTo(left, y(t)); g.lineTo(w - right, y(t)); g.stroke();
      g.fillText(Number(t.toPrecision(4)) + " " + unitSymbol(s.unit), 2, y(t) + 4);
    }
    g.fillStyle = colours.fg;
    g.fillText(s.function + " " + s.range, left + 4, y0 + 11);
    // Through each column's first and last reading, its minimum to maximum
    // drawn across it; a column without readings breaks the line.
    const colour = colours.series[i % colours.series.length];
    g.strokeStyle = colour;
    g.fillStyle = colour;
    g.lineWidth = 1.5;
    g.beginPath();
    // Readings further apart than three times their usual spacing leave a gap.
    const filled = [];
    for (let c = 0; c < cols; ++c) if (s.min[c] !== null) filled.push(c);
    const spacings = filled.slice(1).map((c, k) => c - filled[k]).sort((a, b) => a - b);
    const gap = 3 * (spacings.length ? spacings[spacings.length >> 1] : 1);
    let drawn = 0, open = false, previous = -1;
    for (const c of filled) {
      if (c - previous > gap) open = false;
      previous = c;
      const x = left + ((c + 0.5) / cols) * plotW;
      if (open) g.lineTo(x, y(s.first[c] ?? s.min[c]));
      else g.moveTo(x, y(s.first[c] ?? s.min[c]));
      g.moveTo(x, y(s.max[c]) - 0.5);
      g.lineTo(x, y(s.min[c]) + 0.5);
      g.moveTo(x, y(s.last[c] ?? s.max[c]));
      open = true;
      ++drawn;
    }
    g.stroke();
    if (drawn < plotW / 6) // few readings: each one a dot as well
        for (const c of filled) {
        g.beginPath();
        g.arc(left + ((c + 0.5) / cols) * plotW, y(s.last[c] ?? s.max[c]), 2.5, 0, 2 * Math.PI);
        g.fill();
      }
  });
  g.fillStyle = colours.muted;
  const { from, to } = trend.view;
  [0, 0.5, 1].forEach((k) => {
    const label = new Date(from + k * (to - from)).toLocaleString();
    const width = g.measureText(label).width;
    g.fillText(label, Math.min(w - width - 2, Math.max(left, left + k * plotW - width / 2)), h - 5);
  });
}

function setView(from, to) {
  const whole = trend.whole;
  const span = Math.max(MinSpan, Math.min(to - from, 10 * Math.max(MinSpan, whole.last - whole.first)));
  const centre = (from + to) / 2;
  trend.view = { from: Math.round(centre - span / 2), to: Math.round(centre + span / 2) };
  trend.following = trend.view.to >= whole.last;
  drawTrend();
  fetchTrend();
}

function showAll() {
  if (trend.whole) setView(trend.whole.first, Math.max(trend.whole.last, trend.whole.first + MinSpan));
}

canvas.addEventListener("wheel", (e) => {
  if (!trend.view) return;
  e.preventDefault();
  const rect = canvas.getBoundingClientRect();
  const k = Math.min(1, Math.max(0, (e.clientX - rect.left - 64) / (rect.width - 72)));
  const { from, to } = trend.view;
  const at = from + k * (to - from);
  const factor = e.deltaY > 0 ? 1.25 : 0.8;
  const span = Math.max(MinSpan, (to - from) * factor);
  setView(at - k * span, at + (1 - k) * span);
}, { passive: false });

let drag = null;
canvas.addEventListener("pointerdown", (e) => {
  if (!trend.view) return;
  drag = { x: e.clientX, view: trend.view };
  canvas.setPointerCapture(e.pointerId);
});
canvas.addEventListener("pointermove", (e) => {
  if (!drag) return;
  const shift = ((drag.x - e.clientX) / canvas.clientWidth) * (drag.view.to - drag.view.from);
  trend.view = { from: drag.view.from + shift, to: drag.view.to + shift };
  drawTrend();
});
canvas.addEventListener("pointerup", () => {
  if (!drag) return;
  drag = null;
  setView(trend.view.from, trend.view.to);
});
canvas.addEventListener("dblclick", showAll);
canvas.addEventListener("keydown", (e) => {
  if (!trend.view) return;
  const { from, to } = trend.view, span = to - from;
  const moves = { "+": [span / 4, -span / 4], "-": [-span / 4, span / 4],
                  ArrowLeft: [-span / 5, -span / 5], ArrowRight: [span / 5, span / 5] };
  if (e.key === "Home") showAll();
  else if (moves[e.key]) setView(from + moves[e.key][0], to + moves[e.key][1]);
});
addEventListener("resize", () => { drawTrend(); fetchTrend(); });

// A sample just taken: a view that shows the newest reading slides along,
// at most once a second.
function trendHeard(status) {
  const at = status.time ? Date.parse(status.time) : NaN;
  if (!trend.whole && !isNaN(at) && Date.now() - trend.last >= 900) {
    // The page came before the first line: the file list holds it now.
    trend.last = Date.now();
    loadFiles();
  }
  if (!trend.whole || isNaN(at) || at <= trend.whole.last) return;
  trend.whole.last = at;
  if (!trend.following || Date.now() - trend.last < 900) return;
  trend.last = Date.now();
  const span = trend.view.to - trend.view.from;
  if (trend.view.from <= trend.whole.first)
    showAll(); // a view of the whole recording widens with it
  else
    setView(at - span, at);
}

// ---- The recorded files, each downloadable as it is or converted.

function fileLink(name, format, label) {
  let url = "/api/readings?file=" + encodeURIComponent(name) + "&format=" + format;
  for (const id of ["from", "to"]) {
    const value = $(id).value;
    if (value) url += "&" + id + "=" + encodeURIComponent(new Date(value).toISOString());
  }
  const a = document.createElement("a");
  a.href = withToken(url);
  a.textContent = label;
  a.download = name.replace(/\.[^.]*$/, "") + "." + (format === "dat" ? "dat" : format);
  return a;
}

function showFiles(files) {
  const body = $("files").tBodies[0];
  body.replaceChildren();
  for (const f of files) {
    const row = body.insertRow();
    row.insertCell().textContent = f.name;
    row.insertCell().textContent = f.bytes >= 1e6 ? (f.bytes / 1e6).toFixed(1) + " MB"
                                                   : Math.ceil(f.bytes / 1e3) + " kB";
    row.insertCell().textContent = localTime(f.first);
    row.insertCell().textContent = localTime(f.last);
    const links = row.insertCell();
    // A recording written as CSV or JSON lines comes as it was written.
    const formats = [["csv", "CSV"], ["jsonl", "JSON lines"], ["dat", "data file"]]
      .filter(([format]) => !f.format || f.format === "dat" || f.format === format);
    for (const [format, label] of formats)
      links.append(fileLink(f.name, format, label));
  }
  const firsts = files.map((f) => Date.parse(f.first)).filter((t) => !isNaN(t));
  const lasts = files.map((f) => Date.parse(f.last)).filter((t) => !isNaN(t));
  if (!firsts.length) return;
  const whole = { first: Math.min(...firsts), last: Math.max(...lasts) };
  const first = !trend.whole;
  trend.whole = whole;
  if (first) showAll();
}

function loadFiles() {
  get("/api/files").then((r) => r.json()).then(showFiles).catch(() => {});
}
$("from").addEventListener("change", loadFiles);
$("to").addEventListener("change", loadFiles);
loadFiles();
setInterval(loadFiles, 30000);
drawTrend();
