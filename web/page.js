// The page around the game: the high scores, the recordings (watch, download, watch a file), the
// settings, the score board, the touch zones, the screen kept awake during a round, and offline play.
// The game tells the page its news through window.pellarisPage (page_library.js); the page asks the
// game to change a setting by a request line, done between two of its frames.
import {findBoard, sendRound} from './board.js';

const page = (window.pellarisPage = window.pellarisPage || {told: {}, requests: []});
const element = (id) => document.getElementById(id);
const largestRecording = 1 << 20;

function on(kind, show) {
  window.addEventListener(`pellaris-${kind}`, (event) => show(event.detail));
  if (kind in page.told) show(page.told[kind]);
}

function say(id, text, bad = false) {
  element(id).textContent = text;
  element(id).classList.toggle('bad', bad);
}

// ---- What the browser keeps

// The address's seed when the game could not take it (it takes a whole number below 2^32), so that
// the player does not take a random round for the one asked.
function seedRefused(game) {
  const asked = new URLSearchParams(location.search).get('seed');
  if (asked === null || game.daily || Number(asked) === game.seed) return '';
  return `"${asked.slice(0, 40)}" is not a seed (a whole number from 0 to 4294967295): these rocks are random. `;
}

on('game', (game) => {
  const notes = {
    kept: 'Your settings, high scores and recordings are kept in this browser.',
    'this visit': 'Pellaris is open in another tab of this browser, which keeps the files: what you play here lasts until this tab is closed.',
    none: 'This browser keeps nothing for the page: your settings, high scores and recordings last until the page is closed.',
  };
  say('storage-note', (game.daily ? `Today's daily challenge (${game.daily}). ` : '') + seedRefused(game) +
                      (notes[game.storage] || ''));
  // A file refused before the game was ready keeps its note: the list comes in under it.
  showRecordings({keepProblem: true});
});

window.addEventListener('pellaris-storage-failed', ({detail}) => {
  say('storage-note',
      `This browser could not keep the files just now (${detail}): what you play may be lost when the page is closed.`,
      true);
});

// ---- High scores

on('scores', (rounds) => {
  const body = element('scores').tBodies[0];
  body.replaceChildren(...rounds.map((round, place) => {
    const row = document.createElement('tr');
    for (const [text, number] of [[`${place + 1}.`, true], [String(round.score), true], [round.date, false]]) {
      const cell = row.insertCell();
      cell.textContent = text;
      if (number) cell.className = 'number';
    }
    const watch = row.insertCell();
    if (round.recording) watch.append(watchButton(round.recording));
    return row;
  }));
  say('scores-note', rounds.length ? '' : 'No rounds yet.');
});

// ---- Recordings

// Watching loads the page again: a round under way, paused or not, is left only on the player's word.
function mayLeaveRound() {
  return page.told['under-way'] !== true ||
         confirm('Leave the round under way to watch the recording? It will not count.');
}

function watchButton(name) {
  const button = document.createElement('button');
  button.textContent = 'Watch';
  button.addEventListener('click', () => {
    if (mayLeaveRound()) location.search = `?watch-kept=${encodeURIComponent(name)}`;
  });
  return button;
}

function downloadButton(name) {
  const button = document.createElement('button');
  button.textContent = 'Download';
  button.addEventListener('click', () => {
    const text = window.pellarisStorage.read(`replays/${name}`);
    if (text === null) return say('recordings-note', `${name} is no longer kept.`, true);
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([text], {type: 'text/plain'}));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  });
  return button;
}

function showRecordings({keepProblem = false} = {}) {
  const store = window.pellarisStorage;
  const recordings = store ? store.recordings() : [];
  element('recordings').replaceChildren(...recordings.map(({name}) => {
    const item = document.createElement('li');
    const label = document.createElement('span');
    label.textContent = name.replace(/\.rec$/, '');
    item.append(label, watchButton(name), downloadButton(name));
    return item;
  }));
  if (keepProblem && element('recordings-note').classList.contains('bad')) return;
  say('recordings-note', recordings.length ? '' : 'Every round you play is recorded here.');
}

