// bench.mjs SITE_DIR: figures of ferrant-calc's page in headless Chromium,
// printed with their goals and whether each is met (run by hand, never by
// scripts/test):
//   node bench/web/bench.mjs build/web/site
// FERRANT_WEB_NODE names the folder playwright-core is installed in, as for
// the browser tests (tests/web/browser.mjs; scripts/test.d/45-web.sh makes
// build/web-node). Prints, each against a static copy of the running window
// (no scripts, canvases as images) measured the same way in the same run,
// median of 10 fresh pages:
//   - navigation start to the first complete frame: the page marks it
//     (performance mark "ferrant-window-complete": its pictures decoded and
//     shown), the static copy by the same rule
//   - time to interactive: navigation start to a digit typed into the
//     baserate field as soon as it is there reaching the program (the line
//     speed it shows changes); on the static copy, reaching the field
//   - the same first complete frame of ferrant-calc at device scale factor 2
//     against 1
//   - a typed baserate digit to the next frame after the redrawn chart
//   - the site's transfer size, every file gzip -9
import { promises as fs } from 'node:fs';
import path from 'node:path';
import process from 'node:process';
import zlib from 'node:zlib';

import { kOrigin, launchBrowser, programIdle, scratchFolder, serveFolderAt } from '../../tests/web/browser.mjs';
import { createDriver } from '../../tests/web/driver.mjs';

const kLoadRuns = 10;
const kLoadRatioGoal = 1.1;
const kInteractiveRatioGoal = 1.5;
const kScaleRatioGoal = 1.3;
const kDigitGoalMs = 16;
const kTransferGoalBytes = 60 * 1024;
const kBaserateField = '[data-gadget="0"]';
const kLineSpeedLabel = '[data-gadget="102"]';
// Each cycle selects the baserate field's text and types two digits, then
// goes to the start and types a leading 2, or 1 where 2ab would pass 238:
// every digit is measured and changes the baserate, which stays in 3..238.
const kDigitCycles = ['35', '72', '48', '96', '61', '83', '59', '32', '77', '44'];

const siteDir = process.argv[2];
if (!siteDir) {
  console.error('usage: node bench/web/bench.mjs SITE_DIR');
  process.exit(2);
}

const median = (values) => quantile(values, 0.5);
function quantile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (sorted.length - 1) * q;
  const below = Math.floor(at);
  return sorted[below] + (sorted[Math.min(below + 1, sorted.length - 1)] - sorted[below]) * (at - below);
}
const ms = (value) => `${value.toFixed(1)} ms`;
const verdict = (met) => (met ? 'met' : 'NOT met');

// The static copy's own mark, by the page's rule: its pictures decoded,
// then the next frame.
const kPlainMark = '<script>addEventListener("DOMContentLoaded", () => Promise.all([...document.images]' +
  '.map((i) => i.decode().catch(() => {}))).then(() => requestAnimationFrame(() => ' +
  'performance.mark("ferrant-window-complete"))));</script>';

// In every page: when a typed digit reaches the program (the line speed
// changes) or, on the static copy, the field.
function watchDigit() {
  document.addEventListener('DOMContentLoaded', () => {
    const label = document.querySelector('[data-gadget="102"]');
    const start = label.textContent;
    new MutationObserver(() => {
      if (label.textContent !== start) window.benchReached ??= performance.now();
    }).observe(label, { childList: true, characterData: true, subtree: true });
    if (!document.querySelector('script[src]')) {
      document.addEventListener('input', () => { window.benchReached ??= performance.now(); }, true);
    }
  });
}

// The plain page's address (served from a scratch folder).
const kPlainOrigin = 'http://localhost:8138';

async function freshPage(browser, viewport, sites, deviceScaleFactor) {
  const context = await browser.newContext({ viewport, deviceScaleFactor });
  for (const [origin, folder] of sites) await serveFolderAt(context, origin, folder);
  return { context, page: await context.newPage() };
}

