// Playing on a touch screen, through the DevTools protocol's touch events: a tap answers the question and
// starts a round, the left half thrusts and the right half fires, the page neither scrolls nor zooms
// under the game, and the round's recording verifies natively. The zones step aside for a controller.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {finishRound, lookAtRound, prepare, siteAndBrowser, status, verifyNatively, waitFrames, watchProblems} from './browser.mjs';

const setup = siteAndBrowser();

// Fingers on the screen, by id: each call gives every finger that is down now.
function touchScreen(cdp) {
  const down = new Map();
  const send = (type) => cdp.send('Input.dispatchTouchEvent', {type, touchPoints: [...down.values()]});
  return {
    press: (id, x, y) => {
      down.set(id, {x, y, id});
      return send('touchStart');
    },
    move: (id, x, y) => {
      down.set(id, {x, y, id});
      return send('touchMove');
    },
    lift: (id) => {
      down.delete(id);
      return send('touchEnd');
    },
  };
}

const zoneShown = (page, side) =>
  page.$eval(`.touch-zone.${side}`, (zone) => getComputedStyle(zone).display !== 'none');

test('a round played by touch: a tap starts it, the halves thrust and fire, and it verifies natively', async () => {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  await prepare(page);
  await page.setViewport({width: 1000, height: 700, hasTouch: true, isMobile: true});
  await page.goto(setup.served.url, {waitUntil: 'load'});
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  const fingers = touchScreen(await page.target().createCDPSession());

  // The question's No, tapped: the game in the page.
  const no = await (await page.$('dialog button.no')).boundingBox();
  await fingers.press(1, no.x + no.width / 2, no.y + no.height / 2);
  await fingers.lift(1);
  await page.waitForSelector('dialog[open]', {hidden: true});
  await waitFrames(page, 5);
  assert.equal((await status(page)).fullScreen, false);

  const box = await (await page.$('#screen')).boundingBox();
  const left = {x: box.x + box.width * 0.25, y: box.y + box.height / 2};
  const right = {x: box.x + box.width * 0.75, y: box.y + box.height / 2};
  await fingers.press(2, left.x, left.y);  // a tap on the title starts the round
  await fingers.lift(2);
  await waitFrames(page, 30);
  assert.ok((await lookAtRound(page)).hudBar > 10000, 'a round after the tap');
  assert.equal((await status(page)).audioState, 'running', 'the tap unlocked the sound');
  assert.ok(await zoneShown(page, 'left'), 'the zones are drawn on a touch screen');

  // Thrust and fire held by two fingers; a finger moving does not scroll the page.
  await fingers.press(3, left.x, left.y);
  await fingers.press(4, right.x, right.y);
  for (let step = 1; step <= 5; step++) await fingers.move(3, left.x, left.y - step * 40);
  await waitFrames(page, 90);
  assert.equal(await page.evaluate(() => window.scrollY), 0, 'the page did not scroll');
  await fingers.lift(3);
  await waitFrames(page, 30);

  const round = await finishRound(page);
  await fingers.lift(4);
  assert.match(round.text, /^\d+ key down 57$/m, 'thrust held by touch, as Space');
  assert.match(round.text, /^\d+ key down 29$/m, 'fire held by touch, as Left Ctrl');
  assert.ok(round.score > 0, `the round scored ${round.score}`);
  const verdict = verifyNatively(round.text);
  assert.ok(verdict.verified, verdict.said);

  // A controller plugged in: the zones step aside; unplugged, they are back.
  await page.evaluate(() => window.testPad.plug(true));
  await page.waitForFunction(() => window.pellarisStatus.pads === 1);
  assert.equal(await zoneShown(page, 'left'), false);
  await page.evaluate(() => window.testPad.plug(false));
  await page.waitForFunction(() => window.pellarisStatus.pads === 0);
  assert.ok(await zoneShown(page, 'right'));
  assert.deepEqual(problems, []);
  await page.close();
});
