// The site's service worker: keeps every file of the page in the browser's
// cache storage, so that the calculator starts without a network once it has
// been opened from its web server, and can be installed as an app. CMake
// writes it into the site with the program's version and the site's files;
// as the version is part of its text, a new version is a new worker, which
// the browser fetches and installs on the next visit.
'use strict';

const kVersion = '@PROJECT_VERSION@';
const kPrefix = 'ferrant-calc-';
// The folder the site is served from: the cache's name holds it, as sites in
// two folders of one origin share the cache storage and must not drop each
// other's copy.
const kFolder = new URL('./', self.location).pathname;
const kCache = `${kPrefix}${kVersion} ${kFolder}`;
const kPage = new URL('index.html', self.location).href;
const kFiles = [@FERRANT_WEB_CACHED_FILES@].map((name) => new URL(name, self.location).href);

// Every file is fetched past the HTTP cache: a new version must not be put
// together from files an old one left there. A file missing on the server
// fails the installation, and the worker in charge before stays.
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache)
    .then((cache) => cache.addAll(kFiles.map((url) => new Request(url, { cache: 'reload' }))))
    // A new version takes over without waiting for every tab of the old one
    // to close (a reload keeps its tab open, so waiting would serve the old
    // version on and on): a running page has loaded all its files at its
    // start (index.html preloads the program and the logo) and asks for
    // nothing more, so the change of worker under it changes nothing it shows.
    .then(() => self.skipWaiting()));
});

// The old versions' copies of this folder are dropped. clients.claim() puts
// the page that installed the worker under it at once, so that its reload
// without a network is already served from the copy.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names
      .filter((name) => name.startsWith(kPrefix) && name.endsWith(` ${kFolder}`) && name !== kCache)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The site's files come from the copy; the page itself at any query (its
// links carry the inputs there) and as the bare folder is the copy of
// index.html. Every other request goes to the network as without the worker.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  const url = new URL(request.url);
  const address = url.origin + url.pathname;
  const isPage = request.mode === 'navigate' && (address === kPage || address === new URL('./', kPage).href);
  const key = isPage ? kPage : request.url;
  if (!isPage && !kFiles.includes(key)) return;
  event.respondWith(caches.open(kCache)
    .then((cache) => cache.match(key))
    .then((copy) => copy ?? fetch(request)));
});
