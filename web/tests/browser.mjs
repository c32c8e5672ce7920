// What the page's tests share: the built site served from this process, Debian's Chromium started
// headless through puppeteer-core, and the problems a page reports (console errors, failed loads).
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';
import {after, before} from 'node:test';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const site = process.env.PELLARIS_SITE || path.join(root, 'build-web');
const browserPath = process.env.PELLARIS_CHROMIUM || '/usr/bin/chromium';

const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
               '.webmanifest': 'application/manifest+json', '.json': 'application/json'};

// Serves the site's files on a free port of the loopback address, under `folder` ("/play/" as a score
// board does), with `headers` of its own, and answers what `api` answers ({status, json} for a request,
// its URL and its body, or {status, text}, or nothing); resolves to its address, the page's address,
// and a way to serve other contents in place of a file (a new build's).
export function serveSite({folder = '/', api = null, headers = {}} = {}) {
  const replaced = new Map();
  const server = http.createServer(async (request, response) => {
    const url = new URL(request.url, 'http://localhost');
    const chunks = [];
    for await (const chunk of request) chunks.push(chunk);
    const answer = api && (await api(request, url, Buffer.concat(chunks).toString('utf8')));
    if (answer) {
      const json = answer.text === undefined;
      response.writeHead(answer.status, {'Content-Type': json ? 'application/json' : 'text/plain'});
      response.end(json ? JSON.stringify(answer.json) : answer.text);
      return;
    }
    const name = url.pathname.replace(/\/$/, '/index.html');
    if (replaced.has(name)) {
      response.writeHead(200, {...headers, 'Content-Type': types[path.extname(name)] || 'application/octet-stream'});
      response.end(replaced.get(name));
      return;
    }
    const file = path.join(site, path.normalize(name.startsWith(folder) ? name.slice(folder.length - 1) : '/-'));
    if (!file.startsWith(site) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {...headers, 'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      const origin = `http://127.0.0.1:${server.address().port}`;
      resolve({server, origin, url: origin + folder, replace: (name, contents) => replaced.set(name, contents)});
    });
  });
}

// Software rendering, as on a machine without a graphics card; a profile of its own each time.
export async function startBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pellaris-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: browserPath,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, {recursive: true, force: true});
  };
  return browser;
}

// The page asks its own origin whether it is a score board; a static host (as here) answers 404, which
// the browser reports as a failed load. That is the answer, not a problem.
const boardQuestion = (url) => new URL(url).pathname === '/api/boards/all';

// Everything the page says is wrong: console errors, uncaught exceptions, loads that failed.
export function watchProblems(page) {
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error' && !boardQuestion(message.location().url || 'http://x/')) {
      problems.push(`console: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => problems.push(`exception: ${error.message}`));
  page.on('requestfailed', (request) => {
    if (!boardQuestion(request.url())) problems.push(`failed: ${request.url()}`);
  });
  page.on('response', (response) => {
    if (response.status() >= 400 && !boardQuestion(response.url())) {
      problems.push(`${response.status()}: ${response.url()}`);
    }
  });
  return problems;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// ---- What the page's player tests share

export const replayTool = process.env.PELLARIS_REPLAY || path.join(root, 'build/tools/replay/pellaris-replay');

// Before the page loads: a wall clock the test can move on (the round's time is the wall clock's, so a
// round ends in seconds), and a controller in the standard layout the test plugs in and presses
// (navigator.getGamepads, as the Gamepad API has it).
export function prepare(page) {
  return page.evaluateOnNewDocument(() => {
    const now = Date.now.bind(Date);
    let offset = 0;
    Date.now = () => now() + offset;
    window.testClock = {advance: (seconds) => (offset += seconds * 1000)};
    const buttons = Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0}));
    const pad = {id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard', timestamp: 0,
                 axes: [0, 0, 0, 0], buttons};
    let plugged = false;
    navigator.getGamepads = () => [plugged ? pad : null, null, null, null];
    window.testPad = {
      plug: (on) => (plugged = on),
      press: (place, down) => {
        buttons[place] = {pressed: down, touched: down, value: down ? 1 : 0};
        pad.timestamp++;
      },
      axis: (axis, value) => (pad.axes[axis] = value),
    };
  });
}

export const status = (page) => page.evaluate(() => ({...window.pellarisStatus}));
export const told = (page, kind) => page.evaluate((kind) => window.pellarisPage && window.pellarisPage.told[kind], kind);

export const waitFrames = (page, n) =>
  page.evaluate((n) => new Promise((resolve) => {
    const start = window.pellarisStatus.frames;
    const check = () => (window.pellarisStatus.frames >= start + n ? resolve() : setTimeout(check, 20));
    check();
  }), n);

// The first news of a kind the game tells the page after `action`. The page listens before the
// action begins, so that news told at once is not missed.
export async function newsAfter(page, kind, action, timeout = 20000) {
  await page.evaluate((kind) => {
    window.testNews = {...window.testNews, [kind]: undefined};
    window.addEventListener(`pellaris-${kind}`, (event) => { window.testNews[kind] = event.detail; }, {once: true});
  }, kind);
  await action();
  const news = await page.waitForFunction((kind) => window.testNews[kind], {timeout, polling: 20}, kind);
  return news.jsonValue();
}

// What the canvas shows, in a few numbers: the HUD's dark blue bar under the ground line, and the
// rows where the craft's bright pixels are (its height).
export const lookAtRound = (page) =>
  page.evaluate(() => {
    const {data} = document.getElementById('screen').getContext('2d').getImageData(0, 0, 640, 400);
    let hudBar = 0;
    for (let y = 355; y < 400; y++) {
      for (let x = 0; x < 640; x++) {
        const i = (y * 640 + x) * 4;
        if (data[i + 2] > data[i] + 30 && data[i + 2] > data[i + 1] + 30) hudBar++;
      }
    }
    return {hudBar};
  });

// Runs the native replay tool; its standard output.
export function runNative(args) {
  return execFileSync(replayTool, args, {encoding: 'utf8'});
}

// A finished round's recording in the page: ends the round by moving the wall clock past its end,
// waits for the game's news of it, and reads the recording the page keeps.
export async function finishRound(page) {
  const round = await newsAfter(page, 'round', () => page.evaluate(() => window.testClock.advance(125)), 30000);
  const text = await page.evaluate((name) => window.pellarisStorage.read(`replays/${name}`), round.recording);
  return {...round, text};
}

// Whether the native tool verifies the recording; its verdict line.
export function verifyNatively(text) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'pellaris-verify-'));
  const file = path.join(folder, 'round.rec');
  fs.writeFileSync(file, text);
  try {
    return {verified: true, said: runNative(['--verify', file])};
  } catch (failure) {
    return {verified: false, said: String(failure.stdout || failure.message)};
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
}

// A test file's site (served as serveSite serves it) and browser: started before its tests, closed after.
export function siteAndBrowser(siteOptions) {
  const setup = {};
  before(async () => {
    setup.served = await serveSite(siteOptions);
    setup.browser = await startBrowser();
  });
  after(async () => {
    await setup.browser?.close();
    setup.served?.server.close();
  });
  return setup;
}

// A key held for a few frames, as a player presses it.
export async function tap(page, key) {
  await page.keyboard.down(key);
  await sleep(150);
  await page.keyboard.up(key);
}
