// What the page keeps in the browser: a round's score and recording and the settings changed in the
// panel survive a reload; the kept recording is watched in the page; a second tab keeps nothing of its
// own; a setting the file would refuse is refused with the reason.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {after, test} from 'node:test';
import {finishRound, lookAtRound, newsAfter, prepare, siteAndBrowser, sleep, tap, told, waitFrames, watchProblems} from './browser.mjs';

const setup = siteAndBrowser();


async function openGame(address = setup.served.url) {
  const page = await setup.browser.newPage();
  const problems = watchProblems(page);
  await prepare(page);
  await page.setViewport({width: 1400, height: 1000});
  await page.goto(address, {waitUntil: 'load'});
  return {page, problems};
}

// A setting changed in the panel as the player changes it; the game's answer.
async function change(page, selector, value) {
  return newsAfter(page, 'setting', () =>
    page.$eval(selector, (input, value) => {
      if (input.type === 'checkbox') input.checked = value;
      else input.value = value;
      input.dispatchEvent(new Event('change'));
    }, value));
}

test('scores, a recording and the settings are kept across a reload, and the recording is watched', async () => {
  const {page, problems} = await openGame();
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  await tap(page, 'Escape');
  await waitFrames(page, 5);
  assert.equal((await told(page, 'game')).storage, 'kept');
  await tap(page, 'Enter');
  await page.keyboard.down('ControlLeft');
  await waitFrames(page, 60);
  const round = await finishRound(page);
  await page.keyboard.up('ControlLeft');
  assert.match(round.recording, /^\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_-?\d+\.rec$/);

  assert.deepEqual(await change(page, '#volume', '40'), {section: 'sound', name: 'volume', ok: true, saved: true,
                                                         atOnce: true});
  await page.$eval('#controls-settings', (table) => table.closest('details').open = true);
  const fire = '#controls-settings tbody tr:nth-child(1) td:nth-child(2) input';
  const refused = await change(page, fire, 'LeftCtrl, Space');
  assert.equal(refused.ok, false);
  assert.match(refused.error, /Space/, 'thrust has Space already');
  assert.match(await page.$eval('#settings-note', (note) => note.textContent), /Space/);
  const kept = await change(page, fire, 'LeftCtrl, Q');
  assert.equal(kept.ok, true);
  assert.equal(kept.atOnce, false, 'keys apply when the page is loaded again');
  await page.evaluate(() => window.pellarisStorage.flush());

  // Another tab meanwhile reads what is kept, and keeps nothing of its own.
  const second = await openGame();
  await second.page.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.game);
  assert.equal((await told(second.page, 'game')).storage, 'this visit');
  assert.equal((await told(second.page, 'settings')).volume, 40);
  await second.page.waitForSelector('dialog[open]', {timeout: 10000});
  await tap(second.page, 'Escape');
  await change(second.page, '#volume', '70');
  assert.equal(await second.page.$eval('#settings-note', (note) => note.textContent), 'Changed for this visit only.');
  await second.page.close();

  await page.reload({waitUntil: 'load'});
  await page.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.scores);
  const settings = await told(page, 'settings');
  assert.equal(settings.volume, 40);
  assert.equal(settings.controls.find((control) => control.name === 'fire').keys, 'LeftCtrl, Q');
  const scores = await told(page, 'scores');
  assert.deepEqual(scores.map((best) => [best.score, best.recording]), [[round.score, round.recording]]);
  assert.equal(await page.$eval('#volume', (input) => input.value), '40');
  const listed = await page.$$eval('#recordings li span', (names) => names.map((name) => name.textContent));
  assert.deepEqual(listed, [round.recording.replace(/\.rec$/, '')]);
  assert.equal(await page.evaluate((name) => window.pellarisStorage.read(`replays/${name}`), round.recording),
               round.text);

  // Watch it: the page plays the recorded round (a short one: it leaves by itself a few seconds after
  // the end, or on Escape).
  await page.waitForSelector('dialog[open]');
  await tap(page, 'Escape');  // the question is modal: the page's buttons wait for its answer
  await Promise.all([page.waitForNavigation(), page.click('#recordings li button')]);
  assert.match(page.url(), /\?watch-kept=/);
  await page.waitForFunction(() => window.pellarisStatus && window.pellarisStatus.frames > 60, {timeout: 20000});
  assert.ok((await lookAtRound(page)).hudBar > 10000, 'the recorded round');
  await tap(page, 'Escape');
  const watched = await page.waitForFunction(() => window.pellarisPage.told.watched, {timeout: 20000});
  assert.deepEqual(await watched.jsonValue(), {error: ''});
  assert.match(await page.$eval('#status', (line) => line.textContent), /recording has ended/);
  assert.deepEqual(problems, []);
  await page.close();
});

