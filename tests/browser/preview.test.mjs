// Loads the preview pages in the system's Chromium and checks what a reader
// sees: the plan, the profiles, every station, the problems, labels that
// never overlap, and a save that reaches the open page of `--serve`.
//
// Environment: SCENARIO_TOOL (the tool), WORK (a scratch directory),
// ARTIFACTS (screenshots and figures), CHROMIUM (default /usr/bin/chromium).

import {spawn, spawnSync, execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {chromium} from 'playwright-core';

const tool = process.env.SCENARIO_TOOL;
const work = process.env.WORK;
const artifacts = process.env.ARTIFACTS;
const executablePath = process.env.CHROMIUM || '/usr/bin/chromium';
const bounds = {pageBytes: 6 * 1024 * 1024, firstPaintMs: 5000, updateMs: 3000};
const figures = {};
let failures = 0;

function check(ok, what) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what);
  if (!ok) failures++;
}

function run(...args) { return execFileSync(tool, args, {encoding: 'utf8'}); }

// What `check` reports for the texts: the panel must list the same.
function checked(line, train) {
  const r = spawnSync(tool, ['check', '--format', 'json', line, train], {encoding: 'utf8'});
  return JSON.parse(r.stdout).map((d) => ({severity: d.severity, rule: d.rule, line: d.line}));
}

// The three texts: the carried scenario, the generated 1000 km route, and
// the carried scenario with a signal put into a cell already taken, a row
// of a key word the builder does not know (an error and a warning, both
// with a place on the route) and a sand value that is no whole number (an
// error of a [generale] row, with no place).
function prepare() {
  fs.rmSync(work, {recursive: true, force: true});
  fs.mkdirSync(work, {recursive: true});
  run('export-carried', path.join(work, 'lorvena'));
  run('synthesize', path.join(work, 'long'), '--length', '1000000');
  const lor = path.join(work, 'lorvena');
  const line = fs.readdirSync(lor).find((f) => f.endsWith('_linea.txt'));
  const train = fs.readdirSync(lor).find((f) => f.endsWith('-.txt'));
  const bad = path.join(work, 'problems');
  fs.mkdirSync(bad);
  fs.copyFileSync(path.join(lor, line), path.join(bad, line));
  const text = fs.readFileSync(path.join(lor, train), 'latin1');
  const lines = text.split('\r\n');
  const signal = lines.findIndex((l) => l.startsWith('segnale'));
  lines.splice(signal + 1, 0, lines[signal], 'frobnicate,    3000, 1');
  const sand = lines.findIndex((l) => l.startsWith('sabbia'));
  lines[sand] = lines[sand].replace(/\d+$/, '$&.5');
  fs.writeFileSync(path.join(bad, train), lines.join('\r\n'), 'latin1');
  return {
    lorvena: [path.join(lor, line), path.join(lor, train)],
    long: [path.join(work, 'long', 'line.txt'), path.join(work, 'long', 'train.txt')],
    problems: [path.join(bad, line), path.join(bad, train)],
  };
}

async function labelsOverlap(page) {
  return page.evaluate(() => {
    const boxes = [...document.querySelectorAll('.lbl')].map((e) => e.getBoundingClientRect());
    boxes.sort((a, b) => a.left - b.left);
    const bad = [];
    for (let i = 0; i < boxes.length; i++) {
      for (let j = i + 1; j < boxes.length && boxes[j].left < boxes[i].right; j++) {
        const a = boxes[i], b = boxes[j];
        if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) bad.push([i, j]);
      }
    }
    return {count: boxes.length, overlaps: bad.length};
  });
}

// No station name is dropped without a word: on the plan and in the station
// row, the names shown and the number in that part's note add up to the
// stations in view; the notes stay in the title column, left of the plot.
async function checkStationNames(page, name, when) {
  const s = await page.evaluate(() => {
    const data = JSON.parse(document.getElementById('route-data').textContent);
    const [a, b] = window.preview.view();
    const noted = (part) => {
      const n = document.querySelector('.lbl.note-' + part);
      return n ? parseInt(n.textContent, 10) : 0;
    };
    const plotLeft = window.preview.at('stations', a).x + document.getElementById('view').getBoundingClientRect().left;
    return {
      inView: data.stations.filter((st) => st.pos >= a && st.pos <= b).length,
      row: document.querySelectorAll('.lbl.station').length, rowNoted: noted('row'),
      plan: document.querySelectorAll('.lbl.plan-station').length, planNoted: noted('plan'),
      // Each note in full: its two lines.
      noteLines: ['row', 'plan'].map((part) => document.querySelectorAll('.lbl.note-' + part).length),
      notesRight: Math.max(0, ...[...document.querySelectorAll('.lbl.note')].map((e) => e.getBoundingClientRect().right)),
      plotLeft,
    };
  });
  check(s.row + s.rowNoted === s.inView && s.plan + s.planNoted === s.inView,
    `${name}, ${when}: ${s.inView} stations in view; row ${s.row} named + ${s.rowNoted} noted, plan ${s.plan} named + ${s.planNoted} noted`);
  check([s.rowNoted, s.planNoted].every((n, i) => s.noteLines[i] === (n ? 2 : 0)),
    `${name}, ${when}: each note shown whole (${s.noteLines.join(' and ')} lines)`);
  check(s.notesRight <= s.plotLeft, `${name}, ${when}: the notes end at ${Math.round(s.notesRight)} px, left of the plot at ${Math.round(s.plotLeft)} px`);
  return s;
}

