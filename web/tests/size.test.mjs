// The page stays small: what a player downloads before the game starts, the program's JavaScript and
// WebAssembly, as it is and gzipped (as web servers send it).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {test} from 'node:test';
import zlib from 'node:zlib';
import {site} from './browser.mjs';

const limits = {bytes: 1500 * 1000, gzipped: 600 * 1000};

test('pellaris.js and pellaris.wasm are at most 1.5 MB together, and 600 kB gzipped', () => {
  const files = ['pellaris.js', 'pellaris.wasm'].map((name) => fs.readFileSync(path.join(site, name)));
  const bytes = files.reduce((sum, file) => sum + file.length, 0);
  const gzipped = files.reduce((sum, file) => sum + zlib.gzipSync(file, {level: 9}).length, 0);
  assert.ok(bytes <= limits.bytes, `${bytes} bytes`);
  assert.ok(gzipped <= limits.gzipped, `${gzipped} bytes gzipped`);
});
