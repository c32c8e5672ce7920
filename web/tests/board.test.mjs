// The page served by a score board (here a stand-in on this process, with the board's API as
// pellaris-board describes it, verifying with the native replay tool): the page finds the board,
// sends a finished round once the player has entered a name, shows its rank, keeps the name, and
// watches a board's round by its address.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {after, test} from 'node:test';
import {finishRound, lookAtRound, newsAfter, prepare, root, siteAndBrowser, sleep, tap, told, verifyNatively, waitFrames, watchProblems} from './browser.mjs';

const desktopRound = fs.readFileSync(path.join(root, 'web/tests/fixtures/desktop.rec'), 'utf8');

// The board's side: rounds as sent, each answered 202 first and verified when asked after.
const board = {rounds: [], asked: 0};

async function api(request, url, body) {
  if (!url.pathname.startsWith('/api/')) return null;
  if (request.method === 'GET' && url.pathname === '/api/boards/all') {
    return {status: 200, json: {board: 'all', lines: []}};
  }
  if (request.method === 'POST' && url.pathname === '/api/rounds') {
    const id = board.rounds.length + 1;
    board.rounds.push({id, name: url.searchParams.get('name'), install: url.searchParams.get('install'),
                       daily: url.searchParams.get('daily'), recording: body});
    return {status: 202, json: {id, state: 'pending', location: `/api/rounds/${id}`}};
  }
  const asked = url.pathname.match(/^\/api\/rounds\/(\d+)$/);
  if (request.method === 'GET' && asked) {
    const round = board.rounds[Number(asked[1]) - 1];
    if (!round) return {status: 404, json: {error: 'unknown', message: 'no such round'}};
    board.asked++;
    const verdict = verifyNatively(round.recording);
    return {status: 200, json: verdict.verified
      ? {id: round.id, state: 'verified', rank: {all: 1, seed: 1, daily: null}}
      : {id: round.id, state: 'refused', reason: verdict.said}};
  }
  return {status: 404, json: {error: 'unknown', message: 'no such thing'}};
}

const setup = siteAndBrowser({folder: '/play/', api: async (request, url, body) => {
  // The board's own round to watch, as /api/rounds/ID/recording serves it (text, not JSON).
  if (url.pathname === '/api/rounds/7/recording') return {status: 200, text: desktopRound};
  return api(request, url, body);
}});

