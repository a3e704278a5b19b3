// The browser page under Debian's chromium, headless, driven through the DevTools protocol: a
// static server on 127.0.0.1, real key events, every sound that the page starts, and what the
// audio graph really rendered of them.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';
import { createRequire } from 'node:module';

const puppeteer = createRequire(`${process.env.SCURROW_NPM}/`)('puppeteer-core');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.svg': 'image/svg+xml' };

// Serves `folder` under any path: each file by its name (a folder's: index.html), as
// `change(name, bytes)` gives it (null: not found), gzipped for a browser that takes it.
export async function serve(folder, change = (name, bytes) => bytes) {
  const server = http.createServer((request, response) => {
    const name = path.basename(new URL(request.url, 'http://host').pathname.replace(/\/$/, '/index.html'));
    const gzip = /\bgzip\b/.test(request.headers['accept-encoding']);
    fs.readFile(path.join(folder, name), (error, bytes) => {
      const body = error ? null : change(name, bytes);
      response.writeHead(body ? 200 : 404, { 'Content-Type': types[path.extname(name)] ?? '', ...(gzip && { 'Content-Encoding': 'gzip' }) });
      response.end(body && gzip ? zlib.gzipSync(body) : body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}`, close: () => { server.close(); server.closeAllConnections(); } };
}

// In the page before any sound (in every engine). window.keys: the time stamp of every key-down,
// window.taps of every touch or mouse press; window.prevented: the code of every key-down whose
// default action was stopped; window.started: every sound started, with its buffer, its place in it
// and when (the page's clock and the audio clock) until when it sounds.
export function hooks() {
  Object.assign(window, { keys: [], taps: [], prevented: [], started: [] });
  window.addEventListener('keydown', (event) => window.keys.push(event.timeStamp), true);
  window.addEventListener('pointerdown', (event) => window.taps.push(event.timeStamp), true);
  const prevent = Event.prototype.preventDefault;
  Event.prototype.preventDefault = function () {
    if (this.type === 'keydown') window.prevented.push(this.code);
    prevent.call(this);
  };
  const { start, stop } = AudioBufferSourceNode.prototype;
  AudioBufferSourceNode.prototype.start = function (when = 0, offset = 0, duration = undefined) {
    const time = this.context.currentTime;
    window.started.push(this.log = { at: performance.now(), time, offset, buffer: this.buffer, seconds: this.buffer.duration, loop: this.loop,
      loopStart: this.loopStart, loopEnd: this.loopEnd, until: this.loop ? Infinity : time + (duration ?? this.buffer.duration - offset) });
    return start.call(this, when, offset, ...(duration === undefined ? [] : [duration]));
  };
  AudioBufferSourceNode.prototype.stop = function (...args) {
    if (this.log) this.log.until = Math.min(this.log.until, this.context.currentTime);
    return stop.apply(this, args);
  };
}

// In chromium, before the page's own scripts: window.program, the settings the page gives the last
// program, its hooks among them.
function listen() {
  let program;
  Object.defineProperty(window, 'createScurrow', { get: () => (settings) => program(window.program = settings), set: (f) => { program = f; } });
}

// Once the page is ready, a recorder between its output and the speaker: window.heard lists the
// peak of each 128 frames that the graph rendered and when they reach the speaker (the page's
// clock, by the output's own timestamp; counting the recorder's calls from the first is off by a
// constant).
async function record() {
  const { context, output } = window.program?.audio ?? {};
  if (!context) return; // the page could not start
  const recorder = `registerProcessor('recorder', class extends AudioWorkletProcessor {
    peaks = []; times = [];
    process([input], [output]) {
      output.forEach((channel, c) => input[c] && channel.set(input[c]));
      this.times.push(currentTime);
      this.peaks.push(input[0] ? input[0].reduce((max, s) => Math.max(max, Math.abs(s)), 0) : 0);
      if (this.peaks.length === 16) this.port.postMessage({ times: this.times.splice(0), peaks: this.peaks.splice(0) });
      return true;
    }
  })`;
  await context.audioWorklet.addModule(URL.createObjectURL(new Blob([recorder], { type: 'text/javascript' })));
  const tap = window.tap = new AudioWorkletNode(context, 'recorder', { outputChannelCount: [2] });
  window.heard = [];
  tap.port.onmessage = ({ data: { times, peaks } }) => {
    const stamp = context.getOutputTimestamp();
    times.forEach((time, i) => window.heard.push({ peak: peaks[i], at: stamp.performanceTime + (time - stamp.contextTime) * 1000 }));
  };
  output.disconnect();
  output.connect(tap).connect(context.destination);
}

// Chromium plays to its own output even beside a sound server (PULSE_SERVER is for the other
// engines): the timings of what reached the speaker are those its tests and benchmarks expect.
export const launch = () => puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, ignoreDefaultArgs: ['--mute-audio'],
  env: { ...process.env, PULSE_SERVER: undefined },
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-quic'],
});

export const [phone, iphone] = [puppeteer.KnownDevices['Pixel 5'], puppeteer.KnownDevices['iPhone 13']];
// A page at `url` (on `device`, if given), listened to, once it says how to start (or what went
// wrong).
export async function open(browser, url, device) {
  const page = await browser.newPage();
  if (device) await page.emulate(device);
  await page.evaluateOnNewDocument(hooks);
  await page.evaluateOnNewDocument(listen);
  await page.goto(url);
  await page.waitForFunction(() => !document.getElementById('status').textContent.startsWith('Loading'), { polling: 100 });
  await page.evaluate(record);
  return page;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// For waitForFunction: everything that reached the speaker in the last `ms` milliseconds peaked
// below `peak`.
export const quiet = (ms, peak) => window.heard.length > 0 &&
  window.heard.every((b) => b.at < performance.now() - ms || b.peak < peak);
// The first sound at the speaker after `time` that is louder than the music (whose peak stays
// below 0.1).
export const firstLoud = (heard, time) => heard.find((b) => b.at >= time && b.peak > 0.2);
