// The page in Debian's Firefox ESR (puppeteer-core over WebDriver BiDi) and WebKitGTK (its
// MiniBrowser through WebKitWebDriver, plain W3C WebDriver), each played through the same game:
// a driver opens the page with `hooks` in it, runs a function in it and presses a key.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import net from 'node:net';
import { sleep } from './browser.mjs';

const puppeteer = createRequire(`${process.env.SCURROW_NPM}/`)('puppeteer-core');

// In the page before the first key: window.keys, the time of every key down; window.started,
// every sound started: when, its length in seconds and whether it loops.
function hooks() {
  Object.assign(window, { keys: [], started: [] });
  window.addEventListener('keydown', () => window.keys.push(performance.now()), true);
  const { start } = AudioBufferSourceNode.prototype;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.started.push({ at: performance.now(), seconds: this.buffer.duration, loop: this.loop });
    return start.apply(this, args);
  };
}

export async function firefox() {
  const browser = await puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true });
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(hooks);
  return { open: (url) => page.goto(url), run: (f, ...args) => page.evaluate(f, ...args),
    key: (key) => page.keyboard.press(key), close: () => browser.close() };
}

// WebKitWebDriver on a free port. There is no script before the page's own: the hooks go in once
// the page has loaded, which is before any sound can start.
export async function webkit() {
  const port = await new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  let session = '';
  const call = async (method, path, body) => {
    const response = await fetch(`http://127.0.0.1:${port}/session${session}${path}`, { method, body: JSON.stringify(body) });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebKitWebDriver ${path}: ${JSON.stringify(value)}`);
    return value;
  };
  const options = { binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] };
  for (let tries = 0; !session; ++tries) {
    const capabilities = { alwaysMatch: { browserName: 'MiniBrowser', 'webkitgtk:browserOptions': options } };
    session = await call('POST', '', { capabilities }).then(({ sessionId }) => `/${sessionId}`, (error) => {
      if (tries > 50) throw error;
      return sleep(100).then(() => '');
    });
  }
  const run = (f, ...args) => call('POST', '/execute/sync', { script: `return (${f})(...arguments)`, args });
  const codes = { ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', Escape: '\uE00C', Enter: '\uE007' };
  return { open: (url) => call('POST', '/url', { url }).then(() => run(hooks)), run,
    key: (key) => call('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard',
      actions: ['keyDown', 'keyUp'].map((type) => ({ type, value: codes[key] ?? key })) }] }),
    close: () => call('DELETE', '').finally(() => driver.kill()) };
}

// The game a keyboard player meets: no sound before the first key (Escape does not start), the
// introduction after the start's pause, a cue after an arrow, the time-out with the score in
// words, Y and a new time-out, N and the silence after it, and a new game.
export async function play(engine, server) {
  const driver = await engine();
  // Waits for the page's state and returns its status words then.
  const until = async (state, seconds = 40) => {
    for (let tenths = 0; ; ++tenths) {
      const [now, words] = await driver.run(() => [document.body.dataset.state, document.getElementById('status').textContent]);
      if (now === state) return words;
      assert.ok(tenths < seconds * 10, `${engine.name}: still ${now} ("${words}"), not ${state}`);
      await sleep(100);
    }
  };
  // The first sound started since the last key for which `test` holds, within `seconds`.
  const first = async (test, seconds) => {
    for (let tenths = 0; ; ++tenths) {
      const [key, started] = await driver.run(() => [window.keys.at(-1) ?? 0, window.started]);
      const sound = started.find((s) => s.at >= key && test(s));
      if (sound || tenths >= seconds * 10) return sound && { ...sound, at: sound.at - key };
      await sleep(100);
    }
  };
  // The introduction after the start key's pause (a second).
  const introduction = async (key) => {
    await driver.key(key);
    const words = await first((sound) => sound.seconds > 5, 10);
    assert.ok(words?.at > 400, `${engine.name}: no introduction after the pause`);
    return words;
  };
  try {
    await driver.open(`${server.url}/any/path/index.html`);
    assert.match(await until('ready'), /start/);
    await driver.key('Escape');
    await sleep(1000);
    const before = await driver.run(() => [window.started, document.body.dataset.state]);
    assert.deepEqual(before, [[], 'ready'], `${engine.name}: sound before the first key`);
    const words = await introduction('ArrowLeft');
    // The music comes once the introduction has ended by the audio clock, which some engines run
    // only beside a sound server.
    assert.ok((await first((sound) => sound.loop, 10))?.at > words.at, `${engine.name}: the introduction never ended`);
    await driver.key('ArrowUp');
    assert.ok(await first(() => true, 1), `${engine.name}: no cue after an arrow`);
    assert.match(await until('over'), /^Time is up\. Score: \d+ points\. Press Y to play again or N to quit\.$/);
    await driver.key('y');
    assert.equal(await until('running'), 'Playing.');
    await until('over');
    await driver.key('n');
    assert.match(await until('ready'), /^The game has ended\./);
    assert.equal(await first(() => true, 0.5), undefined, `${engine.name}: sound after N`);
    await introduction('Enter'); // a new game
  } finally {
    await driver.close();
    server.close();
  }
}
