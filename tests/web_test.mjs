// The browser build in Debian's chromium: the page a blind player meets, and the game heard from
// the samples that the page sends to its audio output.
//
// usage: SCURROW_NPM=DIR node tests/web_test.mjs FOLDER   (FOLDER: the built page, unpacked;
// DIR: where puppeteer-core is installed)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { firstLoud, launch, open, quiet, serve, sleep } from './web/browser.mjs';

const folder = process.argv[2];
const text = (page, selector) => page.$eval(selector, (element) => element.textContent);
const heard = (page) => page.evaluate(() => window.heard);
const lastKey = (page) => page.evaluate(() => window.keys.at(-1));
// The answer to the last key: the first buffer after it that is louder than the music.
const answer = async (page) => firstLoud(await heard(page), await lastKey(page));

// A whole game: the start, the edge, the way out of the game area, a time-out with the spoken
// score and the prompt, and N.
async function wholeGame(browser, url) {
  const page = await open(browser, `${url}/any/path/index.html`);
  assert.equal(await text(page, '#status'), 'Press any key to start.');
  assert.equal(await page.title(), 'Scurrow');
  assert.deepEqual(await page.evaluate(() => ['id', 'role', 'aria-label'].map(
    (name) => document.activeElement.getAttribute(name))), ['game', 'application', 'Scurrow game']);
  await sleep(1000);
  assert.equal((await heard(page)).length, 0, 'sound before the first key');

  // The start key does nothing else: the introduction follows the pause of about a second.
  await page.keyboard.press('ArrowLeft');
  await sleep(3000);
  const intro = await answer(page);
  assert.ok(intro && intro.filled - (await lastKey(page)) > 400, 'no introduction after the pause');
  await page.waitForFunction(quiet, { polling: 100 }, 600, 0.15); // the introduction is over
  // Left until the edge: the last two steps bump, each answered above the music.
  for (let step = 1; step <= 6; ++step) {
    await page.keyboard.press('ArrowLeft');
    await sleep(400);
    if (step > 4) assert.ok(await answer(page), `no bump for step ${step}`);
  }

  // Tab leaves the game area, where arrows do not reach the game; the browser's shortcuts stay the
  // browser's: the game neither answers them nor stops their default action.
  await page.keyboard.press('Tab');
  assert.notEqual(await page.evaluate(() => document.activeElement.id), 'game', 'Tab is trapped');
  const tab = await lastKey(page);
  await page.keyboard.press('ArrowLeft');
  await page.focus('#game');
  for (const chord of [['Control', 'ArrowLeft'], ['Control', 'KeyL'], ['Alt', 'KeyN']]) {
    for (const key of chord) await page.keyboard.down(key);
    for (const key of chord.reverse()) await page.keyboard.up(key);
  }
  await sleep(300);
  assert.equal(firstLoud(await heard(page), tab), undefined, 'the game took a key not its own');
  assert.deepEqual((await page.evaluate(() => window.prevented)).filter((code) => !code.startsWith('Arrow')), []);

  // The time-out: the cue, the score word by word and the prompt, then silence (the music
  // stopped) until N, which ends the sound and the game.
  const timeOut = await page.waitForFunction((after) => window.heard.find((b) => b.filled > after && b.peak > 0.2),
    { timeout: 20000, polling: 200 }, (await lastKey(page)) + 500);
  await page.waitForFunction(quiet, { timeout: 20000, polling: 200 }, 1000, 1e-9);
  const seconds = ((await heard(page)).findLast((b) => b.peak > 0.01).filled - (await timeOut.jsonValue()).filled) / 1000;
  assert.ok(seconds > 4.5 && seconds < 8, `time-out, score and prompt took ${seconds} s`);
  await page.keyboard.press('KeyN');
  await page.waitForFunction(() => document.getElementById('status').textContent ===
    'The game has ended. Reload the page to play again.');
  const count = (await heard(page)).length;
  await sleep(500);
  assert.equal((await heard(page)).length, count, 'sound goes on after N');
  await page.close();
}

// The data file damaged on the way, or not found: the page says so in plain words.
async function brokenSounds(browser) {
  const index = fs.readFileSync(`${folder}/index.js`, 'utf8');
  const start = Number(index.match(/"\/background\.wav","start":(\d+)/)[1]);
  for (const [change, words] of [
    [(bytes) => bytes.fill(0, start, start + 12), 'its sound file "background.wav" is damaged.'],
    [() => null, 'its sounds could not be downloaded.']]) {
    const server = await serve(folder, (name, bytes) => (name === 'index.data' ? change(bytes) : bytes));
    const page = await open(browser, `${server.url}/index.html`);
    if (!(await text(page, '#error'))) await page.keyboard.press('Space');
    await page.waitForFunction(() => document.getElementById('error').textContent);
    const error = await text(page, '#error');
    assert.ok(error.startsWith(`Scurrow cannot start: ${words} Reload the page`), error);
    await page.close();
    server.close();
  }
}

const browser = await launch();
const server = await serve(folder);
try {
  await wholeGame(browser, server.url);
  await brokenSounds(browser);
  console.log('ok [web]');
} finally {
  await browser.close();
  server.close();
}