// A recording from a file is handed to the page watching it through the tab's session storage. Only
// the latest choice counts: a file chosen earlier and still being read is let go.
let chosenFiles = 0;
element('upload').addEventListener('change', (event) => {
  const file = event.target.files[0];
  const choice = ++chosenFiles;
  if (!file) return;
  if (file.size > largestRecording) return say('recordings-note', `${file.name} is too large to be a recording.`, true);
  file.text().then((text) => {
    if (choice !== chosenFiles) return;
    if (!text.startsWith('pellaris-recording')) return say('recordings-note', `${file.name} is not a recording.`, true);
    if (!mayLeaveRound()) {
      element('upload').value = '';  // so that the same file may be chosen again
      return;
    }
    sessionStorage.setItem('pellaris-watch-file', text);
    location.search = '?watch-file';
  }).catch((problem) => {
    // A file gone since it was chosen, or a browser that keeps nothing for the tab (a private window).
    if (choice !== chosenFiles) return;
    say('recordings-note', `${file.name} cannot be watched: ${problem.message}`, true);
  });
});

on('watched', ({error}) => {
  element('status').textContent = error ? `The recording cannot be watched: ${error}` : 'The recording has ended.';
  const link = document.createElement('a');
  link.href = location.pathname;
  link.textContent = ' Play';
  element('status').append(link);
});

// ---- Settings

const setting = (section, name, value) => page.requests.push(`set\t${section}\t${name}\t${value}`);

for (const input of document.querySelectorAll('#settings [data-section]')) {
  input.addEventListener('change', () => {
    const value = input.type === 'checkbox' ? (input.checked ? 'yes' : 'no') : input.value;
    setting(input.dataset.section, input.dataset.name, value);
  });
}

function controlInput(section, control, value) {
  const input = document.createElement('input');
  input.type = 'text';
  input.value = value;
  input.setAttribute('aria-label', `${control.name}: ${section === 'keys' ? 'keys' : 'controller inputs'}`);
  input.addEventListener('change', () => setting(section, control.name, input.value));
  return input;
}

on('settings', (settings) => {
  element('volume').value = settings.volume;
  element('mute').checked = settings.mute;
  element('scaling').value = settings.scaling;
  element('display').value = settings.display;
  element('ghost').checked = settings.ghost;
  element('record').checked = settings.record;
  const rows = element('controls-settings').tBodies[0];
  if (rows.contains(document.activeElement)) return;  // the player is typing there
  rows.replaceChildren(...settings.controls.map((control) => {
    const row = document.createElement('tr');
    const name = row.insertCell();
    name.textContent = control.name;
    name.title = control.does;
    row.insertCell().append(controlInput('keys', control, control.keys));
    row.insertCell().append(controlInput('controller', control, control.controller));
    return row;
  }));
});

on('setting', (answer) => {
  if (!answer.ok) return say('settings-note', `${answer.name}: ${answer.error.replace(/^[\w-]+: /, '')}`, true);
  if (!answer.saved) return say('settings-note', 'Changed, but it could not be saved.', true);
  // A tab that keeps nothing of its own (the storage note says why) has changed it for this visit only.
  if (page.told.game && page.told.game.storage !== 'kept') {
    return answer.atOnce ? say('settings-note', 'Changed for this visit only.')
                         : say('settings-note', 'Not kept: it would apply when the page is loaded again, and this tab keeps nothing.', true);
  }
  say('settings-note', answer.atOnce ? 'Saved.' : 'Saved: it applies when the page is loaded again.');
});

// ---- The score board, when the page's own server is one

const board = {found: false, name: '', install: '', lastRound: null};
// At most 24 characters as the board counts them (code points), cut only where one letter as the eye
// sees it ends: never half an emoji, a flag or an accented letter.
function boardName(text) {
  const trimmed = text.trim();
  const letters = typeof Intl.Segmenter === 'function'
    ? Array.from(new Intl.Segmenter().segment(trimmed), ({segment}) => segment)
    : Array.from(trimmed);
  let name = '', count = 0;
  for (const letter of letters) {
    count += Array.from(letter).length;
    if (count > 24) break;
    name += letter;
  }
  return name;
}

// The name and install id kept; a spoiled file keeps neither, or the board would refuse every round
// for an install id the player cannot see to mend.
function readBoardFile() {
  let kept = {};
  try {
    kept = JSON.parse(window.pellarisStorage.read('board.json') || '{}') || {};
  } catch {
    // spoiled: nothing kept
  }
  return {
    name: typeof kept.name === 'string' ? boardName(kept.name) : '',
    install: /^[0-9a-f]{32}$/.test(kept.install) ? kept.install : '',
  };
}

function keepBoardFile() {
  return window.pellarisStorage.write('board.json', JSON.stringify({name: board.name, install: board.install}));
}

function newInstallId() {
  const bytes = crypto.getRandomValues(new Uint8Array(16));
  return Array.from(bytes, (byte) => byte.toString(16).padStart(2, '0')).join('');
}

