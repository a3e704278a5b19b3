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

// Runs in the page before its own scripts. window.keys: the time stamp of every key-down,
// window.taps of every touch or mouse press; window.prevented: the code of every key-down whose
// default action was stopped; window.started: every sound started, with its buffer and when (the
// page's clock and the audio clock) until when it sounds. A recorder placed between the page's
// output and the speaker keeps what the graph rendered, and lists in window.heard the peak of each
// 128 frames and when they reach the speaker (the page's clock, by the output's own timestamp);
// window.hear() compares the music in it with the music's buffer.
function listen() {
  Object.assign(window, { heard: [], keys: [], taps: [], prevented: [], started: [] });
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
  // The recorder keeps what reaches it (up to 4 minutes) in the audio thread, sends the peaks and
  // the audio clock of each 128 frames as it goes (counting the calls from the first is off by a
  // constant) and all of it when asked: the page's main thread allocates nothing while the game plays.
  const recorder = `registerProcessor('recorder', class extends AudioWorkletProcessor {
    all = new Float32Array(44100 * 240); length = 0; peaks = []; times = [];
    constructor() { super(); this.port.onmessage = () => this.port.postMessage({ all: this.all.slice(0, this.length) }); }
    process([input], [output]) {
      output.forEach((channel, c) => input[c] && channel.set(input[c]));
      this.times.push(currentTime);
      this.peaks.push(input[0] ? input[0].reduce((max, s) => Math.max(max, Math.abs(s)), 0) : 0);
      if (input[0] && this.length < this.all.length) this.all.set(input[0], this.length);
      this.length += 128;
      if (this.peaks.length === 16) this.port.postMessage({ times: this.times.splice(0), peaks: this.peaks.splice(0) });
      return true;
    }
  })`;
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    if (!(target instanceof AudioDestinationNode) || this === window.tap) return connect.call(this, target, ...rest);
    const node = this, context = this.context;
    connect.call(node, target);
    context.audioWorklet.addModule(URL.createObjectURL(new Blob([recorder], { type: 'text/javascript' }))).then(() => {
      const tap = window.tap = new AudioWorkletNode(context, 'recorder', { outputChannelCount: [2] });
      tap.port.onmessage = ({ data: { times, peaks } }) => {
        const stamp = context.getOutputTimestamp();
        times.forEach((time, i) => window.heard.push({ time, peak: peaks[i], at: stamp.performanceTime + (time - stamp.contextTime) * 1000 }));
      };
      connect.call(tap, target);
      node.disconnect();
      connect.call(node, tap);
    });
    return target;
  };
  // The music in the recording against the music's buffer, from where each play of it began: a
  // run of 128 frames that differs where no other sound plays is a glitch. Returns the glitches
  // and the seconds of music compared (of those that reached the speaker from `from` to `to`).
  window.hear = async (from = 0, to = Infinity) => {
    const { tap, heard } = window, rate = tap.context.sampleRate;
    const all = await new Promise((resolve) => {
      const take = ({ data }) => data.all && resolve(data.all) && tap.port.removeEventListener('message', take);
      tap.port.addEventListener('message', take);
      tap.port.postMessage(0);
    });
    const frame = (time) => { // the place in the recording of a moment on the audio clock
      let block = heard.findIndex((b) => b.time > time) - 1;
      if (block < 0) block = block === -2 ? heard.length - 1 : 0;
      return block * 128 + Math.round((time - heard[block].time) * rate);
    };
    const music = new Float32Array(all.length), others = new Uint8Array(all.length / 128 + 2);
    const span = ({ time, until }) => [frame(time), Math.min(all.length, until === Infinity ? all.length : frame(until))];
    // Another sound's time is left out with some room: the audio clock that a busy main thread
    // reads can be a few blocks old, and the worklet's a block off.
    for (const sound of window.started.filter((s) => !s.loop)) {
      const [begin, end] = span(sound);
      others.fill(1, Math.max(0, Math.floor(begin / 128) - 8), Math.ceil(end / 128) + 16);
    }
    for (const { offset, buffer, loopStart, loopEnd, ...sound } of window.started.filter((s) => s.loop)) {
      const [begin, end] = span(sound), samples = buffer.getChannelData(0);
      const [first, last] = [loopStart, loopEnd].map((t) => Math.round(t * rate));
      const at = (i, late) => samples[first + ((Math.round(offset * rate) + i - begin - late - first) % (last - first))];
      // It starts at the quantum that currentTime showed, or a few later if the audio thread had
      // moved on by then: the lateness that matches the first 512 frames alone after it.
      let clear = begin + 1024;
      while (clear + 512 < end && others.subarray(clear >> 7, (clear >> 7) + 5).some((o) => o)) clear += 128;
      const miss = (late) => Math.max(...all.subarray(clear, clear + 512).map((sample, i) => Math.abs(sample - at(clear + i, late))));
      const late = [...Array(1025).keys()].reduce((best, d) => (miss(d) < miss(best) ? d : best), 0);
      for (let i = Math.max(0, begin + late); i < end; ++i) music[i] = at(i, late);
    }
    let glitches = 0, compared = 0, broken = false;
    for (let block = 0; block < all.length / 128; ++block) {
      const at = heard[block]?.at ?? Infinity, part = (array) => array.subarray(block * 128, block * 128 + 128);
      if (others[block] || at < from || at > to || part(music).every((s) => s === 0)) continue;
      const differs = part(all).some((sample, i) => Math.abs(sample - part(music)[i]) > 1e-4);
      [compared, glitches, broken] = [compared + 1, glitches + (differs && !broken), differs];
    }
    return { glitches, seconds: (compared * 128) / rate };
  };
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
  await page.evaluateOnNewDocument(listen);
  await page.goto(url);
  await page.waitForFunction(() => !document.getElementById('status').textContent.startsWith('Loading'), { polling: 100 });
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
