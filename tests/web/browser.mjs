// The browser page under Debian's chromium, headless, driven through the DevTools protocol: a
// static server on 127.0.0.1, real key events, and every buffer of sound that the page hands to
// its audio output, with the moment it was filled and the moment it is scheduled to play.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { createRequire } from 'node:module';

const puppeteer = createRequire(`${process.env.SCURROW_NPM}/`)('puppeteer-core');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Serves `folder` under any path: its files by name, through `change(name, bytes)`, which may
// alter them, or answer null for "not found".
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

// Before the page's own scripts: every output buffer of a ScriptProcessorNode (its peak, when it
// was filled, when it plays, both on the page's clock in ms) and every key-down's time stamp.
function listen() {
  window.heard = [];
  window.keys = [];
  window.prevented = []; // the codes of the key-downs whose default action was stopped
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
      const now = performance.now();
      window.bufferFrames = event.outputBuffer.length;
      let peak = 0;
      for (const sample of event.outputBuffer.getChannelData(0)) peak = Math.max(peak, Math.abs(sample));
      window.heard.push({ filled: now, plays: now + (event.playbackTime - this.currentTime) * 1000, peak });
    });
    return node;
  };
}

export async function launch() {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    ignoreDefaultArgs: ['--mute-audio'],
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-quic'],
  });
}

export async function open(browser, url) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(listen);
  await page.goto(url);
  return page;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// The first buffer louder than the music (which peaks below 0.1) filled after `time`.
export const loud = 0.2;
export const firstLoud = (heard, time) => heard.find((b) => b.filled >= time && b.peak > loud);
