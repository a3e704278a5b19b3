// The browser build in Debian's chromium: from the start key to the first sound, and from an
// arrow key to the first buffer of its cue, filled and scheduled to play. Each key-down is stamped
// on the page's clock as it arrives; each buffer as the page fills it for the audio output.
//
// usage: SCURROW_NPM=DIR node bench/web_latency.mjs FOLDER [KEYS]   (120 keys if not given)
import { firstLoud, launch, open, quiet, serve, sleep } from '../tests/web/browser.mjs';

const [folder, keys = 120] = process.argv.slice(2);
const browser = await launch();
const server = await serve(folder);
const rank = (values, q) => values.sort((a, b) => a - b)[Math.max(1, Math.ceil(q * values.length)) - 1];
const figures = {};
const report = (name, values) => {
  figures[`${name}_p50`] = rank(values, 0.5);
  figures[`${name}_p99`] = rank(values, 0.99);
};

try {
  // The start: the first sound follows start-up's pause.
  const page = await open(browser, `${server.url}/index.html`);
  await page.keyboard.press('Space');
  await sleep(7500); // the pause and the introduction
  figures.web_start_ms = await page.evaluate(() => window.heard.find((b) => b.peak > 0).plays - window.keys[0]);
  // Arrow keys at random moments while a star is hunted: every step has a cue (move, bump or
  // found), louder than the music. When the star is lost, Y starts the next game.
  const arrows = ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown'];
  for (let pressed = 0; pressed < keys;) {
    for (let burst = 0; burst < 30 && pressed < keys; ++burst, ++pressed) {
      await page.keyboard.press(arrows[Math.floor(Math.random() * 4)]);
      await sleep(120 + Math.random() * 100);
    }
    // The star is lost, the score spoken and the prompt played: then silence.
    await page.waitForFunction(quiet, { timeout: 60000, polling: 100 }, 1000, 1e-9);
    await page.keyboard.press('KeyY');
    await sleep(300);
  }
  const [stamps, heard] = await page.evaluate(() => [window.keys, window.heard]);
  const cues = stamps.slice(1).map((key) => [key, firstLoud(heard, key)]).filter(([key, cue]) => cue && cue.filled - key < 100);
  report('web_key_fill', cues.map(([key, cue]) => cue.filled - key));
  report('web_key_play', cues.map(([key, cue]) => cue.plays - key));
  figures.web_keys = cues.length;
} finally {
  await browser.close();
  server.close();
}
for (const [name, value] of Object.entries(figures)) console.log(`${name} ${Number(value).toFixed(2)}`);