// A problem with a place is a link that brings the view there; one without
// does not look like a link.
async function checkProblemLinks(page, name) {
  const count = await page.locator('#diagnostics li.diag').count();
  for (let i = 0; i < count; i++) {
    await page.evaluate(() => window.preview.setView(0, Infinity));
    const li = page.locator('#diagnostics li.diag').nth(i);
    const {m, cursor} = await li.evaluate((e) => ({
      m: JSON.parse(document.getElementById('route-data').textContent).diagnostics[+e.dataset.i].m,
      cursor: getComputedStyle(e).cursor}));
    check((m !== null) === (cursor === 'pointer'), `${name}: problem ${i + 1} at ${m} m, cursor ${cursor}`);
    if (m === null) continue;
    await li.click();
    await page.waitForTimeout(50);
    const [a, b] = await page.evaluate(() => window.preview.view());
    check(a <= m && m <= b && b - a <= 5000, `${name}: a click on problem ${i + 1} shows ${(a / 1000).toFixed(1)}–${(b / 1000).toFixed(1)} km`);
  }
}

// At the whole route, a click on a station's row goes there.
async function checkStationRowLink(page, name) {
  await page.locator('#fit').click();
  const row = page.locator('#stations tbody tr').nth(Math.floor(await page.locator('#stations tbody tr').count() / 2));
  const m = +(await row.getAttribute('data-m'));
  await row.click();
  await page.waitForTimeout(50);
  const [a, b] = await page.evaluate(() => window.preview.view());
  check(a <= m && m <= b && b - a <= 5000, `${name}: a click on the station at ${m} m shows ${(a / 1000).toFixed(1)}–${(b / 1000).toFixed(1)} km`);
}

