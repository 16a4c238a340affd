// What the browser tests share: a static file server for the site, headless
// Chromium driven through Playwright, and the pixels of the client area read
// from screenshots (a small PNG decoder, so no image library is needed).
//
// playwright-core is not installed beside this file but into the build tree
// (scripts/test.d/45-web.sh); FERRANT_WEB_NODE names that folder, the one
// holding node_modules (default: build/web-node in the source tree).
import { createReadStream, existsSync, promises as fs } from 'node:fs';
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const sourceRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const nodeFolder = path.resolve(process.env.FERRANT_WEB_NODE ?? path.join(sourceRoot, 'build/web-node'));

// Thrown when playwright-core or Chromium is not installed: a test runner
// may report the test as skipped rather than failed.
export class MissingTool extends Error {}

function loadPlaywright() {
  try {
    return createRequire(path.join(nodeFolder, 'package.json'))('playwright-core');
  } catch (error) {
    throw new MissingTool(`playwright-core not found under ${nodeFolder} (set FERRANT_WEB_NODE to the folder ` +
      `npm installed tests/web/package.json into; scripts/test.d/45-web.sh does): ${error.message}`);
  }
}

// --- the static file server --------------------------------------------------

const kMimeTypes = new Map([
  ['.html', 'text/html; charset=utf-8'],
  ['.js', 'text/javascript; charset=utf-8'],
  ['.mjs', 'text/javascript; charset=utf-8'],
  ['.wasm', 'application/wasm'],
  ['.css', 'text/css; charset=utf-8'],
  ['.json', 'application/json'],
  ['.map', 'application/json'],
  ['.bmp', 'image/bmp'],
  ['.png', 'image/png'],
  ['.svg', 'image/svg+xml'],
  ['.ico', 'image/x-icon'],
  ['.txt', 'text/plain; charset=utf-8'],
  ['.data', 'application/octet-stream'],
]);

export function mimeType(file) {
  return kMimeTypes.get(path.extname(file).toLowerCase()) ?? 'application/octet-stream';
}

// Serves the files of `folder` on 127.0.0.1 at a port the system picks.
// Resolves to { origin, close() }.
export async function serveFolder(folder) {
  const root = path.resolve(folder);
  const server = createServer(async (request, response) => {
    const send = (status, text) => {
      response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8' });
      response.end(text);
    };
    if (request.method !== 'GET' && request.method !== 'HEAD') return send(405, 'GET only\n');
    let relative;
    try {
      relative = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    } catch {
      return send(400, 'bad path\n');
    }
    if (relative.endsWith('/')) relative += 'index.html';
    const file = path.join(root, relative);
    if (file !== root && !file.startsWith(root + path.sep)) return send(403, 'outside the site\n');
    let stat;
    try {
      stat = await fs.stat(file);
    } catch {
      return send(404, `${relative} not found\n`);
    }
    if (!stat.isFile()) return send(404, `${relative} is not a file\n`);
    response.writeHead(200, {
      'Content-Type': mimeType(file),
      'Content-Length': stat.size,
      'Cache-Control': 'no-store',
    });
    if (request.method === 'HEAD') return response.end();
    createReadStream(file).pipe(response);
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', resolve);
  });
  const { port } = server.address();
  return {
    origin: `http://127.0.0.1:${port}`,
    close: () => new Promise((resolve) => {
      server.closeAllConnections();
      server.close(() => resolve());
    }),
  };
}

// --- Chromium ----------------------------------------------------------------

// Flags for a quiet, reproducible headless browser run as root: no sandbox
// (root cannot have one), no GPU, no network of its own, and colours left
// as the page paints them (sRGB), so screenshots carry exact pixel values.
const kChromiumFlags = [
  '--headless',
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--force-color-profile=srgb',
];

// Room for the window (700 x 680 client area, caption and menu bar) and the
// ended notice, so nothing the tests click needs scrolling.
const kViewport = { width: 1000, height: 900 };

// Starts Chromium (FERRANT_CHROMIUM, default /usr/bin/chromium) with a fresh
// profile and opens one page on `origin` with clipboard access granted.
// Requests to any other origin are answered with an empty page, so the
// tests never reach the network; they are recorded in `externalRequests`.
// Resolves to { browser, context, page, externalRequests, close() }.
export async function launchBrowser(origin) {
  const { chromium } = loadPlaywright();
  const executablePath = process.env.FERRANT_CHROMIUM ?? '/usr/bin/chromium';
  if (!existsSync(executablePath)) {
    throw new MissingTool(`no Chromium at ${executablePath} (scripts/packages/web.txt; or set FERRANT_CHROMIUM)`);
  }
  const browser = await chromium.launch({ executablePath, headless: true, args: kChromiumFlags });
  const context = await browser.newContext({
    viewport: kViewport,
    deviceScaleFactor: 1,
    colorScheme: 'light',
    reducedMotion: 'reduce',
  });
  await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin });
  const externalRequests = [];
  await context.route((url) => url.origin !== origin, (route) => {
    externalRequests.push(route.request().url());
    return route.fulfill({ status: 200, contentType: 'text/html', body: '<!doctype html><title>offline</title>' });
  });
  const page = await context.newPage();
  return {
    browser, context, page, externalRequests,
    close: () => browser.close(),
  };
}