test('a browser whose storage is full says so in the panel, rather than only "Saved"', async () => {
  const {page, problems} = await openGame();
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  await tap(page, 'Escape');
  await waitFrames(page, 5);
  await page.evaluate(() => {
    IDBObjectStore.prototype.put = () => {
      throw new DOMException('the quota is exceeded', 'QuotaExceededError');
    };
  });
  assert.equal((await change(page, '#volume', '30')).ok, true);
  await page.evaluate(() => window.pellarisStorage.flush());
  assert.match(await page.$eval('#storage-note', (note) => note.textContent), /could not keep the files.*quota/);
  assert.equal(await page.$eval('#storage-note', (note) => note.classList.contains('bad')), true);
  assert.deepEqual(problems, []);
  await page.close();
});

test('a recording the page cannot watch says why, whatever the address holds', async (t) => {
  // A server that sends a body with no length and never stops (but for the test's sake, at 8 MB).
  let finished = false;  // whether the server got to the end: the page read it all
  const endless = http.createServer((request, response) => {
    response.writeHead(200, {'Content-Type': 'text/plain', 'Access-Control-Allow-Origin': '*'});
    let sent = 0;
    response.on('finish', () => (finished = true));
    const more = () => {
      while (sent < 8 << 20 && response.write('pellaris-recording '.repeat(3000))) sent += 57000;
      if (sent >= 8 << 20) response.end();
    };
    response.on('drain', more);
    response.on('close', () => response.off('drain', more));
    more();
  });
  await new Promise((resolve) => endless.listen(0, '127.0.0.1', resolve));
  t.after(() => endless.close());
  const cases = [
    [`?watch=${encodeURIComponent(`http://127.0.0.1:${endless.address().port}/round.rec`)}`, /larger than/],
    ['?watch-kept=nothing-here.rec', /no recording named/],
    ['?watch-kept=..%2Fsettings.ini', /no recording named/],
    ['?watch-file', /no file was chosen/],
    ['?watch=http://%5B', /URL/],  // no address at all
    ['?watch=/missing.rec', /could not be fetched \(404\)/],
    ['?watch=data:,%3Cb%3Ejunk', /./],
    ['?watch=data:,pellaris-recording%202%0A%00junk', /NUL/],  // a C string would end at the NUL
  ];
  for (const [query, reason] of cases) {
    const {page, problems} = await openGame(setup.served.url + query);
    const watched = await page.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.watched);
    assert.match((await watched.jsonValue()).error, reason, query);
    assert.match(await page.$eval('#status', (line) => line.textContent), /cannot be watched/, query);
    assert.equal(await page.$$eval('#status b', (bold) => bold.length), 0, 'the reason is text, not markup');
    assert.deepEqual(problems.filter((problem) => !/missing\.rec|404|round\.rec/.test(problem)), [], query);
    await page.close();
  }
  assert.equal(finished, false, 'the page let go of the endless body');
});

