// Drivers of the page in Debian's Firefox ESR (puppeteer-core over WebDriver BiDi) and WebKitGTK
// (its MiniBrowser through WebKitWebDriver, plain W3C WebDriver), for the whole game that
// tests/web_test.mjs plays in each engine: a driver opens the page with `hooks` in it, runs a
// function in it and presses a key.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import net from 'node:net';
import { once } from 'node:events';
import { hooks, sleep } from './browser.mjs';

const puppeteer = createRequire(`${process.env.SCURROW_NPM}/`)('puppeteer-core');

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
  const probe = net.createServer().listen(0, '127.0.0.1');
  await once(probe, 'listening');
  const { port } = probe.address();
  await new Promise((resolve) => probe.close(resolve));
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
