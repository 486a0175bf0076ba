// The service worker: every file of the site is stored when it installs, and
// requests are answered from that store first, so the page, once loaded, opens
// and grows maps without a network. A new build brings a new store.
/* global FILES, VERSION */
const store = `glenvar-${VERSION}`;

self.addEventListener("install", (e) => {
  e.waitUntil(caches.open(store).then((c) => c.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (e) => {
  const old = (keys) => keys.filter((k) => k.startsWith("glenvar-") && k !== store);
  e.waitUntil(caches.keys()
    .then((keys) => Promise.all(old(keys).map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

// A link's settings are in its query; the page is the same file for all of them.
self.addEventListener("fetch", (e) => {
  if (e.request.method !== "GET") return;
  e.respondWith(caches.open(store)
    .then((c) => c.match(e.request, { ignoreSearch: true }))
    .then((hit) => hit ?? fetch(e.request)));
});
