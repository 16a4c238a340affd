// e2e.mjs SITE_DIR FERRANT_REPLAY OUT_DIR: the page (SITE_DIR/index.html) in
// headless Chromium, driven with real input, against the headless toolkit
// (ferrant-replay) given the same input: every gadget's text and the logo's
// size; then what assistive technology reads, the Homepage menu item and
// Quit; then the page at device scale factors 1, 2 and 3: the drawing's
// backing pixels against the headless window saved at that scale, and a
// change of the ratio within one page. Screenshots are kept in OUT_DIR.
// Exit status 0 when every check holds, 1 otherwise, 2 for bad arguments.
import { execFileSync } from 'node:child_process';
import { existsSync, promises as fs } from 'node:fs';
import path from 'node:path';
import process from 'node:process';

import { kOrigin, launchBrowser, openPage, programIdle, scratchFolder, shownText } from './browser.mjs';
import { createDriver } from './driver.mjs';

const [siteDir, replayProgram, outDir] = process.argv.slice(2);
if (!siteDir || !replayProgram || !outDir) {
  console.error('usage: node e2e.mjs SITE_DIR FERRANT_REPLAY OUT_DIR');
  process.exit(2);
}

// Gadget and menu item numbers (ferrant-replay --help).
const [kBaserateField, kDistanceField, kModelBox, kQuitButton, kLogo, kHomepageItem] = [0, 2, 4, 9, 13, 0];
const kPellion = 0;  // the model box's first item
const kBaserateCaption = 'Enter Baserate: 3 .. 238';
const kChartTitle = 'PSD (dBm/Hz)';
const kStartMs = 60_000;

let failures = 0;
const step = (text) => console.log(`--- ${text}`);
const fail = (text) => {
  console.error(`FAIL: ${text}`);
  failures += 1;
};

const programState = () => document.documentElement.dataset.ferrant;
// Polls the program's state in the page (surviving reloads) until it is `wanted`.
async function waitForState(page, wanted, timeoutMs) {
  const deadline = Date.now() + timeoutMs;
  while (await page.evaluate(programState).catch(() => null) !== wanted) {
    if (Date.now() > deadline) return false;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  return true;
}

// ferrant-replay on SCRIPT in a folder that has the logo when the site has
// it: its final JSON, and with a scale the window's picture at that scale
// when the script has ended, a PNG file in base64 (`png`).
async function replay(script, scratch, scale = null) {
  const folder = await fs.mkdtemp(path.join(scratch, 'replay-'));
  const logo = path.join(siteDir, 'Varnek.bmp');
  if (existsSync(logo)) await fs.copyFile(logo, path.join(folder, 'Varnek.bmp'));
  const picture = path.join(folder, 'window.png');
  const args = scale === null ? [] : ['--scale', String(scale), '--png', picture];
  const output = execFileSync(path.resolve(replayProgram), args, { cwd: folder, input: script, encoding: 'utf8' });
  const lines = output.trim().split('\n');
  const result = JSON.parse(lines[lines.length - 1]);
  if (scale !== null) result.png = (await fs.readFile(picture)).toString('base64');
  return result;
}

// What assistive technology reads, by Playwright's accessible names and
// roles: the baserate field named by its caption, the sunken result labels
// announced (a polite live region), the drawing an image named by the
// chart's title.
async function checkAccessibility(page) {
  step('accessibility: names, live regions and the drawing');
  if (await page.getByRole('textbox', { name: kBaserateCaption }).count() !== 1) {
    fail(`no text field is named "${kBaserateCaption}"`);
  }
  const silent = await page.evaluate(() => [...document.querySelectorAll('[data-client] [data-gadget]')]
    .filter((label) => parseFloat(getComputedStyle(label).borderTopWidth) > 0 && !label.matches('input, button, [role]'))
    .filter((label) => label.closest('[aria-live]')?.getAttribute('aria-live') !== 'polite')
    .map((label) => label.dataset.gadget));
  if (silent.length) fail(`sunken result labels not in a polite live region: ${silent.join(', ')}`);
  const chart = page.getByRole('img', { name: kChartTitle, exact: false });
  if (await chart.count() !== 1 || await chart.getAttribute('data-drawing') === null) {
    fail(`the drawing is not an image whose name has the chart's title "${kChartTitle}"`);
  }
}

// The drawing's backing store against a PNG picture (base64) of the headless
// window, in the page: its size, and the pixels the drawing paints (opaque;
// the rest must be wholly transparent), which must be the picture's.
async function compareDrawing(page, png) {
  return page.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }),
      { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const expected = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
    expected.drawImage(bitmap, 0, 0);
    const want = expected.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const drawing = document.querySelector('[data-drawing]');
    const result = { width: drawing.width, height: drawing.height, painted: 0, differing: 0, halfAlpha: 0, first: null };
    if (drawing.width !== bitmap.width || drawing.height !== bitmap.height) return result;
    const shown = drawing.getContext('2d').getImageData(0, 0, drawing.width, drawing.height).data;
    for (let i = 0; i < shown.length; i += 4) {
      if (shown[i + 3] === 0) continue;
      if (shown[i + 3] !== 255) { ++result.halfAlpha; continue; }
      ++result.painted;
      if (shown[i] !== want[i] || shown[i + 1] !== want[i + 1] || shown[i + 2] !== want[i + 2]) {
        ++result.differing;
        const at = i / 4;
        result.first ??= `(${at % drawing.width}, ${Math.floor(at / drawing.width)}): ${shown.slice(i, i + 3)} ` +
          `for ${want.slice(i, i + 3)}`;
      }
    }
    return result;
  }, png);
}

