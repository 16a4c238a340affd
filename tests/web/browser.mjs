// What the browser tests share: headless Chromium driven through Playwright,
// the site served from a folder by its request routing. FERRANT_WEB_NODE names
// the folder whose node_modules hold playwright-core (default build/web-node,
// where scripts/test.d/45-web.sh installs it).
import { existsSync, promises as fs } from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const sourceRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const nodeFolder = path.resolve(process.env.FERRANT_WEB_NODE ?? path.join(sourceRoot, 'build/web-node'));

// Thrown when playwright-core or Chromium is missing: the test is skipped.
export class MissingTool extends Error {}

function loadPlaywright() {
  try {
    return createRequire(path.join(nodeFolder, 'package.json'))('playwright-core');
  } catch (error) {
    throw new MissingTool(`playwright-core not found under ${nodeFolder} (set FERRANT_WEB_NODE to the folder ` +
      `npm installed tests/web/package.json into; scripts/test.d/45-web.sh does): ${error.message}`);
  }
}

// The site's address: localhost, so that the page is a secure context (the
// clipboard needs one); launchBrowser's route answers every request.
export const kOrigin = 'http://localhost:8137';

// A quiet, reproducible headless browser as root: no sandbox (root has
// none), no GPU or network of its own, sRGB so screenshots keep exact pixels.
const kChromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--force-color-profile=srgb'];

// Room for the window and the ended notice: nothing the tests click scrolls.
const kViewport = { width: 1000, height: 900 };

// Answers the context's requests to `origin` with the files of `folder`.
export async function serveFolderAt(context, origin, folder) {
  const root = path.resolve(folder);
  await context.route((url) => url.origin === origin, async (route) => {
    const url = new URL(route.request().url());
    const file = path.join(root, decodeURIComponent(url.pathname));
    const found = file.startsWith(root + path.sep) && (await fs.stat(file).catch(() => null))?.isFile();
    if (!found) return route.fulfill({ status: 404, contentType: 'text/plain', body: `${url.pathname} not found\n` });
    return route.fulfill({ path: file, headers: { 'Cache-Control': 'no-store' } });
  });
}

// Starts Chromium (FERRANT_CHROMIUM, default /usr/bin/chromium) with one page
// as openPage() gives it. Resolves to { browser, context, page, close() }.
export async function launchBrowser(siteDir) {
  const { chromium } = loadPlaywright();
  const executablePath = process.env.FERRANT_CHROMIUM ?? '/usr/bin/chromium';
  if (!existsSync(executablePath)) {
    throw new MissingTool(`no Chromium at ${executablePath} (scripts/packages/web.txt; or set FERRANT_CHROMIUM)`);
  }
  const browser = await chromium.launch({ executablePath, headless: true, args: kChromiumFlags });
  const { context, page } = await openPage(browser, siteDir);
  return { browser, context, page, close: () => browser.close() };
}

// A fresh profile at this device scale factor with clipboard access and one
// page: kOrigin serves `siteDir`, every other origin an empty page (the tests
// never reach the network). Resolves to { context, page }.
export async function openPage(browser, siteDir, deviceScaleFactor = 1) {
  const context = await browser.newContext({
    viewport: kViewport,
    deviceScaleFactor,
    colorScheme: 'light',
    reducedMotion: 'reduce',
  });
  await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: kOrigin });
  // Asked last (later routes come first): what no served folder answers.
  await context.route(() => true, (route) =>
    route.fulfill({ status: 200, contentType: 'text/html', body: '<!doctype html><title>offline</title>' }));
  await serveFolderAt(context, kOrigin, siteDir);
  return { context, page: await context.newPage() };
}

// [data-client] as PNG bytes, 1:1 the client area at scale factor 1, the
// blinking caret hidden.
export async function shootClient(page) {
  return page.locator('[data-client]').screenshot({ animations: 'disabled', caret: 'hide' });
}

// The middle of the element the selector finds, in page coordinates.
export async function middleOf(page, selector) {
  const box = await page.locator(selector).first().boundingBox();
  if (!box) throw new Error(`${selector} is not shown`);
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// The text a gadget shows: a text field's value, a combo box's shown text
// (without its open list), anything else its text content.
export async function shownText(page, gadget) {
  return page.evaluate((number) => {
    const element = document.querySelector(`[data-client] [data-gadget="${number}"]`) ??
      document.querySelector(`[data-gadget="${number}"]`);
    if (!element) return null;
    if (element instanceof HTMLInputElement) return element.value;
    if (element.getAttribute('role') === 'combobox') {
      const shown = element.cloneNode(true);
      for (const list of shown.querySelectorAll('[role=listbox]')) list.remove();
      return shown.textContent;
    }
    return element.textContent;
  }, gadget);
}

// Resolves once the program has handled every queued browser event.
export async function programIdle(page) {
  await page.evaluate(() => window.ferrantIdle());
}

// A scratch folder that is removed when the returned function is called.
export async function scratchFolder(prefix) {
  const folder = await fs.mkdtemp(path.join(os.tmpdir(), prefix));
  return { folder, remove: () => fs.rm(folder, { recursive: true, force: true }) };
}

// A script's checks: fail(text) reports one that does not hold; end(name,
// run) exits once the promise `run` settles, 0 when every check held, 1 when
// one did not or the script threw.
export function checkList() {
  let failures = 0;
  const fail = (text) => {
    console.error(`FAIL: ${text}`);
    failures += 1;
  };
  const end = (name, run) => run.then(() => {
    if (failures) console.error(`${name}: ${failures} checks failed`);
    else console.log(`${name}: all checks passed`);
    process.exit(failures ? 1 : 0);
  }, (error) => {
    console.error(error.stack ?? String(error));
    process.exit(1);
  });
  return { fail, end };
}
