// The browser build in Debian's chromium: the page a blind player meets, and the game heard from
// the samples that the page sends to its audio output.
//
// usage: SCURROW_NPM=DIR node tests/web_test.mjs FOLDER   (FOLDER: the built page, unpacked;
// DIR: where puppeteer-core is installed)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { firstLoud, launch, loud, open, serve, sleep } from './web/browser.mjs';

const folder = process.argv[2];
const text = (page, selector) => page.$eval(selector, (element) => element.textContent);
const heard = (page) => page.evaluate(() => window.heard);
const lastKey = (page) => page.evaluate(() => window.keys.at(-1));
// The answer to the last key: the first buffer after it that is louder than the music.
const answer = async (page) => firstLoud(await heard(page), await lastKey(page));

// A whole game: start, the edge, a time-out with the spoken score and the prompt, N.
async function wholeGame(browser, url) {
  const page = await open(browser, `${url}/any/path/index.html`);
  await page.waitForFunction(() => document.getElementById('status').textContent !== 'Loading Scurrow…');
  assert.equal(await text(page, '#status'), 'Press any key to start.');
  assert.equal(await page.title(), 'Scurrow');
  const area = await page.evaluate(() => [document.activeElement.id, document.activeElement.getAttribute('role'),
    document.activeElement.getAttribute('aria-label')]);
  assert.deepEqual(area, ['game', 'application', 'Scurrow game']);
  await sleep(1000);
  assert.equal((await heard(page)).length, 0, 'sound before the first key');

  // The start key does nothing else: the introduction follows the one-second pause, no bump.
  await page.keyboard.press('ArrowLeft');
  await sleep(3000);
  const intro = await answer(page);
  assert.ok(intro && intro.filled - (await lastKey(page)) > 900, 'the introduction after the pause');
  await page.waitForFunction(() => window.heard.slice(-40).every((buffer) => buffer.peak < 0.15));

  // Left until the edge: the last two steps bump, each answered above the music.
  for (let step = 1; step <= 6; ++step) {
    await page.keyboard.press('ArrowLeft');
    await sleep(400);
    if (step > 4) assert.ok(await answer(page), `no bump for step ${step}`);
  }
  // Tab leaves the game area; the browser's shortcuts stay the browser's: the game neither
  // answers them nor stops their default action.
  await page.keyboard.press('Tab');
  assert.notEqual(await page.evaluate(() => document.activeElement.id), 'game', 'Tab is trapped');
  await page.keyboard.press('ArrowLeft');
  await sleep(300);
  assert.equal(await answer(page), undefined, 'the game answered a key outside its area');
  await page.focus('#game');
  for (const [modifier, key] of [['Control', 'ArrowLeft'], ['Control', 'KeyL'], ['Alt', 'KeyN']]) {
    await page.keyboard.down(modifier);
    await page.keyboard.press(key);
    await page.keyboard.up(modifier);
  }
  await sleep(300);
  assert.equal(await answer(page), undefined, 'the game answered a browser shortcut');
  assert.deepEqual((await page.evaluate(() => window.prevented)).filter((code) => !code.startsWith('Arrow')), []);

  // The time-out: the music stops for the cue, the score word by word and the prompt, then
  // silence until N.
  const timeOut = await page.waitForFunction((after) => window.heard.find((b) => b.filled > after && b.peak > 0.2),
    { timeout: 20000, polling: 200 }, (await lastKey(page)) + 500);
  await page.waitForFunction(() => window.heard.slice(-100).every((buffer) => buffer.peak === 0),
    { timeout: 20000, polling: 200 });
  const sounding = (await heard(page)).filter((b) => b.peak > 0.01);
  const seconds = (sounding.at(-1).filled - (await timeOut.jsonValue()).filled) / 1000;
  assert.ok(seconds > 4.5 && seconds < 8, `time-out, score and prompt took ${seconds} s`);
  await page.keyboard.press('KeyN');
  await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('The game has ended'));
  await sleep(500);
  const count = (await heard(page)).length;
  await sleep(500);
  assert.equal((await heard(page)).length, count, 'sound goes on after N');
  assert.equal(await text(page, '#status'), 'The game has ended. Reload the page to play again.');
  await page.close();
}

// A data file damaged on the way, or missing: the page says so in plain words.
async function brokenSounds(browser, folder) {
  const index = fs.readFileSync(`${folder}/index.js`, 'utf8');
  const start = Number(index.match(/"\/background\.wav","start":(\d+)/)[1]);
  for (const [change, words] of [
    [(bytes) => bytes.fill(0, start, start + 12), 'its sound file "background.wav" is damaged.'],
    [() => null, 'its sounds could not be downloaded.']]) {
    const server = await serve(folder, (name, bytes) => (name === 'index.data' ? change(bytes) : bytes));
    const page = await open(browser, `${server.url}/index.html`);
    await page.waitForFunction(() => document.getElementById('status').textContent !== 'Loading Scurrow…' ||
      document.getElementById('error').textContent);
    if (!(await text(page, '#error'))) await page.keyboard.press('Space');
    await page.waitForFunction(() => document.getElementById('error').textContent);
    const error = await text(page, '#error');
    assert.ok(error.startsWith(`Scurrow cannot start: ${words}`) && error.includes('Reload the page'), error);
    assert.doesNotMatch(error, /error \d/);
    await page.close();
    server.close();
  }
}

const browser = await launch();
const server = await serve(folder);
try {
  await wholeGame(browser, server.url);
  await brokenSounds(browser, folder);
  console.log('ok [web]');
} finally {
  await browser.close();
  server.close();
}
