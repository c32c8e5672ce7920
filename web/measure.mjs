// Measures the built page in Debian's Chromium with software rendering: the size of what it loads (as
// it is and gzipped), how soon the game shows its question (from the start of the navigation) and its
// first picture (from the answer), and the frame rate during a round, in the page and full screen.
// Usage: node web/measure.mjs [SECONDS]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {serveSite, site, sleep, startBrowser} from './tests/browser.mjs';

const seconds = Number(process.argv[2] || 10);
const program = ['pellaris.js', 'pellaris.wasm'].map((name) => fs.readFileSync(path.join(site, name)));
const bytes = program.reduce((sum, file) => sum + file.length, 0);
const gzipped = program.reduce((sum, file) => sum + zlib.gzipSync(file, {level: 9}).length, 0);
console.log(`pellaris.js + pellaris.wasm: ${bytes} bytes (${(bytes / 1048576).toFixed(2)} MiB), ${gzipped} gzipped`);

const served = await serveSite();
const browser = await startBrowser();
for (const answer of ['Escape', 'Enter']) {
  const page = await browser.newPage();
  await page.setViewport({width: 1400, height: 1000});
  await page.goto(served.url, {waitUntil: 'load'});
  await page.waitForSelector('dialog[open]');
  await page.keyboard.down(answer);
  await sleep(100);
  await page.keyboard.up(answer);
  await sleep(500);
  await page.keyboard.down('Enter');
  await sleep(100);
  await page.keyboard.up('Enter');
  await page.keyboard.down('ControlLeft');
  await sleep(2000);
  const frameTimes = await page.evaluate((seconds) => new Promise((resolve) => {
    const times = [];
    const start = window.pellarisStatus.frames;
    const sample = () => {
      times.push(performance.now());
      if (times.length < seconds * 60 * 2) requestAnimationFrame(sample);
    };
    requestAnimationFrame(sample);
    setTimeout(() => resolve({frames: window.pellarisStatus.frames - start, seconds}), seconds * 1000);
  }), seconds);
  const status = await page.evaluate(() => window.pellarisStatus);
  const timing = await page.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd);
  console.log(`${answer === 'Enter' ? 'full screen' : 'in the page'}: page loaded at ${timing.toFixed(0)} ms, ` +
              `question at ${status.questionAt.toFixed(0)} ms, first picture ${
                (status.firstPictureAt - status.answeredAt).toFixed(0)} ms after the answer; ` +
              `${(frameTimes.frames / frameTimes.seconds).toFixed(1)} frames a second over ${seconds} s of a round`);
  await page.close();
}
await browser.close();
served.server.close();
