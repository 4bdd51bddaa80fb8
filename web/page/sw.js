// Keeps the whole site in the browser's cache at the first visit, so the game
// installs and plays offline. The build writes this site's files and a hash of their
// contents below; a new build is a new cache, and the old one goes.
const VERSION = '@VERSION@';
const FILES = [@FILES@];
// The voice's files, fetched only when the player turns singing on: kept once
// fetched, and fetched again with a new build's files if the old cache held them.
const LATER = [@LATER@];
const CACHE = `zorvanta-${VERSION}`;
const later = new Set(LATER.map((file) => new URL(file, self.registration.scope).href));

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then(async (cache) => {
    await cache.addAll(FILES);
    const singer = (await caches.keys()).filter((k) => k.startsWith('zorvanta-') && k !== CACHE);
    const used = await Promise.all(singer.map(async (k) => (await caches.open(k)).match(LATER[0])));
    if (used.some(Boolean)) await cache.addAll(LATER).catch(() => {});
  }).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k.startsWith('zorvanta-') && k !== CACHE).map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

// Cache first (the site changes only with a new build), the network for anything else.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE).then(async (cache) => {
    const hit = await cache.match(event.request, { ignoreSearch: true });
    if (hit) return hit;
    const response = await fetch(event.request);
    const url = event.request.url.split(/[?#]/)[0];
    if (response.ok && later.has(url)) await cache.put(url, response.clone());
    return response;
  }));
});