// Fails unless the page's drawing is the headless window's after SCRIPT at
// this scale, factor times the client area's size.
async function checkDrawing(page, script, factor, scratch, what) {
  const expected = await replay(script, scratch, factor);
  const shown = await compareDrawing(page, expected.png);
  const size = `${shown.width} x ${shown.height}`;
  if (shown.width !== 700 * factor || shown.height !== 680 * factor) {
    fail(`${what}: the drawing's backing store is ${size}, not ${700 * factor} x ${680 * factor}`);
  } else if (shown.painted === 0 || shown.differing > 0 || shown.halfAlpha > 0) {
    fail(`${what}: of ${shown.painted} painted backing pixels ${shown.differing} differ from ferrant-replay ` +
      `--scale ${factor} (first ${shown.first}), ${shown.halfAlpha} half transparent`);
  } else {
    console.log(`${what}: ${size}, ${shown.painted} painted pixels as ferrant-replay --scale ${factor}`);
  }
  return expected;
}

// The page at device scale factors 1, 2 and 3, each in a fresh profile: the
// drawing at the start and after a typed baserate, the results, the logo's
// backing pixels, the layout in a narrow viewport; at 1, the ratio changed
// to 2 within the page (as moving to another screen does) redraws at 2.
async function checkDeviceScales(browser, scratch) {
  const typing = `type ${kBaserateField} 10\n`;
  for (const factor of [1, 2, 3]) {
    step(`device scale factor ${factor}: the drawing at ${factor}x backing pixels`);
    const { context, page } = await openPage(browser, siteDir, factor);
    page.on('pageerror', (error) => fail(`the page threw at ${factor}x: ${error.message}`));
    try {
      await page.goto(`${kOrigin}/index.html`);
      if (!await waitForState(page, 'running', kStartMs)) {
        fail(`the program is not running at ${factor}x after ${kStartMs / 1000} s`);
        continue;
      }
      await programIdle(page);
      await checkDrawing(page, '', factor, scratch, `${factor}x, start`);
      const driver = createDriver(page);
      await driver.perform('focus_field', kBaserateField);
      await page.keyboard.press('Control+A');
      await driver.perform('type', '10');
      await programIdle(page);
      const typed = await checkDrawing(page, typing, factor, scratch, `${factor}x, baserate 10`);
      for (const [number, { text }] of Object.entries(typed.gadgets)) {
        const shown = await shownText(page, Number(number));
        if (Number(number) !== kLogo && shown !== text) {
          fail(`${factor}x: gadget ${number} shows ${JSON.stringify(shown)}, expected ${JSON.stringify(text)}`);
        }
      }
      const logo = await page.evaluate((n) => {
        const view = document.querySelector(`[data-client] [data-gadget="${n}"]`);
        const box = view.getBoundingClientRect();
        return `${view.width} x ${view.height} shown at ${box.width} x ${box.height}`;
      }, kLogo);
      const { width, height } = typed.gadgets[kLogo];
      if (logo !== `${width * factor} x ${height * factor} shown at ${width} x ${height}`) {
        fail(`${factor}x: the logo has ${logo}, not ${width * factor} x ${height * factor} shown at ${width} x ${height}`);
      }
      // A viewport narrower than the window scrolls to the drawing's right
      // edge; the window keeps its size.
      await page.setViewportSize({ width: 400, height: 900 });
      const narrow = await page.evaluate(() => {
        document.scrollingElement.scrollLeft = 1e6;
        const box = document.querySelector('[data-drawing]').getBoundingClientRect();
        return { width: box.width, right: box.right, view: window.innerWidth };
      });
      if (narrow.width !== 700 || narrow.right > narrow.view) {
        fail(`${factor}x, 400 pixels wide: the drawing is ${narrow.width} wide and scrolls to ${narrow.right}`);
      }
      if (factor === 1) {
        step('the ratio changed to 2 within the page: the drawing again, at 2x');
        const cdp = await context.newCDPSession(page);
        await cdp.send('Emulation.setDeviceMetricsOverride', { width: 1000, height: 900, deviceScaleFactor: 2, mobile: false });
        await page.waitForFunction(() => document.querySelector('[data-drawing]').width === 1400, null,
          { timeout: 5000 }).catch(() => {});
        await programIdle(page);
        await checkDrawing(page, typing, 2, scratch, '1x changed to 2x');
      }
    } finally {
      await context.close();
    }
  }
}

