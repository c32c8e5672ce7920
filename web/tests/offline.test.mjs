// Offline and installable: after one visit the page loads with its server stopped (its service worker
// keeps every file), the board's API is never answered from the cache, a new build's service worker
// replaces the old cache, and the manifest names the game and its icons.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';
import {serveSite, site, startBrowser, watchProblems} from './browser.mjs';

let browser;
before(async () => {
  browser = await startBrowser();
});
after(async () => {
  await browser?.close();
});

// Until the service worker controls the page and its cache is filled; the cache's names.
const waitForServiceWorker = (page) =>
  page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    while (!navigator.serviceWorker.controller) await new Promise((resolve) => setTimeout(resolve, 50));
    return caches.keys();
  });

test('after one visit the page loads without its server, and the API is never cached', async () => {
  const served = await serveSite();
  const page = await browser.newPage();
  const problems = watchProblems(page);
  await page.goto(served.url, {waitUntil: 'load'});
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  const caches = await waitForServiceWorker(page);
  assert.equal(caches.length, 1);
  assert.match(caches[0], /^pellaris-[0-9a-f]{16}$/);

  const manifest = JSON.parse(fs.readFileSync(path.join(site, 'manifest.webmanifest'), 'utf8'));
  assert.equal(manifest.name, 'Pellaris');
  for (const icon of manifest.icons) assert.ok(fs.existsSync(path.join(site, icon.src)), icon.src);

  served.server.closeAllConnections();
  await new Promise((resolve) => served.server.close(resolve));
  await page.reload({waitUntil: 'load'});
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  assert.match(await page.$eval('dialog[open]', (dialog) => dialog.textContent), /full screen mode\?/);
  const api = await page.evaluate(() => fetch('/api/boards/all').then((answer) => answer.status, () => 'unreachable'));
  assert.equal(api, 'unreachable', 'the API is asked of the network, which is gone');
  // Loads that failed with the server gone: the API's, and nothing of the page's own.
  assert.deepEqual(problems.filter((problem) => !/\/api\//.test(problem)), []);
  await page.close();
});

// The server lets the browser keep its files for an hour, as many do: the new cache must still hold
// the new build's files, not those the browser kept.
test("a new build's service worker replaces the old cache with the new build's files", async () => {
  const worker = fs.readFileSync(path.join(site, 'sw.js'), 'utf8');
  const served = await serveSite({headers: {'Cache-Control': 'max-age=3600'}});
  const page = await browser.newPage();
  await page.goto(`${served.url}?seed=7`, {waitUntil: 'load'});
  const first = await waitForServiceWorker(page);

  const script = fs.readFileSync(path.join(site, 'pellaris.js'), 'utf8');
  served.replace('/pellaris.js', `// the new build\n${script}`);
  served.replace('/sw.js', worker.replace(/const cacheName = '[^']*'/, "const cacheName = 'pellaris-0123456789abcdef'"));
  const second = await page.evaluate(async (old) => {
    const registration = await navigator.serviceWorker.getRegistration();
    await registration.update();
    for (;;) {
      const names = await caches.keys();
      if (names.length === 1 && names[0] !== old[0]) return names;
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  }, first);
  assert.deepEqual(second, ['pellaris-0123456789abcdef']);
  const kept = await page.evaluate(async () => {
    const cache = await caches.open('pellaris-0123456789abcdef');
    return (await cache.match('pellaris.js')).text();
  });
  assert.ok(kept.startsWith('// the new build\n'), 'the new cache holds the new build');
  await page.close();
  served.server.close();
});
