// The browser build in Debian's chromium: the start; the sound's glitches a minute, idle and with
// the page's main thread busy, and key to cue (its first buffer filled, and at the speaker), at
// the shipped mixer size and the sizes beside it; tap to cue on a phone; and the first load on a
// throttled link. Each key and tap is stamped on the page's clock as it arrives, each buffer as the
// page fills it, and its time at the speaker comes from the recording of what the graph rendered.
//
// usage: SCURROW_NPM=DIR node bench/web_latency.mjs FOLDER [SECONDS] [TAPS]   (FOLDER: the built
// page; the benchmark's builds at other sizes lie beside it in bench-<frames>/; 40 s of each load
// and 100 taps if not given)
import path from 'node:path';
import { firstLoud, launch, open, phone, serve, sleep } from '../tests/web/browser.mjs';

const [folder, seconds = 40, taps = 100] = process.argv.slice(2);
const browser = await launch();
const figures = {};
const rank = (values, q) => values.sort((a, b) => a - b)[Math.max(1, Math.ceil(q * values.length)) - 1];
const report = (name, values) => {
  figures[`${name}_p50`] = rank(values, 0.5);
  figures[`${name}_p99`] = rank(values, 0.99);
};
const state = (page) => page.evaluate(() => document.body.dataset.state);
// Each stamp's cue: the first buffer after it louder than the music, filled within 100 ms.
const cues = (stamps, heard) => stamps.map((time) => [time, firstLoud(heard, time)]).filter(([time, cue]) => cue && cue.filled - time < 100);
const served = async (where, run) => {
  const server = await serve(where);
  try { return await run(server.url); } finally { server.close(); }
};

// A game played for `ms`: arrows at random moments 120 to 220 ms apart while a star is hunted,
// Y as soon as one is lost.
async function play(page, ms) {
  const arrows = ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown'];
  for (const end = Date.now() + ms; Date.now() < end;) {
    const now = await state(page);
    if (now === 'over') await page.keyboard.press('KeyY');
    else if (now === 'running') await page.keyboard.press(arrows[Math.floor(Math.random() * 4)]);
    await sleep(120 + Math.random() * 100);
  }
}

// One size: the start, then `seconds` idle and `seconds` with the main thread busy 30 ms in 500.
async function size(where) {
  return served(where, async (url) => {
    const page = await open(browser, `${url}/index.html`);
    await page.keyboard.press('Space');
    await sleep(7500); // the pause and the introduction
    const idle = await page.evaluate(() => performance.now());
    await play(page, seconds * 1000);
    const busy = await page.evaluate(() => setInterval(() => {
      for (const end = performance.now() + 30; performance.now() < end;);
    }, 500) && performance.now());
    await play(page, seconds * 1000);
    const result = await page.evaluate(async (idle, busy) => ({ idle: await window.hear(idle, busy), busy: await window.hear(busy),
      frames: window.stream.size, latency: window.stream.context.outputLatency * 1000,
      keys: window.keys, heard: window.heard }), idle, busy);
    await page.close();
    return result;
  });
}

try {
  const shipped = await size(folder);
  figures.web_start_ms = shipped.heard.find((b) => b.peak > 0.01).plays - shipped.keys[0];
  figures.web_frames = shipped.frames;
  for (const frames of [shipped.frames / 2, shipped.frames, shipped.frames * 2]) {
    const run = frames === shipped.frames ? shipped : await size(path.join(folder, '..', `bench-${frames}`));
    for (const load of ['idle', 'busy']) {
      figures[`web_${frames}_${load}_glitches`] = (run[load].glitches * 60) / run[load].seconds;
      figures[`web_${frames}_${load}_seconds`] = run[load].seconds;
    }
    const keyed = cues(run.keys.slice(1), run.heard);
    report(`web_${frames}_fill`, keyed.map(([key, cue]) => cue.filled - key));
    report(`web_${frames}_speaker`, keyed.map(([key, cue]) => cue.plays - key));
    report(`web_${frames}_play`, keyed.map(([key, cue]) => cue.plays - run.latency - key));
    figures[`web_${frames}_keys`] = keyed.length;
  }

  // Taps on a phone: Left at the edge, the bump each time; Play again when a star is lost.
  await served(folder, async (url) => {
    const page = await open(browser, `${url}/index.html`, phone);
    await page.tap('#game');
    await sleep(7500);
    for (let tapped = 0; tapped < taps * 1.5;) {
      const now = await state(page);
      if (now === 'running') ++tapped;
      // The state may change under the tap, which then finds its button hidden.
      await page.tap(now === 'over' ? '.answer' : '.move[data-code=ArrowLeft]').catch(() => {});
      await sleep(200 + Math.random() * 100);
    }
    const [stamps, heard, latency] = await page.evaluate(async () => (await window.hear()) &&
      [window.taps.slice(1), window.heard, window.stream.context.outputLatency * 1000]);
    const tapped = cues(stamps, heard).slice(0, taps);
    report('web_tap_fill', tapped.map(([tap, cue]) => cue.filled - tap));
    report('web_tap_speaker', tapped.map(([tap, cue]) => cue.plays - tap));
    report('web_tap_play', tapped.map(([tap, cue]) => cue.plays - latency - tap));
    figures.web_output_latency_ms = latency;
    figures.web_taps = tapped.length;
  });

  // The first load on a link of 1.6 Mbit/s down, 750 kbit/s up and 150 ms round trip, no cache.
  await served(folder, async (url) => {
    const page = await browser.newPage();
    const session = await page.createCDPSession();
    await session.send('Network.enable');
    await session.send('Network.setCacheDisabled', { cacheDisabled: true });
    await session.send('Network.emulateNetworkConditions',
      { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 750e3 / 8 });
    const began = Date.now();
    await page.goto(`${url}/index.html`);
    await page.waitForFunction(() => document.body.dataset.state === 'ready', { timeout: 180000, polling: 100 });
    figures.web_load_s = (Date.now() - began) / 1000;
    await page.close();
  });
} finally {
  await browser.close();
}
for (const [name, value] of Object.entries(figures)) console.log(`${name} ${Number(value).toFixed(2)}`);