test('a round is sent to the board once the player has a name, and its rank shown', async () => {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  await prepare(page);
  await page.setViewport({width: 1400, height: 1000});
  await page.goto(setup.served.url, {waitUntil: 'load'});
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  await tap(page, 'Escape');
  await page.waitForSelector('#board:not([hidden])');
  await tap(page, 'Enter');
  await page.keyboard.down('ControlLeft');
  await waitFrames(page, 60);
  const round = await finishRound(page);
  await page.keyboard.up('ControlLeft');
  await sleep(300);
  assert.equal(board.rounds.length, 0, 'nothing is sent without a name');
  assert.match(await page.$eval('#board-note', (note) => note.textContent), /Enter a name/);

  await page.$eval('#board-name', (input) => {
    input.value = 'Ada';
    input.dispatchEvent(new Event('change'));
  });
  await page.waitForFunction(() => /is on the board/.test(document.getElementById('board-note').textContent),
                             {timeout: 20000});
  assert.equal(board.rounds.length, 1);
  const sent = board.rounds[0];
  assert.equal(sent.name, 'Ada');
  assert.match(sent.install, /^[0-9a-f]{32}$/);
  assert.equal(sent.recording, round.text);
  assert.ok(board.asked >= 1, 'the page asked for the verdict');
  assert.match(await page.$eval('#board-note', (note) => note.textContent), /#1 of all rounds/);

  // The name and the install id are kept: the next round goes out by itself.
  await page.evaluate(() => window.pellarisStorage.flush());
  await page.reload({waitUntil: 'load'});
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  await tap(page, 'Escape');
  await page.waitForFunction(() => document.getElementById('board-name').value === 'Ada');
  await tap(page, 'Enter');
  await waitFrames(page, 30);
  await finishRound(page);
  await page.waitForFunction(() => /is on the board/.test(document.getElementById('board-note').textContent),
                             {timeout: 20000});
  assert.equal(board.rounds.length, 2);
  assert.equal(board.rounds[1].install, sent.install);
  assert.deepEqual(problems, []);
  await page.close();
});

test('a name the board would refuse is said at once in the settings, and the name kept stays', async () => {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  await prepare(page);
  await page.goto(setup.served.url, {waitUntil: 'load'});
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  await tap(page, 'Escape');
  const giveName = (name) => page.$eval('#board-name', (input, name) => {
    input.value = name;
    input.dispatchEvent(new Event('change'));
  }, name);
  const kept = () => page.evaluate(() => JSON.parse(window.pellarisStorage.read('board.json')).name);
  await giveName('Cy');
  await page.waitForFunction(() => /"Cy"/.test(window.pellarisStorage.read('board.json')));
  const cases = [
    ['bob\tsmith', /control characters/],
    ['\u202Eevil', /control characters/],  // it would turn the text around
    ['\u200D\u200D', /blanks/],
  ];
  for (const [name, reason] of cases) {
    await giveName(name);
    await page.waitForFunction(() => document.getElementById('settings-note').classList.contains('bad'));
    const note = await page.$eval('#settings-note', (line) => line.textContent);
    assert.match(note, /cannot go on the board/, JSON.stringify(name));
    assert.match(note, reason, JSON.stringify(name));
    assert.equal(await kept(), 'Cy', JSON.stringify(name));
    await giveName('Cy');
    await page.waitForFunction(() => !document.getElementById('settings-note').classList.contains('bad'));
  }
  assert.deepEqual(problems, []);
  await page.close();
});

test('a spoiled board file keeps no name nor install id, and a name kept without one gets a new one', async () => {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  await prepare(page);
  await page.goto(setup.served.url, {waitUntil: 'load'});
  await page.waitForSelector('#board:not([hidden])');
  const cases = [
    ['{"name": {"first": "Ada"}, "install": 7}', ''],
    ['null', ''],
    ['\u0000\u00ff binary', ''],
    // Cut at 24 characters, not at 24 UTF-16 units, which would leave half a rocket, and only between
    // letters as the eye sees them: a flag is two characters, a family seven.
    [`{"name": "a${'\u{1F680}'.repeat(30)}"}`, `a${'\u{1F680}'.repeat(23)}`],
    [`{"name": "${'a'.repeat(23)}\u{1F1EB}\u{1F1F7}"}`, 'a'.repeat(23)],
    [`{"name": "${'a'.repeat(20)}\u{1F468}\u200D\u{1F469}\u200D\u{1F467}\u200D\u{1F466}"}`, 'a'.repeat(20)],
    ['{"name": "  Bo  ", "install": "<b>not an id</b>"}', 'Bo'],
  ];
  for (const [file, name] of cases) {
    await page.evaluate((text) => window.pellarisStorage.write('board.json', text), file);
    await page.reload({waitUntil: 'load'});
    await page.waitForSelector('#board:not([hidden])');
    assert.equal(await page.$eval('#board-name', (input) => input.value), name, file);
  }
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  await tap(page, 'Escape');
  await tap(page, 'Enter');
  await waitFrames(page, 30);
  const sent = board.rounds.length;
  await finishRound(page);
  await page.waitForFunction(() => /is on the board/.test(document.getElementById('board-note').textContent),
                             {timeout: 20000});
  assert.equal(board.rounds[sent].name, 'Bo');
  assert.match(board.rounds[sent].install, /^[0-9a-f]{32}$/);
  assert.deepEqual(problems, []);
  await page.close();
});

test("a board's round opens in the page's watch mode by its address", async () => {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  await page.setViewport({width: 1400, height: 1000});
  await page.goto(`${setup.served.url}?watch=/api/rounds/7/recording`, {waitUntil: 'load'});
  await page.waitForFunction(() => window.pellarisStatus && window.pellarisStatus.frames > 60, {timeout: 20000});
  assert.ok((await lookAtRound(page)).hudBar > 10000, 'the round, watched');
  assert.deepEqual(await newsAfter(page, 'watched', () => tap(page, 'Escape')), {error: ''});
  assert.deepEqual(problems, []);
  await page.close();
});

test('a daily round names its day, and a seed plays its rocks', async () => {
  const page = await setup.browser.newPage();
  await page.goto(`${setup.served.url}?daily`, {waitUntil: 'load'});
  await page.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.game);
  const today = new Date().toISOString().slice(0, 10);
  const game = await told(page, 'game');
  assert.equal(game.daily, today);
  // 32-bit FNV-1a of "pellaris-daily YYYY-MM-DD rules 1", as the board has it.
  let seed = 2166136261;
  for (const byte of Buffer.from(`pellaris-daily ${today} rules 1`)) seed = Math.imul(seed ^ byte, 16777619) >>> 0;
  assert.equal(game.seed, seed);
  await page.goto(`${setup.served.url}?seed=1234`, {waitUntil: 'load'});
  await page.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.game);
  assert.deepEqual(await told(page, 'game'), {seed: 1234, daily: null, storage: 'kept'});
  assert.doesNotMatch(await page.$eval('#storage-note', (note) => note.textContent), /not a seed/);
  // A seed the game cannot take is played at random, and the page says so; the first of several counts.
  for (const junk of ['', '-1', '4294967296', '99999999999999999999', '12abc', '<b>1</b>', '1&seed=2']) {
    await page.goto(`${setup.served.url}?seed=${encodeURIComponent(junk).replace('%26seed%3D', '&seed=')}`);
    await page.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.game);
    const note = await page.$eval('#storage-note', (line) => line.textContent);
    if (junk === '1&seed=2') assert.equal((await told(page, 'game')).seed, 1);
    else assert.match(note, /is not a seed/, junk);
    assert.equal(await page.$$eval('#storage-note b', (bold) => bold.length), 0);
  }
  await page.close();
});

