// offline.mjs SITE_DIR: the site from a real web server. Online it is installable; offline the folder with a query
// starts from the worker's copy, every file found, answering baserate 10 as online; a new version replaces the copy.
import { promises as fs } from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { checkList, launchBrowser, programIdle, shownText } from './browser.mjs';

const [kBaserateField, kFerrantMetres] = [0, 108];  // ferrant-replay --help: the upper panel's distance label
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
let workerVersion = null;  // once set, the version service-worker.js is served at
const { fail, end } = checkList();

const server = http.createServer(async (request, response) => {
  const name = new URL(request.url, 'http://server').pathname.slice(1) || 'index.html';
  let body = await fs.readFile(path.join(process.argv[2], path.basename(name))).catch(() => null);
  const renamed = body && name === 'service-worker.js' && workerVersion;
  if (renamed) body = String(body).replace(/const kVersion = '.*?'/, `const kVersion = '${workerVersion}'`);
  response.writeHead(body ? 200 : 404, { 'Content-Type': kTypes[path.extname(name)] ?? 'application/octet-stream' });
  response.end(body ?? 'not found');
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;
const session = await launchBrowser(process.argv[2]);
const page = await (await session.browser.newContext()).newPage();
page.on('pageerror', (error) => fail(`the page threw: ${error.message}`));
page.on('requestfailed', (request) => fail(`no ${request.url()}: ${request.failure().errorText}`));
async function typeBaserate() {
  await page.waitForFunction(() => document.documentElement.dataset.ferrant === 'running', null, { timeout: 60_000 });
  await page.locator(`[data-client] [data-gadget="${kBaserateField}"]`).click();
  await page.keyboard.press('Control+A');
  await page.keyboard.type('10');
  await programIdle(page);
  return shownText(page, kFerrantMetres);
}
try {
  await page.goto(`${origin}/index.html`);
  const online = await typeBaserate();
  if (!online) fail('baserate 10 gives no distance');
  await page.waitForFunction(() => navigator.serviceWorker.controller, null, { timeout: 30_000 });
  // A browser context is a private window, where Chromium installs nothing: that error is not the site's.
  const devTools = await page.context().newCDPSession(page);
  const { installabilityErrors: errors } = await devTools.send('Page.getInstallabilityErrors');
  if (errors.some((error) => error.errorId !== 'in-incognito')) fail(`not installable: ${JSON.stringify(errors)}`);
  await page.context().setOffline(true);
  await page.goto(`${origin}/?source=homescreen`);
  const offline = await typeBaserate();
  if (offline !== online) fail(`offline the distance is "${offline}", online "${online}"`);
  await page.context().setOffline(false);
  workerVersion = 'next';
  await page.goto(`${origin}/index.html`);
  // Polled, so not async: each call asks for the names and looks at those the call before got.
  const keptOnly = (wanted) => (caches.keys().then((names) => { window.kept = names.join(); }), window.kept === wanted);
  await page.waitForFunction(keptOnly, 'ferrant-calc-next /', { timeout: 30_000 })
    .catch(async () => fail(`the caches after a new version: ${await page.evaluate(() => window.kept)}`));
} finally {
  await session.close().finally(() => server.close());
}
end('web offline', Promise.resolve());
