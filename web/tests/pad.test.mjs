// Playing with a controller through the Gamepad API (a stub of navigator.getGamepads in the standard
// layout): it answers the question, starts a round and plays it with the desktop's buttons, comes and
// goes at any time, and the round's recording verifies natively.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {finishRound, lookAtRound, prepare, siteAndBrowser, sleep, status, verifyNatively, waitFrames, watchProblems} from './browser.mjs';

const setup = siteAndBrowser();

const button = {a: 0, b: 1, y: 3, rightTrigger: 7, start: 9};

async function press(page, place, ms = 150) {
  await page.evaluate((place) => window.testPad.press(place, true), place);
  await sleep(ms);
  await page.evaluate((place) => window.testPad.press(place, false), place);
}

test('a round played with a controller, plugged in and out, verifies natively', async () => {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  await prepare(page);
  await page.setViewport({width: 1400, height: 1000});
  await page.goto(setup.served.url, {waitUntil: 'load'});
  await page.evaluate(() => window.testPad.plug(true));
  await page.waitForSelector('dialog[open]', {timeout: 10000});

  await press(page, button.b);  // No: in the page
  await page.waitForSelector('dialog[open]', {hidden: true});
  await waitFrames(page, 5);
  assert.equal((await status(page)).fullScreen, false);
  assert.equal((await status(page)).pads, 1);

  await press(page, button.start);
  await waitFrames(page, 20);
  assert.ok((await lookAtRound(page)).hudBar > 10000, 'a round after Start');

  await page.evaluate((places) => places.forEach((place) => window.testPad.press(place, true)),
                      [button.a, button.rightTrigger]);
  await waitFrames(page, 60);
  // Unplugged in the middle of the round: what it held is let go; plugged in again, it plays on.
  await page.evaluate(() => window.testPad.plug(false));
  await page.waitForFunction(() => window.pellarisStatus.pads === 0);
  await waitFrames(page, 20);
  await page.evaluate(() => window.testPad.plug(true));
  await page.waitForFunction(() => window.pellarisStatus.pads === 1);
  await press(page, button.y);  // pause
  await waitFrames(page, 30);
  assert.equal((await lookAtRound(page)).hudBar, 0, 'paused by Y');
  await press(page, button.y);
  await waitFrames(page, 30);

  const round = await finishRound(page);
  await page.evaluate(() => window.testPad.plug(false));
  assert.match(round.text, /^\d+ key down 57$/m, 'A thrusts, as Space');
  assert.match(round.text, /^\d+ key down 29$/m, 'the right trigger fires, as Left Ctrl');
  assert.match(round.text, /^\d+ key up 57$/m, 'let go when unplugged');
  assert.match(round.text, /^\d+ pause on$/m, 'paused');
  const verdict = verifyNatively(round.text);
  assert.ok(verdict.verified, verdict.said);
  assert.deepEqual(problems, []);
  await page.close();
});
