// The browser page under Debian's chromium, headless, driven through the DevTools protocol: a
// static server on 127.0.0.1, real key events, and every buffer of sound that the page hands to
// its audio output, with the moment it was filled and the moment it is scheduled to play.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { createRequire } from 'node:module';

const puppeteer = createRequire(`${process.env.SCURROW_NPM}/`)('puppeteer-core');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Serves `folder` under any path: each file by its name, as `change(name, bytes)` gives it (null:
// not found).
export async function serve(folder, change = (name, bytes) => bytes) {
  const server = http.createServer((request, response) => {
    const name = path.basename(new URL(request.url, 'http://host').pathname);
    fs.readFile(path.join(folder, name), (error, bytes) => {
      const body = error ? null : change(name, bytes);
      response.writeHead(body ? 200 : 404, { 'Content-Type': types[path.extname(name)] ?? '' });
      response.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}`, close: () => server.close() };
}

// Runs in the page before its own scripts. window.heard: every output buffer of a
// ScriptProcessorNode, its peak, when it was filled and when it plays (the page's clock, in ms);
// window.keys: the time stamp of every key-down; window.prevented: the code of every key-down
// whose default action was stopped.
function listen() {
  Object.assign(window, { heard: [], keys: [], prevented: [] });
  window.addEventListener('keydown', (event) => window.keys.push(event.timeStamp), true);
  const prevent = Event.prototype.preventDefault;
  Event.prototype.preventDefault = function () {
    if (this.type === 'keydown') window.prevented.push(this.code);
    prevent.call(this);
  };
  const create = AudioContext.prototype.createScriptProcessor;
  AudioContext.prototype.createScriptProcessor = function (...args) {
    const node = create.apply(this, args);
    let fill = null;
    Object.defineProperty(node, 'onaudioprocess', { set: (handler) => { fill = handler; } });
    node.addEventListener('audioprocess', (event) => {
      fill?.call(node, event);
      const now = performance.now(), samples = event.outputBuffer.getChannelData(0);
      const peak = samples.reduce((max, sample) => Math.max(max, Math.abs(sample)), 0);
      window.heard.push({ filled: now, plays: now + (event.playbackTime - this.currentTime) * 1000, peak });
    });
    return node;
  };
}

export const launch = () => puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, ignoreDefaultArgs: ['--mute-audio'],
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-quic'],
});

// A page at `url`, listened to, once it says how to start (or what went wrong).
export async function open(browser, url) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(listen);
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').textContent !== 'Loading Scurrow…');
  return page;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// For waitForFunction: every buffer filled in the last `ms` milliseconds peaked below `peak`.
export const quiet = (ms, peak) => window.heard.length > 0 &&
  window.heard.every((b) => b.filled < performance.now() - ms || b.peak < peak);
// The first buffer filled after `time` that is louder than the music (whose peak stays below 0.1).
export const firstLoud = (heard, time) => heard.find((b) => b.filled >= time && b.peak > 0.2);
