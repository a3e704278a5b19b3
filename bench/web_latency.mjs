// The browser build in Debian's chromium: the start; the output device's underruns, idle and with
// the page's main thread busy; key to cue (the sound's start requested, and at the speaker); tap
// to cue on a phone; and the first load on a throttled link. Each key and tap is stamped on the page's clock as
// it arrives, each sound as it is started, and its time at the speaker comes from the recording of
// what the graph rendered and the output's own timestamp.
//
// usage: SCURROW_NPM=DIR node bench/web_latency.mjs FOLDER [SECONDS] [TAPS]   (FOLDER: the built
// page; 60 s of each load and 100 taps if not given)
import { firstLoud, launch, open, phone, serve, sleep } from '../tests/web/browser.mjs';

const [folder, seconds = 60, taps = 100] = process.argv.slice(2);
const browser = await launch();
const figures = {};
const rank = (values, q) => values.sort((a, b) => a - b)[Math.max(1, Math.ceil(q * values.length)) - 1];
const report = (name, values) => {
  figures[`${name}_p50`] = rank(values, 0.5);
  figures[`${name}_p99`] = rank(values, 0.99);
};
const state = (page) => page.evaluate(() => document.body.dataset.state);
// Each stamp's cue: the sound started after it and the first sound at the speaker louder than the
// music, within 150 ms.
const cues = ({ stamps, heard, started }) => stamps.map((time) => [time, started.find((s) => s.at >= time), firstLoud(heard, time)])
  .filter(([time, start, cue]) => start && cue && start.at - time < 150 && cue.at - time < 150);
const served = async (where, run) => {
  const server = await serve(where);
  try { return await run(server.url); } finally { server.close(); }
};
// What a run leaves for the figures: the stamps of `kind` after the start, the sounds started and
// heard, and the device's underruns where chromium counts them.
const collect = (page, kind) => page.evaluate((kind) => ({ stamps: window[kind].slice(1), heard: window.heard,
  started: window.started.map(({ at }) => ({ at })), underruns: window.tap.context.playbackStats?.underrunEvents }), kind);
const latencies = (name, run) => {
  const keyed = cues(run);
  report(`${name}_request`, keyed.map(([time, start]) => start.at - time));
  report(`${name}_speaker`, keyed.map(([time, , cue]) => cue.at - time));
  figures[`${name}_n`] = keyed.length;
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

try {
  // The start, then `seconds` idle and `seconds` with the main thread busy 30 ms in 500.
  await served(folder, async (url) => {
    const page = await open(browser, `${url}/index.html`);
    await page.keyboard.press('Space');
    await sleep(7500); // the pause and the introduction
    const idle = await page.evaluate(() => [performance.now(), window.tap.context.playbackStats?.underrunEvents]);
    await play(page, seconds * 1000);
    const busy = await page.evaluate(() => [setInterval(() => {
      for (const end = performance.now() + 30; performance.now() < end;);
    }, 500) && performance.now(), window.tap.context.playbackStats?.underrunEvents]);
    await play(page, seconds * 1000);
    const context = await page.evaluate(() => ({ base: window.tap.context.baseLatency * 1000, output: window.tap.context.outputLatency * 1000 }));
    const run = await collect(page, 'keys');
    figures.web_start_ms = run.heard.find((b) => b.peak > 0.01).at - (await page.evaluate(() => window.keys[0]));
    for (const [load, [from, underrunsBefore], [to, underrunsAfter]] of [['idle', idle, busy], ['busy', busy, [Infinity, run.underruns]]]) {
      figures[`web_${load}_underruns`] = underrunsAfter - underrunsBefore;
      latencies(`web_${load}`, { ...run, stamps: run.stamps.filter((time) => time >= from && time < to) });
    }
    figures.web_base_latency_ms = context.base;
    figures.web_output_latency_ms = context.output;
    await page.close();
  });

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
    const run = await collect(page, 'taps');
    latencies('web_tap', { ...run, stamps: run.stamps.slice(0, taps * 1.5) });
  });

  // The first load on a link of 1.6 Mbit/s down, 750 kbit/s up and 150 ms round trip, no cache,
  // served gzipped as a web server with compression on serves it.
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
