// The user's actions on the page as real input (Playwright's mouse and
// keyboard reach Chromium as DevTools input events) and what the page shows,
// for the end-to-end test and, through the page binding
// ferrantDriver(action, a, b) -> Promise, the conformance suite's driver.
import { middleOf, shootClient, shownText } from './browser.mjs';

// How long an opened list or menu may take to appear.
const kAppearMs = 5000;

const gadget = (number) => `[data-client] [data-gadget="${number}"]`;

export function createDriver(page) {
  let side = 0;  // move_mouse alternates between two neighbouring points
  const clickAt = async ({ x, y }) => page.mouse.click(x, y);
  const clickMiddle = async (selector) => clickAt(await middleOf(page, selector));

  // The list of a combo box: the one its aria-controls names.
  async function listSelector(number) {
    return `[id="${await page.locator(gadget(number)).getAttribute('aria-controls')}"]`;
  }

  async function waitShown(selector) {
    await page.locator(selector).first().waitFor({ state: 'visible', timeout: kAppearMs });
  }

  // The menu title that opens item N: the [data-menu-title] holding it.
  async function menuTitleOf(item) {
    const title = await page.evaluate((number) =>
      document.querySelector(`[data-menu-item="${number}"]`)?.closest('[data-menu-title]')?.dataset.menuTitle, item);
    if (title === undefined) throw new Error(`no menu title holds [data-menu-item="${item}"]`);
    return `[data-menu-title="${title}"]`;
  }

  // A point of the client area with no gadget on it (only the client itself
  // or the drawing, which lets the pointer through), in page coordinates.
  async function emptyPoint() {
    const point = await page.evaluate(() => {
      const client = document.querySelector('[data-client]');
      const box = client.getBoundingClientRect();
      for (let y = box.height - 5; y > 5; y -= 10) {
        for (let x = box.width - 5; x > 5; x -= 10) {
          if (document.elementFromPoint(box.left + x, box.top + y) === client &&
              document.elementFromPoint(box.left + x + 1, box.top + y) === client) {
            return { x: box.left + x, y: box.top + y };
          }
        }
      }
      return null;
    });
    if (!point) throw new Error('the client area has no empty point');
    return point;
  }

  const actions = {
    async focus_field(number) { await clickMiddle(gadget(number)); },
    async type(keys) {
      for (const key of String(keys)) await page.keyboard.type(key);
    },
    // Select all, the text on the clipboard, then the system's paste.
    async paste(text) {
      await page.keyboard.press('Control+A');
      await page.evaluate((t) => navigator.clipboard.writeText(t), String(text));
      await page.keyboard.press('Control+V');
    },
    async pick(number, index) {
      await clickMiddle(gadget(number));
      const option = `${await listSelector(number)} [role=option][data-index="${index}"]`;
      await waitShown(option);
      await page.locator(option).first().scrollIntoViewIfNeeded();
      await clickMiddle(option);
    },
    async open_close(number) {
      await clickMiddle(gadget(number));
      await waitShown(await listSelector(number)).catch(() => {});  // a list that does not show is for the suite to find
      await clickMiddle(gadget(number));
    },
    async click(number) { await clickMiddle(gadget(number)); },
    async tab(forward) { await page.keyboard.press(Number(forward) ? 'Tab' : 'Shift+Tab'); },
    async press_key(name) { await page.keyboard.press(name); },  // KeyboardEvent.key names, "Control+Shift+C"
    async right_click(x, y) {
      const box = await page.locator('[data-client]').boundingBox();
      await page.mouse.click(box.x + Number(x), box.y + Number(y), { button: 'right' });
    },
    async choose_menu(item) {
      await clickMiddle(await menuTitleOf(item));
      const entry = `[data-menu-item="${item}"]`;
      await waitShown(entry);
      await clickMiddle(entry);
    },
    async close_box() { await clickMiddle('[data-window-close]'); },
    // The page repaints the whole window when the document becomes visible.
    async system_repaint() {
      await page.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
    },
    async move_mouse(count) {
      const { x, y } = await emptyPoint();
      for (let i = 0; i < Number(count); ++i) {
        side ^= 1;
        await page.mouse.move(x + side, y);
      }
    },
  };

  const queries = {
    // The client area as shown, PNG in base64, for client_pixels below.
    async client_png() {
      return (await shootClient(page)).toString('base64');
    },
    async focused_gadget() {
      return page.evaluate(() => {
        const holder = document.activeElement?.closest('[data-gadget]');
        return holder ? Number(holder.dataset.gadget) : -1;
      });
    },
    async shown_text(number) { return (await shownText(page, number)) ?? ''; },
    // The clipboard's text once the page's last write is done.
    async clipboard_text() {
      return page.evaluate(async () => {
        await window.ferrantClipboardWritten?.();
        return navigator.clipboard.readText();
      });
    },
    // The hint shown at the gadget: title and text a line each, else ''.
    async field_hint(number) {
      return page.evaluate((n) => {
        const hint = document.querySelector('[data-field-hint]');
        if (!hint || hint.hidden || hint.dataset.forGadget !== String(n)) return '';
        return `${hint.querySelector('.hint-title').textContent}\n${hint.querySelector('.hint-text').textContent}`;
      }, number);
    },
    async window_shown() {
      return page.evaluate(() => {
        const window = document.querySelector('[data-window]');
        return window && window.getClientRects().length > 0 &&
          getComputedStyle(window).visibility !== 'hidden' ? 1 : 0;
      });
    },
  };

  // Runs one action or query; actions return 0. Unknown names throw.
  async function perform(name, a, b) {
    if (Object.hasOwn(actions, name)) {
      await actions[name](a, b);
      return 0;
    }
    if (Object.hasOwn(queries, name)) return queries[name](a, b);
    throw new Error(`ferrantDriver: unknown action "${name}"`);
  }

  return { perform };
}

// Gives the page `ferrantDriver(action, a, b)`, each call a round trip to
// Node.js; client_pixels decodes one screenshot in the page into { width,
// height, rgb: base64, 3 bytes a pixel }. onError(message) hears of failures.
export async function exposeDriver(page, onError) {
  const driver = createDriver(page);
  await page.exposeBinding('ferrantDriverRemote', async (_source, action, a, b) => {
    try {
      return await driver.perform(action, a, b);
    } catch (error) {
      onError(`ferrantDriver(${JSON.stringify(action)}, ${JSON.stringify(a)}, ${JSON.stringify(b)}): ${error.message}`);
      throw error;
    }
  });
  await page.addInitScript(() => {
    async function clientPixels() {
      const png = Uint8Array.from(atob(await window.ferrantDriverRemote('client_png', 0, 0)), (c) => c.charCodeAt(0));
      const bitmap = await createImageBitmap(new Blob([png], { type: 'image/png' }),
        { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
      const context = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
      context.drawImage(bitmap, 0, 0);
      const { data } = context.getImageData(0, 0, bitmap.width, bitmap.height);
      let rgb = '';
      for (let i = 0; i < data.length; i += 4) rgb += String.fromCharCode(data[i], data[i + 1], data[i + 2]);
      return { width: bitmap.width, height: bitmap.height, rgb: btoa(rgb) };
    }
    window.ferrantDriver = (action, a, b) =>
      (action === 'client_pixels' ? clientPixels() : window.ferrantDriverRemote(action, a, b));
  });
}
