// The browser page under Debian's chromium, headless, driven through the DevTools protocol: a
// static server on 127.0.0.1, real key events, every buffer of sound that the page hands to its
// audio output, and what the audio graph really rendered of them.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { createRequire } from 'node:module';

const puppeteer = createRequire(`${process.env.SCURROW_NPM}/`)('puppeteer-core');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.svg': 'image/svg+xml' };

// Serves `folder` under any path: each file by its name (a folder's: index.html), as
// `change(name, bytes)` gives it (null: not found).
export async function serve(folder, change = (name, bytes) => bytes) {
  const server = http.createServer((request, response) => {
    const name = path.basename(new URL(request.url, 'http://host').pathname.replace(/\/$/, '/index.html'));
    fs.readFile(path.join(folder, name), (error, bytes) => {
      const body = error ? null : change(name, bytes);
      response.writeHead(body ? 200 : 404, { 'Content-Type': types[path.extname(name)] ?? '' });
      response.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}`, close: () => { server.close(); server.closeAllConnections(); } };
}

// Runs in the page before its own scripts. window.heard: every output buffer of a
// ScriptProcessorNode, its peak and when it was filled (the page's clock, in ms); window.keys: the
// time stamp of every key-down, window.taps of every touch or mouse press; window.prevented: the code of every key-down whose default action
// was stopped. A recorder placed between the node and the output keeps what the graph rendered;
// window.hear() looks each filled buffer up in it.
function listen() {
  Object.assign(window, { heard: [], keys: [], taps: [], prevented: [] });
  window.addEventListener('keydown', (event) => window.keys.push(event.timeStamp), true);
  window.addEventListener('pointerdown', (event) => window.taps.push(event.timeStamp), true);
  // window.program: the settings the page gives the last program, its hooks among them.
  let program;
  Object.defineProperty(window, 'createScurrow', { get: () => (settings) => program(window.program = settings), set: (f) => { program = f; } });
  const prevent = Event.prototype.preventDefault;
  Event.prototype.preventDefault = function () {
    if (this.type === 'keydown') window.prevented.push(this.code);
    prevent.call(this);
  };
  // The recorder keeps what reaches it (up to 4 minutes) in the audio thread, and sends it when
  // asked: nothing is allocated on the page's main thread while the game plays.
  const recorder = `registerProcessor('recorder', class extends AudioWorkletProcessor {
    all = new Float32Array(44100 * 240); length = 0;
    constructor() { super(); this.port.onmessage = () => this.port.postMessage([this.all.slice(0, this.length), this.first]); }
    process([input], [output]) {
      output.forEach((channel, c) => input[c] && channel.set(input[c]));
      this.first ??= currentFrame;
      if (input[0] && this.length < this.all.length) this.all.set(input[0], this.length);
      this.length += 128;
      return true;
    }
  })`;
  const create = AudioContext.prototype.createScriptProcessor;
  AudioContext.prototype.createScriptProcessor = function (...args) {
    const node = create.apply(this, args), context = this;
    const stream = window.stream = { buffers: [], filled: new Float32Array(44100 * 240), rate: this.sampleRate, context };
    let fill = null;
    Object.defineProperty(node, 'onaudioprocess', { set: (handler) => { fill = handler; } });
    node.addEventListener('audioprocess', (event) => {
      fill?.call(node, event);
      const samples = event.outputBuffer.getChannelData(0), place = stream.buffers.length * (stream.size = samples.length);
      if (place + samples.length <= stream.filled.length) stream.filled.set(samples, place);
      stream.buffers.push(window.heard.length);
      window.heard.push({ filled: performance.now(), peak: samples.reduce((max, s) => Math.max(max, Math.abs(s)), 0) });
    });
    node.connect = (output) => {
      AudioNode.prototype.connect.call(node, output);
      context.audioWorklet.addModule(URL.createObjectURL(new Blob([recorder], { type: 'text/javascript' }))).then(() => {
        stream.tap = new AudioWorkletNode(context, 'recorder', { outputChannelCount: [2] });
        stream.tap.connect(output);
        node.disconnect();
        AudioNode.prototype.connect.call(node, stream.tap);
      });
    };
    return node;
  };
  // Looks each filled buffer of the last node up in the recording, in order, from where the first
  // sounding one lies. A buffer not found where it belongs is a break (a sounding one found near
  // it moves the place on), a run of breaks one glitch. Notes in window.heard when each buffer
  // reached the speaker (by the output's own timestamp); returns the glitches and the seconds of
  // sound compared (of the buffers filled from `from` to `to`).
  window.hear = async (from = 0, to = Infinity) => {
    const { buffers, filled, size, rate, context, tap } = window.stream;
    const [all, first] = await new Promise((resolve) => { tap.port.onmessage = ({ data }) => resolve(data); tap.port.postMessage(0); });
    const stamp = context.getOutputTimestamp();
    const at = (samples, place) => samples.every((sample, i) => Math.abs(sample - all[place + i]) < 1e-6);
    const find = (samples, begin, end) => { for (let p = Math.max(0, begin); p < Math.min(end, all.length); ++p) if (at(samples, p)) return p; };
    let place, glitches = 0, compared = 0, broken = false;
    for (const [i, index] of buffers.entries()) {
      const heard = window.heard[index], sounds = heard.peak > 0.01, samples = filled.subarray(i * size, i * size + size);
      if (place === undefined && !(sounds && (place = find(samples, 0, Infinity)) !== undefined)) continue;
      const found = at(samples, place);
      if (!found && sounds) place = find(samples, place - 4 * size, place + 4 * size) ?? place;
      heard.plays = stamp.performanceTime + ((first + place) / rate - stamp.contextTime) * 1000;
      place += size;
      if (place > all.length || heard.filled < from || heard.filled > to || (found && heard.peak < 1e-4)) continue;
      [compared, glitches, broken] = [compared + 1, glitches + (!found && !broken), !found];
    }
    return { glitches, seconds: (compared * size) / rate };
  };
}

export const launch = () => puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, ignoreDefaultArgs: ['--mute-audio'],
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-quic'],
});

export const phone = puppeteer.KnownDevices['Pixel 5'];
// A page at `url` (on `device`, if given), listened to, once it says how to start (or what went
// wrong).
export async function open(browser, url, device) {
  const page = await browser.newPage();
  if (device) await page.emulate(device);
  await page.evaluateOnNewDocument(listen);
  await page.goto(url);
  await page.waitForFunction(() => !document.getElementById('status').textContent.startsWith('Loading'), { polling: 100 });
  return page;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// For waitForFunction: every buffer filled in the last `ms` milliseconds peaked below `peak`.
export const quiet = (ms, peak) => window.heard.length > 0 &&
  window.heard.every((b) => b.filled < performance.now() - ms || b.peak < peak);
// The first buffer filled after `time` that is louder than the music (whose peak stays below 0.1).
export const firstLoud = (heard, time) => heard.find((b) => b.filled >= time && b.peak > 0.2);