// --- PNG pictures --------------------------------------------------------------

const kPngSignature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
const kChannelsOfColourType = new Map([[2, 3], [6, 4]]);  // RGB, RGBA

function paeth(left, up, upLeft) {
  const estimate = left + up - upLeft;
  const toLeft = Math.abs(estimate - left);
  const toUp = Math.abs(estimate - up);
  const toUpLeft = Math.abs(estimate - upLeft);
  if (toLeft <= toUp && toLeft <= toUpLeft) return left;
  return toUp <= toUpLeft ? up : upLeft;
}

// Decodes an 8-bit RGB or RGBA, non-interlaced PNG (what Chromium's
// screenshots and the headless canvas's PNGs are) into
// { width, height, rgb: Uint32Array of r + 256 g + 65536 b, alpha: Uint8Array }.
export function decodePng(bytes) {
  if (bytes.length < 8 || !bytes.subarray(0, 8).equals(kPngSignature)) throw new Error('not a PNG file');
  let header = null;
  const data = [];
  for (let at = 8; at + 8 <= bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      header = {
        width: body.readUInt32BE(0), height: body.readUInt32BE(4), depth: body[8],
        colourType: body[9], interlace: body[12],
      };
    } else if (type === 'IDAT') {
      data.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  if (!header) throw new Error('PNG without a header');
  const channels = kChannelsOfColourType.get(header.colourType);
  if (header.depth !== 8 || !channels || header.interlace !== 0) {
    throw new Error(`PNG of depth ${header.depth}, colour type ${header.colourType}, interlace ` +
      `${header.interlace}: only 8-bit RGB or RGBA, not interlaced`);
  }
  const { width, height } = header;
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  if (raw.length < height * (stride + 1)) throw new Error('PNG image data too short');

  // Undo the row filters in place: each row is predicted from the decoded
  // row above and the pixel to the left.
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const row = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = y * stride;
    const up = (i) => (y > 0 ? pixels[out - stride + i] : 0);
    const left = (i) => (i >= channels ? pixels[out + i - channels] : 0);
    const upLeft = (i) => (y > 0 && i >= channels ? pixels[out - stride + i - channels] : 0);
    for (let i = 0; i < stride; ++i) {
      let predicted;
      switch (filter) {
        case 0: predicted = 0; break;
        case 1: predicted = left(i); break;
        case 2: predicted = up(i); break;
        case 3: predicted = (left(i) + up(i)) >> 1; break;
        case 4: predicted = paeth(left(i), up(i), upLeft(i)); break;
        default: throw new Error(`PNG row ${y} has unknown filter ${filter}`);
      }
      pixels[out + i] = (row[i] + predicted) & 0xff;
    }
  }

  const rgb = new Uint32Array(width * height);
  const alpha = new Uint8Array(width * height).fill(255);
  for (let p = 0; p < width * height; ++p) {
    const i = p * channels;
    rgb[p] = pixels[i] | (pixels[i + 1] << 8) | (pixels[i + 2] << 16);
    if (channels === 4) alpha[p] = pixels[i + 3];
  }
  return { width, height, rgb, alpha };
}

// The colour at x, y as r + 256 g + 65536 b; -1 outside the picture.
export function colourAt(picture, x, y) {
  if (!Number.isInteger(x) || !Number.isInteger(y) || x < 0 || y < 0 ||
      x >= picture.width || y >= picture.height) {
    return -1;
  }
  return picture.rgb[y * picture.width + x];
}

export function hexColour(colour) {
  const r = colour & 0xff, g = (colour >> 8) & 0xff, b = (colour >> 16) & 0xff;
  return '#' + [r, g, b].map((c) => c.toString(16).padStart(2, '0')).join('');
}

// --- the page's client area --------------------------------------------------

export const kClientWidth = 700;
export const kClientHeight = 680;

// A screenshot of [data-client]: { png: Buffer, picture } (its pixels
// correspond 1:1 to the program's client area at device scale factor 1).
// The text caret is hidden so that its blinking cannot change a pixel.
export async function shootClient(page) {
  const png = await page.locator('[data-client]').screenshot({ animations: 'disabled', caret: 'hide' });
  return { png, picture: decodePng(png) };
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
    if (element instanceof HTMLInputElement || element instanceof HTMLTextAreaElement ||
        element instanceof HTMLSelectElement) {
      return element.value;
    }
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