async function main() {
  await fs.mkdir(outDir, { recursive: true });
  const scratch = await scratchFolder('ferrant-web-e2e-');
  const session = await launchBrowser(siteDir);
  const { page, context } = session;
  const driver = createDriver(page);
  page.on('pageerror', (error) => fail(`the page threw: ${error.message}`));
  try {
    step('start: the page loads and the program waits for its first event');
    await page.goto(`${kOrigin}/index.html`);
    if (!await waitForState(page, 'running', kStartMs)) {
      fail(`the program is not running after ${kStartMs / 1000} s (data-ferrant="${await page.evaluate(programState)}")`);
      return;
    }
    await programIdle(page);

    step('typical input: baserate 10, distance 5000, model Pellion');
    await driver.perform('focus_field', kBaserateField);
    await page.keyboard.press('Control+A');
    await driver.perform('type', '10');
    await driver.perform('focus_field', kDistanceField);
    await page.keyboard.press('Control+A');
    await driver.perform('type', '5000');
    await driver.perform('pick', kModelBox, kPellion);
    await programIdle(page);

    const typed = await replay(
      `type ${kBaserateField} 10\ntype ${kDistanceField} 5000\npick ${kModelBox} ${kPellion}\n`, scratch.folder);
    await page.screenshot({ path: path.join(outDir, 'page.png'), fullPage: true });
    // The window alone, for the README (scripts/screenshots).
    await page.locator('[data-window]').screenshot({ path: path.join(outDir, 'window.png'), caret: 'hide' });

    step('every gadget shows the text of the headless window');
    let compared = 0;
    for (const [number, { text }] of Object.entries(typed.gadgets)) {
      if (Number(number) === kLogo) continue;
      const shown = await shownText(page, Number(number));
      ++compared;
      if (shown === null) fail(`no [data-gadget="${number}"] on the page`);
      else if (shown !== text) fail(`gadget ${number} shows ${JSON.stringify(shown)}, expected ${JSON.stringify(text)}`);
    }
    console.log(`compared the texts of ${compared} gadgets`);

    step('the logo has the size of the bitmap file');
    const logo = typed.gadgets[kLogo];
    const shownLogo = await page.evaluate((n) => {
      const view = document.querySelector(`[data-client] [data-gadget="${n}"]`);
      return view ? { width: view.width ?? 0, height: view.height ?? 0 } : null;
    }, kLogo);
    if (!shownLogo || shownLogo.width !== logo.width || shownLogo.height !== logo.height) {
      fail(`the logo view is ${JSON.stringify(shownLogo)}, the headless window's ${logo.width} x ${logo.height}`);
    }

    await checkAccessibility(page);

    step('Homepage opens the address in a new tab; the program runs on');
    let tab = null;
    try {
      [tab] = await Promise.all([
        context.waitForEvent('page', { timeout: 10_000 }),
        driver.perform('choose_menu', kHomepageItem),
      ]);
    } catch (error) {
      fail(`Homepage opened no new tab: ${error.message}`);
    }
    if (tab) {
      await tab.waitForLoadState('load').catch(() => {});
      const address = tab.url();
      const [homepage] = (await replay(`menu ${kHomepageItem}\n`, scratch.folder)).urls;
      if (!homepage || address !== new URL(homepage).href) {
        fail(`the new tab shows "${address}", the headless window opens "${homepage}"`);
      } else {
        console.log(`new tab: ${address}`);
      }
      await tab.close();
      await programIdle(page);
      if (await page.evaluate(programState) !== 'running') fail('the program ended after Homepage');
    }

    step('Quit ends the program; the page offers a restart');
    await driver.perform('click', kQuitButton);
    if (!await waitForState(page, 'ended', 10_000)) {
      fail(`data-ferrant is "${await page.evaluate(programState)}" after Quit, not "ended"`);
    } else if (await page.evaluate(() => window.ferrantExitCode) !== 0) {
      fail(`the program ended with exit code ${await page.evaluate(() => window.ferrantExitCode)}, not 0`);
    } else if (!await page.locator('[data-restart]').isVisible()) {
      fail('no restart button after Quit');
    } else {
      await page.locator('[data-restart]').click();
      if (!await waitForState(page, 'running', kStartMs)) {
        fail('the program does not run again after the restart');
      }
    }

    await checkDeviceScales(session.browser, scratch.folder);
  } finally {
    await session.close();
    await scratch.remove();
  }
}

main().then(() => {
  if (failures) {
    console.error(`web e2e: ${failures} checks failed (pictures in ${outDir})`);
    process.exit(1);
  }
  console.log('web e2e: all checks passed');
}, (error) => {
  console.error(error.stack ?? String(error));
  process.exit(1);
});
