// The web backend's page side: the window as HTML elements, and the
// browser's input turned into platform messages for the program's
// wait_event(). Linked in front of the program's own JavaScript (--pre-js),
// so the C++ side (web_toolkit.cpp) reaches it as `ferrantPage`.
//
// Implements:
//   - the window: a caption strip with the title and a close control, the
//     menu bar, and the 700 x 680 client area in which every gadget is an
//     absolutely placed element with data-gadget="N"; the drawing is one
//     canvas over the client area (pointer-events: none)
//   - the drawing and the image views at the backing size the program side
//     gives (its pixels at a whole scale of the device pixel ratio), each
//     shown at its size in CSS pixels; a change of the ratio (browser zoom,
//     another screen) is a message, on which the program side shows them
//     again
//   - one message per browser event the program may hear of (key down and
//     up, typed text, focus moves, mouse buttons and moves, clicks, the
//     close control, the page becoming visible again), each with the
//     notifications it raised, queued until the program asks for the next
//   - what must happen while the event is dispatched, before the program
//     runs: asking the program side whether a field takes typed text and
//     where Tab and Shift+Tab move the focus, opening and closing combo
//     lists, keeping the focus where a click on a non-focusable part would
//     take it away
//   - the menu bar from the keyboard: every key and click on the page is
//     first handed to the program side (a synchronous call, while the
//     program waits), which decides menu mode (F10, Alt alone, arrows,
//     Enter, Escape, a click on a title) and has the page show it
//   - the context menu, drawn like the menu bar's menus over the client
//     area in place of the browser's own: right clicks and the keys that
//     open it, its keys and clicks, and its items' shortcuts are handed to
//     the program side (a synchronous call), which decides what they do
//   - the refused-character hint: a balloon beside the field, announced
//     (role=alert); typed and pasted text is handed to the program side,
//     which decides whether it shows, and for how long
//   - the clipboard: written through the asynchronous clipboard API, else
//     by copying a selected hidden text area
//   - the page address: the query's pairs, and the query replaced in place
//   - the accessible tree as the program side computes it: names, roles,
//     hidden elements, each frame's members (aria-owns, so the elements
//     keep their places and stacking) and its polite live region; the
//     drawing is presentation, its described parts are images over it
// Quirks:
//   - a combo box's selection is decided by the program side (typed keys,
//     picks); the list here only shows it
//   - focus leaving the page (another tab) is not reported; coming back
//     reports the gain again, as the desktop does on reactivation
var ferrantPage = (function () {
  'use strict';

  // Raw message identifiers, as the toolkit numbers them.
  const MSG = {
    setFocus: 0x0007, close: 0x0010, paint: 0x000f, keyDown: 0x0100, keyUp: 0x0101, char: 0x0102,
    sysKeyDown: 0x0104, sysKeyUp: 0x0105, command: 0x0111, mouseMove: 0x0200, leftDown: 0x0201,
    leftUp: 0x0202, leftDouble: 0x0203, rightDown: 0x0204, rightUp: 0x0205,
  };
  // What a message carries for the program side (web_toolkit.cpp, Record).
  const REC = { gadget: 1, textChange: 2, window: 3, menu: 4, comboChoose: 5, comboKey: 6, deviceRatio: 7 };
  // Keys as menu mode knows them (MenuKey); every other key is `other`.
  const MENU_KEYS = { F10: 0, Alt: 1, ArrowLeft: 2, ArrowRight: 3, ArrowUp: 4, ArrowDown: 5, Enter: 6, Escape: 7 };
  const OTHER_KEY = 8, KEY_UP = 1, KEY_REPEAT = 2;
  // Keys as the open context menu knows them (ContextMenuMode::Key), and
  // the chord keys that are not letters or digits (context_menu.h); the
  // modifiers of a chord (web_toolkit.cpp, kModifierCtrl ...).
  const CONTEXT_KEYS = { ArrowUp: 0, ArrowDown: 1, Home: 2, End: 3, Enter: 4, Escape: 5 };
  const OTHER_CONTEXT_KEY = 6, CHORD_F10 = 0xF000 + 10, CHORD_CONTEXT_MENU = 0xF100;
  const MODIFIER = { ctrl: 1, shift: 2, alt: 4 };
  // Accessible roles (toolkit/common/accessibility.h, AccessibleRole).
  const ROLE = { group: 0, text: 1, result: 2, textField: 3, comboBox: 4, button: 5, image: 6 };
  // What menu mode did with a key (ferrant_menu_key()).
  const MENU = { notTaken: 0, taken: 1, chose: 2 };
  // Notification codes (toolkit.h).
  const T = {
    editSetFocus: 0x0100, editKillFocus: 0x0200, focusGained: 14000, focusLost: 14001,
    comboSetFocus: 3, comboKillFocus: 4, comboDropDown: 7, comboCloseUp: 8,
    clicked: 0, rightClick: 1, doubleClick: 2, drag: 14002,
  };
  const EVENT = { close: 16, repaint: 15 };
  // Combo keys that are not characters: -1 - their common::ComboKey
  // (toolkit/common/combo.h), whose rules decide the selection.
  const COMBO_KEYS = {
    ArrowUp: -1, ArrowDown: -2, ArrowLeft: -3, ArrowRight: -4, Home: -5, End: -6, PageUp: -7, PageDown: -8,
  };
  const KIND = { frame: 0, label: 1, textField: 2, comboBox: 3, button: 4, imageView: 5 };
  const FLAG_NUMBER = 0x2000, FLAG_SUNKEN = 0x20000, TEXT_LIMIT = 32767;

  const queue = [];        // messages the program has not handled: {code, records}
  let wake = null;         // resolves the program's wait for a message
  let idleWaiters = [];    // ferrantIdle() promises
  let waiting = false;     // the program waits for a message
  let ended = false;

  let win = null;          // the window's elements and number
  const elements = new Map();  // element id (C++ side) -> element
  let nextId = 1;
  let ratioWatch = null;   // the media query that ends to match when the ratio changes
  let focused = null;      // the gadget element that has the focus
  let menuShown = { title: -1, item: -1, open: false };  // menu mode as the program side last said
  let openList = null;     // the combo box whose list is open
  let dragFrom = null;     // the image view a left button went down on
  let contextAnchor = null;  // where a right click opens the context menu (page coordinates); null: at the focus
  let returningFocus = false;  // the focus goes back to the gadget that had it: no message
  let hintTimer = 0;       // ends the hint that shows
  let lastCopy = Promise.resolve();  // the last clipboard write
  const fetchedFiles = new Map();  // name -> Uint8Array: the files the program reads

  function post(code, records) {
    queue.push({ code, records: records || [] });
    if (wake) { const w = wake; wake = null; w(); }
  }

  function setState(value) { document.documentElement.dataset.ferrant = value; }

  function gadgetOf(node) {
    const el = node && node.closest ? node.closest('[data-gadget]') : null;
    return el && win && win.client.contains(el) ? el : null;
  }
  const numberOf = (el) => Number(el.dataset.gadget);
  const kindOf = (el) => Number(el.dataset.kind);
  // Which kinds take the focus is the program side's rule (takes_focus()),
  // handed over when the gadget is made.
  const takesFocus = (el) => el.dataset.takesFocus !== undefined;

  function make(tag, attributes, parent) {
    const el = document.createElement(tag);
    // (No destructuring: emscripten's JavaScript optimiser here cannot print it.)
    for (const name of Object.keys(attributes || {})) el.setAttribute(name, attributes[name]);
    if (parent) parent.appendChild(el);
    return el;
  }

  // --- focus ---------------------------------------------------------------

  function focusRecords(old, gained) {
    const records = [];
    if (old && old !== gained && old.isConnected) {
      const n = numberOf(old);
      if (kindOf(old) === KIND.textField) records.push([REC.gadget, n, T.editKillFocus], [REC.gadget, n, T.focusLost]);
      if (kindOf(old) === KIND.comboBox) {
        if (openList === old) records.push(...closeList());
        records.push([REC.gadget, n, T.comboKillFocus]);
      }
    }
    const n = numberOf(gained);
    if (kindOf(gained) === KIND.textField) records.push([REC.gadget, n, T.editSetFocus], [REC.gadget, n, T.focusGained]);
    if (kindOf(gained) === KIND.comboBox) records.push([REC.gadget, n, T.comboSetFocus]);
    return records;
  }

  function onFocusIn(event) {
    if (returningFocus) return;
    const gained = gadgetOf(event.target);
    if (!gained || !takesFocus(gained)) return;
    const old = focused;
    focused = gained;
    post(MSG.setFocus, focusRecords(old, gained));
  }

  // Gives the focus back to the gadget that had it before the context menu
  // or the clipboard's text area took it: for the program it never left.
  function returnFocus() {
    returningFocus = true;
    try {
      if (focused && focused.isConnected) focused.focus();
      else if (document.activeElement && win && win.root.contains(document.activeElement)) document.activeElement.blur();
    } finally {
      returningFocus = false;
    }
  }

  // Tab and Shift+Tab: the program side knows the order (ferrant_tab_target()).
  function tabTarget(forward) {
    return elements.get(_ferrant_tab_target(focused ? focused.elementId : 0, forward ? 1 : 0)) || null;
  }

  // --- combo lists ---------------------------------------------------------

  function openListOf(box) {
    const records = openList && openList !== box ? closeList() : [];
    if (openList === box) return records;
    openList = box;
    box.setAttribute('aria-expanded', 'true');
    box.list.hidden = false;
    showSelection(box);
    records.push([REC.gadget, numberOf(box), T.comboDropDown]);
    return records;
  }

  function closeList() {
    const box = openList;
    if (!box) return [];
    openList = null;
    box.setAttribute('aria-expanded', 'false');
    box.list.hidden = true;
    return [[REC.gadget, numberOf(box), T.comboCloseUp]];
  }

  function showSelection(box) {
    const options = box.list.children;
    for (let i = 0; i < options.length; ++i) options[i].setAttribute('aria-selected', String(i === box.selected));
    box.shown.textContent = box.selected >= 0 && box.selected < options.length ? options[box.selected].textContent : '';
    if (box.selected >= 0 && box.selected < options.length) {
      box.setAttribute('aria-activedescendant', options[box.selected].id);
    } else {
      box.removeAttribute('aria-activedescendant');
    }
  }

  // --- the menu bar --------------------------------------------------------

  function titles() { return win ? [...win.menuBar.children] : []; }

  function showMenu() {
    titles().forEach((title, i) => {
      const active = menuShown.title === i;
      title.classList.toggle('active', active);
      const open = active && menuShown.open;
      title.menu.hidden = !open;
      title.setAttribute('aria-expanded', String(open));
      [...title.menu.children].forEach((item, j) => item.classList.toggle('active', open && j === menuShown.item));
    });
  }

  // Hands the key to menu mode; returns the records of what it did, or null
  // when it did not take the key.
  function menuKey(key, flags) {
    const done = _ferrant_menu_key(key in MENU_KEYS ? MENU_KEYS[key] : OTHER_KEY, flags);
    if (done === MENU.notTaken) return null;
    return done === MENU.chose ? [[REC.menu, _ferrant_menu_chosen(), 0]] : [];
  }

  // --- the context menu ------------------------------------------------------

  // A chord's key as the program side knows it: the letter or digit the key
  // types (its place on the keyboard when Shift or the layout make it
  // another character), F10, the context-menu key; 0 for any other.
  function chordKey(event) {
    if (event.key === 'F10') return CHORD_F10;
    if (event.key === 'ContextMenu') return CHORD_CONTEXT_MENU;
    if (/^[A-Za-z0-9]$/.test(event.key)) return event.key.codePointAt(0);
    const place = /^(?:Key([A-Z])|Digit([0-9]))$/.exec(event.code);
    return place ? (place[1] || place[2]).codePointAt(0) : 0;
  }

  // Hands the key down to the context menu (open, it takes every key;
  // closed, a chord may open it or choose an item); returns the records of
  // what it did, or null when it did not take the key.
  function contextKey(event) {
    const modifiers = (event.ctrlKey ? MODIFIER.ctrl : 0) | (event.shiftKey ? MODIFIER.shift : 0) |
                      (event.altKey ? MODIFIER.alt : 0);
    contextAnchor = null;  // a key opens the menu at the focused gadget
    const key = event.key in CONTEXT_KEYS ? CONTEXT_KEYS[event.key] : OTHER_CONTEXT_KEY;
    const done = _ferrant_context_key(key, chordKey(event), modifiers);
    if (done === MENU.notTaken) return null;
    return done === MENU.chose ? [[REC.menu, _ferrant_menu_chosen(), 0]] : [];
  }

  // The open menu's place: its top-left corner at the mouse, or for a key
  // below the focused gadget (the client's corner when none has the focus),
  // moved in as far as it must to stay inside the client area.
  function placeContextMenu(menu) {
    const client = win.client.getBoundingClientRect();
    let x = 0, y = 0;
    if (contextAnchor) {
      x = contextAnchor.x - client.left;
      y = contextAnchor.y - client.top;
    } else if (focused && focused.isConnected) {
      const box = focused.getBoundingClientRect();
      x = box.left - client.left;
      y = box.bottom - client.top;
    }
    menu.style.left = Math.max(0, Math.min(x, client.width - menu.offsetWidth)) + 'px';
    menu.style.top = Math.max(0, Math.min(y, client.height - menu.offsetHeight)) + 'px';
  }

  // --- keyboard ------------------------------------------------------------

  function onKeyDown(event) {
    if (!win) return;
    const key = event.key;
    const system = key === 'F10' || key === 'Alt';
    const code = system ? MSG.sysKeyDown : MSG.keyDown;
    _ferrant_dismiss_field_hint();
    // A key the context menu or menu mode takes does nothing else.
    const menuRecords = contextKey(event) || menuKey(key, event.repeat ? KEY_REPEAT : 0);
    if (menuRecords) {
      event.preventDefault();
      post(code, menuRecords);
      return;
    }
    let records = [];
    if (key === 'Tab') {
      event.preventDefault();
      const target = tabTarget(!event.shiftKey);
      post(code, []);
      if (target) target.focus();
      return;
    } else if (focused && kindOf(focused) === KIND.comboBox && !event.altKey && !event.ctrlKey && !event.metaKey) {
      records = comboKey(focused, key);
      if (records.length > 0 || key in COMBO_KEYS || [...key].length === 1) event.preventDefault();
    } else if (focused && kindOf(focused) === KIND.textField && key === 'Enter') {
      event.preventDefault();
    }
    post(code, records);
  }

  // A key for a focused combo box: Escape and Enter close its list, F4
  // opens or closes it; arrows and characters go to the program side, which
  // decides the selection.
  function comboKey(box, key) {
    if (key === 'Escape' || key === 'Enter') return closeList();
    if (key === 'F4') return openList === box ? closeList() : openListOf(box);
    if (key in COMBO_KEYS) return [[REC.comboKey, numberOf(box), COMBO_KEYS[key]]];
    if ([...key].length === 1) return [[REC.comboKey, numberOf(box), key.codePointAt(0)]];
    return [];
  }

  function onKeyUp(event) {
    if (!win) return;
    const key = event.key;
    if (key === 'Alt') event.preventDefault();
    menuKey(key, KEY_UP);
    post(key === 'F10' || key === 'Alt' ? MSG.sysKeyUp : MSG.keyUp, []);
  }

  // Typed text the program side's rule refuses for the field (digits-only
  // fields) does not go in, and the program side shows the hint; pasting and
  // dropping are not typing.
  function onBeforeInput(event) {
    const field = gadgetOf(event.target);
    if (!field || kindOf(field) !== KIND.textField) return;
    const flags = Number(field.dataset.flags);
    if (event.inputType.startsWith('insert') && event.inputType !== 'insertFromPaste' &&
        event.inputType !== 'insertFromDrop' && event.data !== null &&
        [...event.data].some((c) => _ferrant_field_typed(numberOf(field), flags, c.codePointAt(0)) === 0)) {
      event.preventDefault();
    }
  }

  // A paste goes in unfiltered; the program side hears of its text, for the
  // hint.
  function onPaste(event) {
    const field = gadgetOf(event.target);
    if (!field || kindOf(field) !== KIND.textField) return;
    const text = event.clipboardData ? event.clipboardData.getData('text/plain') : '';
    const size = lengthBytesUTF8(text) + 1;
    const buffer = _malloc(size);
    try {
      stringToUTF8(text, buffer, size);
      _ferrant_field_pasted(numberOf(field), Number(field.dataset.flags), buffer);
    } finally {
      _free(buffer);
    }
  }

  function onInput(event) {
    const field = gadgetOf(event.target);
    if (field && kindOf(field) === KIND.textField) post(MSG.char, [[REC.textChange, numberOf(field), 0]]);
  }

  // --- mouse ---------------------------------------------------------------

  function onMouseDown(event) {
    if (!win) return;
    const target = event.target;
    _ferrant_dismiss_field_hint();
    // On the open context menu a button chooses when released (onClick);
    // anywhere else it closes the menu first.
    if (target.closest('[data-context-menu]')) {
      event.preventDefault();
      post(event.button === 2 ? MSG.rightDown : MSG.leftDown, []);
      return;
    }
    _ferrant_context_click(-1);
    const title = target.closest('[data-menu-title]');
    const item = target.closest('[data-menu-item]');
    const records = [];
    if (!title) _ferrant_menu_click(-1);  // a click off the menu bar leaves menu mode
    if (openList && !openList.contains(target)) records.push(...closeList());
    const gadget = gadgetOf(target);
    if (event.button === 2) {
      post(MSG.rightDown, records);
      return;
    }
    if (title && !item) _ferrant_menu_click(titles().indexOf(title));
    const option = target.closest('[role=option]');
    if (option && gadget) {
      records.push([REC.comboChoose, numberOf(gadget), Number(option.dataset.index)]);
    } else if (gadget && kindOf(gadget) === KIND.comboBox) {
      records.push(...(openList === gadget ? closeList() : openListOf(gadget)));
    }
    if (gadget && kindOf(gadget) === KIND.imageView) dragFrom = gadget;
    // Only focusable gadgets take the focus; elsewhere it stays put.
    if (!gadget || !takesFocus(gadget) || option || title || item || target.closest('[data-window-close]')) {
      event.preventDefault();
    }
    post(MSG.leftDown, records);
  }

  function onMouseUp(event) {
    if (!win) return;
    dragFrom = null;
    const option = event.target.closest('[role=option]');
    const records = option && openList ? closeList() : [];
    post(event.button === 2 ? MSG.rightUp : MSG.leftUp, records);
  }

  function onMouseMove(event) {
    if (!win) return;
    const records = dragFrom && (event.buttons & 1) ? [[REC.gadget, numberOf(dragFrom), T.drag]] : [];
    post(MSG.mouseMove, records);
  }

  function onClick(event) {
    if (!win) return;
    const entry = event.target.closest('[data-context-item]');
    if (entry) {
      const done = _ferrant_context_click(Number(entry.dataset.contextItem));
      post(MSG.command, done === MENU.chose ? [[REC.menu, _ferrant_menu_chosen(), 0]] : []);
      return;
    }
    if (event.target.closest('[data-context-menu]')) return;
    const item = event.target.closest('[data-menu-item]');
    if (item) {
      _ferrant_menu_click(-1);
      post(MSG.command, [[REC.menu, Number(item.dataset.menuItem), 0]]);
      return;
    }
    if (event.target.closest('[data-window-close]')) {
      post(MSG.close, [[REC.window, EVENT.close, 0]]);
      return;
    }
    const gadget = gadgetOf(event.target);
    if (gadget && (kindOf(gadget) === KIND.button || kindOf(gadget) === KIND.imageView)) {
      post(MSG.command, [[REC.gadget, numberOf(gadget), T.clicked]]);
    }
  }

  function onDoubleClick(event) {
    const gadget = gadgetOf(event.target);
    const records = gadget && kindOf(gadget) === KIND.imageView ? [[REC.gadget, numberOf(gadget), T.doubleClick]] : [];
    if (win) post(MSG.leftDouble, records);
  }

  // The window's context menu replaces the browser's over the whole window.
  // A right click in the client area may open it (the program side says
  // where); an event the key that opened the menu raised, or one on the open
  // menu, changes nothing.
  function onContextMenu(event) {
    if (!win) return;
    event.preventDefault();
    if (!win.contextMenu.hidden || !win.client.contains(event.target)) return;
    const gadget = gadgetOf(event.target);
    contextAnchor = { x: event.clientX, y: event.clientY };
    const opened = _ferrant_context_right_click(gadget ? kindOf(gadget) : -1) !== 0;
    if (!opened && gadget && kindOf(gadget) === KIND.imageView) {
      post(MSG.command, [[REC.gadget, numberOf(gadget), T.rightClick]]);
    }
  }

  function onVisibility() {
    if (win && document.visibilityState === 'visible') post(MSG.paint, [[REC.window, EVENT.repaint, 0]]);
  }

  // The device pixel ratio: a query for the present one stops matching when
  // it changes, and is then made anew for the new one. The change is a paint
  // message whose record has the program side show the drawing again at the
  // new scale; the window's content is not lost, so no repaint event.
  function watchRatio() {
    const query = window.matchMedia('(resolution: ' + window.devicePixelRatio + 'dppx)');
    const changed = function () {
      unwatchRatio();
      if (!win) return;
      watchRatio();
      post(MSG.paint, [[REC.deviceRatio, 0, 0]]);
    };
    query.addEventListener('change', changed);
    ratioWatch = { query, changed };
  }

  function unwatchRatio() {
    if (ratioWatch) ratioWatch.query.removeEventListener('change', ratioWatch.changed);
    ratioWatch = null;
  }

  // An element of the client area the program side refers to by id.
  function register(el) {
    const id = nextId++;
    el.elementId = id;
    el.id = el.id || 'ferrant-element-' + id;
    win.client.insertBefore(el, win.drawing);
    elements.set(id, el);
    return id;
  }

  function hideHint() {
    clearTimeout(hintTimer);
    hintTimer = 0;
    if (!win || win.hint.hidden) return;
    win.hint.hidden = true;
    const field = elements.get(Number(win.hint.dataset.element));
    if (field) field.removeAttribute('aria-describedby');
  }

  // --- the prerendered window ----------------------------------------------
  // The page may already hold the window as the program shows it at its
  // start (written by ferrant-prerender). The program's calls then take its
  // elements, in the order they were made, instead of making new ones: the
  // elements keep their place, the focus and what was typed into them. When
  // the program first waits, whatever it did not take goes, and so do the
  // start pictures over the canvases (it has shown its own by then).

  let prerendered = null;  // while the program takes the window: what it has not taken yet
  let firstWait = true;    // the program has not waited yet

  function findPrerendered(title, width, height) {
    const root = document.querySelector('[data-window][data-prerendered]');
    if (!root) return null;
    const client = root.querySelector('[data-client]');
    if (root.getAttribute('aria-label') !== title || !client || client.style.width !== width + 'px' ||
        client.style.height !== height + 'px') {
      root.remove();  // another window than the program's: it builds its own
      return null;
    }
    const elements = new Map();
    for (const el of client.querySelectorAll(':scope > [id^="ferrant-element-"]')) elements.set(el.id, el);
    prerendered = { root, elements, titles: [...root.querySelector('[data-menu-bar]').children], titlesTaken: 0 };
    return root;
  }

  // The prerendered element that is the program's next one (id `id`), when
  // it is what the program asks for: the same tag, gadget, kind, flags and
  // place.
  function takePrerendered(id, tag, attributes, x, y, w, h) {
    if (!prerendered) return null;
    const el = prerendered.elements.get('ferrant-element-' + id);
    if (!el || el.tagName !== tag.toUpperCase() || el.style.left !== x + 'px' || el.style.top !== y + 'px' ||
        el.style.width !== w + 'px' || el.style.height !== h + 'px') return null;
    for (const name of Object.keys(attributes)) if (el.getAttribute(name) !== attributes[name]) return null;
    prerendered.elements.delete(el.id);
    el.elementId = id;
    elements.set(id, el);
    ++nextId;
    return el;
  }

  // The program waits for the first time: what it did not take goes. (A
  // window it built itself is complete with the next frame; a prerendered
  // one was complete before.)
  function endPrerendered() {
    if (!prerendered) {
      if (win) requestAnimationFrame(() => performance.mark('ferrant-window-complete'));
      return;
    }
    prerendered.elements.forEach((el) => el.remove());
    prerendered.titles.slice(prerendered.titlesTaken).forEach((title) => title.remove());
    for (const title of titles()) [...title.menu.children].slice(title.itemsTaken || 0).forEach((item) => item.remove());
    for (const el of elements.values()) {
      if (el.optionsTaken === undefined) continue;
      [...el.list.children].slice(el.optionsTaken).forEach((option) => option.remove());
      el.optionsTaken = undefined;
    }
    prerendered.root.querySelectorAll('[data-start-picture]').forEach((picture) => picture.remove());
    prerendered.root.removeAttribute('data-prerendered');
    prerendered = null;
  }

  // What the user did before the program ran (index.html's inline script
  // kept it), handed to the handlers as if it happened now: the program
  // hears of it in order. A field's typed text is put back as it was (the
  // program's start wrote the field's start text over it).
  function takeEarlyInput() {
    const early = window.ferrantEarlyInput;
    if (!early) return;
    window.ferrantEarlyInput = null;
    early.stop();
    const handlers = {
      keydown: onKeyDown, keyup: onKeyUp, focusin: onFocusIn, mousedown: onMouseDown, mouseup: onMouseUp,
      click: onClick, dblclick: onDoubleClick, contextmenu: onContextMenu, input: onInput,
    };
    for (const kept of early.events) {
      if (!kept.target.isConnected) continue;
      const event = Object.assign({ defaultPrevented: false, preventDefault() { this.defaultPrevented = true; } }, kept);
      if (kept.type === 'input') kept.target.value = kept.value;
      handlers[kept.type](event);
      // What the browser does after a press it was left: a focusable
      // gadget takes the focus.
      const gadget = gadgetOf(kept.target);
      if (kept.type === 'mousedown' && !event.defaultPrevented && gadget && takesFocus(gadget) &&
          document.activeElement !== gadget) {
        gadget.focus();
      }
    }
  }

  // The window's elements, built or prerendered, become the window: its
  // events are heard from now on.
  function showWindow(parts) {
    document.title = parts.root.getAttribute('aria-label');
    win = Object.assign(parts, { context: parts.drawing.getContext('2d') });
    const root = parts.root;
    const on = (type, handler, capture) => root.addEventListener(type, handler, capture);
    on('mousedown', onMouseDown, true);
    on('mouseup', onMouseUp, true);
    on('mousemove', onMouseMove, true);
    on('click', onClick, false);
    on('dblclick', onDoubleClick, false);
    on('contextmenu', onContextMenu, false);
    on('focusin', onFocusIn, false);
    on('beforeinput', onBeforeInput, false);
    on('input', onInput, false);
    on('paste', onPaste, false);
    document.addEventListener('keydown', onKeyDown, true);
    document.addEventListener('keyup', onKeyUp, true);
    document.addEventListener('visibilitychange', onVisibility);
    watchRatio();
  }

  // --- the page address ------------------------------------------------------
  // The query's name/value pairs as the browser decodes them, and the query
  // replaced by pairs in the history's current entry, so that a reload opens
  // the page with them and going back does not step through them.
  function addressParameters() {
    return Array.from(new URLSearchParams(location.search));
  }
  // The browser takes its time over a new address (about 10 ms a write
  // here, and it throttles many writes): it is written after the next
  // frame, the latest pairs only, so typing shows its answers at once. A
  // page leaving before then writes it at once.
  let addressPending = null;  // the pairs still to write, null for none
  function showAddressParameters(pairs) {
    const scheduled = addressPending !== null;
    addressPending = pairs;
    if (!scheduled) requestAnimationFrame(() => setTimeout(writeAddress, 0));
  }
  function writeAddress() {
    if (addressPending === null) return;
    const query = new URLSearchParams(addressPending).toString();
    addressPending = null;
    history.replaceState(history.state, '', location.pathname + (query ? '?' + query : '') + location.hash);
  }
  window.addEventListener('pagehide', writeAddress);

  // --- what the program side calls ------------------------------------------

  const page = {
    // Resolves with the next message's code once one is queued; writes the
    // record count and the records (4 ints each) at `out`.
    nextMessage: async function (out, capacity) {
      if (firstWait) {
        firstWait = false;
        endPrerendered();
        takeEarlyInput();
      }
      while (queue.length === 0) {
        waiting = true;
        if (document.documentElement.dataset.ferrant !== 'running' && !ended) setState('running');
        idleWaiters.splice(0).forEach((resolve) => resolve());
        await new Promise((resolve) => { wake = resolve; });
      }
      waiting = false;
      const message = queue.shift();
      const count = Math.min(message.records.length, Math.floor((capacity - 2) / 4));
      HEAP32[out >> 2] = message.code;
      HEAP32[(out >> 2) + 1] = count;
      for (let i = 0; i < count; ++i) {
        const r = message.records[i];
        for (let j = 0; j < 4; ++j) HEAP32[(out >> 2) + 2 + i * 4 + j] = j < r.length ? r[j] : 0;
      }
      return message.code;
    },

    pending: () => queue.length,

    // Resolves once the program waits with no message queued and the
    // address it showed is written.
    idle: function () {
      return new Promise((resolve) => {
        const check = () => {
          if (addressPending !== null) setTimeout(check, 16);
          else if (ended || (waiting && queue.length === 0)) resolve();
          else idleWaiters.push(check);
        };
        setTimeout(check, 0);
      });
    },

    devicePixelRatio: () => window.devicePixelRatio,

    // The client area is width x height CSS pixels; the drawing's backing
    // store starts at pictureWidth x pictureHeight.
    openWindow: function (title, width, height, pictureWidth, pictureHeight) {
      page.closeWindow();
      const taken = findPrerendered(title, width, height);
      if (taken) {
        const client = taken.querySelector('[data-client]');
        const drawing = client.querySelector('canvas[data-drawing]');
        drawing.width = pictureWidth;
        drawing.height = pictureHeight;
        const hint = client.querySelector('[data-field-hint]');
        hint.heading = hint.querySelector('.hint-title');
        hint.body = hint.querySelector('.hint-text');
        showWindow({ root: taken, menuBar: taken.querySelector('[data-menu-bar]'), client, drawing,
                     contextMenu: client.querySelector('[data-context-menu]'), hint });
        return;
      }
      const host = document.querySelector('[data-window-host]') || document.body;
      // A region named by the title, not an application: the page's keys
      // (menu bar, context menu, Tab) are handled whatever a screen reader
      // passes on, and its browse mode reads the window as a document.
      const root = make('div', { 'data-window': '', class: 'window', role: 'region', 'aria-label': title }, host);
      const caption = make('div', { class: 'caption' }, root);
      make('h1', { 'data-window-title': '' }, caption).textContent = title;
      const close = make('button', { 'data-window-close': '', 'aria-label': 'Close', title: 'Close', tabindex: '-1' }, caption);
      close.textContent = '\u00d7';
      const menuBar = make('div', { role: 'menubar', 'data-menu-bar': '', class: 'menubar' }, root);
      const client = make('div', { 'data-client': '', class: 'client' }, root);
      client.style.width = width + 'px';
      client.style.height = height + 'px';
      // The drawing is presentation: its described parts (createPart()) are
      // what a screen reader finds.
      const drawing = make('canvas', { 'data-drawing': '', 'aria-hidden': 'true' }, client);
      drawing.width = pictureWidth;
      drawing.height = pictureHeight;
      drawing.style.width = width + 'px';
      drawing.style.height = height + 'px';
      const contextMenu = make('div', { 'data-context-menu': '', role: 'menu', class: 'menu context', tabindex: '-1',
                                        'aria-label': 'Context menu' }, client);
      contextMenu.hidden = true;
      const hint = make('div', { 'data-field-hint': '', role: 'alert', class: 'hint', id: 'ferrant-hint' }, client);
      hint.hidden = true;
      hint.heading = make('div', { class: 'hint-title' }, hint);
      hint.body = make('div', { class: 'hint-text' }, hint);
      showWindow({ root, menuBar, client, drawing, contextMenu, hint });
    },

    closeWindow: function () {
      if (!win) return;
      hideHint();
      document.removeEventListener('keydown', onKeyDown, true);
      document.removeEventListener('keyup', onKeyUp, true);
      document.removeEventListener('visibilitychange', onVisibility);
      unwatchRatio();
      win.root.remove();
      win = null;
      elements.clear();
      focused = null; menuShown = { title: -1, item: -1, open: false }; openList = null; dragFrom = null;
      contextAnchor = null;
      queue.length = 0;
    },

    // Menu mode as the program side decided it: the marked title (-1 for
    // none), the marked item (-1 for none), whether its menu is shown.
    showMenu: function (title, item, open) {
      menuShown = { title, item, open };
      showMenu();
    },

    addMenuTitle: function (text) {
      if (!win) return;
      const taken = prerendered && prerendered.titles[prerendered.titlesTaken];
      if (taken && taken.firstChild.textContent === text) {
        taken.menu = taken.querySelector('[role=menu]');
        ++prerendered.titlesTaken;
        return;
      }
      // From the first title that differs the prerendered ones go.
      if (prerendered) prerendered.titles.splice(prerendered.titlesTaken).forEach((title) => title.remove());
      const index = win.menuBar.children.length;
      const title = make('div', { role: 'menuitem', 'aria-haspopup': 'true', 'aria-expanded': 'false', class: 'title',
                                   'data-menu-title': String(index) }, win.menuBar);
      title.append(document.createTextNode(text));
      title.menu = make('div', { role: 'menu', class: 'menu', 'aria-label': text }, title);
      title.menu.hidden = true;
    },

    addMenuItem: function (number, text) {
      const all = titles().filter((title) => title.menu);
      if (all.length === 0) return;
      const title = all[all.length - 1];
      const taken = prerendered && title.menu.children[title.itemsTaken || 0];
      if (taken && taken.dataset.menuItem === String(number) && taken.textContent === text) {
        title.itemsTaken = (title.itemsTaken || 0) + 1;
        return;
      }
      [...title.menu.children].slice(title.itemsTaken || 0).forEach((item) => item.remove());
      make('div', { role: 'menuitem', 'data-menu-item': String(number) }, title.menu).textContent = text;
      title.itemsTaken = (title.itemsTaken || 0) + 1;
    },

    // Makes a gadget's element; returns its id for the calls below.
    createGadget: function (kind, number, x, y, w, h, text, flags, focusable) {
      if (!win) return 0;
      const tags = ['div', 'div', 'input', 'div', 'button', 'canvas'];
      const taken = takePrerendered(nextId, tags[kind], { 'data-gadget': String(number), 'data-kind': String(kind),
                                                         'data-flags': String(flags) }, x, y, w, h);
      if (taken) {
        if (kind === KIND.frame) taken.news = taken.querySelector('.news');
        if (kind === KIND.comboBox) {
          taken.shown = taken.querySelector('.shown');
          taken.list = taken.querySelector('[role=listbox]');
          taken.selected = -1;
          taken.optionsTaken = 0;
        }
        return taken.elementId;
      }
      const el = document.createElement(tags[kind]);
      el.dataset.gadget = String(number);
      el.dataset.kind = String(kind);
      el.dataset.flags = String(flags);
      if (focusable) el.dataset.takesFocus = '';
      el.className = ['frame', 'label', 'field', 'combo', 'button', 'image'][kind];
      Object.assign(el.style, { left: x + 'px', top: y + 'px', width: w + 'px', height: h + 'px' });
      if (kind === KIND.frame) {
        // Named by the program side (setAccess()); the caption is what it
        // shows, its news region what it announces.
        el.setAttribute('role', 'group');
        make('span', { class: 'frame-caption', 'aria-hidden': 'true' }, el).textContent = text;
        el.news = make('div', { class: 'news', role: 'status', 'aria-live': 'polite', id: 'ferrant-news-' + nextId }, el);
      } else if (kind === KIND.label) {
        el.textContent = text;
        if (flags & FLAG_SUNKEN) el.classList.add('sunken');
      } else if (kind === KIND.textField) {
        el.type = 'text';
        el.value = text;
        el.maxLength = TEXT_LIMIT;
        el.autocomplete = 'off';
        el.spellcheck = false;
        if (flags & FLAG_NUMBER) el.inputMode = 'numeric';
      } else if (kind === KIND.comboBox) {
        el.tabIndex = 0;
        el.setAttribute('role', 'combobox');
        el.setAttribute('aria-expanded', 'false');
        el.shown = make('span', { class: 'shown' }, el);
        make('span', { class: 'arrow', 'aria-hidden': 'true' }, el);
        el.list = make('div', { role: 'listbox', class: 'list', id: 'ferrant-list-' + nextId }, el);
        el.list.hidden = true;
        el.setAttribute('aria-controls', el.list.id);
        el.selected = -1;
      } else if (kind === KIND.button) {
        el.textContent = text;
      } else {
        el.width = Math.max(w, 0);
        el.height = Math.max(h, 0);
        el.setAttribute('role', 'img');
      }
      return register(el);
    },

    // An element over the part x, y, w, h of the drawing, the image its
    // description names (setAccess()); it shows nothing and takes no input.
    createPart: function (x, y, w, h) {
      if (!win) return 0;
      const taken = takePrerendered(nextId, 'div', { class: 'described' }, x, y, w, h);
      if (taken) return taken.elementId;
      const el = make('div', { class: 'described', role: 'img' });
      Object.assign(el.style, { left: x + 'px', top: y + 'px', width: w + 'px', height: h + 'px' });
      return register(el);
    },

    // An element's place in the accessible tree as the program side decided
    // it: its role (ROLE; -1 leaves it), whether it is hidden, its name
    // (none for plain text, read as it stands). A result is one image
    // whose name says caption, value and unit, so its pieces are not read
    // apart.
    setAccess: function (id, role, hidden, name) {
      const el = elements.get(id);
      if (!el) return;
      if (hidden) el.setAttribute('aria-hidden', 'true'); else el.removeAttribute('aria-hidden');
      if (role === ROLE.result || role === ROLE.image) el.setAttribute('role', 'img');
      if (role === ROLE.text || name === '') el.removeAttribute('aria-label'); else el.setAttribute('aria-label', name);
    },

    // The members of a frame (id) or of the window (0), in reading order;
    // a frame's news region comes last.
    setMembers: function (id, memberIds) {
      const owner = id === 0 ? (win && win.client) : elements.get(id);
      if (!owner) return;
      const ids = memberIds.map((member) => elements.get(member)).filter(Boolean).map((el) => el.id);
      if (owner.news) ids.push(owner.news.id);
      owner.setAttribute('aria-owns', ids.join(' '));
    },

    // A frame's news changed: its live region says so.
    announce: function (id, news) {
      const frame = elements.get(id);
      if (frame && frame.news) frame.news.textContent = news;
    },

    // The context menu's item `index` (0 starts the list anew): its name and
    // the shortcut shown beside it.
    contextMenuItem: function (index, name, shortcut) {
      if (!win) return;
      const menu = win.contextMenu;
      if (index === 0) menu.replaceChildren();
      const item = make('div', { role: 'menuitem', tabindex: '-1', 'data-context-item': String(index) }, menu);
      make('span', { class: 'name' }, item).textContent = name;
      if (shortcut) {
        make('span', { class: 'shortcut' }, item).textContent = shortcut;
        item.setAttribute('aria-keyshortcuts', shortcut.replace(/\bctrl\b/gi, 'Control'));
      }
    },

    // The context menu as the program side decided it: shown or not, and
    // the marked item (-1 for none), which has the focus while it is open;
    // closed, the focus goes back to the gadget that had it.
    showContextMenu: function (shown, marked) {
      if (!win) return;
      const menu = win.contextMenu;
      if (shown && menu.hidden) {
        menu.hidden = false;
        placeContextMenu(menu);
      } else if (!shown && !menu.hidden) {
        menu.hidden = true;
        returnFocus();
      }
      if (!shown) return;
      [...menu.children].forEach((item, i) => item.classList.toggle('active', i === marked));
      (menu.children[marked] || menu).focus();
    },

    // The hint of a field (id) that refused a character: the title in bold
    // above the text, the balloon's pointer at the field; it ends by itself
    // after `milliseconds`, and the program side hears of it.
    showHint: function (id, title, text, milliseconds) {
      const field = elements.get(id);
      if (!win || !field) return;
      hideHint();
      const hint = win.hint;
      hint.dataset.element = String(id);
      hint.dataset.forGadget = field.dataset.gadget;
      hint.hidden = false;
      hint.heading.textContent = title;
      hint.body.textContent = text;
      const left = Math.min(field.offsetLeft, win.client.clientWidth - hint.offsetWidth);
      hint.style.left = Math.max(0, left) + 'px';
      hint.style.top = field.offsetTop + field.offsetHeight + 8 + 'px';
      field.setAttribute('aria-describedby', hint.id);
      hintTimer = setTimeout(() => {
        hideHint();
        _ferrant_forget_field_hint();
      }, milliseconds);
    },

    hideHint: hideHint,

    // Plain text onto the clipboard: through the clipboard API, else (no
    // API, or it refuses) by the copy command on a selected hidden text area.
    setClipboard: function (text) {
      const copyBySelection = () => {
        const area = make('textarea', { class: 'copy-buffer', 'aria-hidden': 'true', readonly: '' }, document.body);
        area.value = text;
        area.focus();
        area.select();
        try {
          document.execCommand('copy');
        } finally {
          area.remove();
          returnFocus();
        }
      };
      const api = navigator.clipboard && navigator.clipboard.writeText;
      lastCopy = (api ? navigator.clipboard.writeText(text) : Promise.reject(new Error('no clipboard API')))
        .catch(copyBySelection);
    },

    clipboardWritten: () => lastCopy,

    removeGadget: function (id) {
      const el = elements.get(id);
      if (!el) return;
      if (el === focused) focused = null;
      if (el === openList) openList = null;
      if (el === dragFrom) dragFrom = null;
      el.remove();
      elements.delete(id);
    },

    setText: function (id, text) {
      const el = elements.get(id);
      if (!el) return;
      if (el.tagName === 'INPUT') {
        el.value = text;
      } else if (el.classList.contains('frame')) {
        el.firstChild.textContent = text;
      } else {
        el.textContent = text;
      }
    },

    fieldText: function (id) {
      const el = elements.get(id);
      return el && el.tagName === 'INPUT' ? el.value : '';
    },

    insertComboItem: function (id, position, text) {
      const box = elements.get(id);
      if (!box) return;
      // A prerendered list's items are the program's as long as they come
      // in order; from the first that differs the rest go.
      if (box.optionsTaken !== undefined) {
        const taken = box.list.children[box.optionsTaken];
        if (prerendered && position === box.optionsTaken && taken && taken.textContent === text) {
          ++box.optionsTaken;
          return;
        }
        [...box.list.children].slice(box.optionsTaken).forEach((option) => option.remove());
        box.optionsTaken = undefined;
      }
      const option = make('div', { role: 'option', 'aria-selected': 'false' });
      option.textContent = text;
      box.list.insertBefore(option, box.list.children[position] || null);
      [...box.list.children].forEach((o, i) => { o.dataset.index = String(i); o.id = box.list.id + '-' + i; });
    },

    selectComboItem: function (id, index) {
      const box = elements.get(id);
      if (!box) return;
      box.selected = index;
      showSelection(box);
    },

    // An image view's picture: `rgba` of width x height backing pixels,
    // shown at shownWidth x shownHeight CSS pixels; none (rgba 0) leaves the
    // view empty.
    showImage: function (id, rgba, width, height, shownWidth, shownHeight) {
      const el = elements.get(id);
      if (!el) return;
      if (!rgba) {
        el.getContext('2d').clearRect(0, 0, el.width, el.height);
        return;
      }
      el.width = width;
      el.height = height;
      el.style.width = shownWidth + 'px';
      el.style.height = shownHeight + 'px';
      const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
      el.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
    },

    // Shows the backing pixels [x0, x1) x [y0, y1) of the program's drawing:
    // `rgba` holds all of its width x height, painted pixels opaque. A new
    // size (a new scale) resizes the backing store, which clears it; the
    // program side then gives the whole.
    showDrawing: function (rgba, width, height, x0, y0, x1, y1) {
      if (!win) return;
      const drawing = win.drawing;
      if (drawing.width !== width || drawing.height !== height) {
        drawing.width = width;
        drawing.height = height;
      }
      const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
      win.context.putImageData(image, 0, 0, x0, y0, x1 - x0, y1 - y0);
    },

    // The bytes of a file beside the page fetched before the program
    // started: its size (-1 for none), and a copy to the program's memory.
    addFile: (name, bytes) => fetchedFiles.set(name, bytes),
    removeFile: (name) => fetchedFiles.delete(name),
    fileSize: (name) => (fetchedFiles.has(name) ? fetchedFiles.get(name).length : -1),
    copyFile: (name, at) => HEAPU8.set(fetchedFiles.get(name), at),

    addressParameters,
    showAddressParameters,

    openUrl: function (url) {
      const opened = window.open(url, '_blank');
      if (!opened) return 0;
      opened.opener = null;
      return 1;
    },

    // The program returned from main(): say so and offer a restart.
    ended: function (status) {
      ended = true;
      page.closeWindow();
      window.ferrantExitCode = status;
      setState('ended');
      const notice = document.querySelector('[data-ended]');
      if (notice) notice.hidden = false;
      idleWaiters.splice(0).forEach((resolve) => resolve());
    },
  };
  return page;
})();

