// The page's offline copy: the first visit caches the page, the program and its sounds; later
// visits are served from that cache. Each build has its own version (web/stamp.py writes it), and
// a new one replaces the old cache of this folder only, so copies in other folders keep theirs.
'use strict';
const files = ['./', 'index.html', 'page.js', 'index.js', 'index.wasm', 'sounds.data', 'files.json',
  'manifest.webmanifest', 'icon.svg', 'apple-touch-icon.png'];
const folder = `scurrow ${self.registration.scope} `;
const name = `${folder}@VERSION@`;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(name).then((cache) => cache.addAll(files)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((old) => old.startsWith(folder) && old !== name)
      .map((old) => caches.delete(old))))
    .then(() => self.clients.claim()));
});
self.addEventListener('fetch', (event) => {
  event.respondWith(caches.open(name).then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((cached) => cached ?? fetch(event.request)));
});
