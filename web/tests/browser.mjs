// What the page's tests share: the built site served from this process, Debian's Chromium started
// headless through puppeteer-core, and the problems a page reports (console errors, failed loads).
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const site = process.env.PELLARIS_SITE || path.join(root, 'build-web');
const browserPath = process.env.PELLARIS_CHROMIUM || '/usr/bin/chromium';

const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};

// Serves the site's files on a free port of the loopback address; resolves to its address.
export function serveSite() {
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, 'http://localhost').pathname.replace(/\/$/, '/index.html');
    const file = path.join(site, path.normalize(name));
    if (!file.startsWith(site) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => resolve({server, url: `http://127.0.0.1:${server.address().port}/`}));
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

// Everything the page says is wrong: console errors, uncaught exceptions, loads that failed.
export function watchProblems(page) {
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(`console: ${message.text()}`);
  });
  page.on('pageerror', (error) => problems.push(`exception: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`failed: ${request.url()}`));
  page.on('response', (response) => {
    if (response.status() >= 400) problems.push(`${response.status()}: ${response.url()}`);
  });
  return problems;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
