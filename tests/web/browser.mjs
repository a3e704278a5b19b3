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
// time stamp of every key-down, window.taps of every end of a touch or click; window.prevented: the code of every key-down whose default action
// was stopped. A recorder placed between the node and the output keeps what the graph rendered;
// window.hear() looks each filled buffer up in it.
function listen() {
  Object.assign(window, { heard: [], keys: [], taps: [], prevented: [] });
  window.addEventListener('keydown', (event) => window.keys.push(event.timeStamp), true);
  window.addEventListener('pointerup', (event) => window.taps.push(event.timeStamp), true);
  const prevent = Event.prototype.preventDefault;
  Event.prototype.preventDefault = function () {
    if (this.type === 'keydown') window.prevented.push(this.code);
    prevent.call(this);
  };
  const recorder = `registerProcessor('recorder', class extends AudioWorkletProcessor {
    chunk = new Float32Array(4096); length = 0;
    process([input], [output]) {
      output.forEach((channel, c) => input[c] && channel.set(input[c]));
      if (!this.length) this.frame = currentFrame;
      if (input[0]) this.chunk.set(input[0], this.length);
      if ((this.length += 128) < 4096) return true;
      this.port.postMessage({ frame: this.frame, samples: this.chunk }, [this.chunk.buffer]);
      this.chunk = new Float32Array(4096);
      this.length = 0;
      return true;
    }
  })`;
  const create = AudioContext.prototype.createScriptProcessor;
  AudioContext.prototype.createScriptProcessor = function (...args) {
    const node = create.apply(this, args), context = this;
    const stream = window.stream = { buffers: [], chunks: [], stamps: [], rate: this.sampleRate };
    let fill = null;
    Object.defineProperty(node, 'onaudioprocess', { set: (handler) => { fill = handler; } });
    node.addEventListener('audioprocess', (event) => {
      fill?.call(node, event);
      const samples = event.outputBuffer.getChannelData(0).slice();
      stream.buffers.push({ at: window.heard.length, samples });
      window.heard.push({ filled: performance.now(), peak: samples.reduce((max, s) => Math.max(max, Math.abs(s)), 0) });
    });
    node.connect = (output) => {
      AudioNode.prototype.connect.call(node, output);
      const url = URL.createObjectURL(new Blob([recorder], { type: 'text/javascript' }));
      context.audioWorklet.addModule(url).then(() => {
        const tap = new AudioWorkletNode(context, 'recorder', { outputChannelCount: [2] });
        tap.port.onmessage = ({ data }) => stream.chunks.push(data) && stream.stamps.push(context.getOutputTimestamp());
        tap.connect(output);
        node.disconnect();
        AudioNode.prototype.connect.call(node, tap);
      });
    };
    return node;
  };
  // Looks each filled buffer of the last node up in the recording, in order, from where three
  // sounding buffers first lie one after another. A buffer not found where it belongs is a break
  // (one found near it moves the place on), a run of breaks one glitch. Notes in window.heard when
  // each buffer reached the speaker (by the output's own timestamps); returns the glitches, the
  // breaks and the seconds of sound compared (of the buffers filled from `from` to `to`).
  window.hear = (from = 0, to = Infinity) => {
    const { buffers, chunks, stamps, rate } = window.stream, size = buffers[0].samples.length;
    const first = chunks[0].frame, all = new Float32Array(chunks.at(-1).frame + 4096 - first);
    for (const chunk of chunks) all.set(chunk.samples, chunk.frame - first);
    const at = (buffer, place) => place >= 0 && place + size <= all.length &&
      buffer.samples.every((sample, i) => Math.abs(sample - all[place + i]) < 1e-6);
    const near = (buffer, place) => {
      for (let q = Math.max(0, place - 4 * size); q < place + 4 * size; ++q) if (at(buffer, q)) return q;
      return place;
    };
    const sounds = (i) => window.heard[buffers[i].at].peak > 0.01;
    let anchor = buffers.findIndex((_, i) => sounds(i)), place = -1;
    while (place < 0 && anchor >= 0 && anchor + 2 < buffers.length) {
      for (let p = 0; p + 3 * size <= all.length && place < 0; ++p) {
        if ([0, 1, 2].every((k) => at(buffers[anchor + k], p + k * size))) place = p;
      }
      anchor += place < 0;
    }
    let glitches = 0, breaks = 0, compared = 0, broken = false;
    for (const buffer of place < 0 ? [] : buffers.slice(anchor)) {
      const found = at(buffer, place), heard = window.heard[buffer.at];
      if (!found && heard.peak > 0.01) place = near(buffer, place);
      const frame = first + place;
      const stamp = stamps.reduce((a, b) => (Math.abs(b.contextTime * rate - frame) < Math.abs(a.contextTime * rate - frame) ? b : a));
      heard.plays = stamp.performanceTime + (frame / rate - stamp.contextTime) * 1000;
      place += size;
      if (place > all.length || heard.filled < from || heard.filled > to || (found && heard.peak < 1e-4)) continue;
      compared += 1;
      breaks += !found;
      glitches += !found && !broken;
      broken = !found;
    }
    return { glitches, breaks, seconds: (compared * size) / rate };
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
// The value below which a share `q` of `values` lies.
export const rank = (values, q) => values.sort((a, b) => a - b)[Math.max(1, Math.ceil(q * values.length)) - 1];