// The board client itself (board.js, in node) against a board that misbehaves: each answer ends in a
// reason, and nothing is asked of an address the board never gave.
test('the board client ends with a reason when the board answers garbage, 429, or never', {timeout: 30000},
     async (t) => {
  const {findBoard, patience, sendRound} = await import('../board.js');
  Object.assign(patience, {answerMs: 500, tries: 3, everyMs: 10});
  const asked = [];
  let answers;  // the board's answers in turn: [status, body] or null (no answer)
  const bad = http.createServer((request, response) => {
    asked.push(request.url);
    const answer = answers.shift() ?? answers.at(-1) ?? null;
    if (answer) response.writeHead(answer[0], {'Content-Type': 'application/json'}).end(answer[1]);
  });
  await new Promise((resolve) => bad.listen(0, '127.0.0.1', resolve));
  globalThis.location = new URL(`http://127.0.0.1:${bad.address().port}/play/`);
  t.after(() => bad.close());
  t.after(() => bad.closeAllConnections());
  const pending = JSON.stringify({id: 5, state: 'pending', location: '/api/rounds/5'});
  const cases = [
    {name: 'HTML', answers: [[200, '<html>']], error: 'malformed'},
    {name: 'JSON null', answers: [[200, 'null']], error: 'malformed'},
    {name: 'no state and nowhere to ask', answers: [[200, '{}']], error: 'malformed', asks: 1},
    {name: 'a busy board', answers: [[429, '{"error":"busy","message":"slow down"}']], error: 'busy'},
    {name: 'busy while verifying', answers: [[202, pending], [429, '{}'], [200, '{"state":"refused","reason":"no"}']],
     error: 'refused', verdictAt: '/api/rounds/5'},
    {name: 'never', answers: [null], error: 'unreachable'},
  ];
  for (const {name, answers: given, error, asks, verdictAt} of cases) {
    answers = [...given];
    asked.length = 0;
    const answer = await sendRound('pellaris-recording 2\n', {name: 'Ada', install: 'ab'});
    assert.equal(answer.error, error, name);
    assert.equal(typeof answer.message, 'string', name);
    if (asks) assert.equal(asked.length, asks, name);
    for (const url of asked.slice(1)) assert.equal(url, verdictAt, name);
  }
  for (const given of [[200, 'null'], [200, '<html>'], null]) {
    answers = [given];
    assert.equal(await findBoard(), false);
  }
});