test('of two files chosen one after the other, the second counts even while the first is read', async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'pellaris-upload-'));
  const first = path.join(folder, 'first.rec'), second = path.join(folder, 'second.rec');
  fs.writeFileSync(first, 'pellaris-recording 2\nseed 1\n');
  fs.writeFileSync(second, 'not a recording\n');
  const page = await setup.browser.newPage();
  // The first file's reading is slow, so that the second is chosen before it ends.
  await page.evaluateOnNewDocument(() => {
    const read = Blob.prototype.text;
    let reads = 0;
    Blob.prototype.text = function() {
      const reading = read.call(this);
      return ++reads === 1 ? new Promise((go) => setTimeout(go, 500)).then(() => reading) : reading;
    };
  });
  await page.goto(setup.served.url, {waitUntil: 'load'});
  const upload = await page.$('#upload');
  await upload.uploadFile(first);
  await upload.uploadFile(second);
  await page.waitForFunction(() => document.getElementById('recordings-note').classList.contains('bad'));
  await sleep(1000);
  assert.match(await page.$eval('#recordings-note', (line) => line.textContent), /second\.rec is not a recording/);
  assert.equal(new URL(page.url()).search, '', 'the first file is not watched');
  await page.close();
  fs.rmSync(folder, {recursive: true, force: true});
});

// P until the round is in play or paused as asked. A tap can go unseen: the focus a dialog takes as it
// goes lets go of the key (or shows the round paused for want of it, which P does not pause), and a
// loaded machine's frame can outlast the tap.
async function pressPauseUntil(page, playing) {
  for (let tries = 0; tries < 5; tries++) {
    await tap(page, 'P');
    const seen = await page.waitForFunction((playing) => window.pellarisPage.told.playing === playing,
                                            {timeout: 3000}, playing).then(() => true, () => false);
    if (seen) return;
  }
  assert.fail(`the round is not ${playing ? 'in play' : 'paused'} after five presses of P`);
}

test("a round under way, paused or not, is left for a recording only on the player's word", async () => {
  const {page, problems} = await openGame();
  const asked = [];
  let leave = false;
  page.on('dialog', (dialog) => {
    asked.push(dialog.message());
    return leave ? dialog.accept() : dialog.dismiss();
  });
  await page.waitForSelector('dialog[open]', {timeout: 10000});
  await tap(page, 'Escape');
  await newsAfter(page, 'under-way', () => tap(page, 'Enter'));
  const round = await finishRound(page);
  await page.waitForFunction(() => window.pellarisPage.told['under-way'] === false);
  assert.equal(await newsAfter(page, 'under-way', () => tap(page, 'Enter')), true, 'the next round');

  await pressPauseUntil(page, false);
  await page.click('#recordings li button');
  assert.equal(asked.length, 1, 'asked before watching a kept recording, the round paused');
  assert.match(asked[0], /Leave the round under way/);
  await pressPauseUntil(page, true);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'pellaris-upload-'));
  const file = path.join(folder, 'chosen.rec');
  fs.writeFileSync(file, round.text);
  await (await page.$('#upload')).uploadFile(file);
  await page.waitForFunction(() => document.getElementById('upload').value === '');
  assert.equal(asked.length, 2, 'asked before watching a file');
  assert.equal(new URL(page.url()).search, '', 'the round is kept');
  assert.equal(await told(page, 'under-way'), true);

  leave = true;
  await Promise.all([page.waitForNavigation(), page.click('#recordings li button')]);
  assert.match(page.url(), /\?watch-kept=/);
  assert.equal(asked.length, 3);
  assert.deepEqual(problems, []);
  await page.close();
  fs.rmSync(folder, {recursive: true, force: true});
});

