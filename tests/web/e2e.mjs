// e2e.mjs SITE_DIR FERRANT_REPLAY OUT_DIR: the page (SITE_DIR/index.html) in
// headless Chromium, driven with real input, against the headless toolkit
// (ferrant-replay) given the same input: every gadget's text, what assistive
// technology reads and announces, "Copy results", the refused-character hint,
// Homepage and Quit, a link carrying the inputs; then at device scale factors 1, 2 and 3 the drawing's
// backing pixels, the logo's size and a change of the ratio. Screenshots go
// to OUT_DIR. Exit status 0 when every check holds, 1 otherwise, 2 for bad
// arguments.
import { execFileSync } from 'node:child_process';
import { existsSync, promises as fs } from 'node:fs';
import path from 'node:path';
import process from 'node:process';

import { checkList, kOrigin, launchBrowser, openPage, programIdle, scratchFolder, shownText } from './browser.mjs';
import { createDriver } from './driver.mjs';

const [siteDir, replayProgram, outDir] = process.argv.slice(2);
if (!siteDir || !replayProgram || !outDir) {
  console.error('usage: node e2e.mjs SITE_DIR FERRANT_REPLAY OUT_DIR');
  process.exit(2);
}

// Gadget and menu item numbers (ferrant-replay --help).
const [kBaserateField, kDistanceField, kModelBox, kQuitButton, kLogo, kHomepageItem] = [0, 2, 4, 9, 13, 0];
const kPellion = 0;  // the model box's first item
const kFerrantMetres = 108;
const kBaserateCaption = 'Enter Baserate: 3 .. 238';
const kStartMs = 60_000;

const { fail, end } = checkList();
const step = (text) => console.log(`--- ${text}`);