async function sendToBoard(round) {
  const text = round.recording && window.pellarisStorage.read(`replays/${round.recording}`);
  if (!text) return;
  board.lastRound = null;
  say('board-note', `Sending your round of ${round.score} points...`);
  const daily = page.told.game && page.told.game.daily;
  const answer = await sendRound(text, {name: board.name, install: board.install, daily});
  if (answer.rank) {
    const places = [['all', 'of all rounds'], ['seed', 'of this seed'], ['daily', "of today's challenge"]]
      .filter(([key]) => answer.rank[key])
      .map(([key, what]) => `#${answer.rank[key]} ${what}`);
    say('board-note', `Your round of ${round.score} points is on the board: ${places.join(', ')}.`);
  } else {
    say('board-note', `The board did not take your round of ${round.score} points: ${answer.message}`, true);
  }
}

on('round', (round) => {
  showRecordings();
  if (!board.found || !round.recording) return;
  if (board.name) return sendToBoard(round);
  board.lastRound = round;
  say('board-note', 'Enter a name in the settings to put your rounds on the board.');
});

// A name goes by the board's own rule, which the game knows, before it is kept: one the board would
// refuse is said at once, not after the next round.
element('board-name').addEventListener('change', (event) => {
  const name = boardName(event.target.value);
  event.target.value = name;
  if (name) page.requests.push(`name\t${name}`);
  else keepBoardName('');
});

on('name', ({name, error}) => {
  if (error) return say('settings-note', `That name cannot go on the board: ${error}.`, true);
  say('settings-note', '');
  keepBoardName(name);
});

async function keepBoardName(name) {
  board.name = name;
  if (!board.install) board.install = newInstallId();
  await keepBoardFile();
  if (board.found && board.name && board.lastRound) sendToBoard(board.lastRound);
}

on('game', async () => {
  Object.assign(board, readBoardFile());
  if (board.name && !board.install) {
    board.install = newInstallId();
    keepBoardFile();
  }
  element('board-name').value = board.name;
  board.found = await findBoard();
  element('board').hidden = !board.found;
  if (board.found && !board.name) say('board-note', 'Enter a name in the settings to put your rounds on the board.');
});

// ---- Touch: the left half thrusts, the right half fires, a tap starts; full screen and landscape
// on the first touch where the browser allows

const stage = element('stage');
let touched = false;

function zoneOf(touch) {
  const box = element('screen').getBoundingClientRect();
  return touch.clientX < box.left + box.width / 2 ? 0 : 1;
}

function firstTouch() {
  if (touched) return;
  touched = true;
  if (!document.fullscreenElement && stage.requestFullscreen) {
    stage.requestFullscreen({navigationUI: 'hide'})
      .then(() => screen.orientation && screen.orientation.lock && screen.orientation.lock('landscape'))
      .catch(() => {});
  }
}

function forEachTouch(event, down) {
  event.preventDefault();
  document.body.classList.add('touch');
  for (const touch of event.changedTouches) page.touch && page.touch(touch.identifier, zoneOf(touch), down);
}

stage.addEventListener('touchstart', (event) => forEachTouch(event, 1), {passive: false});
stage.addEventListener('touchend', (event) => {
  forEachTouch(event, 0);
  firstTouch();
}, {passive: false});
stage.addEventListener('touchcancel', (event) => forEachTouch(event, 0), {passive: false});
stage.addEventListener('touchmove', (event) => event.preventDefault(), {passive: false});
stage.addEventListener('contextmenu', (event) => event.preventDefault());
if (window.matchMedia && matchMedia('(pointer: coarse)').matches) document.body.classList.add('touch');
window.addEventListener('blur', () => page.touch && page.touch(-1, 0, 0));

// ---- The screen kept awake while a round is in play

let wakeLock = null;

function keepAwake(playing) {
  if (!navigator.wakeLock) return;
  if (playing && !wakeLock && !document.hidden) {
    wakeLock = navigator.wakeLock.request('screen').catch(() => null);
  } else if (!playing && wakeLock) {
    wakeLock.then((lock) => lock && lock.release()).catch(() => {});
    wakeLock = null;
  }
}

on('playing', keepAwake);
document.addEventListener('visibilitychange', () => {
  if (document.hidden) wakeLock = null;  // the browser lets go of it
  else keepAwake(page.told.playing === true);
});

// ---- Offline: a service worker keeps the page, versioned by build

if ('serviceWorker' in navigator && location.protocol !== 'file:') {
  navigator.serviceWorker.register('sw.js').catch(() => {});
}
