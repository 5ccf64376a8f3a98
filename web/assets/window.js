// The window page: draws the stack of shown windows the server publishes and sends back what the
// user does. The model decides everything; this page only shows it. Protocol: web_host.h.
//
// Keyboard: Tab follows the model's control order. Enter presses a box's default button; in a
// form (outside multi-line text, buttons and lists) it presses the form's default button, else
// the first shown, enabled command button of the form itself that is not a cancel button (name
// containing "cancel", or caption "Cancel"), or nothing when the form says so. A form opens with
// the focus on its default button. Escape is a form's close box and a box's Cancel (when the box
// has one, or only OK). F1 sends a form its KeyDown event with the key code 112 (its help). A
// tab strip is one Tab stop; arrow keys, Home and End choose a tab.
//
// Controls of embedded forms come with qualified names ("PropPage.txtPath"); they are looked up
// by name in maps, never through selectors built from names.
//
// Geometry: the page tells the innermost form where the browser window is and how big it is, when
// the form is drawn, when the window is resized and when the form is closed (Escape, the tab).
'use strict';

(() => {
  const base = location.pathname.replace(/[^/]*$/, '');
  const root = document.getElementById('windows');
  const idle = document.getElementById('idle');
  const ended = document.getElementById('ended');
  const notice = document.getElementById('notice');
  const frameTemplate = document.getElementById('browser-frame');
  const FIELDS = new Set(['textbox', 'combobox', 'listbox', 'filelist']);

  let version = -1;
  let stack = [];
  const views = new Map();  // window id -> view
  let over = false;

  // "&Next" shows "Next"; "&&" is a literal ampersand.
  const plain = (caption) => String(caption || '').replace(/&(&?)/g, (_, amp) => amp);

  function make(tag, className, text) {
    const el = document.createElement(tag);
    if (className) el.className = className;
    if (text !== undefined) el.textContent = text;
    return el;
  }

  // ---- talking to the server ----

  let queue = Promise.resolve();
  function send(body) {
    queue = queue.then(() => post(body)).catch((error) => showNotice(String(error)));
    return queue;
  }

  async function post(body) {
    if (over) return;
    // Where a form is goes only to the innermost window: an event sent before this one may have
    // opened a box over it.
    if (body.geometry && !body.close && stack[stack.length - 1]?.id !== body.window) return;
    const response = await fetch(base + 'event', {
      method: 'POST',
      headers: {'Content-Type': 'application/json'},
      body: JSON.stringify(body),
      cache: 'no-store',
    });
    let data = null;
    try {
      data = await response.json();
    } catch (_) {
      data = null;
    }
    if (response.ok && data && data.state) {
      draw(data.state);
    } else if (data && data.error) {
      showNotice(data.error);
    }
  }

  let noticeTimer = 0;
  function showNotice(text) {
    notice.textContent = text;
    notice.hidden = false;
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(() => { notice.hidden = true; }, 6000);
  }

  async function poll() {
    let failures = 0;
    while (!over) {
      try {
        const response = await fetch(base + 'state?since=' + version, {cache: 'no-store'});
        if (response.status === 503 || response.status === 403) return end();
        if (!response.ok) throw new Error('state: ' + response.status);
        draw(await response.json());
        failures = 0;
      } catch (_) {
        if (++failures >= 3) return end();
        await new Promise((resolve) => setTimeout(resolve, 1000));
      }
    }
  }

  function end() {
    over = true;
    root.replaceChildren();
    views.clear();
    idle.hidden = true;
    ended.hidden = false;
    document.title = 'Vellumo';
  }

  // ---- the window's place and size ----

  function geometry() {
    const whole = (n) => Math.round(Number(n) || 0);
    return {left: whole(screenX), top: whole(screenY),
            width: Math.max(0, whole(outerWidth)), height: Math.max(0, whole(outerHeight))};
  }

  function topForm() {
    const w = stack[stack.length - 1];
    return w && w.type === 'form' ? w : null;
  }

  function sendGeometry() {
    const w = topForm();
    if (w) send({window: w.id, geometry: geometry()});
  }

  let resizeTimer = 0;
  addEventListener('resize', () => {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(sendGeometry, 200);
  });

  // A closed tab counts as the close box; a reload comes back within the server's grace. The
  // form learns where it was first, so its place is kept.
  addEventListener('pagehide', () => {
    const w = topForm();
    if (w && !over) {
      fetch(base + 'event', {
        method: 'POST', keepalive: true, cache: 'no-store',
        headers: {'Content-Type': 'application/json'},
        body: JSON.stringify({window: w.id, geometry: geometry()}),
      }).catch(() => {});
    }
    navigator.sendBeacon(base + 'gone');
  });

  // ---- drawing the stack ----

  function draw(state) {
    if (over || state.version <= version) return;
    version = state.version;
    stack = state.stack;
    document.title = state.title || 'Vellumo';
    const ids = new Set(stack.map((w) => w.id));
    for (const [id, view] of views) {
      if (!ids.has(id)) {
        view.layer.remove();
        views.delete(id);
      }
    }
    let newTop = false;
    stack.forEach((w, i) => {
      let view = views.get(w.id);
      const top = i === stack.length - 1;
      if (!view) {
        view = w.type === 'form' ? createForm(w) : createBox(w);
        view.layer = i === 0 && w.type === 'form' ? view.el : make('div', 'layer');
        if (view.layer !== view.el) view.layer.append(view.el);
        root.append(view.layer);
        views.set(w.id, view);
        newTop = newTop || top;
      }
      if (w.type === 'form') updateForm(view, w);
      const wasTop = !view.el.inert;
      view.el.inert = !top;
      view.layer.classList.toggle('below', !top);
      if (top && !wasTop) newTop = true;
    });
    idle.hidden = stack.length !== 0;
    if (newTop && stack.length) {
      focusWindow(views.get(stack[stack.length - 1].id));
      sendGeometry();
    }
  }

  function focusWindow(view) {
    if (view.lastFocus && view.el.contains(view.lastFocus) && !view.lastFocus.disabled) {
      view.lastFocus.focus();
      return;
    }
    const first = view.initialFocus ? view.initialFocus() : null;
    if (first) {
      first.focus();
      if (first.select && first.type === 'text') first.select();
    }
  }

  // ---- message and input boxes ----

  function createBox(w) {
    const el = make('div', 'box');
    el.setAttribute('role', 'dialog');
    el.setAttribute('aria-modal', 'true');
    el.dataset.box = w.type;
    el.dataset.window = w.id;
    const title = make('h2', 'box-title', w.title);
    title.id = 'title-' + w.id;
    el.setAttribute('aria-labelledby', title.id);
    const body = make('div', 'box-body');
    const icon = make('span', 'icon icon-' + (w.icon || 'none'),
                      {critical: '\u2715', question: '?', exclamation: '!', information: 'i'}[w.icon] || '');
    icon.setAttribute('aria-hidden', 'true');
    body.append(icon, make('p', 'box-prompt', w.prompt));
    el.append(title, body);
    let input = null;
    if (w.type === 'inputbox') {
      input = make('input', 'box-text');
      input.type = 'text';
      input.value = w.default_text;
      input.dataset.boxText = '';
      input.setAttribute('aria-label', w.prompt);
      el.append(input);
    }
    const buttons = make('div', 'box-buttons');
    const view = {el, w, answered: false};
    for (const b of w.buttons) {
      const button = make('button', b.answer === w.default ? 'default' : '', b.caption);
      button.type = 'button';
      button.dataset.answer = b.answer;
      button.addEventListener('click', () => answerBox(view, b.answer, input));
      buttons.append(button);
      if (b.answer === w.default) view.defaultButton = button;
    }
    el.append(buttons);
    view.input = input;
    view.initialFocus = () => input || view.defaultButton;
    view.enter = () => answerBox(view, w.default, input);
    view.escape = () => {
      if (!w.closable || view.answered) return;
      view.answered = true;
      send({window: w.id, close: true});
    };
    el.addEventListener('focusin', (event) => { view.lastFocus = event.target; });
    return view;
  }

  function answerBox(view, answer, input) {
    if (view.answered) return;
    view.answered = true;
    for (const button of view.el.querySelectorAll('button')) button.disabled = true;
    const body = {window: view.w.id, answer};
    if (input && answer === 'OK') body.text = input.value;
    send(body).then(() => { view.answered = false; enableBox(view); });
  }

  function enableBox(view) {
    // Still shown after the answer went out: the server refused it; let the user try again.
    if (!views.has(view.w.id)) return;
    for (const button of view.el.querySelectorAll('button')) button.disabled = false;
  }

  // ---- forms ----

  function createForm(w) {
    const el = make('section', 'form-window');
    el.dataset.form = w.name;
    el.dataset.window = w.id;
    const caption = make('h1', 'form-caption');
    const menu = make('nav', 'menu-bar');
    const body = make('div', 'form-body');
    const bar = make('div', 'button-bar');
    el.append(caption, menu, body, bar);
    const view = {el, w, caption, menu, body, bar, shape: '', controls: new Map()};
    view.initialFocus = () => defaultButton(view) || firstFocusable(view);
    view.enter = (event) => pressDefault(view, event);
    view.escape = () => send({window: view.w.id, close: true, geometry: geometry()});
    el.addEventListener('focusin', (event) => { view.lastFocus = event.target; });
    return view;
  }

  // What decides the elements drawn; anything else is updated in place, so typing and focus
  // survive a redraw.
  function shapeOf(w) {
    return JSON.stringify(w.controls.map((c) => [c.name, c.kind, c.shown, c.container, c.multiline,
      c.list, c.doc ? [c.doc.kind, c.doc.src, c.doc.href] : null]));
  }

  function updateForm(view, w) {
    view.w = w;
    view.caption.textContent = w.caption;
    const shape = shapeOf(w);
    if (shape !== view.shape) {
      view.shape = shape;
      // The rebuilt control keeps the focus its old element had.
      const active = view.el.contains(document.activeElement) ? document.activeElement.closest('[data-control]') : null;
      buildForm(view, w);
      const again = active && view.controls.get(active.dataset.control);
      if (again && again.focusables.length) again.focusables[0].focus();
    }
    for (const c of w.controls) {
      const drawn = view.controls.get(c.name);
      if (drawn) drawn.update(c);
    }
  }

  function buildForm(view, w) {
    view.menu.replaceChildren();
    view.body.replaceChildren();
    view.bar.replaceChildren();
    view.controls = new Map();
    const frames = new Set(w.controls.filter((c) => c.kind === 'frame').map((c) => c.name.toLowerCase()));
    const children = new Map([['', []]]);
    for (const c of w.controls) {
      if (!c.shown) continue;
      const holder = (c.container || '').toLowerCase();
      const key = frames.has(holder) ? holder : '';
      if (!children.has(key)) children.set(key, []);
      children.get(key).push(c);
    }
    place(view, children, children.get(''), view.body, view.bar);
    // A window above another that shows a page gets the room to read it.
    view.el.classList.toggle('reading', w.controls.some((c) => c.kind === 'browser' && c.shown));
    // Tab order is model order, wherever an element ended up on the page.
    let tab = 1;
    for (const c of w.controls) {
      const drawn = view.controls.get(c.name);
      if (!drawn) continue;
      if (drawn.roving) {
        // One stop for the whole strip: the chosen tab takes it (see drawTabs).
        drawn.tabStop = tab++;
        continue;
      }
      for (const el of drawn.focusables) el.tabIndex = tab++;
    }
  }

  // Fields and buttons designed on the same line to the right of list[i] (a second-language box
  // beside the first, a "..." beside its list) join its row; returns the last index taken.
  function joinLine(view, list, i, row, bar) {
    const SAME_LINE = 60;  // twips
    while (!bar && list[i + 1] && (FIELDS.has(list[i + 1].kind) || list[i + 1].kind === 'commandbutton') &&
           Math.abs(list[i + 1].top - list[i].top) <= SAME_LINE && list[i + 1].left > list[i].left) {
      row.append(drawControl(view, list[i + 1]).el);
      i++;
    }
    return i;
  }

  function place(view, children, list, parent, bar) {
    // A form's buttons gather in its bar at the bottom; inside a frame, buttons that follow one
    // another share a row where the first of them is, and a button right after a labelled field
    // (a "..." that browses for it) joins that field's row.
    let buttons = bar;
    for (let i = 0; i < list.length; i++) {
      const c = list[i];
      if (c.kind !== 'commandbutton' && !bar) buttons = null;
      if (c.kind === 'commandbutton') {
        if (!buttons) {
          buttons = make('div', 'frame-buttons');
          parent.append(buttons);
        }
        buttons.append(drawControl(view, c).el);
      } else if (c.kind === 'menu') {
        view.menu.append(drawControl(view, c).el);
      } else if (c.kind === 'frame') {
        const drawn = drawControl(view, c);
        place(view, children, children.get(c.name.toLowerCase()) || [], drawn.el, null);
        if (drawn.el.querySelector('.stretch, .browser-frame')) drawn.el.classList.add('stretch');
        parent.append(drawn.el);
      } else if (c.kind === 'label' && list[i + 1] && FIELDS.has(list[i + 1].kind)) {
        const row = make('div', 'row');
        const label = drawControl(view, c, 'label');
        const field = drawControl(view, list[i + 1]);
        label.el.htmlFor = field.el.id;
        label.el.classList.add('field-label');
        if (list[i + 1].kind === 'listbox' || list[i + 1].kind === 'filelist') row.classList.add('top');
        row.append(label.el, field.el);
        i++;
        if (!bar && list[i + 1] && list[i + 1].kind === 'commandbutton') {
          row.append(drawControl(view, list[i + 1]).el);
          i++;
        }
        i = joinLine(view, list, i, row, bar);
        parent.append(row);
      } else {
        const drawn = drawControl(view, c);
        const row = make('div', 'row');
        if (c.kind === 'browser') row.classList.add('stretch');
        row.append(drawn.row || drawn.el);
        if (FIELDS.has(c.kind)) i = joinLine(view, list, i, row, bar);
        parent.append(row);
      }
    }
  }

  // Creates the elements for one control; returns {el, row?, focusables, update(c)}.
  function drawControl(view, c, labelTag) {
    const id = 'w' + view.w.id + '-' + c.name;
    const fire = (event, arg) => {
      const body = {window: view.w.id, control: c.name, event};
      if (arg !== undefined) body.arg = String(arg);
      return send(body);
    };
    let drawn;
    switch (c.kind) {
      case 'textbox': drawn = drawText(c, fire); break;
      case 'checkbox': drawn = drawCheck(c, fire, 'checkbox', view); break;
      case 'optionbutton': drawn = drawCheck(c, fire, 'radio', view); break;
      case 'combobox':
      case 'listbox':
      case 'filelist': drawn = drawList(c, fire); break;
      case 'commandbutton':
      case 'menu': drawn = drawButton(c, fire, view.w.default === c.name); break;
      case 'frame': drawn = drawFrame(c); break;
      case 'tabstrip': drawn = drawTabs(c, fire, id); break;
      case 'progressbar': drawn = drawProgress(); break;
      case 'image': drawn = drawImage(c); break;
      case 'browser': drawn = drawBrowser(c); break;
      default: drawn = drawLabel(labelTag || 'div'); break;
    }
    drawn.el.dataset.control = c.name;
    drawn.el.id = id;
    drawn.focusables = drawn.focusables || [];
    const update = drawn.update;
    drawn.update = (m) => {
      const target = drawn.row || drawn.el;
      if (m.tooltip) target.title = m.tooltip; else target.removeAttribute('title');
      if ('disabled' in drawn.el) drawn.el.disabled = !m.reachable;
      target.classList.toggle('disabled', !m.reachable);
      if (update) update(m);
    };
    drawn.update(c);
    view.controls.set(c.name, drawn);
    return drawn;
  }

  function drawLabel(tag) {
    const el = make(tag, 'label');
    return {el, update: (m) => { el.textContent = plain(m.caption); }};
  }

  function drawText(c, fire) {
    const el = c.multiline ? make('textarea') : make('input');
    if (!c.multiline) el.type = 'text';
    let model = null;
    const drawn = {el, focusables: [el]};
    drawn.sent = c.text;
    // Only what the model changed is written back, so a redraw never eats what is being typed.
    drawn.update = (m) => {
      if (m.text !== model) {
        model = m.text;
        el.value = m.text;
        drawn.sent = m.text;
      }
    };
    drawn.commit = () => {
      if (el.value === drawn.sent) return null;
      drawn.sent = el.value;
      return fire('Change', el.value);
    };
    el.addEventListener('change', () => drawn.commit());
    return drawn;
  }

  function drawCheck(c, fire, type, view) {
    const row = make('label', 'check');
    const el = make('input');
    el.type = type;
    if (type === 'radio') {
      // A group is the option buttons of one container of one form: an embedded form's buttons
      // never join the group of the frame that holds the form.
      const owner = c.embedded ? c.name.slice(0, c.name.lastIndexOf('.')) : '';
      el.name = 'w' + view.w.id + '-group-' + owner.toLowerCase() + '|' + (c.container || '').toLowerCase();
    }
    const caption = make('span');
    row.append(el, caption);
    el.addEventListener('click', () => {
      fire('Click', type === 'checkbox' ? (el.checked ? '1' : '0') : undefined);
    });
    return {el, row, focusables: [el], update: (m) => {
      caption.textContent = plain(m.caption);
      el.checked = m.value === 1;
      if (type === 'checkbox') el.indeterminate = m.value === 2;
    }};
  }

  function drawList(c, fire) {
    const el = make('select');
    if (c.kind !== 'combobox') el.size = Math.max(3, Math.min(12, c.height ? Math.round(c.height / 15 / 20) : c.list.length));
    for (const entry of c.list) el.append(make('option', '', entry));
    el.addEventListener('change', () => { if (el.selectedIndex >= 0) fire('Click', el.selectedIndex); });
    return {el, focusables: [el], list: true, update: (m) => { el.selectedIndex = m.list_index; }};
  }

  function drawButton(c, fire, isDefault) {
    const el = make('button', isDefault ? 'default' : '');
    el.type = 'button';
    el.addEventListener('click', () => fire('Click'));
    return {el, focusables: [el], button: true, update: (m) => {
      el.textContent = plain(m.caption);
      // A caption without a word ("...") says nothing to a screen reader: its tool tip does.
      if (!/[\p{L}\p{N}]/u.test(el.textContent) && m.tooltip) el.setAttribute('aria-label', m.tooltip);
      else el.removeAttribute('aria-label');
    }};
  }

  function drawFrame() {
    const el = make('fieldset');
    const legend = make('legend');
    el.append(legend);
    return {el, update: (m) => {
      legend.textContent = plain(m.caption);
      legend.hidden = !m.caption;
    }};
  }

  // Tabs: a tablist of tab buttons with a roving Tab stop. Arrows, Home and End move and choose
  // at once, as a click does; the model decides what the chosen tab shows.
  function drawTabs(c, fire, id) {
    const el = make('div', 'tabs');
    el.setAttribute('role', 'tablist');
    const tabs = c.list.map((caption, i) => {
      const tab = make('button', 'tab', plain(caption));
      tab.type = 'button';
      tab.id = id + '-tab' + i;
      tab.setAttribute('role', 'tab');
      tab.dataset.tab = String(i);
      tab.addEventListener('click', () => choose(i));
      el.append(tab);
      return tab;
    });
    const drawn = {el, focusables: [], roving: true, tabStop: 0, selected: -1};
    function choose(i) {
      if (i === drawn.selected) return;
      fire('Click', i);
    }
    el.addEventListener('keydown', (event) => {
      const at = tabs.indexOf(event.target);
      if (at < 0 || !tabs.length) return;
      const next = {ArrowRight: at + 1, ArrowDown: at + 1, ArrowLeft: at - 1, ArrowUp: at - 1,
                    Home: 0, End: tabs.length - 1}[event.key];
      if (next === undefined) return;
      event.preventDefault();
      const to = (next + tabs.length) % tabs.length;
      tabs[to].focus();
      choose(to);
    });
    drawn.update = (m) => {
      el.setAttribute('aria-label', plain(m.caption) || m.tooltip || m.name);
      drawn.selected = m.list_index;
      tabs.forEach((tab, i) => {
        const chosen = i === m.list_index;
        tab.setAttribute('aria-selected', chosen ? 'true' : 'false');
        tab.classList.toggle('selected', chosen);
        tab.disabled = !m.reachable;
        tab.tabIndex = chosen || (m.list_index < 0 && i === 0) ? drawn.tabStop : -1;
      });
      // The chosen tab first: focus comes back to it after a redraw.
      drawn.focusables.splice(0, drawn.focusables.length,
                              ...tabs.filter((_, i) => i === m.list_index),
                              ...tabs.filter((_, i) => i !== m.list_index));
    };
    return drawn;
  }

  function drawProgress() {
    const el = make('progress');
    return {el, update: (m) => {
      el.max = Math.max(1, m.max);
      el.value = Math.max(0, Math.min(m.value, el.max));
    }};
  }

  function drawImage(c) {
    if (!c.doc || c.doc.kind !== 'file') return {el: make('span', 'picture-missing')};
    const el = make('img', 'picture');
    el.src = c.doc.src;
    return {el, update: (m) => { el.alt = plain(m.caption) || m.name; }};
  }

  function drawBrowser(c) {
    const doc = c.doc || {kind: 'none'};
    if (doc.kind === 'file' || doc.kind === 'page') {
      const el = frameTemplate.content.firstElementChild.cloneNode(true);
      el.src = doc.src;
      el.title = c.name;
      return {el};
    }
    const el = make('div', 'browser-note');
    if (doc.kind === 'link') {
      const link = make('a', '', 'Open ' + doc.href);
      link.href = doc.href;
      link.target = '_blank';
      link.rel = 'noopener noreferrer';
      el.append(link);
      return {el, focusables: [link]};
    }
    el.textContent = doc.kind === 'missing' ? 'The document is not available.' : '';
    return {el};
  }

  function firstFocusable(view) {
    for (const c of view.w.controls) {
      const drawn = view.controls.get(c.name);
      const el = drawn && drawn.focusables.find((f) => !f.disabled && !f.closest('fieldset:disabled'));
      if (el) return el;
    }
    return null;
  }

  // The form's default button when it is shown and usable.
  function defaultButton(view) {
    if (view.w.no_default) return null;
    const name = view.w.default;
    const c = name && view.w.controls.find((m) => m.name === name && m.shown && m.reachable);
    const drawn = c && view.controls.get(c.name);
    return drawn && drawn.button ? drawn.el : null;
  }

  function isCancel(c) {
    return /cancel/i.test(c.name) || plain(c.caption).trim().toLowerCase() === 'cancel';
  }

  function pressDefault(view, event) {
    const t = event.target;
    if (t.tagName === 'TEXTAREA' || t.tagName === 'BUTTON' || t.tagName === 'A' ||
        (t.tagName === 'SELECT' && t.size > 1)) return false;
    if (view.w.no_default) return false;
    const named = defaultButton(view);
    const c = named ? view.w.controls.find((m) => m.name === named.dataset.control)
                    : view.w.controls.find((m) => m.kind === 'commandbutton' && !m.embedded &&
                                                  m.shown && m.reachable && !isCancel(m));
    if (!c) return false;
    // What was typed goes first, as leaving the field would send it.
    for (const drawn of view.controls.values()) if (drawn.commit && drawn.el === t) drawn.commit();
    send({window: view.w.id, control: c.name, event: 'Click'});
    return true;
  }

  document.addEventListener('keydown', (event) => {
    if (over || !stack.length || event.isComposing) return;
    const view = views.get(stack[stack.length - 1].id);
    if (!view) return;
    if (event.key === 'Escape') {
      event.preventDefault();
      view.escape();
    } else if (event.key === 'F1' && view.w.type === 'form') {
      // The form's own help (its KeyDown with the key code), not the browser's.
      event.preventDefault();
      send({window: view.w.id, control: 'Form', event: 'KeyDown', arg: '112'});
    } else if (event.key === 'Enter' && !event.shiftKey && !event.altKey && !event.ctrlKey) {
      if (view.w.type === 'form') {
        if (view.enter(event)) event.preventDefault();
      } else if (event.target.tagName !== 'BUTTON') {
        event.preventDefault();
        view.enter(event);
      }
    }
  });

  poll();
})();
