// SKYPOP FRENZY's service worker: keeps one whole build of the site in one cache, so the game
// starts and plays with no network once it has been loaded.
//
// make_precache.js writes the built copy into the site, with this build's cache name and every
// file of the site filled into the line below (the name carries a hash of all the files, so any
// change to the site gives a new worker the browser installs).
//
// The plain lifecycle, without skipWaiting() and clients.claim(): a new build installs in the
// background on the first visit after it is deployed and takes over on the next visit, once no
// page of the old build is open. Taking over at once would swap the cache under a running game:
// the old page still fetches files after it starts (the synthesizer and its soundfont load while
// the title shows) and would get the new build's copies, which need not fit its code; and the
// old cache it runs from would be deleted under it. A page of one build only ever sees that build.
'use strict';

const PRECACHE = {cache: 'skypop-unbuilt', files: []};

const CACHE_PREFIX = 'skypop-';

self.addEventListener('install', (event) => {
  // Each file checked with the server first ('no-cache'), so no stale copy from the HTTP cache
  // mixes builds; but a file the page has just downloaded and the server confirms unchanged comes
  // from the HTTP cache (an empty 304), so the first visit does not download the site twice. One
  // failed file fails the install; the browser tries again on a later visit.
  event.waitUntil(caches.open(PRECACHE.cache).then((cache) => cache.addAll(
      PRECACHE.files.map((file) => new Request(file, {cache: 'no-cache'})))));
});

self.addEventListener('activate', (event) => {
  // Only now is no page of an older build left: its cache goes. Other sites' caches on the same
  // origin are left alone.
  event.waitUntil(caches.keys().then((names) => Promise.all(
      names.filter((name) => name.startsWith(CACHE_PREFIX) && name !== PRECACHE.cache)
          .map((name) => caches.delete(name)))));
});

// The cached copy first, then the network. A page (a navigation) ignores its query string
// (?test, ?bench) and a folder means its index.html; offline, any page of the site falls back to
// the cached index.html.
async function answer(request) {
  const cache = await caches.open(PRECACHE.cache);
  const navigation = request.mode === 'navigate';
  let key = request;
  if (navigation) {
    const url = new URL(request.url);
    url.search = '';
    if (url.pathname.endsWith('/')) url.pathname += 'index.html';
    key = url.href;
  }
  const cached = await cache.match(key);
  if (cached) return cached;
  try {
    return await fetch(request);
  } catch (error) {
    if (!navigation) throw error;
    const index = await cache.match(new URL('index.html', self.registration.scope).href);
    if (index) return index;
    throw error;
  }
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  // Only this site's own files are cached; anything else goes to the network untouched.
  if (request.method !== 'GET' || !request.url.startsWith(self.registration.scope)) return;
  event.respondWith(answer(request));
});