// For tests and benchmarks: resolves once the program has handled every
// queued browser event and waits again.
window.ferrantIdle = ferrantPage.idle;
// For tests: resolves once the last clipboard write is done.
window.ferrantClipboardWritten = ferrantPage.clipboardWritten;

// ---- Offline use and installation ------------------------------------------
// Served over http(s), the page registers the site's service worker
// (service-worker.js beside it, scope the page's folder) once it has loaded:
// it keeps the site's files, so that the page also starts without a network
// and can be installed as an app. Without it (a browser that has none, or a
// failed registration, which is only logged) the page works online as
// before. Opened as a file, the browser lets the page neither download its
// program nor register the worker: the page says it needs a web server.
(function () {
  'use strict';
  if (location.protocol === 'file:') {
    const notice = document.createElement('div');
    notice.setAttribute('role', 'alert');
    notice.dataset.needsServer = '';
    notice.style.cssText = 'max-width: 680px; margin: 0 0 12px; padding: 10px 14px; background: #fff4ce; ' +
      'border: 1px solid #c8a400; font-size: 14px; line-height: 20px;';
    const hint = document.createElement('code');
    hint.textContent = 'python3 -m http.server';
    notice.append('This calculator must be opened from a web server, not as a file: the browser does not let ' +
      'a page opened from disk load its program. To use it on this computer, run ', hint,
      ' in the folder that holds this page and open http://localhost:8000/.');
    const show = () => document.body.prepend(notice);
    if (document.body) show(); else document.addEventListener('DOMContentLoaded', show);
    return;
  }
  if (!('serviceWorker' in navigator)) return;
  window.addEventListener('load', () => {
    navigator.serviceWorker.register('service-worker.js', { scope: './' }).catch((error) => {
      console.warn(`ferrant-calc: no offline copy, the service worker was not registered: ${error.message}`);
    });
  });
})();
// ---- End of offline use and installation ----------------------------------

