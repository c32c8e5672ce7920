// Offline play: the page's files kept in a cache named by the build, so that after one visit the game
// loads without a network, and a new build (a new name) replaces the old cache. The score board's API
// is never cached. The build writes sw.js from this file (service_worker.cmake).
const cacheName = 'pellaris-%BUILD%';
const files = [%FILES%];

// Fetched past the browser's HTTP cache: a server that lets its files be kept for a while would
// otherwise fill the new build's cache with the old build's files.
self.addEventListener('install', (event) => {
  const requests = ['./', ...files].map((file) => new Request(file, {cache: 'reload'}));
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(requests)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('pellaris-') && name !== cacheName)
                                      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The page's own files from the cache (an address's query, "?seed=N", is the same page); anything
// else, the board's API above all, from the network as usual.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  const scope = new URL(self.registration.scope);
  if (event.request.method !== 'GET' || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname) ||
      url.pathname.includes('/api/')) {
    return;
  }
  event.respondWith(caches.open(cacheName).then((cache) =>
    cache.match(event.request, {ignoreSearch: true}).then((kept) => kept || fetch(event.request))));
});
