// The page's markup, style and script. They stay plain text in raw string
// literals so that the tool carries them (the page must work offline, from
// a file), each literal well below the lengths compilers are required to
// accept.

#include <string>

#include "tools/preview.h"

namespace scenario::tools {

const char* const kPreviewHtmlHead = R"PAGE(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Route preview</title>
)PAGE";

const char* const kPreviewCss = R"PAGE(
* { box-sizing: border-box; }
html, body { margin: 0; height: 100%; font: 13px sans-serif; color: #222; background: #f4f4f0; }
header { height: 34px; display: flex; align-items: center; gap: 14px; padding: 0 12px;
  background: #2c3e50; color: #fff; }
header b { font-size: 15px; }
header button { font: inherit; padding: 2px 10px; }
#status { color: #d5e8d4; }
#status.bad { color: #ffb3a7; }
#live { color: #f7dc6f; }
#main { display: flex; height: calc(100% - 34px); }
#view { position: relative; flex: 1; overflow-x: hidden; overflow-y: auto; background: #fff;
  user-select: none; }
#view canvas { display: block; }
#plan { cursor: grab; border-bottom: 1px solid #ccc; }
#prof { cursor: grab; }
#labels { position: absolute; left: 0; top: 0; pointer-events: none; }
.lbl { position: absolute; font: 11px sans-serif; line-height: 12px; height: 12px;
  white-space: nowrap; overflow: hidden; }
.lbl.station { color: #b03a2e; }
.lbl.plan-station { color: #b03a2e; font-weight: bold; }
.lbl.km { color: #555; }
.lbl.plan-km { color: #1f4e99; }
.lbl.text { color: #5d6d7e; }
.lbl.slow { color: #c0392b; }
.lbl.board { color: #1f4e99; }
.lbl.note { color: #b03a2e; font-style: italic; }
#tip { position: absolute; display: none; max-width: 460px; background: #fffff4;
  border: 1px solid #999; box-shadow: 2px 2px 6px rgba(0,0,0,.25); padding: 6px 8px;
  font: 12px monospace; white-space: pre-wrap; pointer-events: none; z-index: 5; }
aside { width: 400px; overflow-y: auto; border-left: 1px solid #ccc; padding: 8px 10px; }
aside h2 { font-size: 14px; margin: 10px 0 6px; }
#diagnostics ul { list-style: none; padding: 0; margin: 0; }
#diagnostics li { padding: 4px 6px; margin-bottom: 4px; border-left: 4px solid #c0392b;
  background: #fdf0ee; }
#diagnostics li.placed { cursor: pointer; }
#diagnostics li.warning { border-color: #e67e22; background: #fef5e7; }
#diagnostics li .where { color: #555; font-family: monospace; word-break: break-all; }
#diagnostics li { overflow-wrap: anywhere; }
#diagnostics .none { color: #1e8449; }
table { border-collapse: collapse; width: 100%; }
td, th { padding: 2px 4px; text-align: left; border-bottom: 1px solid #e4e4e4; font-size: 12px; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
#stations tr { cursor: pointer; }
#stations tr:hover, #diagnostics li.placed:hover { outline: 1px solid #888; }
#legend div { display: flex; align-items: center; gap: 6px; margin: 2px 0; }
#legend i { display: inline-block; width: 22px; height: 10px; }
)PAGE";

const char* const kPreviewHtmlBody = R"PAGE(<body>
<header><b id="title">route</b><span id="range"></span><button id="fit" title="Whole route (double click)">Whole route</button>
<span id="status"></span><span id="live"></span></header>
<div id="main">
 <div id="view">
  <canvas id="plan"></canvas>
  <canvas id="prof"></canvas>
  <div id="labels"></div>
  <div id="tip"></div>
 </div>
 <aside>
  <section id="diagnostics"><h2>Problems</h2><ul></ul></section>
  <section id="stations"><h2>Stations</h2><table><thead><tr><th>name</th><th>km</th><th>kind</th><th>area</th><th>time</th></tr></thead><tbody></tbody></table></section>
  <section id="legend"><h2>Legend</h2></section>
  <p>Wheel: zoom. Drag: pan. Double click: whole route. Hover: the row as written and its cell.</p>
 </aside>
</div>
)PAGE";

namespace {

const char* const kScriptPart1 = R"PAGE(
'use strict';
let D = JSON.parse(document.getElementById('route-data').textContent);
const $ = (id) => document.getElementById(id);
const view = $('view'), planC = $('plan'), profC = $('prof'), labelsEl = $('labels'), tip = $('tip');
const FONT = '11px sans-serif';
const LEFT = 112, RIGHT = 16, LABEL_H = 12, GAP = 3;
// Lanes of labels one above the other: the placer keeps GAP between boxes,
// so lanes closer than this would refuse every other one.
const LANE = LABEL_H + GAP + 1;
const measureCtx = document.createElement('canvas').getContext('2d');
measureCtx.font = FONT;
const widthCache = new Map();
function textWidth(t) {
  let w = widthCache.get(t);
  if (w === undefined) { w = Math.ceil(measureCtx.measureText(t).width) + 2; widthCache.set(t, w); }
  return w;
}
const KIND = {signal: 1, slowEnd: 2, slowStart: 3, warning: 4, beforeWarning: 5, speedBoard: 6,
  stop: 10, montagnaMarker: 11, pointSpeed: 12, pointNoSpeed: 13, textBoard: 14};
const KIND_NAME = {1: 'signal', 2: 'slow-down end', 3: 'slow-down start', 4: 'slow-down warning board',
  5: 'before warning board', 6: 'speed indicator board', 10: 'station stop', 11: 'montagna marker',
  12: 'abbattimento point with speed', 13: 'abbattimento point', 14: 'text board'};
const CELL_FIELDS = ['kind', 'value1', 'value2', 'value3', 'value4', 'signal_time', 'approach_code',
  'montagna_type', 'speed_code', 'gradient_code', 'adhesion_code'];
const COLOURS = {gradient: '#7a4a00', speed: '#1f4e99', slow: '#c0392b', warning: '#e67e22',
  adhesion: '#2b7a2b', curveL: '#2e86c1', curveR: '#af601a', montagna: '#7d6608', signal: '#1e8449',
  board: '#1f4e99', point: '#8e44ad', text: '#7f8c8d', station: '#c0392b', area: '#f5d5d0',
  problem: '#c0392b', warnProblem: '#e67e22', plan: '#333', planFaint: '#d0d0d0'};

let M = null;        // the model derived from D
let v0 = 0, v1 = 1000;  // the metres shown
let layout = null;

function buildModel() {
  const kinds = new Map();
  D.kinds.forEach((k) => kinds.set(k.id, k));
  const byKind = new Map();
  for (const o of D.objects) {
    const k = o[2];
    if (!byKind.has(k)) byKind.set(k, []);
    byKind.get(k).push(o);
  }
  // Rows by kind, in order of the position they act at.
  const rowsByKindPos = new Map();
  D.rows.forEach((r, i) => {
    if (r[7] < 0) return;
    if (!rowsByKindPos.has(r[0])) rowsByKindPos.set(r[0], []);
    rowsByKindPos.get(r[0]).push([r[7], i]);
  });
  for (const list of rowsByKindPos.values()) list.sort((a, b) => a[0] - b[0]);
  const rowsByKindCell = new Map();
  D.rows.forEach((r, i) => { if (r[6] >= 0) rowsByKindCell.set(r[0] + ':' + r[6], i); });
  const rowsByLine = new Map();
  D.rows.forEach((r, i) => rowsByLine.set(r[1] + ':' + r[2], i));
  M = {kinds, byKind, rowsByKindCell, rowsByKindPos, rowsByLine,
    pick: (ks) => ks.flatMap((k) => byKind.get(k) || []).sort((a, b) => a[0] - b[0])};
  M.signals = M.pick([KIND.signal]);
  M.boards = M.pick([KIND.speedBoard]);
  M.points = M.pick([KIND.pointSpeed, KIND.pointNoSpeed]);
  M.texts = M.pick([KIND.textBoard]);
  M.markers = M.pick([KIND.montagnaMarker]);
  M.before = M.pick([KIND.beforeWarning]);
  M.stations = D.stations.slice().sort((a, b) => a.pos - b.pos);
  M.problems = D.diagnostics.map((d, i) => [d.m, i]).filter((p) => p[0] !== null).sort((a, b) => a[0] - b[0]);
  const p = D.profiles;
  M.gradRange = range(p.gradient, true); M.speedMax = Math.max(10, ...p.speed.map((r) => r[2]),
    ...D.slow.map((s) => s[2]), ...D.warn.map((w) => w[1])) + 10;
  M.adhRange = range(p.adhesion, false);
}
function range(runs, zero) {
  let lo = zero ? 0 : Infinity, hi = zero ? 0 : -Infinity;
  for (const r of runs) { lo = Math.min(lo, r[2]); hi = Math.max(hi, r[2]); }
  if (!isFinite(lo)) { lo = 0; hi = 1; }
  if (hi <= lo) hi = lo + 1;
  return [lo, hi];
}
function lowerBound(arr, m, key) {
  let a = 0, b = arr.length;
  while (a < b) { const c = (a + b) >> 1; if (key(arr[c]) < m) a = c + 1; else b = c; }
  return a;
}
// Ranges sorted by their end: those that end at or after v0 (the caller
// stops at the first that starts after v1).
function fromView(arr, endKey) { return arr.slice(lowerBound(arr, v0, endKey)); }
function inView(arr, key, pad) {
  const a = lowerBound(arr, v0 - pad, key), b = lowerBound(arr, v1 + pad, key);
  return arr.slice(a, b);
}
const km = (m) => (m / 1000).toFixed(m % 1000 === 0 ? 0 : (m % 100 === 0 ? 1 : 3));

// ---- layout of the profile rows ----
const ROWS = [
  {id: 'gradient', title: 'gradient', unit: 'per mille', h: 80},
  {id: 'speed', title: 'speed', unit: 'km/h', h: 100},
  {id: 'adhesion', title: 'adhesion', unit: '', h: 44},
  {id: 'curves', title: 'curves', unit: 'side, class', h: 28},
  {id: 'montagna', title: 'montagna', unit: 'type', h: 22},
  {id: 'signals', title: 'signals', h: 22},
  {id: 'boards', title: 'speed boards', h: 22 + LABEL_H + 2},
  {id: 'points', title: 'abbattimento', h: 22},
  {id: 'texts', title: 'text boards', h: 22 + LABEL_H + 4},
  {id: 'stations', title: 'stations', h: 22 + 3 * LANE + 2},
  {id: 'problems', title: 'problems', h: 22},
  {id: 'axis', title: 'km', h: 28},
];
function doLayout() {
  const w = view.clientWidth;
  let total = 8;
  for (const r of ROWS) { r.top = total; total += r.h + 4; }
  const planH = Math.max(240, view.clientHeight - total - 4);
  const dpr = window.devicePixelRatio || 1;
  for (const [c, h] of [[planC, planH], [profC, total]]) {
    c.style.width = w + 'px'; c.style.height = h + 'px';
    c.width = Math.round(w * dpr); c.height = Math.round(h * dpr);
    c.getContext('2d').setTransform(dpr, 0, 0, dpr, 0, 0);
  }
  labelsEl.style.width = w + 'px';
  layout = {w, planH, profH: total, plotW: w - LEFT - RIGHT};
}
const mx = (m) => LEFT + (m - v0) / (v1 - v0) * layout.plotW;
const xm = (x) => v0 + (x - LEFT) / layout.plotW * (v1 - v0);
)PAGE";

const char* const kScriptPart2 = R"PAGE(
// ---- labels: greedy placement, so that no two ever overlap ----
class Placer {
  constructor() { this.boxes = []; this.cell = 64; this.grid = new Map(); }
  keys(b) {
    const out = [];
    for (let gx = Math.floor(b.x0 / this.cell); gx <= Math.floor(b.x1 / this.cell); gx++)
      for (let gy = Math.floor(b.y0 / this.cell); gy <= Math.floor(b.y1 / this.cell); gy++) out.push(gx + ',' + gy);
    return out;
  }
  free(b) {
    for (const k of this.keys(b)) for (const o of this.grid.get(k) || [])
      if (b.x0 < o.x1 + GAP && o.x0 < b.x1 + GAP && b.y0 < o.y1 + GAP && o.y0 < b.y1 + GAP) return false;
    return true;
  }
  add(b) { for (const k of this.keys(b)) { if (!this.grid.has(k)) this.grid.set(k, []); this.grid.get(k).push(b); } this.boxes.push(b); }
  // The first candidate box that is free, or null. A box must lie in [minX, maxX].
  place(text, cls, candidates, minX, maxX, title) {
    const w = textWidth(text);
    for (const [x, y] of candidates) {
      const b = {x0: x, y0: y, x1: x + w, y1: y + LABEL_H, text, cls, title};
      if (b.x0 < minX || b.x1 > maxX) continue;
      if (this.free(b)) { this.add(b); return b; }
    }
    return null;
  }
}
function renderLabels(placer) {
  const parts = [];
  for (const b of placer.boxes) {
    parts.push('<div class="lbl ' + b.cls + '" style="left:' + b.x0 + 'px;top:' + b.y0 + 'px;width:' +
      (b.x1 - b.x0) + 'px"' + (b.title ? ' data-title="' + esc(b.title) + '"' : '') + '>' + esc(b.text) + '</div>');
  }
  labelsEl.innerHTML = parts.join('');
}
function esc(s) { return String(s).replace(/[&<>"]/g, (c) => ({'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;'}[c])); }

// ---- the plan ----
let planFit = null;
function planLevel() {
  const levels = D.plan.levels;
  const span = v1 - v0;
  for (const l of levels) if (span / l.stride <= 3000) return l;
  return levels[levels.length - 1];
}
function planPoint(level, m) {
  const ms = level.m;
  let i = lowerBound(ms, m, (x) => x);
  if (i <= 0) return [level.x[0], level.y[0]];
  if (i >= ms.length) return [level.x[ms.length - 1], level.y[ms.length - 1]];
  const t = (m - ms[i - 1]) / Math.max(1, ms[i] - ms[i - 1]);
  return [level.x[i - 1] + t * (level.x[i] - level.x[i - 1]), level.y[i - 1] + t * (level.y[i] - level.y[i - 1])];
}
function drawPlan(placer) {
  const g = planC.getContext('2d');
  const w = layout.w, h = layout.planH;
  g.clearRect(0, 0, w, h);
  g.fillStyle = '#fbfbf8'; g.fillRect(0, 0, w, h);
  g.fillStyle = '#222'; g.font = 'bold 12px sans-serif'; g.fillText('plan', 10, 18);
  if (!D.plan) {
    g.font = FONT; g.fillText('no line plan: the line text built none', LEFT, 40);
    planFit = null; M.hiddenPlanStations = 0; return;
  }
  const level = planLevel();
  const a = Math.max(0, lowerBound(level.m, v0, (x) => x) - 1);
  const b = Math.min(level.m.length, lowerBound(level.m, v1, (x) => x) + 1);
  let minX = Infinity, maxX = -Infinity, minY = Infinity, maxY = -Infinity;
  for (let i = a; i < b; i++) {
    minX = Math.min(minX, level.x[i]); maxX = Math.max(maxX, level.x[i]);
    minY = Math.min(minY, level.y[i]); maxY = Math.max(maxY, level.y[i]);
  }
  if (!isFinite(minX)) { [minX, minY, maxX, maxY] = D.plan.bbox; }
  const pad = 40, pw = w - LEFT - RIGHT - 2 * pad, ph = h - 2 * pad;
  const spanX = Math.max(maxX - minX, 1), spanY = Math.max(maxY - minY, 1);
  const s = Math.min(pw / spanX, ph / spanY);
  const ox = LEFT + pad + (pw - spanX * s) / 2, oy = pad + (ph - spanY * s) / 2;
  const px = (x) => ox + (x - minX) * s, py = (y) => oy + (maxY - y) * s;
  planFit = {px, py, s, level};
  // The whole route faint, the part in view strong.
  const coarse = D.plan.levels[0];
  g.strokeStyle = COLOURS.planFaint; g.lineWidth = 1; g.beginPath();
  for (let i = 0; i < coarse.m.length; i++) { const X = px(coarse.x[i]), Y = py(coarse.y[i]); i ? g.lineTo(X, Y) : g.moveTo(X, Y); }
  g.stroke();
  g.strokeStyle = COLOURS.plan; g.lineWidth = 2.5; g.lineJoin = 'round'; g.beginPath();
  const p0 = planPoint(level, Math.max(v0, 0));
  g.moveTo(px(p0[0]), py(p0[1]));
  for (let i = a; i < b; i++) if (level.m[i] > v0 && level.m[i] < v1) g.lineTo(px(level.x[i]), py(level.y[i]));
  const p1 = planPoint(level, Math.min(v1, D.lengthM));
  g.lineTo(px(p1[0]), py(p1[1]));
  g.stroke();
  // Scale bar: the plan keeps one scale on both axes.
  const bar = niceStep(200 / s);
  g.strokeStyle = '#555'; g.lineWidth = 2; g.beginPath();
  g.moveTo(LEFT + 10, h - 16); g.lineTo(LEFT + 10 + bar * s, h - 16); g.stroke();
  g.fillStyle = '#555'; g.font = FONT; g.fillText(bar >= 1000 ? bar / 1000 + ' km' : bar + ' m', LEFT + 10, h - 22);
  // Stations: dots, then names where they fit.
  const stations = M.stations.filter((st) => st.pos >= v0 && st.pos <= v1);
  for (const st of stations) {
    const [x, y] = planPoint(level, st.pos);
    g.fillStyle = COLOURS.station; g.beginPath(); g.arc(px(x), py(y), 4.5, 0, 7); g.fill();
  }
  let hidden = 0;
  for (const st of stations) {
    const [x, y] = planPoint(level, st.pos), X = px(x), Y = py(y);
    const t = st.name, tw = textWidth(t);
    // Beside the dot, above and below it, then at its corners.
    const c = [[X + 8, Y - 6], [X - 8 - tw, Y - 6], [X - tw / 2, Y - 20], [X - tw / 2, Y + 8],
      [X + 6, Y - 19], [X - 6 - tw, Y - 19], [X + 6, Y + 7], [X - 6 - tw, Y + 7]];
    if (!placer.place(t, 'plan-station', c, LEFT, w - RIGHT, 'station ' + st.name)) hidden++;
  }
  M.hiddenPlanStations = hidden;
  hiddenNote(placer, hidden, 28, 'plan');
  // Kilometre marks along the line.
  const step = niceStep((v1 - v0) / 12);
  g.fillStyle = COLOURS.board;
  for (let m = Math.ceil(v0 / step) * step; m <= v1; m += step) {
    const [x, y] = planPoint(level, m), X = px(x), Y = py(y);
    g.beginPath(); g.arc(X, Y, 2.5, 0, 7); g.fill();
    const t = km(m) + ' km', tw = textWidth(t);
    placer.place(t, 'plan-km', [[X + 6, Y + 2], [X - 6 - tw, Y - 14], [X + 6, Y - 14], [X - 6 - tw, Y + 2]], LEFT, w - RIGHT);
  }
}
function niceStep(x) {
  const p = Math.pow(10, Math.floor(Math.log10(Math.max(x, 1e-9))));
  for (const f of [1, 2, 5, 10]) if (f * p >= x) return f * p;
  return 10 * p;
}
)PAGE";

const char* const kScriptPart3 = R"PAGE(
// ---- the profiles ----
function drawProfiles(placer) {
  const g = profC.getContext('2d');
  const w = layout.w, H = layout.profH, top0 = layout.planH;
  g.clearRect(0, 0, w, H);
  g.font = FONT;
  const R = Object.fromEntries(ROWS.map((r) => [r.id, r]));
  for (const r of ROWS) {
    g.fillStyle = r.id === 'axis' ? '#fff' : '#fbfbf8';
    g.fillRect(LEFT, r.top, layout.plotW, r.h);
    g.fillStyle = '#222'; g.font = 'bold 11px sans-serif'; g.fillText(r.title, 8, r.top + 13);
    if (r.unit) { g.fillStyle = '#777'; g.font = '10px sans-serif'; g.fillText(r.unit, 8, r.top + 25); }
    g.font = FONT;
  }
  g.save(); g.beginPath(); g.rect(LEFT, 0, layout.plotW, H); g.clip();
  // Kilometre grid over every row.
  const major = niceStep((v1 - v0) / Math.max(2, layout.plotW / 90));
  g.strokeStyle = '#ececec'; g.lineWidth = 1;
  for (let m = Math.ceil(v0 / major) * major; m <= v1; m += major) {
    const x = Math.round(mx(m)) + 0.5; g.beginPath(); g.moveTo(x, 0); g.lineTo(x, R.axis.top); g.stroke();
  }
  steps(g, D.profiles.gradient, R.gradient, M.gradRange, COLOURS.gradient, true);
  steps(g, D.profiles.speed, R.speed, [0, M.speedMax], COLOURS.speed, false);
  steps(g, D.profiles.adhesion, R.adhesion, M.adhRange, COLOURS.adhesion, false);
  const sy = (v) => R.speed.top + R.speed.h - v / M.speedMax * R.speed.h;
  for (const s of fromView(D.slow, (s) => s[1])) {
    if (s[0] > v1) break;
    const x0 = mx(s[0]), x1 = Math.max(mx(s[1]), x0 + 4), y = sy(s[2]);
    g.strokeStyle = COLOURS.slow; g.lineWidth = 4; g.beginPath(); g.moveTo(x0, y); g.lineTo(x1, y); g.stroke();
    placer.place(String(s[2]), 'slow', [[x0, top0 + y - 16], [x0, top0 + y + 4]], LEFT, w - RIGHT, 'slow-down ' + s[2] + ' km/h');
  }
  for (const wv of inView(D.warn, (x) => x[0], 0)) triangle(g, mx(wv[0]), sy(wv[1]), COLOURS.warning);
  for (const o of inView(M.before, (x) => x[0], 0)) triangle(g, mx(o[0]), R.speed.top + 12, '#999');
  // Curves: left above the middle, right below, darker by class.
  const cm = R.curves.top + R.curves.h / 2;
  for (const c of D.curves) {
    if (c[1] < v0 || c[0] > v1) continue;
    const x0 = mx(c[0]), x1 = Math.max(mx(c[1]), x0 + 2);
    g.fillStyle = c[2] === 'L' ? COLOURS.curveL : COLOURS.curveR;
    g.globalAlpha = 0.35 + 0.1 * Math.min(c[3], 6);
    g.fillRect(x0, c[2] === 'L' ? cm - 10 : cm + 1, x1 - x0, 9);
    g.globalAlpha = 1;
    const t = c[2] + c[3];
    if (x1 - x0 > g.measureText(t).width + 4) { g.fillStyle = '#fff'; g.fillText(t, x0 + 2, c[2] === 'L' ? cm - 2 : cm + 9); }
  }
  g.strokeStyle = '#ccc'; g.lineWidth = 1; g.beginPath(); g.moveTo(LEFT, cm + 0.5); g.lineTo(w - RIGHT, cm + 0.5); g.stroke();
  for (const r of fromView(D.profiles.montagna, (x) => x[1])) {
    if (r[0] > v1) break;
    if (!r[2]) continue;
    g.fillStyle = COLOURS.montagna; g.globalAlpha = 0.25 + 0.07 * Math.min(r[2], 10);
    g.fillRect(mx(r[0]), R.montagna.top + 4, Math.max(mx(r[1]) - mx(r[0]), 1), R.montagna.h - 8);
    g.globalAlpha = 1;
  }
  ticks(g, M.markers, R.montagna, COLOURS.montagna, 0.5);
  ticks(g, M.signals, R.signals, COLOURS.signal, 1);
  ticks(g, M.boards, R.boards, COLOURS.board, 1, 22);
  ticks(g, M.points, R.points, COLOURS.point, 1);
  ticks(g, M.texts, R.texts, COLOURS.text, 1, 22);
  for (const o of inView(M.boards, (x) => x[0], 0)) {
    const x = mx(o[0]);
    placer.place(o[3], 'board', [[x - 2, top0 + R.boards.top + 22]], LEFT, w - RIGHT, 'speed board ' + o[3] + ' km/h (left board)');
  }
  for (const o of inView(M.texts, (x) => x[0], 0)) {
    const x = mx(o[0]);
    placer.place(o[3], 'text', [[x - 2, top0 + R.texts.top + 23], [x - textWidth(o[3]) + 2, top0 + R.texts.top + 23]], LEFT, w - RIGHT, 'text board');
  }
  // Stations: areas as bands, positions as ticks, names over three lanes.
  const st = R.stations;
  const visible = M.stations.filter((s) => s.to >= v0 && s.from <= v1);
  for (const s of visible) {
    g.fillStyle = COLOURS.area; g.fillRect(mx(s.from), st.top + 4, Math.max(mx(s.to) - mx(s.from), 1), 14);
  }
  g.strokeStyle = COLOURS.station; g.lineWidth = 2;
  for (const s of visible) { const x = mx(s.pos); g.beginPath(); g.moveTo(x, st.top + 2); g.lineTo(x, st.top + 20); g.stroke(); }
  let hidden = 0;
  for (const s of visible) {
    if (s.pos < v0 || s.pos > v1) continue;
    const x = mx(s.pos), t = s.name + (s.time ? ' ' + s.time : ''), tw = textWidth(t);
    const c = [];
    for (let lane = 0; lane < 3; lane++) {
      const y = top0 + st.top + 22 + lane * LANE;
      // Right of the tick, or left of it ending on it (a station at the
      // route's end stands on the plot's right edge).
      c.push([Math.max(LEFT, x - 1), y], [Math.min(x + 1, w - RIGHT) - tw, y]);
    }
    if (!placer.place(t, 'station', c, LEFT, w - RIGHT, 'station ' + s.name)) hidden++;
  }
  M.hiddenStations = hidden;
  // Problems where they are.
  for (const [m, i] of inView(M.problems, (x) => x[0], 0)) {
    const d = D.diagnostics[i];
    triangle(g, mx(m), R.problems.top + 16, d.severity === 'error' ? COLOURS.problem : COLOURS.warnProblem, 7);
  }
  g.restore();
  // The kilometre axis.
  const ax = R.axis;
  g.strokeStyle = '#555'; g.lineWidth = 1; g.beginPath(); g.moveTo(LEFT, ax.top + 0.5); g.lineTo(w - RIGHT, ax.top + 0.5); g.stroke();
  const minor = major / 5;
  for (let m = Math.ceil(v0 / minor) * minor; m <= v1; m += minor) {
    const x = Math.round(mx(m)) + 0.5, isMajor = Math.abs(m / major - Math.round(m / major)) < 1e-6;
    g.beginPath(); g.moveTo(x, ax.top); g.lineTo(x, ax.top + (isMajor ? 7 : 4)); g.stroke();
    if (isMajor) {
      const t = km(Math.round(m)) + ' km', tw = textWidth(t);
      placer.place(t, 'km', [[x - tw / 2, top0 + ax.top + 10], [x + 2, top0 + ax.top + 10], [x - tw - 2, top0 + ax.top + 10]], 0, w);
    }
  }
  hiddenNote(placer, hidden, top0 + st.top + 20, 'row');
}
// How many station names found no room, in the title column left of the
// plot: two short lines, as the column is narrow.
function hiddenNote(placer, hidden, y, part) {
  if (!hidden) return;
  const lines = [hidden + ' name' + (hidden > 1 ? 's' : '') + ' hidden:', 'zoom in to see'];
  lines.forEach((t, i) => placer.place(t, 'note note-' + part, [[8, y + i * LANE]], 0, LEFT - 4,
    hidden + ' station name' + (hidden > 1 ? 's' : '') + ' not labelled here for want of room'));
}
function steps(g, runs, row, [lo, hi], colour, zeroLine) {
  const y = (v) => row.top + row.h - 4 - (v - lo) / (hi - lo) * (row.h - 8);
  g.fillStyle = '#888'; g.font = '9px sans-serif';
  g.fillText(String(hi), LEFT - 4 - g.measureText(String(hi)).width, row.top + 10);
  g.fillText(String(lo), LEFT - 4 - g.measureText(String(lo)).width, row.top + row.h - 2);
  g.font = FONT;
  if (zeroLine && lo < 0) { g.strokeStyle = '#bbb'; g.lineWidth = 1; g.beginPath(); g.moveTo(LEFT, y(0)); g.lineTo(LEFT + layout.plotW, y(0)); g.stroke(); }
  g.strokeStyle = colour; g.lineWidth = 1.6; g.beginPath();
  let first = true;
  for (const r of fromView(runs, (x) => x[1])) {
    if (r[0] > v1) break;
    const x0 = mx(r[0]), x1 = mx(r[1]), Y = y(r[2]);
    if (first) { g.moveTo(x0, Y); first = false; } else g.lineTo(x0, Y);
    g.lineTo(x1, Y);
  }
  g.stroke();
}
function ticks(g, objs, row, colour, width, height) {
  g.strokeStyle = colour; g.lineWidth = width;
  g.beginPath();
  let last = -10;
  for (const o of inView(objs, (x) => x[0], 0)) {
    const x = Math.round(mx(o[0])) + 0.5;
    if (x - last < 0.5) continue;
    last = x; g.moveTo(x, row.top + 3); g.lineTo(x, row.top + (height || row.h) - 3);
  }
  g.stroke();
}
function triangle(g, x, y, colour, size) {
  const s = size || 5;
  g.fillStyle = colour; g.beginPath(); g.moveTo(x, y - s * 1.6); g.lineTo(x - s, y); g.lineTo(x + s, y); g.closePath(); g.fill();
}
)PAGE";

const char* const kScriptPart4 = R"PAGE(
// ---- drawing, panning, zooming ----
let pending = false;
function redraw() {
  if (pending) return;
  pending = true;
  requestAnimationFrame(() => { pending = false; drawNow(); });
}
function drawNow() {
  if (!layout || layout.w !== view.clientWidth) doLayout();
  const placer = new Placer();
  // Station names first: they matter more than kilometre numbers.
  drawProfiles(placer);
  drawPlan(placer);
  renderLabels(placer);
  $('range').textContent = km(Math.round(v0)) + ' – ' + km(Math.round(v1)) + ' km';
  document.body.dataset.view = Math.round(v0) + ',' + Math.round(v1);
}
// The view the author chose. An update keeps it even when it cannot show it
// (a route that is shorter for a moment), so that it comes back with the route.
let wanted = null;
function setView(a, b) { showView(a, b); wanted = [v0, v1]; }
function showView(a, b) {
  const L = D.lengthM, minSpan = Math.min(L, 200);
  let span = Math.max(minSpan, Math.min(b - a, L));
  a = Math.max(0, Math.min(a, L - span));
  v0 = a; v1 = a + span;
  redraw();
}
function zoomAt(m, factor) { setView(m - (m - v0) * factor, m + (v1 - m) * factor); }
// A link to a place: centred on it, and zoomed in to a few kilometres
// unless the view is closer already.
const GO_SPAN = 5000;
function goTo(m) { const half = Math.min(v1 - v0, GO_SPAN) / 2; setView(m - half, m + half); }
function metreAtPlan(x, y) {
  if (!planFit) return null;
  const l = planFit.level;
  let best = null, bd = Infinity;
  const a = Math.max(0, lowerBound(l.m, v0, (q) => q) - 1), b = Math.min(l.m.length, lowerBound(l.m, v1, (q) => q) + 1);
  for (let i = a; i < b; i++) {
    const dx = planFit.px(l.x[i]) - x, dy = planFit.py(l.y[i]) - y, d = dx * dx + dy * dy;
    if (d < bd) { bd = d; best = l.m[i]; }
  }
  return best === null ? null : {m: best, d: Math.sqrt(bd)};
}
view.addEventListener('wheel', (e) => {
  e.preventDefault();
  const factor = Math.exp(e.deltaY * 0.0015);
  const r = view.getBoundingClientRect();
  const x = e.clientX - r.left, y = e.clientY - r.top + view.scrollTop;
  let m;
  if (y < layout.planH) { const p = metreAtPlan(x, y); m = p ? p.m : (v0 + v1) / 2; } else m = xm(x);
  zoomAt(Math.max(v0, Math.min(v1, m)), factor);
}, {passive: false});
let drag = null;
view.addEventListener('mousedown', (e) => {
  const r = view.getBoundingClientRect();
  const x = e.clientX - r.left, y = e.clientY - r.top + view.scrollTop;
  const onPlan = y < layout.planH;
  drag = {x, y, a: v0, b: v1, onPlan, m: onPlan ? (metreAtPlan(x, y) || {}).m : null};
  view.style.cursor = 'grabbing';
});
window.addEventListener('mouseup', () => { drag = null; view.style.cursor = ''; });
view.addEventListener('mousemove', (e) => {
  const r = view.getBoundingClientRect();
  const x = e.clientX - r.left, y = e.clientY - r.top + view.scrollTop;
  if (drag) {
    tip.style.display = 'none';
    if (!drag.onPlan) {
      const dm = (x - drag.x) / layout.plotW * (drag.b - drag.a);
      setView(drag.a - dm, drag.b - dm);
    } else if (drag.m != null) {
      // Dragging the plan moves the route under the pointer along with it.
      const p = metreAtPlan(x, y);
      if (p) { const dm = p.m - drag.m; setView(v0 - dm, v1 - dm); }
    }
    return;
  }
  hover(x, y);
});
view.addEventListener('mouseleave', () => { tip.style.display = 'none'; });
view.addEventListener('dblclick', () => setView(0, D.lengthM));
$('fit').addEventListener('click', () => setView(0, D.lengthM));
window.addEventListener('resize', () => { layout = null; redraw(); });

// ---- hover: the row as written and its cell ----
function rowText(ri) {
  if (ri === undefined || ri === null) return 'row: not logged by this compile';
  const r = D.rows[ri], k = M.kinds.get(r[0]) || {names: [], units: [], key: '?', summary: ''};
  const lines = [(D.files[r[1]] || r[1]) + ':' + r[2] + (r[3] ? ':' + r[3] : '') + '  ' + k.summary,
    '  ' + r[4] + (r[5].length ? ', ' + r[5].join(', ') : '')];
  r[5].forEach((item, i) => lines.push('  ' + (k.names[i] || 'value ' + (i + 1)) + ' = ' + item + (k.units[i] ? ' ' + k.units[i] : '')));
  return lines.join('\n');
}
function cellText(cell) {
  const f = D.cells[String(cell)];
  if (!f) return 'cell ' + cell + ' (' + km(cell * D.cellM) + ' km)';
  const parts = CELL_FIELDS.map((n, i) => n + ' ' + f[i]);
  return 'cell ' + cell + ' at ' + km(cell * D.cellM) + ' km: ' + (KIND_NAME[f[0]] || 'kind ' + f[0]) + '\n  ' + parts.join(', ');
}
// The row that put an object into `cell`; else the row of those kinds that
// acts at `m` (exact) or last before it (a profile's row).
function rowForCell(kindIds, cell, m, exact) {
  for (const id of kindIds) {
    const ri = M.rowsByKindCell.get(id + ':' + cell);
    if (ri !== undefined) return ri;
  }
  if (m === undefined) return undefined;
  let best;
  for (const id of kindIds) {
    const list = M.rowsByKindPos.get(id) || [];
    const i = lowerBound(list, m + 1, (q) => q[0]) - 1;
    if (i < 0) continue;
    if (exact && list[i][0] !== m) continue;
    if (best === undefined || list[i][0] > D.rows[best][7]) best = list[i][1];
  }
  return best;
}
function nearest(objs, key, x) {
  let best = null, bd = 7;
  for (const o of inView(objs, key, (v1 - v0) / layout.plotW * 8)) {
    const d = Math.abs(mx(key(o)) - x);
    if (d < bd) { bd = d; best = o; }
  }
  return best;
}
function runAt(runs, m) { const i = lowerBound(runs, m, (r) => r[1]); return runs[Math.min(i, runs.length - 1)]; }
// The row kinds whose rows set what a profile row shows, by their ids.
const keysOf = (id) => D.rowKinds[id] || [];
function hover(x, y) {
  let text = null;
  if (y < layout.planH) {
    const p = metreAtPlan(x, y);
    if (p && p.d < 12) {
      const st = M.stations.find((s) => Math.abs(s.pos - p.m) <= Math.max(D.cellM, 10 / planFit.s));
      text = st ? stationText(st) : 'plan at ' + km(p.m) + ' km\n' + cellText(Math.floor(p.m / D.cellM));
    }
  } else {
    const py = y - layout.planH, row = ROWS.find((r) => py >= r.top && py < r.top + r.h + 4);
    if (!row || x < LEFT) { tip.style.display = 'none'; return; }
    const m = xm(x), id = row.id;
    const lists = {signals: M.signals, boards: M.boards, points: M.points, texts: M.texts};
    if (lists[id]) {
      const o = nearest(lists[id], (q) => q[0], x);
      if (o) text = (KIND_NAME[o[2]] || '') + (o[3] ? ' ' + o[3] : '') + '\n' + rowText(rowForCell(keysOf(id), o[1], o[0], true)) + '\n' + cellText(o[1]);
    } else if (id === 'stations') {
      const s = nearest(M.stations, (q) => q.pos, x);
      if (s) text = stationText(s);
    } else if (id === 'problems') {
      const p = nearest(M.problems, (q) => q[0], x);
      if (p) text = diagText(D.diagnostics[p[1]]);
    } else if (id === 'curves') {
      const c = D.curves.find((q) => m >= q[0] && m <= q[1]);
      if (c) text = 'curve ' + (c[2] === 'L' ? 'left' : 'right') + ', class ' + c[3] + ', ' + km(c[0]) + ' – ' + km(c[1]) + ' km\n' + rowText(c[4]);
      else if (!D.curves.length) text = 'curves come from the logged rows; this compile logged none';
    } else if (id === 'speed') {
      const s = D.slow.find((q) => m >= q[0] && m <= q[1]);
      const r = runAt(D.profiles.speed, m);
      text = 'line speed ' + (r ? r[2] : '?') + ' km/h at ' + km(Math.round(m)) + ' km' + (r ? '\n' + rowText(rowForCell(keysOf('speed'), -1, r[0] + D.cellM / 2)) : '');
      if (s) text += '\nslow-down ' + s[2] + ' km/h, ' + km(s[0]) + ' – ' + km(s[1]) + ' km\n' + rowText(rowForCell(keysOf('slow'), s[3], s[0] + D.cellM / 2)) + '\n' + cellText(s[3]);
    } else if (id === 'gradient' || id === 'adhesion' || id === 'montagna') {
      const r = runAt(D.profiles[id], m);
      if (r) text = id + ' ' + r[2] + ' from ' + km(r[0]) + ' to ' + km(r[1]) + ' km\n' + rowText(rowForCell(keysOf(id), -1, r[0] + D.cellM / 2));
    } else if (id === 'axis') {
      text = km(Math.round(m)) + ' km, cell ' + Math.floor(m / D.cellM);
    }
  }
  if (!text) { tip.style.display = 'none'; return; }
  tip.textContent = text;
  tip.style.display = 'block';
  const tw = tip.offsetWidth;
  tip.style.left = Math.min(x + 14, layout.w - tw - 4) + 'px';
  tip.style.top = (y + 14) + 'px';
}
function stationText(s) {
  return 'station ' + s.name + ' at ' + km(s.pos) + ' km, kind ' + s.kind + (s.time ? ', ' + s.time : '') +
    '\narea ' + km(s.from) + ' – ' + km(s.to) + ' km\n' + rowText(rowForCell(keysOf('stations'), -1, s.pos, true)) + '\n' + cellText(s.cell);
}
function diagText(d) {
  return d.severity + (d.code ? ' code ' + d.code : '') + ' [' + d.rule + ']\n' + where(d) + '\n' + d.message +
    d.notes.map((n) => '\n  note: ' + (D.files[n.file] || '') + ':' + n.line + ': ' + n.message).join('');
}
function where(d) { return d.line ? (D.files[d.file] || d.file) + ':' + d.line + (d.column ? ':' + d.column : '') : (D.files[d.file] || ''); }
)PAGE";

const char* const kScriptPart5 = R"PAGE(
// ---- side panel ----
function fillPanel() {
  $('title').textContent = D.title;
  document.title = D.title + ' – route preview';
  const ul = document.querySelector('#diagnostics ul');
  const errors = D.diagnostics.filter((d) => d.severity === 'error').length;
  document.querySelector('#diagnostics h2').textContent = D.readError ? 'Problems (a text cannot be read)' :
    'Problems (' + errors + ' error' + (errors === 1 ? '' : 's') + ', ' + (D.diagnostics.length - errors) + ' warning' +
    (D.diagnostics.length - errors === 1 ? '' : 's') + ')';
  // A problem with a place on the route is a link there; one without (a
  // whole text, a [generale] row) does not look like one.
  const items = D.diagnostics.map((d, i) => '<li class="diag ' + d.severity + (d.m !== null ? ' placed' : '') +
    '" data-i="' + i + '"' + (d.m !== null ? ' title="show on the route"' : '') + '><b>' + d.severity +
    (d.code ? ' ' + d.code : '') + '</b> <span class="where">' + esc(where(d)) +
    (d.m !== null ? ' · ' + (d.near ? 'near ' : '') + km(d.m) + ' km' : '') + '</span><br>' + esc(d.message) + '</li>');
  // While a text cannot be read the server keeps the last compile and lists
  // only the read problem.
  if (D.readError) items.unshift('<li class="read-error">' + esc(D.readError) +
    '<br>The view shows the last texts that could be read.</li>');
  ul.innerHTML = items.length ? items.join('') : '<li class="none">no problem found</li>';
  const st = $('status');
  st.textContent = D.readError ? 'a text cannot be read' : errors ? errors + ' error' + (errors > 1 ? 's' : '') : 'compiles cleanly';
  st.className = errors || D.readError ? 'bad' : '';
  $('stations').querySelector('tbody').innerHTML = M.stations.map((s) => '<tr class="station-row" data-m="' + s.pos + '"><td>' +
    esc(s.name) + '</td><td class="n">' + (s.pos / 1000).toFixed(3) + '</td><td class="n">' + s.kind + '</td><td class="n">' +
    (s.from / 1000).toFixed(3) + '–' + (s.to / 1000).toFixed(3) + '</td><td>' + esc(s.time) + '</td></tr>').join('');
  const legend = [['gradient', COLOURS.gradient], ['line speed', COLOURS.speed], ['slow-down', COLOURS.slow],
    ['warning board', COLOURS.warning], ['adhesion', COLOURS.adhesion], ['curve left', COLOURS.curveL],
    ['curve right', COLOURS.curveR], ['montagna range', COLOURS.montagna], ['signal', COLOURS.signal],
    ['speed board', COLOURS.board], ['abbattimento point', COLOURS.point], ['text board', COLOURS.text],
    ['station, area', COLOURS.station], ['problem', COLOURS.problem]];
  $('legend').innerHTML = '<h2>Legend</h2>' + legend.map(([n, c]) => '<div><i style="background:' + c + '"></i>' + n + '</div>').join('');
}
document.querySelector('#diagnostics ul').addEventListener('click', (e) => {
  const li = e.target.closest('li[data-i]');
  if (!li) return;
  const d = D.diagnostics[+li.dataset.i];
  if (d.m !== null) goTo(d.m);
});
$('stations').addEventListener('click', (e) => {
  const tr = e.target.closest('tr[data-m]');
  if (tr) goTo(+tr.dataset.m);
});

function load(keepView) {
  buildModel();
  fillPanel();
  document.body.dataset.version = D.version || 0;
  if (keepView && wanted) showView(wanted[0], wanted[1]); else setView(0, D.lengthM);
}
load(false);
drawNow();
document.body.dataset.ready = '1';
window.preview = {setView, view: () => [v0, v1], hiddenStations: () => M.hiddenStations,
  hiddenPlanStations: () => M.hiddenPlanStations, redraw: drawNow,
  // Where metre m of a profile row lies in the view, for tests that point at it.
  at: (id, m) => ({x: mx(m), y: layout.planH + ROWS.find((r) => r.id === id).top + 10 - view.scrollTop})};

if (LIVE) {
  const live = $('live');
  const source = new EventSource('/events');
  let shown = D.version || 0;
  source.addEventListener('hello', (e) => { live.textContent = 'live'; if (+e.data !== shown) refresh(); });
  source.addEventListener('update', () => refresh());
  source.onerror = () => { live.textContent = 'server gone: the page stays as it was'; };
  async function refresh() {
    try {
      const r = await fetch('/data', {cache: 'no-store'});
      D = await r.json();
      shown = D.version;
      load(true);
      drawNow();
      live.textContent = 'live · updated ' + new Date().toLocaleTimeString();
    } catch (err) { live.textContent = 'update failed: ' + err; }
  }
}
)PAGE";

}  // namespace

const std::string& preview_script() {
  static const std::string script =
      std::string(kScriptPart1) + kScriptPart2 + kScriptPart3 + kScriptPart4 + kScriptPart5;
  return script;
}

}  // namespace scenario::tools