async function inspectPage(page, name, expected) {
  const state = await page.evaluate(() => {
    const data = JSON.parse(document.getElementById('route-data').textContent);
    const inked = (id) => {
      const c = document.getElementById(id);
      const g = c.getContext('2d');
      const px = g.getImageData(0, 0, c.width, c.height).data;
      let n = 0;
      for (let i = 0; i < px.length; i += 4) if (px[i] < 200 || px[i + 1] < 200 || px[i + 2] < 200) n++;
      return n;
    };
    const rows = [...document.querySelectorAll('#stations tbody tr')].map((r) => r.cells[0].textContent);
    return {
      planInk: inked('plan'), profInk: inked('prof'),
      stations: data.stations.map((s) => s.name), rows,
      diagnostics: data.diagnostics.map((d) => ({severity: d.severity, rule: d.rule, line: d.line})),
      diagItems: document.querySelectorAll('#diagnostics li.diag').length,
      errorItems: document.querySelectorAll('#diagnostics li.diag.error').length,
      warningItems: document.querySelectorAll('#diagnostics li.diag.warning').length,
    };
  });
  check(state.planInk > 500, `${name}: the plan is drawn (${state.planInk} pixels)`);
  check(state.profInk > 2000, `${name}: the profiles are drawn (${state.profInk} pixels)`);
  check(state.stations.length > 0 && state.stations.every((s, i) => state.rows[i] === s),
    `${name}: all ${state.stations.length} stations are in the table`);
  check(JSON.stringify(state.diagnostics) === JSON.stringify(expected),
    `${name}: the page holds check's ${expected.length} diagnostics`);
  const errors = expected.filter((d) => d.severity === 'error').length;
  check(state.diagItems === expected.length && state.errorItems === errors &&
    state.warningItems === expected.length - errors,
    `${name}: listed errors ${state.errorItems}, warnings ${state.warningItems}`);
  const first = await labelsOverlap(page);
  check(first.count > 0 && first.overlaps === 0, `${name}: ${first.count} labels, none overlapping, at the first view`);
  const namesFirst = await checkStationNames(page, name, 'first view');
  // The README's picture: the first view, with no tooltip.
  await page.screenshot({path: path.join(artifacts, `preview-${name}.png`)});
  // Hover over the first station: its row as written, with the values named.
  const box = await page.locator('#view').boundingBox();
  const station = await page.evaluate(() => {
    const d = JSON.parse(document.getElementById('route-data').textContent);
    return {p: window.preview.at('stations', d.stations[0].pos), name: d.stations[0].name};
  });
  await page.mouse.move(box.x + station.p.x, box.y + station.p.y);
  const tipText = await page.locator('#tip').textContent();
  check(tipText.includes("station " + station.name) && /:\d+/.test(tipText) && tipText.includes('position_m ='),
    `${name}: hover on ${station.name} shows its row (${tipText.split('\n')[2] || tipText})`);
  await page.screenshot({path: path.join(artifacts, `preview-${name}-hover.png`)});
  // Zoom in with the wheel over the middle of the profiles.
  const prof = await page.locator('#prof').boundingBox();
  await page.mouse.move(prof.x + prof.width / 2, prof.y + 120);
  for (let i = 0; i < 4; i++) await page.mouse.wheel(0, -400);
  await page.waitForTimeout(300);
  const zoomed = await labelsOverlap(page);
  const view = await page.evaluate(() => window.preview.view());
  check(zoomed.overlaps === 0, `${name}: ${zoomed.count} labels, none overlapping, zoomed in to ${(view[0] / 1000).toFixed(1)}–${(view[1] / 1000).toFixed(1)} km`);
  const namesZoomed = await checkStationNames(page, name, 'zoomed in');
  check(namesZoomed.rowNoted <= namesFirst.rowNoted && namesZoomed.planNoted <= namesFirst.planNoted,
    `${name}: station names hidden in the row ${namesFirst.rowNoted} → ${namesZoomed.rowNoted}, on the plan ${namesFirst.planNoted} → ${namesZoomed.planNoted} when zoomed in`);
  await page.screenshot({path: path.join(artifacts, `preview-${name}-zoomed.png`)});
  await checkStationRowLink(page, name);
  await checkProblemLinks(page, name);
}

async function staticPages(browser, texts) {
  for (const [name, [line, train]] of Object.entries(texts)) {
    const html = path.join(work, `${name}.html`);
    run('preview', line, train, '-o', html);
    const bytes = fs.statSync(html).size;
    figures[`${name}PageBytes`] = bytes;
    check(bytes < bounds.pageBytes, `${name}: page ${(bytes / 1048576).toFixed(2)} MB`);
    const page = await browser.newPage({viewport: {width: 1600, height: 1000}});
    const blocked = [];
    page.on('request', (r) => { if (!r.url().startsWith('file:') && !r.url().startsWith('data:')) blocked.push(r.url()); });
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.goto('file://' + html);
    await page.waitForSelector('body[data-ready="1"]', {timeout: 20000});
    const paint = await page.evaluate(() => new Promise((resolve) =>
      requestAnimationFrame(() => requestAnimationFrame(() => resolve(performance.now())))));
    figures[`${name}FirstPaintMs`] = Math.round(paint);
    check(paint < bounds.firstPaintMs, `${name}: first paint after ${Math.round(paint)} ms`);
    check(errors.length === 0, `${name}: no script error ${errors.join('; ')}`);
    check(blocked.length === 0, `${name}: no network request ${blocked.join(' ')}`);
    const expected = checked(line, train);
    if (name === 'lorvena') check(expected.length === 0, `${name}: check finds no problem`);
    if (name === 'problems') {
      check(expected.some((d) => d.severity === 'error') && expected.some((d) => d.severity === 'warning'),
        `${name}: check finds an error and a warning`);
    }
    await inspectPage(page, name, expected);
    await page.close();
  }
}

async function request(port, method, target) {
  const r = await fetch(`http://127.0.0.1:${port}${target}`, {method});
  return r.status;
}