var Module = typeof Module !== 'undefined' ? Module : {};
// main() is started here rather than by the loader: once it has waited for
// an event (ASYNCIFY), the loader no longer hears of its return. An async
// call does, and exit() then ends the runtime, which calls onExit. The
// command line is the page address's `arg` values, in order.
Module['noInitialRun'] = true;
Module['onExit'] = (status) => ferrantPage.ended(status);
Module['onRuntimeInitialized'] = function () {
  const args = [thisProgram].concat(new URLSearchParams(location.search).getAll('arg'));
  const argv = _malloc((args.length + 1) * 4);
  args.forEach(function (arg, i) {
    const size = lengthBytesUTF8(arg) + 1;
    HEAP32[(argv >> 2) + i] = _malloc(size);
    stringToUTF8(arg, HEAP32[(argv >> 2) + i], size);
  });
  HEAP32[(argv >> 2) + args.length] = 0;
  ccall('main', 'number', ['number', 'number'], [args.length, argv], { async: true }).then(function (status) {
    try {
      exit(status);
    } catch (thrown) {
      if (!(thrown instanceof ExitStatus)) throw thrown;  // exit() ends by throwing ExitStatus
    }
  });
};
// The logo is a file beside the page; the program asks the page for its
// bytes (fileSize(), copyFile()), so they are fetched before main(). The
// download starts at once, beside the program's. A missing file leaves the
// logo area empty, as on the desktop.
const ferrantLogo = fetch('Varnek.bmp')
  .then((response) => (response.ok ? response.arrayBuffer() : null))
  .catch(() => null);
// The WebAssembly the page's head compiles while the rest arrives.
if (window.ferrantProgram) {
  Module['instantiateWasm'] = function (imports, receive) {
    window.ferrantProgram
      .then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
      .catch((error) => console.error(`the program could not be loaded: ${error.message}`));
    return {};
  };
}
Module['preRun'] = [function () {
  addRunDependency('logo');
  ferrantLogo.then((bytes) => {
    if (bytes) ferrantPage.addFile('Varnek.bmp', new Uint8Array(bytes));
    removeRunDependency('logo');
  });
}];