async function firstFrameMs(browser, viewport, address, sites, deviceScaleFactor = 1) {
  const { context, page } = await freshPage(browser, viewport, sites, deviceScaleFactor);
  try {
    await page.goto(address);
    const mark = () => performance.getEntriesByName('ferrant-window-complete')[0]?.startTime;
    await page.waitForFunction(mark, null, { timeout: 30000 });
    return await page.evaluate(mark);
  } finally {
    await context.close();
  }
}

async function interactiveMs(browser, viewport, address, sites) {
  const { context, page } = await freshPage(browser, viewport, sites, 1);
  try {
    await page.addInitScript(watchDigit);
    await page.goto(address, { waitUntil: 'commit' });
    await page.locator(kBaserateField).click();
    await page.keyboard.type('7');
    await page.waitForFunction(() => window.benchReached !== undefined, null, { timeout: 30000 });
    return await page.evaluate(() => window.benchReached);
  } finally {
    await context.close();
  }
}

// The running window as a static page: its styles and elements, every
// canvas an image of what it shows at the same place, fields' texts kept.
async function writePlainPage(page, folder) {
  let html = await page.evaluate(() => {
    const window_ = document.querySelector('[data-window]');
    const copy = window_.cloneNode(true);
    const canvases = window_.querySelectorAll('canvas');
    copy.querySelectorAll('canvas').forEach((canvas, i) => {
      const image = document.createElement('img');
      for (const { name, value } of canvas.attributes) image.setAttribute(name, value);
      const placed = getComputedStyle(canvases[i]);
      for (const property of ['left', 'top', 'width', 'height', 'z-index']) {
        image.style.setProperty(property, placed.getPropertyValue(property));
      }
      image.src = canvases[i].toDataURL('image/png');
      image.style.pointerEvents = 'none';  // as the canvas it stands for, clicks go through
      canvas.replaceWith(image);
    });
    const fields = window_.querySelectorAll('input');
    copy.querySelectorAll('input').forEach((field, i) => field.setAttribute('value', fields[i].value));
    const styles = [...document.querySelectorAll('style')].map((style) => style.outerHTML).join('\n');
    return `<!doctype html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n<title>${document.title}</title>\n` +
      `${styles}\n</head>\n<body>\n<main data-window-host>${copy.outerHTML}</main>\n</body>\n</html>\n`;
  });
  html = html.replace('</head>', `${kPlainMark}\n</head>`);
  await fs.writeFile(path.join(folder, 'index.html'), html);
}

async function pageLoad(session, programOrigin, scratch) {
  const { browser, page } = session;
  await page.goto(`${programOrigin}/index.html`);
  await programIdle(page);
  await writePlainPage(page, scratch.folder);
  const viewport = page.viewportSize();
  const sites = [[programOrigin, siteDir], [kPlainOrigin, scratch.folder]];
  const program = [], plain = [], programReady = [], plainReady = [];
  for (let run = 0; run < kLoadRuns; ++run) {
    program.push(await firstFrameMs(browser, viewport, `${programOrigin}/index.html`, sites));
    plain.push(await firstFrameMs(browser, viewport, `${kPlainOrigin}/index.html`, sites));
    programReady.push(await interactiveMs(browser, viewport, `${programOrigin}/index.html`, sites));
    plainReady.push(await interactiveMs(browser, viewport, `${kPlainOrigin}/index.html`, sites));
  }
  const ratio = median(program) / median(plain);
  console.log(`first complete frame, median of ${kLoadRuns} fresh pages: ferrant-calc ` +
    `${ms(median(program))}, the static copy ${ms(median(plain))}, ratio ${ratio.toFixed(2)} ` +
    `(goal <= ${kLoadRatioGoal}: ${verdict(ratio <= kLoadRatioGoal)})`);
  const ready = median(programReady) / median(plainReady);
  console.log(`time to interactive (a typed digit reaches the program), median of ${kLoadRuns} fresh pages: ` +
    `ferrant-calc ${ms(median(programReady))}, the static copy ${ms(median(plainReady))}, ratio ` +
    `${ready.toFixed(2)} (goal <= ${kInteractiveRatioGoal}: ${verdict(ready <= kInteractiveRatioGoal)})`);
}

