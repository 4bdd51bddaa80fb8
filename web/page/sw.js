// Keeps the whole site in the browser's cache at the first visit, so the game
// installs and plays offline. The build writes this site's files and a hash of their
// contents below; a new build is a new cache, and the old one goes.
const VERSION = '@VERSION@';
const FILES = [@FILES@];
const CACHE = `zorvanta-${VERSION}`;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
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
    return hit || fetch(event.request);
  }));
});
