// run_page.mjs SITE_DIR PAGE.html [ARG...]: runs a test program built for the
// browser in headless Chromium as PAGE.html?arg=ARG..., its console lines on
// standard output, ferrantDriver() for real input (driver.mjs). Exit status:
// the program's (window.ferrantExitCode); 1 when the page failed to load,
// threw or the driver failed; 124 on time-out (FERRANT_PAGE_TIMEOUT seconds,
// default 120); 77 without playwright-core or Chromium.
import process from 'node:process';

import { kOrigin, launchBrowser, MissingTool } from './browser.mjs';
import { exposeDriver } from './driver.mjs';

const kTimedOut = 124;
const kSkipped = 77;  // CTest's SKIP_RETURN_CODE

const [siteDir, pageName, ...programArgs] = process.argv.slice(2);
if (!siteDir || !pageName) {
  console.error('usage: node run_page.mjs SITE_DIR PAGE.html [ARG...]');
  process.exit(2);
}
const timeoutSeconds = Number(process.env.FERRANT_PAGE_TIMEOUT ?? 120);

const say = (line) => process.stdout.write(line.endsWith('\n') ? line : line + '\n');
const complain = (line) => process.stderr.write(`run_page: ${line}\n`);

async function run() {
  const session = await launchBrowser(siteDir);
  const { page } = session;
  let failure = null;
  try {
    page.on('console', (message) => say(message.text()));
    page.on('pageerror', (error) => {
      complain(`the page threw: ${error.stack ?? error.message}`);
      failure ??= 'the page threw';
    });
    page.on('crash', () => { failure ??= 'the page crashed'; });

    await exposeDriver(page, (message) => {
      complain(message);
      failure ??= 'the driver failed';
    });

    const query = new URLSearchParams(programArgs.map((arg) => ['arg', arg])).toString();
    const address = `${kOrigin}/${pageName}${query ? '?' + query : ''}`;
    const response = await page.goto(address, { waitUntil: 'load' });
    if (!response || !response.ok()) {
      complain(`${address}: ${response ? `HTTP ${response.status()}` : 'no response'}`);
      return 1;
    }

    // A page that threw or whose driver failed gets a short grace to set
    // its exit code.
    const deadline = Date.now() + timeoutSeconds * 1000;
    let graceEnd = null;
    let exitCode;
    for (;;) {
      if (failure === 'the page crashed') break;
      exitCode = await page.evaluate(() => window.ferrantExitCode);
      if (typeof exitCode === 'number') break;
      if (failure) {
        graceEnd ??= Date.now() + 2000;
        if (Date.now() > graceEnd) break;
      }
      if (Date.now() > deadline) {
        complain(`${pageName} did not end within ${timeoutSeconds} s (window.ferrantExitCode unset; ` +
          `raise FERRANT_PAGE_TIMEOUT for slower machines)`);
        return kTimedOut;
      }
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    if (failure) {
      complain(failure);
      return typeof exitCode === 'number' && exitCode !== 0 ? exitCode : 1;
    }
    return exitCode;
  } finally {
    await session.close();
  }
}

run().then((code) => process.exit(code), (error) => {
  if (error instanceof MissingTool) {
    complain(`${error.message}: skipped`);
    process.exit(kSkipped);
  }
  complain(error.stack ?? String(error));
  process.exit(1);
});