async function scaledLoad(session, programOrigin) {
  const viewport = session.page.viewportSize();
  const sites = [[programOrigin, siteDir]];
  const address = `${programOrigin}/index.html`;
  const single = [], double = [];
  for (let run = 0; run < kLoadRuns; ++run) {
    single.push(await firstFrameMs(session.browser, viewport, address, sites, 1));
    double.push(await firstFrameMs(session.browser, viewport, address, sites, 2));
  }
  const ratio = median(double) / median(single);
  console.log(`the first complete frame at device scale factor 2 against 1, median of ${kLoadRuns} fresh pages: ` +
    `${ms(median(double))} against ${ms(median(single))}, ratio ${ratio.toFixed(2)} ` +
    `(goal <= ${kScaleRatioGoal}: ${verdict(ratio <= kScaleRatioGoal)})`);
}

// Records each keydown's time stamp and, around every drawing update, the
// first animation frame after it; the page's own code is left as it is.
function watchDrawing() {
  window.benchTimes = { keyAt: null, frameAt: null };
  window.addEventListener('keydown', (event) => { window.benchTimes.keyAt = event.timeStamp; }, true);
  const show = window.ferrantPage.showDrawing;
  window.ferrantPage.showDrawing = function (...args) {
    const result = show.apply(this, args);
    requestAnimationFrame(() => { window.benchTimes.frameAt = performance.now(); });
    return result;
  };
}

async function typedDigit(page, programOrigin) {
  await page.goto(`${programOrigin}/index.html`);
  await programIdle(page);
  await page.evaluate(watchDrawing);
  await createDriver(page).perform('focus_field', 0);
  const latencies = [];
  const measure = async (key) => {
    await page.evaluate(() => { window.benchTimes.keyAt = window.benchTimes.frameAt = null; });
    await page.keyboard.press(key);
    await programIdle(page);
    // A frame requested now comes after the one the last update asked for.
    const { keyAt, frameAt } = await page.evaluate(() => new Promise((resolve) =>
      requestAnimationFrame(() => resolve(window.benchTimes))));
    if (frameAt === null) throw new Error(`typing ${key} did not update the drawing`);
    latencies.push(frameAt - keyAt);
  };
  for (const [first, second] of kDigitCycles) {
    await page.keyboard.press('Control+A');
    await measure(first);
    await measure(second);
    await page.keyboard.press('Home');
    await measure(Number(first + second) <= 38 ? '2' : '1');
  }
  console.log(`a typed baserate digit to the next frame after the redrawn chart, ${latencies.length} digits: ` +
    `median ${ms(median(latencies))}, 90th percentile ${ms(quantile(latencies, 0.9))} ` +
    `(goal: median < ${kDigitGoalMs} ms: ${verdict(median(latencies) < kDigitGoalMs)})`);
}

async function transferSize() {
  let total = 0;
  const sizes = [];
  for (const file of (await fs.readdir(siteDir)).sort()) {
    const size = zlib.gzipSync(await fs.readFile(path.join(siteDir, file)), { level: 9 }).length;
    total += size;
    sizes.push(`${file} ${size}`);
  }
  console.log(`transfer size, every file of the site gzip -9, bytes: ${sizes.join(', ')}; total ${total} = ` +
    `${(total / 1024).toFixed(1)} KiB (goal <= ${kTransferGoalBytes / 1024} KiB: ${verdict(total <= kTransferGoalBytes)})`);
}

async function run() {
  const session = await launchBrowser(siteDir);
  const scratch = await scratchFolder('ferrant-bench-');
  try {
    await pageLoad(session, kOrigin, scratch);
    await scaledLoad(session, kOrigin);
    await typedDigit(session.page, kOrigin);
    await transferSize();
  } finally {
    await session.close();
    await scratch.remove();
  }
}

run().catch((error) => {
  console.error(`bench: ${error.stack ?? error}`);
  process.exit(1);
});
