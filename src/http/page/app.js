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

function get(path) {
  const headers = token ? { Authorization: "Bearer " + token } : {};
  return fetch(path, { headers }).then((r) => {
    if (!r.ok) throw new Error(path + ": " + r.status);
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

function showStatus(s) {
  const r = s.recorder || {};
  text("bench", r.model ? "Tarnix · " + r.model : "Tarnix");
  const answers = $("answers");
  answers.textContent = r.meter_answers ? "meter answers" : "meter silent";
  answers.className = "state " + (r.meter_answers ? "up" : "down");
  text("function", s.function);
  text("display", s.display);
  text("range", s.range);
  $("value").textContent =
    s.value === null || s.value === undefined ? "" : s.value + " " + unitSymbol(s.unit);
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
  events.addEventListener("reading", (e) => showStatus(JSON.parse(e.data)));
  events.onerror = () => {
    const answers = $("answers");
    answers.textContent = "server unreachable";
    answers.className = "state down";
  };
}

get("/api/status").then((r) => r.json()).then(showStatus).catch(() => {});
listen();
