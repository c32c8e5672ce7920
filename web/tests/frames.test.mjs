// The same game: the page's replay mode runs the golden runs' scripts with their seeds, a script with a
// controller and a recording of the desktop game, on the headless machine inside the page, through its
// canvas, and every pass's picture must hash as the native replay tool's does (pellaris-replay
// --hashes), both as the game presented it and as the canvas then held it.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {test} from 'node:test';
import {replayTool, root, siteAndBrowser, watchProblems} from './browser.mjs';

const golden = path.join(root, 'tests/golden');
const fixtures = path.join(root, 'web/tests/fixtures');
// The title and a busy round in each: fire held, thrust, rocks breaking, bonuses collected (the
// window run's stop sign at 838 and bomb at 918; the full-screen run's bomb at 448).
const frames = {window: 1200, fullscreen: 600};

// The seed and the answer of each golden run, as tests/golden/runs gives them.
function goldenRun(name) {
  const line = fs.readFileSync(path.join(golden, 'runs'), 'utf8').split('\n').find((l) => l.startsWith(`${name} `));
  const option = (flag) => line.split(/\s+/)[line.split(/\s+/).indexOf(flag) + 1];
  return {seed: Number(option('--seed')), answer: option('--answer'), script: path.join(golden, `${name}.script`)};
}

function nativeHashes(run, count) {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'pellaris-hashes-')), 'hashes');
  const options = run.seed === undefined ? [] : ['--seed', String(run.seed), '--answer', run.answer];
  execFileSync(replayTool, [...options, '--frames', String(count), '--script', run.script, '--hashes', file]);
  const lines = fs.readFileSync(file, 'utf8').trimEnd().split('\n');
  fs.rmSync(path.dirname(file), {recursive: true});
  return lines;
}

// The page's replay mode's hashes for a run: {status, presented, canvas, errors}.
async function pageHashes(run, count) {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  const request = {seed: run.seed, answer: run.answer, frames: count, script: fs.readFileSync(run.script, 'utf8')};
  await page.evaluateOnNewDocument((request) => {
    window.Module = {pellarisReplay: request};
  }, request);
  await page.goto(setup.served.url, {waitUntil: 'load'});
  await page.waitForFunction(() => window.Module.pellarisReplay.done, {timeout: 240000, polling: 250});
  const result = await page.evaluate(() => window.Module.pellarisReplay);
  await page.close();
  assert.deepEqual(problems, []);
  return result;
}

async function sameInThePage(run, count) {
  const expected = nativeHashes(run, count);
  assert.ok(expected.length >= count, `the native tool reported ${expected.length} passes`);
  const result = await pageHashes(run, count);
  assert.equal(result.status, 0, JSON.stringify(result.errors));
  const firstDifference = (lines) => lines.findIndex((line, i) => line !== expected[i]);
  assert.equal(result.presented.length, expected.length);
  assert.equal(firstDifference(result.presented), -1, 'presented by the game');
  assert.equal(result.canvas.length, expected.length);
  assert.equal(firstDifference(result.canvas), -1, 'held by the canvas');
}

const setup = siteAndBrowser();

for (const [name, count] of Object.entries(frames)) {
  test(`the ${name} run's first ${count} passes show the same pictures in the page as natively`, () =>
    sameInThePage(goldenRun(name), count));
}

// A controller's lines drive the game through the default controls in the page as natively: Start
// starts, A thrusts, the right trigger fires, the stick thrusts, and the pad comes and goes.
test('a script with a controller shows the same pictures in the page as natively', () =>
  sameInThePage({seed: 9, answer: 'no', script: path.join(fixtures, 'pad.script')}, 700));

// A recording of the desktop game (its round stands alone: the seed, the display and the state it
// starts from are in it) watched in the page's replay mode.
test('a recording of the desktop game shows the same pictures in the page as natively', () =>
  sameInThePage({script: path.join(fixtures, 'desktop.rec')}, 1500));