async function served(browser, [line, train]) {
  const port = 18000 + Math.floor(Math.random() * 2000);
  const server = spawn(tool, ['preview', line, train, '--serve', '--port', String(port)], {stdio: ['ignore', 'pipe', 'inherit']});
  let log = '';
  server.stdout.on('data', (d) => { log += d; });
  const exited = new Promise((resolve) => server.on('exit', (code, signal) => resolve({code, signal})));
  for (let i = 0; i < 100 && !log.includes('serving'); i++) await new Promise((r) => setTimeout(r, 100));
  check(log.includes('serving'), 'serve: the server listens');
  check(await request(port, 'GET', '/nothing') === 404, 'serve: an unknown path is refused (404)');
  check(await request(port, 'POST', '/') === 405, 'serve: another method is refused (405)');
  check(await request(port, 'GET', '/data') === 200, 'serve: the data endpoint answers');

  const page = await browser.newPage({viewport: {width: 1600, height: 1000}});
  await page.goto(`http://127.0.0.1:${port}/`);
  await page.waitForSelector('body[data-ready="1"]');
  await page.waitForFunction(() => document.getElementById('live').textContent.startsWith('live'));
  await page.evaluate(() => window.preview.setView(10000, 30000));
  await page.waitForTimeout(200);
  const before = await page.evaluate(() => document.body.dataset.view);

  check(await page.locator('#diagnostics li.diag').count() === 0, 'serve: no problem listed at first');

  // A save that renames a station and adds a row the builder ignores.
  const text = fs.readFileSync(train, 'latin1');
  const renamed = text.replace(/(stazione,[^\r\n]*,\s*)PORTELLA/, '$1PORTELLA NUOVA\r\nfrobnicate,    3000, 1');
  check(renamed !== text, 'serve: the text to change holds PORTELLA');
  const started = Date.now();
  fs.writeFileSync(train, renamed, 'latin1');
  await page.waitForFunction(() => document.querySelector('#stations tbody').textContent.includes('PORTELLA NUOVA'),
    null, {timeout: 10000, polling: 20});
  const update = Date.now() - started;
  figures.saveToPageMs = update;
  check(update < bounds.updateMs, `serve: the save shows in the page after ${update} ms`);
  const warnings = await page.locator('#diagnostics li.diag.warning').allTextContents();
  check(warnings.length === 1 && warnings[0].includes('frobnicate'),
    `serve: the save's warning is listed with the model (${warnings.join('; ')})`);
  const after = await page.evaluate(() => document.body.dataset.view);
  check(after === before, `serve: the view stays where it was (${before} → ${after})`);
  await page.screenshot({path: path.join(artifacts, 'preview-serve.png')});

  // An editor that saves by renaming leaves the text missing for a moment:
  // the page lists only that, keeps the last compile and the view, and
  // takes the text up again once it is back.
  const panel = () => page.evaluate(() => ({
    view: document.body.dataset.view,
    readError: document.querySelector('#diagnostics li.read-error')?.textContent || '',
    problems: [...document.querySelectorAll('#diagnostics li.diag')].map((e) => e.textContent),
    stations: document.querySelectorAll('#stations tbody tr').length,
  }));
  const stations = (await panel()).stations;
  const aside = train + '.saving';
  fs.renameSync(train, aside);
  await page.waitForFunction(() => document.querySelector('#diagnostics li.read-error') !== null,
    null, {timeout: 10000, polling: 20});
  const missing = await panel();
  check(missing.problems.length === 0 && missing.view === before && missing.stations === stations,
    `serve: a missing text is the only problem listed, the route and the view stay (${missing.readError.slice(0, 60)}…; ` +
    `${missing.problems.length} problems, view ${missing.view}, ${missing.stations} stations)`);
  await page.screenshot({path: path.join(artifacts, 'preview-serve-unreadable.png')});
  await new Promise((r) => setTimeout(r, 1000));
  fs.renameSync(aside, train);
  await page.waitForFunction(() => document.querySelector('#diagnostics li.read-error') === null,
    null, {timeout: 10000, polling: 20});
  const back = await panel();
  check(back.view === before && back.problems.length === 1 && back.problems[0].includes('frobnicate'),
    `serve: the text back, its one warning is listed again and the view stays (${back.view}; ${back.problems.join('; ')})`);
  await page.close();

  server.kill('SIGTERM');
  const end = await Promise.race([exited, new Promise((r) => setTimeout(() => r(null), 5000))]);
  check(end !== null && end.code === 0, `serve: SIGTERM ends the server cleanly (${JSON.stringify(end)})`);
  if (end === null) server.kill('SIGKILL');
}

const texts = prepare();
fs.mkdirSync(artifacts, {recursive: true});
const browser = await chromium.launch({
  executablePath,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  await staticPages(browser, texts);
  await served(browser, texts.lorvena);
} finally {
  await browser.close();
}
fs.writeFileSync(path.join(artifacts, 'preview-figures.json'), JSON.stringify(figures, null, 2) + '\n');
console.log(JSON.stringify(figures));
if (failures) {
  console.log(`${failures} check(s) failed`);
  process.exit(1);
}
console.log('all browser checks passed');