const programState = () => document.documentElement.dataset.ferrant;
// Polls the program's state in the page (across reloads) until it is `wanted`.
async function waitForState(page, wanted, timeoutMs) {
  const deadline = Date.now() + timeoutMs;
  while (await page.evaluate(programState).catch(() => null) !== wanted) {
    if (Date.now() > deadline) return false;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  return true;
}

// Types TEXT over the whole text of a field, as a user does.
async function retype(page, driver, field, text) {
  await driver.perform('focus_field', field);
  await page.keyboard.press('Control+A');
  await driver.perform('type', text);
}

// ferrant-replay on SCRIPT beside the site's logo: its final JSON, with a
// scale also the window's picture at that scale as PNG in base64 (`png`).
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

// Chromium's own accessibility tree (through DevTools, aria-owns applied) as
// { role, name, group }: the named roles and the plain texts outside them,
// `group` naming the group that holds the node ('' at the top).
async function accessibleNodes(page) {
  const nodes = [];
  const leaves = new Set(['textbox', 'combobox', 'image', 'button', 'status', 'heading', 'menuitem']);
  const walk = (node, group, inLeaf) => {
    if (node.role === 'group') group = node.name;
    if (['group', ...leaves].includes(node.role) || (node.role === 'text' && !inLeaf)) {
      nodes.push({ role: node.role, name: node.name, group });
    }
    for (const child of node.children ?? []) walk(child, group, inLeaf || leaves.has(node.role));
  };
  walk(await page.accessibility.snapshot({ interestingOnly: false }), '', false);
  return nodes;
}

// After the typical input, a gadget of each role in each panel (the whole
// outline in order: app_test's): the inputs named by their captions, each
// result one image named by caption, value and unit, in its panel, no covered
// "Meter = 0 Feet", one live region a panel, no role=application.
async function checkAccessibility(page) {
  step('accessibility: names, groups, order, hidden labels and the chart');
  const nodes = await accessibleNodes(page);
  const upper = 'Baserate/Cable ---> Distance ...';
  const lower = 'Distance/Cable ---> Baserate ...';
  const find = (role, name) => nodes.findIndex((n) => n.role === role && n.name === name);
  const wanted = [
    ['textbox', kBaserateCaption, upper],
    ['combobox', `Enter Cable Diameter: 0.4mm .. 1.4mm, ${upper}`, upper],
    ['image', 'Possible Distance for Ferrant_II,III,IV, 6555 Meter = 21505 Feet', upper],
    ['text', '898 Ohm', upper],
    ['image', 'Transmit PSD for baserate 10: PAM-8, PAM-16, PAM-32, 0 to 1.5 MHz', upper],
    ['textbox', 'Enter Distance: 0 .. 30000 Meter', lower],
    ['combobox', 'Enter Modem Type: Tamsel1 .. Tamsel3', lower],
    ['image', 'Possible Baserate, 17 x 64kbit/s = DSL Line Speed = 1088kbit/s', lower],
    ['button', 'Quit', ''],
    ['image', 'Varnek logo', ''],
  ];
  let last = -1;
  for (const [role, name, group] of wanted) {
    const at = find(role, name);
    if (at < 0) {
      fail(`no ${role} "${name}" in the accessibility tree`);
    } else if (nodes[at].group !== group) {
      fail(`${role} "${name}" is in the group "${nodes[at].group}", not "${group}"`);
    } else if (at < last) {
      fail(`${role} "${name}" is read before the node wanted ahead of it`);
    }
    last = Math.max(last, at);
  }
  const covered = nodes.filter((n) => n.name.includes('Meter = 0 Feet'));
  if (covered.length) fail(`the covered label is read: ${JSON.stringify(covered)}`);
  const loose = nodes.filter((n) => n.group === '' && /Ohm|Meter|Feet|kbit/.test(n.name));
  if (loose.length) fail(`values read outside their panel: ${JSON.stringify(loose)}`);
  const statuses = nodes.filter((n) => n.role === 'status').map((n) => n.group);
  if (JSON.stringify(statuses) !== JSON.stringify([upper, lower])) {
    fail(`live regions in the groups ${JSON.stringify(statuses)}, not one in each panel`);
  }
  if (nodes.some((n) => n.role === 'application') || await page.locator('[role=application]').count() > 0) {
    fail('the window is a role=application');
  }
}

// A digit typed into the baserate field and taken back: the upper panel
// announces twice, the lower never, a mouse move nothing.
async function checkAnnouncements(page, driver) {
  step('live regions: one announcement per change of the answers');
  await page.evaluate(() => {
    window.announced = [];
    document.querySelectorAll('[data-client] [role=status]').forEach((region, i) => {
      window.announced[i] = [];
      // One entry per text written, not per observer call: the writes of one
      // task reach the observer together.
      new MutationObserver((records) => records.forEach((record) => {
        if (record.type === 'characterData' || record.addedNodes.length) window.announced[i].push(region.textContent);
      })).observe(region, { childList: true, characterData: true, subtree: true });
    });
  });
  await driver.perform('focus_field', kBaserateField);
  await page.keyboard.press('End');
  await driver.perform('type', '1');
  await programIdle(page);
  await page.keyboard.press('Backspace');
  await programIdle(page);
  await driver.perform('move_mouse', 3);
  await programIdle(page);
  const [upper, lower] = await page.evaluate(() => window.announced);
  if (upper.length !== 2 || !upper[1].startsWith('Possible Distance for Ferrant_II,III,IV, 6555 Meter') ||
      upper[0] === upper[1]) {
    fail(`the upper panel announced ${JSON.stringify(upper)}, not its two changes`);
  }
  if (lower.length !== 0) fail(`the lower panel announced ${JSON.stringify(lower)} with its answers unchanged`);
}

// "Copy results" from the context menu a right click on a text field opens
// puts both panels' answers on the clipboard (the shortcut: the conformance
// suite on the page; what the copy holds: tests/app/app_test.cpp).
async function checkCopyResults(page, driver) {
  const field = `[data-client] [data-gadget="${kDistanceField}"]`;
  step('Copy results from the context menu, opened on a text field');
  await page.evaluate(() => navigator.clipboard.writeText(''));
  await page.locator(field).click({ button: 'right' });
  const menu = page.getByRole('menu', { name: 'Context menu' });
  const item = menu.getByRole('menuitem', { name: 'Copy results' });
  if (!await item.isVisible()) {
    fail('a right click on a text field shows no context menu with "Copy results"');
    return;
  }
  if ((await item.textContent()).replace('Copy results', '') !== 'Ctrl+Shift+C') {
    fail(`the item shows "${await item.textContent()}", not its shortcut beside its name`);
  }
  await item.click();
  await programIdle(page);
  const copied = await driver.perform('clipboard_text');
  for (const line of ['6555 Meter = 21505 Feet', '6009 Meter = 19713 Feet', '17 x 64kbit/s = 1088kbit/s']) {
    if (!copied.includes(line)) fail(`the context menu copied ${JSON.stringify(copied)}, without ${line}`);
  }
  if (await menu.isVisible()) fail('the context menu stays open after the choice');
  if (!await page.locator(field).evaluate((el) => el === document.activeElement)) {
    fail('the focus is not back in the distance field after the context menu');
  }
}

// A refused "." shows the announced balloon under the field, its title in
// bold, until it ends by itself (the next key ending it: the suite's).
async function checkRefusedHint(page, driver) {
  step('the refused-character hint');
  await retype(page, driver, kDistanceField, '12.');
  await programIdle(page);
  const hint = page.getByRole('alert');
  if (!await hint.isVisible()) {
    fail('typing "." into the distance field shows no hint');
    return;
  }
  const shown = await hint.evaluate((el, fieldSelector) => {
    const title = el.querySelector('.hint-title');
    const box = el.getBoundingClientRect();
    const at = document.querySelector(fieldSelector).getBoundingClientRect();
    return { title: title.textContent, text: el.querySelector('.hint-text').textContent,
             bold: Number(getComputedStyle(title).fontWeight) >= 700,
             beside: box.top >= at.bottom && box.top - at.bottom < 20 && box.left < at.right && box.right > at.left };
  }, `[data-client] [data-gadget="${kDistanceField}"]`);
  const wanted = { title: 'Unacceptable Character', text: 'You can only type a number here.', bold: true, beside: true };
  if (JSON.stringify(shown) !== JSON.stringify(wanted)) fail(`the hint is ${JSON.stringify(shown)}, not ${JSON.stringify(wanted)}`);
  const started = Date.now();
  await hint.waitFor({ state: 'hidden', timeout: 10_000 }).catch(() => {});
  const lasted = Date.now() - started;
  if (await hint.isVisible() || lasted < 3000) fail(`the hint ended after ${lasted} ms, not by itself after 5 s`);
}

// A link with the typical input and a bad diameter: the diameter refused in
// one console line; a typed baserate goes into the address beside the link's
// inputs, in place, with no new history entry, and a reload keeps it.
async function checkLink(page, driver) {
  step('a link carries the inputs; the address follows a typed baserate');
  const refused = [];
  const listen = (message) => message.text().includes('address parameter') && refused.push(message.text());
  page.on('console', listen);
  await page.goto(`${kOrigin}/index.html?ref=mail&baserate=10&diameter=1.7&distance=5000&model=pellion`);
  if (!await waitForState(page, 'running', kStartMs)) return fail('the program does not run with a link');
  await programIdle(page);
  page.off('console', listen);
  if (refused.length !== 1 || !refused[0].includes('diameter="1.7" ignored: expected 0.4, 0.5')) {
    fail(`the console says ${JSON.stringify(refused)}, not once that diameter 1.7 is refused`);
  }
  const entries = await page.evaluate(() => history.length);
  await retype(page, driver, kBaserateField, '12');
  await programIdle(page);
  const wanted = '?ref=mail&baserate=12&diameter=0.4&distance=5000&model=Pellion&diameter2=0.4';
  const [search, after] = await page.evaluate(() => [location.search, history.length]);
  if (search !== wanted || after !== entries) fail(`the address is ${search} (${after} entries), not ${wanted}`);
  const reach = await shownText(page, kFerrantMetres);
  await page.reload();
  if (!await waitForState(page, 'running', kStartMs)) return fail('the program does not run after the reload');
  await programIdle(page);
  const kept = [await shownText(page, kBaserateField), await shownText(page, kFerrantMetres)];
  if (kept.join() !== `12,${reach}`) fail(`after the reload baserate and reach show ${kept}, not 12 and ${reach}`);
  await page.screenshot({ path: path.join(outDir, 'link.png'), fullPage: true });
}

// Every gadget but the logo shows its text in GADGETS (ferrant-replay's);
// returns how many were compared.
async function checkTexts(page, gadgets, what) {
  const numbers = Object.keys(gadgets).map(Number).filter((number) => number !== kLogo);
  for (const number of numbers) {
    const shown = await shownText(page, number);
    if (shown !== gadgets[number].text) {
      fail(`${what}: gadget ${number} shows ${JSON.stringify(shown)}, expected ${JSON.stringify(gadgets[number].text)}`);
    }
  }
  return numbers.length;
}

// The drawing's backing store is ferrant-replay's picture after SCRIPT at
// this scale, painted pixels opaque, the rest transparent; returns its result.
async function checkDrawing(page, script, factor, scratch, what) {
  const expected = await replay(script, scratch, factor);
  const problem = await page.evaluate(async ([base64, width, height]) => {
    const drawing = document.querySelector('[data-drawing]');
    if (drawing.width !== width || drawing.height !== height) {
      return `the backing store is ${drawing.width} x ${drawing.height}, not ${width} x ${height}`;
    }
    const bitmap = await createImageBitmap(new Blob([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))]),
      { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const decoder = new OffscreenCanvas(width, height).getContext('2d');
    decoder.drawImage(bitmap, 0, 0);
    const want = decoder.getImageData(0, 0, width, height).data;
    const shown = drawing.getContext('2d').getImageData(0, 0, width, height).data;
    let painted = 0;
    for (let i = 0; i < shown.length; i += 4) {
      if (shown[i + 3] === 0) continue;
      if (shown[i + 3] !== 255 || [0, 1, 2].some((c) => shown[i + c] !== want[i + c])) {
        return `backing pixel (${i / 4 % width}, ${Math.floor(i / 4 / width)}) is ${shown.slice(i, i + 4)}, ` +
          `ferrant-replay's ${want.slice(i, i + 3)}`;
      }
      ++painted;
    }
    return painted > 0 ? null : 'nothing is painted';
  }, [expected.png, 700 * factor, 680 * factor]);
  if (problem) fail(`${what}: ${problem}`);
  else console.log(`${what}: the backing pixels of ferrant-replay --scale ${factor}`);
  return expected;
}

// Each factor in a fresh profile: the drawing at the start and after a typed
// baserate, the logo, a narrow viewport; at 1, the ratio changed
// to 2 within the page (as moving to another screen does).
async function checkDeviceScales(browser, scratch) {
  const typing = `type ${kBaserateField} 10\n`;
  for (const factor of [1, 2, 3]) {
    step(`device scale factor ${factor}: the drawing and the logo at ${factor}x backing pixels`);
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
      await retype(page, driver, kBaserateField, '10');
      await programIdle(page);
      const typed = await checkDrawing(page, typing, factor, scratch, `${factor}x, baserate 10`);
      // The logo at factor x its pixels; a narrow viewport scrolls the window.
      const { width, height } = typed.gadgets[kLogo];
      await page.setViewportSize({ width: 400, height: 900 });
      const shown = await page.evaluate((n) => {
        const view = document.querySelector(`[data-client] [data-gadget="${n}"]`);
        document.scrollingElement.scrollLeft = 1e6;
        const box = document.querySelector('[data-drawing]').getBoundingClientRect();
        return `logo ${view.width} x ${view.height} at ${view.clientWidth} x ${view.clientHeight}, drawing ` +
          `${box.width} wide${box.right > window.innerWidth ? ', cut' : ''}`;
      }, kLogo);
      const wanted = `logo ${width * factor} x ${height * factor} at ${width} x ${height}, drawing 700 wide`;
      if (shown !== wanted) fail(`${factor}x, 400 pixels wide: ${shown}, not ${wanted}`);
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
    await retype(page, driver, kBaserateField, '10');
    await retype(page, driver, kDistanceField, '5000');
    await driver.perform('pick', kModelBox, kPellion);
    await programIdle(page);

    const typed = await replay(
      `type ${kBaserateField} 10\ntype ${kDistanceField} 5000\npick ${kModelBox} ${kPellion}\n`, scratch.folder);
    await page.screenshot({ path: path.join(outDir, 'page.png'), fullPage: true });
    // The window alone, for the README (scripts/screenshots).
    await page.locator('[data-window]').screenshot({ path: path.join(outDir, 'window.png'), caret: 'hide' });

    step('every gadget shows the text of the headless window');
    console.log(`compared the texts of ${await checkTexts(page, typed.gadgets, 'typical input')} gadgets`);

    await checkAccessibility(page);
    await checkAnnouncements(page, driver);
    await checkCopyResults(page, driver);
    await checkRefusedHint(page, driver);

    step('Homepage opens the address in a new tab; the program runs on');
    const [tab] = await Promise.all([context.waitForEvent('page', { timeout: 10_000 }),
      driver.perform('choose_menu', kHomepageItem)]).catch((error) => {
      fail(`Homepage opened no new tab: ${error.message}`);
      return [];
    });
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

    await checkLink(page, driver);
    await checkDeviceScales(session.browser, scratch.folder);
  } finally {
    await session.close();
    await scratch.remove();
  }
}

end('web e2e', main());
