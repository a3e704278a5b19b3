// The page around the game. It loads the program and its sounds, checks and decodes the sounds for
// Web Audio, starts a fresh game on the player's key, click or tap (browsers play nothing before
// one), hands the game only the keys it answers, turns touch into those same keys, and says in its
// live regions what the player cannot hear.
'use strict';
(() => {
  const game = document.getElementById('game');
  const status = document.getElementById('status');
  const error = document.getElementById('error');
  const progress = document.getElementById('progress');
  const tellOwner = 'Reload the page; if that does not help, tell the owner of this site.';
  let state = 'loading'; // then ready, running, over (the prompt after a game), ended, failed
  let program = null; // the next game's program, ready to start
  // The sound: one AudioContext for the page, at the browser's own latency; every sound of the
  // game plays into `output`. On an iPhone, a "playback" session keeps it audible with the ring
  // switch on silent, as many VoiceOver users keep it.
  if (navigator.audioSession) navigator.audioSession.type = 'playback';
  const context = new (window.AudioContext ?? window.webkitAudioContext)();
  const output = context.createGain();
  output.connect(context.destination);

  // The touch controls change with the state; a control that goes keeps the focus in the game.
  const setState = (next) => {
    state = document.body.dataset.state = next;
    if (document.activeElement?.closest('#touch')) game.focus();
  };
  const say = (text) => { if (status.textContent !== text) status.textContent = text; };
  // The words name what the player has in hand: on a touch screen the buttons, elsewhere the keys
  // (the buttons show on any touch screen; one that is not the main pointer keeps the keys' words).
  const touch = matchMedia('(pointer: coarse)').matches;
  const words = touch
    ? { start: 'Tap Start.', prompt: 'Choose Play again or Quit.', again: 'To play again, tap Start again.' }
    : { start: 'Press any key to start.', prompt: 'Press Y to play again or N to quit.', again: 'To play again, press any key.' };
  const fail = (text) => {
    setState('failed');
    say('');
    error.textContent = text;
  };
  const failure = (words) => () => { throw new Error(`Scurrow cannot start: ${words} ${tellOwner}`); };

  // The keys the game answers: the arrows and the numpad's arrows by their place, Y and N by the
  // legacy keyCode that SDL reads, which the browser sets from the letter the key prints (on a
  // layout without Latin letters, from the key's place on a US keyboard). Every other key, and any
  // with Ctrl, Alt or the system key, stays the browser's.
  const arrows = ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown'];
  const places = [...arrows, 'Numpad4', 'Numpad6', 'Numpad8', 'Numpad2'];
  const chord = (event) => event.ctrlKey || event.altKey || event.metaKey;
  const forGame = (event) => (places.includes(event.code) || [89, 78].includes(event.keyCode)) && !chord(event);
  // A key a player presses to start: one that types, Enter or an arrow; not Escape, F5, Home or
  // the menu key, which keep their own meaning.
  const startsGame = (event) => (event.key.length === 1 || event.key === 'Enter' || arrows.includes(event.key)) &&
    !chord(event);

  // What the sound says at the end of a game, in words: the time-out, the score spoken word by
  // word ("1", "hundred", "50", "points"), the prompt; and the next game's music after Y. The words
  // come from the names of the sound files (sounds/), which the program reports as each starts.
  let spoken = null;
  const number = (spoken) => spoken.reduce(([total, part], word) => (word === 'thousand' ? [total + part * 1000, 0]
    : word === 'hundred' ? [total, part * 100] : [total, part + Number(word)]), [0, 0]).reduce((a, b) => a + b);
  const soundStarted = (path) => {
    const name = path.slice(path.lastIndexOf('/') + 1, -'.wav'.length);
    if (name === 'nofind') spoken = [];
    else if (name === 'again' && spoken) {
      setState('over');
      say(`Time is up. Score: ${number(spoken)} points. ${words.prompt}`);
      spoken = null;
    } else if (name === 'background' && state === 'over') {
      setState('running');
      say('Playing.');
    } else if (spoken && name !== 'points') spoken.push(name);
  };

  // Emscripten's runtime puts listeners on the document that it never takes off (pointer lock), and
  // they would keep every finished program alive; the page puts none of its own there, so it takes
  // them all off as a program ends.
  const left = [];
  const addListener = document.addEventListener;
  document.addEventListener = (...args) => { left.push(args); addListener.apply(document, args); };

  // A fresh program for each game, from the decoded sounds and the compiled program made once.
  const prepare = (sounds, compiled, greeting) => window.createScurrow({
    canvas: document.getElementById('canvas'),
    audio: { context, output, sounds }, // for sound/web_audio.cpp
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
      return {};
    },
    showError: fail, // the program's report of a failure
    soundStarted,
    onExit(code) {
      for (const args of left.splice(0)) document.removeEventListener(...args);
      if (state === 'failed') return;
      setState('ended');
      // The next program is made after the old one's stack has gone: an Error made while it is
      // still there (emscripten makes some as it starts) would keep every program before it.
      if (code === 0) setTimeout(() => prepare(sounds, compiled, `The game has ended. ${words.again}`));
    },
    onAbort() {
      const ended = state === 'running' || state === 'over' ? 'has stopped' : 'cannot start';
      if (state !== 'failed') fail(`Scurrow ${ended} because something went wrong. ${tellOwner}`);
    },
  }).then((next) => {
    program = next;
    document.getElementById('start').textContent = state === 'ended' ? 'Start again' : 'Start';
    setState('ready');
    say(greeting);
  });

  // The start runs inside the player's own event, where the browser lets the sound begin (Safari
  // on an iPhone once a sound has started in it: an empty one does); the event goes no further, so
  // the key, click or tap that starts the game does nothing else.
  const start = (event) => {
    event.preventDefault();
    event.stopImmediatePropagation();
    context.resume();
    const unlock = context.createBufferSource();
    unlock.buffer = context.createBuffer(1, 1, context.sampleRate);
    unlock.connect(output);
    unlock.start();
    setState('running');
    say('Playing.');
    program.callMain([]);
  };
  // Listening on the window, before the game's own listeners on its area.
  for (const type of ['keydown', 'keyup']) {
    window.addEventListener(type, (event) => {
      if (!game.contains(event.target)) return;
      if (state === 'ready' && type === 'keydown' && startsGame(event)) start(event);
      else if (!forGame(event)) event.stopImmediatePropagation();
    }, true);
  }
  game.addEventListener('click', (event) => { if (state === 'ready') start(event); });
  document.getElementById('start').addEventListener('click', (event) => { if (state === 'ready') start(event); });
  game.focus();

  // Touch: each button and each swipe on the game area is its key, pressed on the game area as the
  // keyboard presses it, so the game's own rules decide what it does.
  const press = ({ code, key = code, keyCode }) => {
    for (const type of ['keydown', 'keyup']) {
      const event = new KeyboardEvent(type, { key, code, bubbles: true, cancelable: true });
      Object.defineProperty(event, 'keyCode', { value: Number(keyCode) });
      game.dispatchEvent(event);
    }
  };
  // A button acts as its finger or mouse goes down, as a key acts on its press; a click with no
  // press before it (a screen reader's double tap, Enter or Space on the button) acts on the click.
  // The press takes no focus: the game area keeps it and its ring, even when the press hides the
  // button under the finger.
  for (const button of document.querySelectorAll('#touch [data-code]')) {
    let pressed = false;
    const act = () => { if (state === 'running' || state === 'over') press(button.dataset); };
    button.addEventListener('pointerdown', (event) => { event.preventDefault(); pressed = true; act(); });
    button.addEventListener('click', () => { if (!pressed) act(); pressed = false; });
  }
  let touched = null;
  game.addEventListener('pointerdown', (event) => { touched = event; });
  game.addEventListener('pointerup', (event) => {
    const [x, y] = [event.clientX - touched?.clientX, event.clientY - touched?.clientY];
    if (state !== 'running' || !(Math.max(Math.abs(x), Math.abs(y)) > 30)) return;
    const arrow = Math.abs(x) > Math.abs(y) ? (x < 0 ? 0 : 1) : (y < 0 ? 2 : 3);
    press({ code: arrows[arrow], keyCode: [37, 39, 38, 40][arrow] });
  });

  // The downloads, with their progress in tenths; then each sound checked against its checksum and
  // decoded, so that a damaged one, or one that this browser cannot decode, is reported before the
  // start.
  let loaded = 0, total = 1, told = 0;
  const download = (name) => fetch(name).then((response) => {
    if (!response.ok) throw new Error(`${name}: ${response.status} ${response.statusText}`);
    const reader = response.body.getReader(), parts = [];
    const read = () => reader.read().then(({ done, value }) => {
      if (done) return new Blob(parts).arrayBuffer();
      parts.push(value);
      loaded += value.length;
      const tenths = Math.min(10, Math.floor((10 * loaded) / total));
      if (tenths > told && state === 'loading') say(`Loading Scurrow… ${(told = tenths) * 10}%`);
      progress.value = tenths * 10;
      return read();
    });
    return read();
  });
  const crcTable = Array.from({ length: 256 }, (_, byte) => {
    for (let bit = 0; bit < 8; ++bit) byte = byte & 1 ? 0xedb88320 ^ (byte >>> 1) : byte >>> 1;
    return byte >>> 0;
  });
  const crc32 = (bytes) => {
    let crc = ~0;
    for (const byte of bytes) crc = crcTable[(crc ^ byte) & 255] ^ (crc >>> 8);
    return ~crc >>> 0;
  };
  const script = new Promise((resolve, reject) => {
    const program = Object.assign(document.createElement('script'), { src: 'index.js', onload: resolve, onerror: reject });
    document.body.append(program);
  });
  fetch('files.json').then((response) => response.json()).catch(failure('the game could not be downloaded.'))
    .then((files) => {
      total = files['sounds.data'] + files['index.wasm'];
      return Promise.all([files, download('sounds.data').catch(failure('its sounds could not be downloaded.')),
        download('index.wasm').then((bytes) => WebAssembly.compile(bytes)).catch(failure('the game could not be downloaded.')),
        script.catch(failure('the game could not be downloaded.'))]);
    })
    .then(([files, data, compiled]) => {
      const bytes = new Uint8Array(data);
      const damaged = files.sounds.find(([, begin, end, crc]) => end > bytes.length || crc32(bytes.subarray(begin, end)) !== crc);
      if (damaged) failure(`its sound file "${damaged[0]}" is damaged.`)();
      // Each sound is the part of its decoded buffer that the original's frames fill, after any
      // lead (tools/web-sounds); decoding gives the buffer the context's own rate.
      const decode = ([name, begin, end, , frames, rate, lead]) => context.decodeAudioData(bytes.slice(begin, end).buffer)
        .then((buffer) => [name, { buffer, begin: lead / rate, end: Math.min(buffer.duration, (lead + frames) / rate) }],
          () => { throw new Error(`Scurrow cannot start: this browser cannot play its sound file "${name}". Try another browser.`); });
      return Promise.all(files.sounds.map(decode)).then((sounds) => [new Map(sounds), compiled]);
    })
    .then(([sounds, compiled]) => {
      progress.hidden = true;
      return prepare(sounds, compiled, words.start);
    })
    .catch((problem) => fail(problem.message.startsWith('Scurrow') ? problem.message
      : `Scurrow cannot start because something went wrong. ${tellOwner}`));

  // The offline copy, where the browser offers one (not on a plain http host).
  if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
})();
