// Keeps the page working offline once it has been loaded: every file is
// stored at installation, and requests are answered from the store first.
// A new build has a new version; its worker stores the new files, takes over
// at once and drops the old store.
const VERSION = '__VERSION__';
const FILES = __FILES__;
const STORE = `velta-${VERSION}`;

self.addEventListener('install', (event) => {
  event.waitUntil(
    caches
      .open(STORE)
      .then((cache) => cache.addAll(FILES))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((keys) => Promise.all(keys.filter((k) => k.startsWith('velta-') && k !== STORE).map((k) => caches.delete(k))))
      .then(() => self.clients.claim()),
  );
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    caches.open(STORE).then((cache) =>
      cache.match(request, { ignoreSearch: true }).then((stored) => stored || fetch(request)),
    ),
  );
});
