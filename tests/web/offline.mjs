// offline.mjs SITE_DIR: the site from a real web server on 127.0.0.1 (its
// service worker's own downloads must reach the server) in headless
// Chromium. Online the page is installable and the worker takes charge; then
// without a network the page at another address of it (the folder, a query)
// starts from the worker's copy, asking the server for nothing, and answers
// the typical input as online; a worker of another version replaces the copy
// on the next visit. Exit status 0 when every check holds, 1 otherwise.
import { promises as fs } from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import process from 'node:process';

import { launchBrowser, programIdle, shownText } from './browser.mjs';
import { createDriver } from './driver.mjs';

const siteDir = process.argv[2];
const [kBaserateField, kFerrantMetres] = [0, 108];  // ferrant-replay --help
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png' };
let failures = 0;
const fail = (text) => { console.error(`FAIL: ${text}`); failures += 1; };

// The site's files; service-worker.js at `workerVersion` once that is set.
let [requests, workerVersion] = [0, null];
const server = http.createServer(async (request, response) => {
  requests += 1;
  const name = new URL(request.url, 'http://server').pathname.slice(1) || 'index.html';
  let body = await fs.readFile(path.join(siteDir, path.basename(name))).catch(() => null);
  if (body && name === 'service-worker.js' && workerVersion) {
    body = String(body).replace(/const kVersion = '[^']*'/, `const kVersion = '${workerVersion}'`);
  }
  response.writeHead(body ? 200 : 404, { 'Content-Type': kTypes[path.extname(name)] ?? 'application/octet-stream' });
  response.end(body ?? 'not found');
});

// Once the program runs: baserate 10 typed over the field's text; the upper
// panel's distance afterwards, which the typing must have changed.
async function typeBaserate(page, what) {
  await page.waitForFunction(() => document.documentElement.dataset.ferrant === 'running', null, { timeout: 60_000 });
  await programIdle(page);
  const before = await shownText(page, kFerrantMetres);
  const driver = createDriver(page);
  await driver.perform('focus_field', kBaserateField);
  await page.keyboard.press('Control+A');
  await driver.perform('type', '10');
  await programIdle(page);
  const after = await shownText(page, kFerrantMetres);
  if (after === before) fail(`${what}: baserate 10 leaves the distance at ${JSON.stringify(before)}`);
  return after;
}

// The cache names the worker keeps, once they are `wanted` (a test on the
// list) or after 30 s.
async function cacheNames(page, wanted) {
  for (const deadline = Date.now() + 30_000; ;) {
    const names = await page.evaluate(() => caches.keys()).catch(() => []);
    if (wanted(names) || Date.now() > deadline) return names;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

async function main() {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;
  const session = await launchBrowser(siteDir);
  try {
    const context = await session.browser.newContext();
    const page = await context.newPage();
    page.on('pageerror', (error) => fail(`the page threw: ${error.message}`));

    console.log('--- online: the typical input, the worker in charge, installable');
    await page.goto(`${origin}/index.html`);
    const online = await typeBaserate(page, 'online');
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 30_000 });
    // (A browser context is a private window, which installs nothing: that one error is Chromium's, not the site's.)
    const { installabilityErrors } = await (await context.newCDPSession(page)).send('Page.getInstallabilityErrors');
    const errors = installabilityErrors.filter((error) => error.errorId !== 'in-incognito');
    if (errors.length) fail(`not installable: ${JSON.stringify(errors)}`);
    const [first, ...more] = await cacheNames(page, (names) => names.length === 1);
    if (!first?.startsWith('ferrant-calc-') || more.length) fail(`the caches are ${JSON.stringify([first, ...more])}`);

    console.log('--- offline: the folder with a query, from the copy');
    await context.setOffline(true);
    requests = 0;
    await page.goto(`${origin}/?source=homescreen`);
    const offline = await typeBaserate(page, 'offline');
    if (offline !== online) fail(`offline the distance is ${JSON.stringify(offline)}, online ${JSON.stringify(online)}`);
    if (requests) fail(`offline the page asked the server ${requests} times`);

    console.log('--- a new version: its worker replaces the copy on the next visit');
    await context.setOffline(false);
    workerVersion = 'next';
    await page.goto(`${origin}/index.html`);
    const names = await cacheNames(page, (list) => list.length === 1 && list[0].startsWith('ferrant-calc-next '));
    if (names.length !== 1 || !names[0].startsWith('ferrant-calc-next ')) fail(`the caches are ${JSON.stringify(names)}`);
  } finally {
    await session.close();
    server.close();
  }
}

main().then(() => {
  console.log(failures ? `web offline: ${failures} checks failed` : 'web offline: all checks passed');
  process.exit(failures ? 1 : 0);
}, (error) => {
  console.error(error.stack ?? String(error));
  process.exit(1);
});
