// start.mjs SITE_DIR FERRANT_REPLAY OUT_DIR: the page's prerendered start in
// headless Chromium. Before the WebAssembly arrives (its response is held)
// the page must already be the program's first frame, element by element
// and pixel for pixel, against the same page with the prerendered window cut
// out, where the program builds its own; and what is typed then must reach
// the program once it runs. Pictures of a difference go to OUT_DIR. Exit
// status 0 when every check holds, 1 otherwise.
import { execFileSync } from 'node:child_process';
import { promises as fs } from 'node:fs';
import path from 'node:path';
import process from 'node:process';

import { checkList, kOrigin, launchBrowser, openPage, programIdle, shootClient, shownText } from './browser.mjs';

const [siteDir, replayProgram, outDir] = process.argv.slice(2);
if (!siteDir || !replayProgram || !outDir) {
  console.error('usage: node start.mjs SITE_DIR FERRANT_REPLAY OUT_DIR');
  process.exit(2);
}
const kBaserateField = 0;
const kDiameterBox = 1;
const kLogo = 13;  // its text is its accessible name, not shown

const { fail, end } = checkList();

// The window as one line per element: tag, attributes (styles as the
// browser reads them, a field's value as it stands) and own text; the start
// pictures and the prerendered marker are the page's own, not the program's.
function windowElements() {
  const lines = [];
  const walk = (el, depth) => {
    if (el.matches('[data-start-picture]')) return;
    const attributes = [...el.attributes].filter((a) => a.name !== 'data-prerendered' && a.name !== 'value')
      .map((a) => `${a.name}=${a.name === 'style' ? el.style.cssText : a.value}`).sort();
    if (el instanceof HTMLInputElement) attributes.push(`.value=${el.value}`);
    const text = [...el.childNodes].filter((n) => n.nodeType === Node.TEXT_NODE).map((n) => n.textContent).join('');
    lines.push(`${'  '.repeat(depth)}<${el.tagName.toLowerCase()} ${attributes.join(' ')}>${text}`);
    for (const child of el.children) walk(child, depth + 1);
  };
  walk(document.querySelector('[data-window]'), 0);
  return lines;
}

// The first element line where two windows differ, or none.
function compare(what, wanted, got) {
  const at = wanted.concat(got).findIndex((_, i) => wanted[i] !== got[i]);
  if (at >= 0) fail(`${what}, element ${at}:\n  wanted ${wanted[at]}\n  got    ${got[at]}`);
}

async function main() {
  await fs.mkdir(outDir, { recursive: true });
  const session = await launchBrowser(siteDir);
  try {
    // The program's own first frame: the page without its prerendered window.
    const built = await openPage(session.browser, siteDir);
    await built.context.route(`${kOrigin}/index.html`, async (route) => {
      const page = await fs.readFile(path.join(siteDir, 'index.html'), 'utf8');
      const cut = page.replace(/<div data-window=""[^\n]*/, '');
      if (cut === page) fail('index.html holds no prerendered window');
      await route.fulfill({ body: cut, contentType: 'text/html', headers: { 'Cache-Control': 'no-store' } });
    });
    await built.page.goto(`${kOrigin}/index.html`);
    await built.page.waitForFunction(() => document.documentElement.dataset.ferrant === 'running');
    await programIdle(built.page);
    const program = await built.page.evaluate(windowElements);
    const programPixels = await shootClient(built.page);

    console.log('--- the prerendered page before the program runs: the program\'s first frame');
    // Its WebAssembly held until release().
    const early = await openPage(session.browser, siteDir);
    const held = new Promise((resolve) => { early.release = resolve; });
    await early.context.route(/\.wasm$/, async (route) => { await held; await route.fallback(); });
    early.page.on('pageerror', (error) => fail(`the page threw: ${error.message}`));
    await early.page.goto(`${kOrigin}/index.html`, { waitUntil: 'domcontentloaded' });
    await early.page.waitForFunction(() => [...document.images].every((image) => image.complete));
    compare('the prerendered window', program, await early.page.evaluate(windowElements));
    const prerenderedPixels = await shootClient(early.page);
    if (!prerenderedPixels.equals(programPixels)) {
      fail(`the prerendered window's pixels differ from the program's (${outDir}/start-*.png)`);
      await fs.writeFile(path.join(outDir, 'start-prerendered.png'), prerenderedPixels);
      await fs.writeFile(path.join(outDir, 'start-program.png'), programPixels);
    }

    console.log('--- typing before the program runs: the digits go in, the program hears all of it');
    const field = `[data-gadget="${kBaserateField}"]`;
    await early.page.click(field, { clickCount: 3 });
    await early.page.keyboard.type('1x2');
    if (await early.page.inputValue(field) !== '12') fail(`the field took "1x2" as "${await early.page.inputValue(field)}"`);
    await early.page.keyboard.press('Tab');
    early.release();
    await early.page.waitForFunction(() => document.documentElement.dataset.ferrant === 'running');
    await programIdle(early.page);
    const focused = await early.page.evaluate(() => document.activeElement?.dataset.gadget);
    if (focused !== String(kDiameterBox)) fail(`Tab typed early left the focus on gadget ${focused}`);
    const replayed = JSON.parse(execFileSync(path.resolve(replayProgram), [], {
      cwd: siteDir, input: `type ${kBaserateField} 12\n`, encoding: 'utf8' }).trim().split('\n').pop());
    for (const [number, gadget] of Object.entries(replayed.gadgets)) {
      if (Number(number) === kLogo) continue;
      const shown = await shownText(early.page, Number(number));
      if (shown !== gadget.text) fail(`gadget ${number} shows "${shown}", the program "${gadget.text}"`);
    }

    console.log('--- once the program has taken the window, it is the one it builds itself');
    const taken = await early.page.evaluate(windowElements);
    await built.page.click(field, { clickCount: 3 });
    await built.page.keyboard.type('12');
    await built.page.keyboard.press('Tab');
    await programIdle(built.page);
    compare('the taken window after typing', await built.page.evaluate(windowElements), taken);
  } finally {
    await session.close();
  }
}

end('web start', main());
