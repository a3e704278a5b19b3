// The page around the game. It loads the program and its sounds, starts the game on the player's
// first key or click (browsers play nothing before one), hands the game only the keys it answers,
// and says in its live regions what the player cannot hear.
'use strict';
(() => {
  const game = document.getElementById('game');
  const status = document.getElementById('status');
  const error = document.getElementById('error');
  const tellOwner = 'Reload the page; if that does not help, tell the owner of this site.';
  let state = 'loading'; // then ready, running, ended

  const say = (text) => { status.textContent = text; };
  const fail = (text) => {
    state = 'ended';
    say('');
    error.textContent = text;
  };

  // The keys the game answers, by their place on the keyboard: the arrows, the numpad's arrows,
  // Y and N. Every other key, and any with Ctrl, Alt or the system key, stays the browser's.
  const gameKeys = new Set(['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'Numpad4',
    'Numpad6', 'Numpad8', 'Numpad2', 'KeyY', 'KeyN']);
  const forGame = (event) =>
    gameKeys.has(event.code) && !event.ctrlKey && !event.altKey && !event.metaKey;
  const startsGame = (event) => !['Tab', 'Shift', 'Control', 'Alt', 'Meta'].includes(event.key) &&
    !event.ctrlKey && !event.altKey && !event.metaKey;

  window.Module = {
    canvas: document.getElementById('canvas'),
    noAudioDecoding: true, // the sounds are the program's, never the browser's to decode
    showError: fail, // the program's report of a failure
    onRuntimeInitialized() {
      state = 'ready';
      say('Press any key to start.');
    },
    onExit(code) {
      if (code === 0 && state === 'running') say('The game has ended. Reload the page to play again.');
      state = 'ended';
    },
    onAbort() {
      const ended = state === 'running' ? 'has stopped' : 'cannot start';
      if (state !== 'ended') fail(`Scurrow ${ended} because something went wrong. ${tellOwner}`);
    },
  };

  // The start runs inside the player's own event, so that the browser lets the sound begin;
  // the event goes no further, so the key that starts the game does nothing else.
  const start = (event) => {
    event.preventDefault();
    event.stopImmediatePropagation();
    state = 'running';
    say('Playing.');
    window.Module.callMain([]);
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
  game.focus();

  // The sounds first, then the program, which takes them from memory as it starts.
  fetch('index.data')
    .then((response) => {
      if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
      return response.arrayBuffer();
    })
    .then((sounds) => {
      window.Module.getPreloadedPackage = () => sounds;
      const program = document.createElement('script');
      program.src = 'index.js';
      program.onerror = () => fail(`Scurrow cannot start: the game could not be downloaded. ${tellOwner}`);
      document.body.append(program);
    })
    .catch(() => fail(`Scurrow cannot start: its sounds could not be downloaded. ${tellOwner}`));
})();
