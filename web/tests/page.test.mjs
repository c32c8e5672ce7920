// The game in a real browser: the question, the title, a round with fire and thrust, sound after the
// first key, the pause when the page loses the focus, full screen, and the end.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {siteAndBrowser, sleep, tap, watchProblems} from './browser.mjs';

const setup = siteAndBrowser();

async function openGame() {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  await page.setViewport({width: 1400, height: 1000});
  await page.goto(setup.served.url, {waitUntil: 'load'});
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  return {page, problems};
}

// A key held over a few frames, as a player presses it: the game reads the keys once a frame.

// What the canvas shows, in a few numbers: colourful pixels where the title's logo is, the HUD's
// dark blue bar under the ground line, brown rocks below the logo's place, and white text across the middle.
async function look(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('screen');
    const {data} = canvas.getContext('2d').getImageData(0, 0, 640, 400);
    const count = (top, bottom, match) => {
      let n = 0;
      for (let y = top; y < bottom; y++) {
        for (let x = 0; x < 640; x++) {
          const i = (y * 640 + x) * 4;
          if (match(data[i], data[i + 1], data[i + 2])) n++;
        }
      }
      return n;
    };
    return {
      width: canvas.width,
      height: canvas.height,
      logo: count(15, 70, (r, g, b) => Math.max(r, g, b) - Math.min(r, g, b) > 60),
      hudBar: count(355, 400, (r, g, b) => b > r + 30 && b > g + 30),
      rocks: count(80, 345, (r, g, b) => r > 70 && r > g + 15 && g > b),
      text: count(195, 215, (r, g, b) => r > 200 && g > 200 && b > 200),
    };
  });
}

const status = (page) => page.evaluate(() => ({...window.pellarisStatus}));
const waitFrames = (page, n) =>
  page.evaluate((n) => new Promise((resolve) => {
    const start = window.pellarisStatus.frames;
    const check = () => (window.pellarisStatus.frames >= start + n ? resolve() : setTimeout(check, 20));
    check();
  }), n);

test('the game plays in the page: question, title, a round with fire and thrust, sound, focus', async () => {
  const {page, problems} = await openGame();
  const question = await page.$eval('dialog[open]', (dialog) => dialog.textContent);
  assert.match(question, /full screen mode\?/);
  assert.equal((await status(page)).audioState, 'waiting for a key or click');

  await tap(page, 'Escape');  // No: a window in the page
  await waitFrames(page, 10);
  const title = await look(page);
  assert.deepEqual([title.width, title.height], [640, 400]);
  assert.ok(title.logo > 500, `the title's logo: ${JSON.stringify(title)}`);
  assert.equal(title.hudBar, 0);
  assert.equal(title.rocks, 0);
  const heard = await status(page);
  assert.equal(heard.audioState, 'running', 'the first key starts the sound');
  assert.equal(heard.fullScreen, false);

  await tap(page, 'Enter');
  await page.keyboard.down('ControlLeft');  // fire in every frame
  await page.keyboard.down('Space');        // thrust
  await waitFrames(page, 90);
  const round = await look(page);
  assert.ok(round.hudBar > 10000, `the HUD's bar: ${JSON.stringify(round)}`);
  assert.ok(round.rocks > 200, `rocks: ${JSON.stringify(round)}`);
  assert.equal(round.logo < title.logo, true);
  const blocks = (await status(page)).audioBlocks;
  await sleep(300);
  assert.ok((await status(page)).audioBlocks > blocks, 'the sound keeps playing');

  // Another window takes the focus: the game pauses. It plays on when the focus comes back.
  await page.evaluate(() => window.dispatchEvent(new FocusEvent('blur')));
  await waitFrames(page, 10);
  const paused = await look(page);
  assert.equal(paused.hudBar, 0, 'paused: the field is not drawn');
  assert.ok(paused.text > 50, 'GAME PAUSED');
  await page.evaluate(() => window.dispatchEvent(new FocusEvent('focus')));
  await waitFrames(page, 10);
  assert.ok((await look(page)).hudBar > 10000, 'playing again');

  // A hidden tab has lost the focus too.
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', {configurable: true, get: () => true});
    document.dispatchEvent(new Event('visibilitychange'));
  });
  await waitFrames(page, 3);  // fewer a second: a hidden page gets no animation frames
  assert.equal((await look(page)).hudBar, 0, 'hidden: paused');
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', {configurable: true, get: () => false});
    document.dispatchEvent(new Event('visibilitychange'));
  });
  await waitFrames(page, 10);
  assert.ok((await look(page)).hudBar > 10000, 'visible: playing again');

  await page.keyboard.up('Space');
  await page.keyboard.up('ControlLeft');
  assert.deepEqual(problems, []);
  await page.close();
});

test('full screen through the Fullscreen API, a click to start, and the end of the game', async () => {
  const {page, problems} = await openGame();
  await tap(page, 'Enter');  // Yes: full screen
  await waitFrames(page, 10);
  const shown = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    return {
      element: document.fullscreenElement && document.fullscreenElement.id,
      width: parseFloat(canvas.style.width),
      screen: [window.innerWidth, window.innerHeight],
    };
  });
  assert.equal(shown.element, 'stage');
  assert.ok((await status(page)).fullScreen);
  assert.ok((await look(page)).logo > 500, 'the title, full screen');
  // The largest whole multiple of 640 x 400 that fits the screen.
  const scale = Math.max(1, Math.floor(Math.min(shown.screen[0] / 640, shown.screen[1] / 400)));
  assert.equal(shown.width, 640 * scale);

  // The left button on the title starts a round too.
  const box = await (await page.$('#screen')).boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2, {delay: 150});
  await waitFrames(page, 30);
  assert.ok((await look(page)).hudBar > 10000, 'a round after the click');

  await page.evaluate(() => document.exitFullscreen());
  await tap(page, 'Escape');  // quits
  await page.waitForFunction(() => window.pellarisStatus.ended, {timeout: 5000});
  assert.match(await page.$eval('#status', (line) => line.textContent), /ended/);
  assert.equal((await status(page)).audioState, 'closed');
  assert.deepEqual(problems, []);
  await page.close();
});

test("without the browser's audio the game says so in the page's words, and ends", async () => {
  const page = await setup.browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.AudioContext = undefined;
    window.webkitAudioContext = undefined;
  });
  await page.goto(setup.served.url, {waitUntil: 'load'});
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  assert.equal(await page.$eval('dialog[open] h2', (title) => title.textContent), 'Init Failed!');
  const text = await page.$eval('dialog[open] p', (line) => line.textContent);
  assert.match(text, /browser's audio/);
  assert.doesNotMatch(text, /--no-sound/);
  await tap(page, 'Enter');
  await page.waitForFunction(() => window.pellarisStatus.ended, {timeout: 5000});
  await page.close();
});