test('a recording whose server goes silent, or only trickles, is given up, and Escape leaves the wait', async (t) => {
  const trickles = [];
  const silent = http.createServer((request, response) => {
    if (request.url === '/before.rec') return;  // no answer at all
    response.writeHead(200, {'Content-Type': 'text/plain', 'Access-Control-Allow-Origin': '*'});
    response.write('pellaris-recording 2\n');
    if (request.url === '/trickle.rec') trickles.push(setInterval(() => response.write('#'), 100));
  });
  await new Promise((resolve) => silent.listen(0, '127.0.0.1', resolve));
  t.after(() => {
    trickles.forEach(clearInterval);
    silent.closeAllConnections();
    silent.close();
  });
  const cases = [
    ['before.rec', /sent nothing for 20 seconds/],
    ['within.rec', /sent nothing for 20 seconds/],
    ['trickle.rec', /took more than a minute/],
    ['before.rec', /left with Escape/, 'Escape'],
  ];
  for (const [name, reason, key] of cases) {
    const page = await setup.browser.newPage();
    // The page's long waits made fifty times shorter, so that the test does not sit through them; a
    // key pressed meanwhile gets them whole, so that it is the key that ends the wait.
    if (!key) {
      await page.evaluateOnNewDocument(() => {
        const wait = window.setTimeout.bind(window);
        window.setTimeout = (work, delay, ...rest) => wait(work, delay >= 10000 ? delay / 50 : delay, ...rest);
      });
    }
    const address = `http://127.0.0.1:${silent.address().port}/${name}`;
    await page.goto(`${setup.served.url}?watch=${encodeURIComponent(address)}`, {waitUntil: 'load'});
    if (key) {
      await page.waitForFunction(() => /Fetching/.test(document.getElementById('status').textContent));
      await tap(page, key);
    }
    const watched = await page.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.watched);
    assert.match((await watched.jsonValue()).error, reason, name);
    assert.match(await page.$eval('#status', (line) => line.textContent), /cannot be watched/, name);
    await page.close();
  }
});

test('a tab watching a recording leaves the files to a tab that plays', async () => {
  const {page: watching} = await openGame(`${setup.served.url}?watch-kept=nothing-here.rec`);
  await watching.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.watched);
  const {page: playing} = await openGame();
  await playing.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.game);
  assert.equal((await told(playing, 'game')).storage, 'kept');
  await playing.close();
  await watching.close();
});

test('a file that is no recording, or that the tab cannot hand over, is refused in the panel', async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'pellaris-upload-'));
  const recording = 'pellaris-recording 2\nseed 1\n';
  const cases = [
    {name: 'empty.rec', contents: '', note: /empty\.rec is not a recording/},
    {name: 'binary.rec', contents: Buffer.from([0, 255, 1, 254, 0x89, 0x50]), note: /is not a recording/},
    {name: 'large.rec', contents: Buffer.alloc(2 << 20, 'a'), note: /too large/},
    {name: '<b>"bold\u202e.rec', contents: 'frame 1 key Space\n', note: /<b>"bold\u202e\.rec is not a recording/},
    {name: 'private.rec', contents: recording, note: /private\.rec cannot be watched/, storageFull: true},
  ];
  for (const {name, contents, note, storageFull} of cases) {
    const file = path.join(folder, name);
    fs.writeFileSync(file, contents);
    const page = await setup.browser.newPage();
    const problems = watchProblems(page);
    // The game starts late, so that the file is chosen before it has: the refusal must outlast the
    // start, which lists the recordings under it.
    await page.evaluateOnNewDocument(() => {
      for (const name of ['instantiate', 'instantiateStreaming']) {
        const start = WebAssembly[name];
        WebAssembly[name] = (...args) => new Promise((go) => setTimeout(go, 500)).then(() => start.apply(WebAssembly, args));
      }
    });
    if (storageFull) {
      await page.evaluateOnNewDocument(() => {
        Storage.prototype.setItem = () => {
          throw new DOMException('the quota is exceeded', 'QuotaExceededError');
        };
      });
    }
    await page.goto(setup.served.url, {waitUntil: 'domcontentloaded'});
    await (await page.$('#upload')).uploadFile(file);
    await page.waitForFunction(() => document.getElementById('recordings-note').classList.contains('bad'));
    await page.waitForFunction(() => window.pellarisPage && window.pellarisPage.told.game);
    assert.match(await page.$eval('#recordings-note', (line) => line.textContent), note, name);
    assert.equal(await page.$$eval('#recordings-note b', (bold) => bold.length), 0, 'the name is text');
    assert.equal(new URL(page.url()).search, '', name);
    assert.deepEqual(problems, [], name);
    await page.close();
  }
  fs.rmSync(folder, {recursive: true, force: true});
});
