// The browser build in Debian's chromium: the page a blind player meets, on a computer and on
// phones, the game heard in the sounds the page starts and in what the audio graph rendered of
// them, the page checked by axe-core in each state, and no memory kept from one game to the next.
//
// usage: SCURROW_NPM=DIR node tests/web_test.mjs FOLDER   (FOLDER: the built page, unpacked;
// DIR: where puppeteer-core is installed)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import zlib from 'node:zlib';
import { createRequire } from 'node:module';
import { firstLoud, iphone, launch, open, phone, quiet, serve, sleep } from './web/browser.mjs';
import { firefox, webkit } from './web/engines.mjs';

const folder = process.argv[2];
const text = (page, selector) => page.$eval(selector, (element) => element.textContent);
const heard = (page) => page.evaluate(() => window.heard);
const lastKey = (page) => page.evaluate(() => Math.max(window.keys.at(-1) ?? 0, window.taps.at(-1) ?? 0));
// The answer to the last key or tap: the first buffer after it that is louder than the music.
const answer = async (page) => firstLoud(await heard(page), await lastKey(page));
const until = (page, test, ...args) => page.waitForFunction(test, { timeout: 30000, polling: 100 }, ...args);
// The names of the buttons in the accessibility tree.
const buttons = async (page) => JSON.stringify(await page.accessibility.snapshot()).match(/(?<="role":"button",[^{}]*"name":")[^"]*/g);
const over = /^Time is up\. Score: \d+ points\. Press Y to play again or N to quit\.$/;
// The game area's size, and whether it has the focus with its ring.
const area = (page) => page.$eval('#game', (game) => [game.offsetWidth, game.offsetHeight, document.activeElement === game && getComputedStyle(game).outlineStyle]);
// axe-core's findings on the page as it stands, by the rules of WCAG 2.0 to 2.2 (A and AA) and its
// best practices: none is allowed.
const axe = fs.readFileSync(createRequire(`${process.env.SCURROW_NPM}/`).resolve('axe-core/axe.min.js'), 'utf8');
async function accessible(page) {
  const found = await page.evaluate(async (source) => {
    if (!window.axe) new Function(source)();
    const { violations } = await window.axe.run(document, { runOnly: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'] });
    return violations.map(({ id, nodes }) => `${id}: ${nodes.map((node) => node.target).join(', ')}`);
  }, axe);
  assert.deepEqual(found, [], `axe-core in state ${await page.evaluate(() => document.body.dataset.state)}`);
}
// A key as a layout sends it: what it prints, its place, its legacy key code, and the modifiers
// held (1 Alt, 2 Ctrl).
async function typed(page, key, code, keyCode, modifiers = 0) {
  const session = await page.createCDPSession();
  for (const type of ['keyDown', 'keyUp']) await session.send('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode: keyCode, modifiers });
}
// The introduction heard after the start's pause (about a second), and its end.
async function introduction(page) {
  const intro = await sleep(3000).then(() => answer(page));
  assert.ok(intro && intro.at - (await lastKey(page)) > 400, 'no introduction after the pause');
  await until(page, quiet, 600, 0.15);
}
// Chromium through its DevTools protocol, its page listened to (tests/web/browser.mjs).
const chromium = (browser) => async function chromium() {
  const driver = { open: async (url) => { driver.page = await open(browser, url); }, close: () => driver.page.close(),
    run: (f, ...args) => driver.page.evaluate(f, ...args), key: (key) => driver.page.keyboard.press(key) };
  return driver;
};

// A whole game on a keyboard, the same in each engine: no sound before the first key, which starts
// the game and does nothing else, the introduction after the start's pause and the music after it,
// a cue after an arrow, the time-out with the score in words, Y, N and the silence after it, and a
// new game. In Chromium, whose DevTools protocol hears what the graph rendered and types as other
// layouts do, also: what the page is before the start, keys that do not start, the way
// out of the game area, the time-out's sound, the music unbroken and its loop's seam, Y and
// N on German and Russian keyboards, axe-core in each state.
async function wholeGame(engine, server) {
  const driver = await engine(), name = engine.name;
  const state = async (wanted) => { // the page's words once it is in the state wanted
    for (let tenths = 0; ; ++tenths) {
      const [now, words] = await driver.run(() => [document.body.dataset.state, document.getElementById('status').textContent]);
      if (now === wanted) return words;
      assert.ok(tenths < 400, `${name}: still ${now} ("${words}"), not ${wanted}`);
      await sleep(100);
    }
  };
  // The first sound started since the last key for which `test` holds, within `seconds`.
  const first = async (test, seconds) => {
    for (let tenths = 0; ; ++tenths) {
      const [key, started] = await driver.run(() => [window.keys.at(-1) ?? 0, window.started.map(({ at, seconds, loop }) => ({ at, seconds, loop }))]);
      const sound = started.find((s) => s.at >= key && test(s));
      if (sound || tenths >= seconds * 10) return sound && { ...sound, at: sound.at - key };
      await sleep(100);
    }
  };
  const begin = async (key) => {
    await driver.key(key);
    const intro = await first((sound) => sound.seconds > 5, 10);
    assert.ok(intro?.at > 400, `${name}: no introduction after the pause`);
    assert.ok((await first((sound) => sound.loop, 10))?.at > intro.at, `${name}: the introduction never ended`);
  };
  try {
    await driver.open(`${server.url}/any/path/index.html`);
    const { page } = driver;
    assert.equal(await state('ready'), 'Press any key to start.');
    await driver.key('Escape');
    await sleep(1000);
    assert.deepEqual(await driver.run(() => [window.started.length, document.body.dataset.state]), [0, 'ready'], `${name}: sound before the first key`);
    const size = page && await area(page);
    if (page) {
      assert.deepEqual((await (await page.createCDPSession()).send('Page.getInstallabilityErrors')).installabilityErrors, []);
      assert.deepEqual(await page.evaluate(() => [document.title, ...['id', 'role', 'aria-label'].map(
        (attribute) => document.activeElement.getAttribute(attribute))]), ['Scurrow', 'game', 'application', 'Scurrow game']);
      await accessible(page);
    }
    await begin('ArrowLeft');
    if (page) {
      await accessible(page);
      // Tab leaves the game area, where arrows do not reach the game; the browser's shortcuts stay
      // the browser's: the game neither answers them nor stops their default action.
      await page.keyboard.press('Tab');
      assert.notEqual(await page.evaluate(() => document.activeElement.id), 'game', 'Tab is trapped');
      const tab = await lastKey(page);
      await page.keyboard.press('ArrowLeft');
      await page.focus('#game');
      for (const chord of [['ArrowLeft', 'ArrowLeft', 37, 2], ['l', 'KeyL', 76, 2], ['n', 'KeyN', 78, 1]]) await typed(page, ...chord);
      await sleep(300);
      assert.equal(firstLoud(await heard(page), tab), undefined, 'the game took a key not its own');
      // Neither these nor the keys that did not start the game lost their own meaning.
      assert.deepEqual((await page.evaluate(() => window.prevented)).filter((code) => !code.startsWith('Arrow')), []);
    }
    await driver.key('ArrowUp');
    assert.ok(await first(() => true, 1), `${name}: no cue after an arrow`);
    const lost = await driver.run(() => window.keys.at(-1));
    assert.match(await state('over'), over);
    if (page) {
      // The time-out's cue, the score and the prompt, heard; the words of scores that a test's play
      // does not reach, from the sounds that say them.
      await until(page, quiet, 1000, 1e-9);
      const sound = await heard(page), from = sound.find((b) => b.at > lost + 500 && b.peak > 0.2).at;
      const took = (sound.findLast((b) => b.peak > 0.01).at - from) / 1000;
      assert.ok(took > 4.5 && took < 8, `time-out, score and prompt took ${took} s`);
      await accessible(page);
      for (const [spoken, score] of [['1 hundred 50', 150], ['2 thousand 50', 2050], ['9 hundred 90 9 thousand 9 hundred 50', 999950]]) {
        await page.evaluate((words) => `nofind ${words} points again`.split(' ').forEach((sound) => window.program.soundStarted(`/${sound}.wav`)), spoken);
        assert.match(await text(page, '#status'), new RegExp(`Score: ${score} points`));
      }
      // The music went on unbroken through the game: started once, at its loop's start, and stopped
      // only as the time-out's cue started. What its buffer holds on either side of its loop's end
      // is what it holds on either side of its start, so the loop goes on without a jump.
      const [plays, jump, peak] = await page.evaluate(() => {
        const { sounds } = window.program.audio, sound = (name) => window.started.filter((s) => s.buffer === sounds.get(name).buffer);
        const [[lost], music] = [sound('nofind.wav'), sound('background.wav')];
        const { buffer, loopStart, loopEnd } = music[0], samples = buffer.getChannelData(0);
        const around = (time) => samples.subarray(Math.round(time * buffer.sampleRate) - 2000, Math.round(time * buffer.sampleRate) + 2000);
        const [start, end] = [around(loopStart), around(loopEnd)];
        return [music.map((s) => [s.loop && s.offset === s.loopStart, Math.abs(s.until - lost.time) < 0.01]),
          start.reduce((max, s, i) => Math.max(max, Math.abs(s - end[i])), 0), start.reduce((max, s) => Math.max(max, Math.abs(s)), 0)];
      });
      assert.deepEqual(plays, [[true, true]], 'the music broke off');
      assert.ok(jump < peak / 10, `the music jumps by ${jump} at its loop (peak ${peak})`);
    }
    await (page ? typed(page, 'y', 'KeyZ', 89) : driver.key('y')); // the German Y
    assert.equal(await state('running'), 'Playing.');
    assert.match(await state('over'), over);
    await (page ? typed(page, 'т', 'KeyN', 78) : driver.key('n')); // the Russian key at N's place
    assert.equal(await state('ready'), 'The game has ended. To play again, press any key.');
    assert.equal(await first(() => true, 0.5), undefined, `${name}: sound after N`);
    if (page) {
      await accessible(page);
      assert.deepEqual(await area(page), size, 'the game area changed');
      assert.ok(await page.evaluate(quiet, 400, 1e-9), 'sound goes on after N');
    }
    await begin('Enter'); // a new game
  } finally {
    await driver.close();
    server.close();
  }
}

// On a phone (a Pixel 5's screen and touch, then an iPhone 13's): the buttons each state shows, by
// name; a tap on the game area starts; Left taps to the edge; a swipe; Play again and Quit after a
// time-out; then the network cut, and the page still plays from its offline copy.
async function phoneGame(browser, server, device) {
  const url = `${server.url}/any/path/index.html`;
  const page = await open(browser, url, device);
  assert.deepEqual([await buttons(page), await text(page, '#status')], [['Start'], 'Tap Start.']);
  const size = await area(page);
  await accessible(page);
  await page.tap('#game');
  await introduction(page);
  assert.deepEqual(await buttons(page), ['Up', 'Left', 'Right', 'Down']);
  await accessible(page);
  for (let taps = 1; taps <= 6; ++taps) { // Left to the edge: the last two taps bump, heard above the music
    await page.tap('.move[data-code=ArrowLeft]').then(() => sleep(400));
    if (taps > 4) assert.ok(await answer(page), `no bump for tap ${taps}`);
  }
  const { x, y } = await page.$eval('#game', (area) => area.getBoundingClientRect().toJSON());
  await page.touchscreen.touchStart(x + 200, y + 100).then(() => page.touchscreen.touchMove(x + 100, y + 100));
  await page.touchscreen.touchEnd().then(() => sleep(400));
  assert.ok((await answer(page)) && (await page.evaluate(() => window.prevented.at(-1))) === 'ArrowLeft', 'a swipe left is no Left');
  for (const [code, words] of [['KeyY', 'Playing.'], ['KeyN', 'The game has ended. To play again, tap Start again.']]) {
    await until(page, () => document.body.dataset.state === 'over');
    assert.deepEqual(await buttons(page), ['Play again', 'Quit']);
    assert.match(await text(page, '#status'), /^Time is up\. Score: \d+ points\. Choose Play again or Quit\.$/);
    await accessible(page);
    await page.tap(`.answer[data-code=${code}]`);
    await until(page, (w) => document.getElementById('status').textContent === w, words);
  }
  assert.deepEqual([await buttons(page), await area(page)], [['Start again'], size], 'the game area changed');
  await accessible(page);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.close();
  server.close();
  const offline = await open(browser, url, device);
  await offline.tap('#start');
  await introduction(offline);
  await offline.close();
}

// The sounds damaged on the way, not found, or (their checksums vouching for them) not sounds that
// the browser can decode: the page says so in plain words, before the start.
async function brokenSounds(browser) {
  const files = JSON.parse(fs.readFileSync(`${folder}/files.json`));
  const place = (sound) => files.sounds.find(([name]) => name === sound);
  const [[, start], [, begin, end]] = [place('background.wav'), place('move.wav')];
  const vouched = () => JSON.stringify({ ...files, sounds: files.sounds.map((sound) => (sound[0] === 'move.wav'
    ? sound.with(3, zlib.crc32(Buffer.alloc(end - begin, 7))) : sound)) });
  for (const [change, words, list = (bytes) => bytes] of [
    [(bytes) => bytes.fill(7, start + 100000, start + 100012), 'its sound file "background.wav" is damaged.'],
    [() => null, 'its sounds could not be downloaded.'],
    [(bytes) => bytes.fill(7, begin, end), 'this browser cannot play its sound file "move.wav". Try another browser.', vouched]]) {
    const server = await serve(folder, (name, bytes) => (name === 'sounds.data' ? change(bytes) : name === 'files.json' ? list(bytes) : bytes));
    const page = await open(browser, `${server.url}/index.html`);
    assert.deepEqual([await text(page, '#status'), (await text(page, '#error')).split(' Reload the page')[0]],
      ['', `Scurrow cannot start: ${words}`]);
    await page.close();
    server.close();
  }
}

// Twenty games quit with N in the introduction, each followed by a fresh start: the tab's heap after
// a forced collection, and the listeners on the page, stay as they were after the first.
async function noneKept(browser, server) {
  const page = await open(browser, `${server.url}/index.html`);
  const session = await page.createCDPSession();
  // The heap after a forced collection, and the listeners on the window, the document, the game
  // area and the canvas.
  const kept = async (count = 0) => {
    await session.send('HeapProfiler.collectGarbage');
    for (const expression of ['window', 'document', 'document.getElementById("game")', 'document.getElementById("canvas")']) {
      const { result } = await session.send('Runtime.evaluate', { expression });
      count += (await session.send('DOMDebugger.getEventListeners', { objectId: result.objectId })).listeners.length;
    }
    const { usedSize, backingStorageSize } = await session.send('Runtime.getHeapUsage');
    return [usedSize + backingStorageSize, count];
  };
  const game = async () => {
    await page.keyboard.press('Space');
    await until(page, () => document.body.dataset.state === 'running');
    await page.keyboard.press('KeyN');
    await until(page, () => document.body.dataset.state === 'ready');
  };
  await game();
  const [bytes, count] = await kept();
  for (let games = 0; games < 20; ++games) await game();
  const [after, countAfter] = await kept();
  assert.ok(after - bytes <= 1e6 && countAfter === count, `20 games kept ${after - bytes} bytes and ${countAfter - count} listeners`);
  await page.close();
  server.close();
}

const browser = await launch();
try {
  for (const engine of [chromium(browser), firefox, webkit]) await wholeGame(engine, await serve(folder));
  for (const device of [phone, iphone]) await phoneGame(browser, await serve(folder), device);
  await noneKept(browser, await serve(folder));
  await brokenSounds(browser);
  console.log('ok [web]');
} finally {
  await browser.close();
}
