// The Options dialog in a real browser: `vellumo options` with VELLUMO_UI=web on a home made from
// examples/, driven in Debian's chromium through playwright-core. The template folder is changed
// through the path chooser, applied, and the next `vellumo send` is dressed from it. Screenshots
// at 1280x800 and 420 px wide go to test-artifacts/.
//
// Run: VELLUMO_BIN=build/asan/programs/vellumo/vellumo VELLUMO_SOURCE_DIR=. node tests/browser/options_test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';
import {artifacts, exampleHome, launchBrowser, source, startWindows} from './support.mjs';

const message = path.join(source, 'examples', 'messages', 'harbour-lanterns.eml');

let browser;
let closeBrowser;

before(async () => {
  ({browser, close: closeBrowser} = await launchBrowser({width: 1280, height: 800}));
});

after(async () => {
  await closeBrowser?.();
});

// A fresh home with the example settings, and a second stationery folder whose "Morning Paper"
// (the configured template) is marked.
function makeHome() {
  const {home, drive, vellumo} = exampleHome('vellumo-options-');
  const autumn = path.join(drive, 'Autumn');
  fs.mkdirSync(autumn);
  const paper = fs.readFileSync(path.join(drive, 'Stationery', 'Morning Paper.htm'), 'utf8');
  fs.writeFileSync(path.join(autumn, 'Morning Paper.htm'),
      paper.replace('<body', '<body data-mark="autumn-folder"'));
  return {home, vellumo};
}

async function openOptions(home) {
  const {address, exited} = await startWindows(home, ['options']);
  const page = await browser.newPage();
  await page.goto(address);
  await page.waitForSelector('[data-form="frmOptions"]');
  return {page, exited};
}

// The controls of the shown window a person works with, and which of them have no name a screen
// reader could read.
async function unlabelled(page) {
  return page.$$eval('[data-control]', (elements) => elements.filter((el) => {
    if (!el.matches('input, select, textarea, button, [role="tab"]')) return false;
    if (el.offsetParent === null) return false;
    const name = (el.getAttribute('aria-label') || '') + (el.getAttribute('title') || '') +
        (el.labels ? [...el.labels].map((l) => l.textContent).join('') : '') +
        (el.matches('button, [role="tab"]') ? el.textContent : '');
    const labelledBy = el.getAttribute('aria-labelledby');
    return !name.trim() && !(labelledBy && document.getElementById(labelledBy)?.textContent.trim());
  }).map((el) => el.dataset.control));
}

// Tabs through the window from the top and returns the controls that got the focus. Option
// buttons and tabs are reached as a group (arrow keys move inside it), so a group counts once.
async function reachedByTab(page, presses) {
  const reached = new Set();
  await page.focus('body');
  for (let i = 0; i < presses; i++) {
    await page.keyboard.press('Tab');
    const control = await page.evaluate(() => {
      const el = document.activeElement;
      if (!el || !el.dataset.control) return null;
      if (el.type === 'radio') return 'group:' + el.name;
      if (el.getAttribute('role') === 'tab') return 'group:tabs';
      return el.dataset.control;
    });
    if (control) reached.add(control);
  }
  return reached;
}

async function expectedByTab(page) {
  return page.$$eval('[data-control]', (elements) => [...new Set(elements.filter((el) =>
    el.matches('input, select, textarea, button, [role="tab"]') && el.offsetParent !== null &&
        !el.disabled).map((el) => {
    if (el.type === 'radio') return 'group:' + el.name;
    if (el.getAttribute('role') === 'tab') return 'group:tabs';
    return el.dataset.control;
  }))]);
}

test('choose the template folder with the chooser, Apply, OK: the next send uses it', async () => {
  const {home, vellumo} = makeHome();
  const {page, exited} = await openOptions(home);
  try {
    // The tab, its page and the dialog's buttons.
    assert.equal(await page.textContent('[role="tab"][aria-selected="true"]'), 'Vellumo Settings');
    assert.equal(await page.inputValue('[data-control="PropPage.txtPath"]'), 'C:\\Vellumo\\Stationery');
    assert.equal(await page.isDisabled('[data-control="cmdApply"]'), true, 'nothing changed yet');
    assert.deepEqual(await unlabelled(page), []);
    const expected = await expectedByTab(page);
    const reached = await reachedByTab(page, expected.length + 10);
    assert.deepEqual(expected.filter((c) => !reached.has(c)), [], 'every control is reached by Tab');
    await page.screenshot({path: path.join(artifacts, 'options-1280.png'), fullPage: true});

    await page.setViewportSize({width: 420, height: 800});
    const overflow = await page.evaluate(() => document.scrollingElement.scrollWidth - innerWidth);
    assert.ok(overflow <= 1, `no sideways scrolling at 420 px (${overflow} px too wide)`);
    await page.screenshot({path: path.join(artifacts, 'options-420.png'), fullPage: true});
    await page.setViewportSize({width: 1280, height: 800});

    // The chooser starts in the template folder; pick the Autumn folder beside it.
    await page.click('[data-control="PropPage.cmdDirpath"]');
    await page.waitForSelector('[data-form="frmPath"]');
    await page.waitForFunction(() => document.title === 'Select the path for the Vellumo templates');
    assert.deepEqual(await unlabelled(page), []);
    await page.screenshot({path: path.join(artifacts, 'options-path-chooser.png'), fullPage: true});
    // The folder list redraws after each click: wait for the entry before choosing it.
    await page.selectOption('[data-control="dirMain"]', {label: 'C:\\Vellumo'});
    await page.waitForSelector('[data-control="dirMain"] option:text-is("C:\\\\Vellumo\\\\Autumn")');
    await page.selectOption('[data-control="dirMain"]', {label: 'C:\\Vellumo\\Autumn'});
    await page.waitForFunction(() => document.querySelector('[data-control="dirMain"]').selectedOptions[0]?.text === 'C:\\Vellumo\\Autumn');
    await page.click('[data-control="OKButton"]');
    await page.waitForSelector('[data-form="frmPath"]', {state: 'detached'});
    await page.waitForFunction(() => document.querySelector('[data-control="PropPage.txtPath"]').value === 'C:\\Vellumo\\Autumn');
    await page.waitForSelector('[data-control="cmdApply"]:enabled');

    await page.click('[data-control="cmdApply"]');
    await page.waitForSelector('[data-control="cmdApply"]:disabled');
    assert.equal(vellumo('settings', 'get', 'Vellumo', 'Admin Settings', 'HTM Files Path').trim(),
        'C:\\Vellumo\\Autumn', 'Apply saved it');

    await page.click('[data-control="cmdOK"]');
    const result = await exited;
    assert.equal(result.code, 0, result.errors);
    assert.equal(result.output, 'OK\n');
  } finally {
    await page.close();
  }

  const windows = fs.readFileSync(path.join(home, 'ui.jsonl'), 'utf8').trim().split('\n').map(JSON.parse);
  assert.ok(windows.some((w) => w.name === 'frmOptions' && w.caption === 'Options'));
  assert.ok(windows.some((w) => w.name === 'frmPath' &&
      w.caption === 'Select the path for the Vellumo templates'));

  assert.equal(vellumo('send', message), 'sent\n');
  const sent = path.join(home, 'mail', 'Personal Folders', 'Sent Items', 'cur');
  const bodies = fs.readdirSync(sent).map((f) => fs.readFileSync(path.join(sent, f), 'utf8'));
  assert.equal(bodies.length, 1);
  assert.match(bodies[0], /autumn-folder/, 'dressed with the template of the folder chosen');
  fs.rmSync(home, {recursive: true, force: true});
});

test('Cancel stores nothing of what was changed', async () => {
  const {home, vellumo} = makeHome();
  const before = {insertDate: vellumo('settings', 'get', 'Vellumo', 'User Settings', 'InsertDate'),
                  domain: vellumo('settings', 'get', 'Vellumo', 'System Settings', 'ExchangeDomain')};
  const {page, exited} = await openOptions(home);
  try {
    await page.fill('[data-control="PropPage.txtDomainName"]', 'harbour.example');
    await page.keyboard.press('Tab');  // the box's text goes to the page when it loses the focus
    await page.click('[data-control="PropPage.chkShowDate"]');
    await page.waitForSelector('[data-control="cmdApply"]:enabled');
    await page.click('[data-control="cmdCancel"]');
    const result = await exited;
    assert.equal(result.code, 0, result.errors);
    assert.equal(result.output, 'Cancel\n');
  } finally {
    await page.close();
  }
  assert.equal(vellumo('settings', 'get', 'Vellumo', 'System Settings', 'ExchangeDomain'), before.domain);
  assert.equal(vellumo('settings', 'get', 'Vellumo', 'User Settings', 'InsertDate'), before.insertDate);
  fs.rmSync(home, {recursive: true, force: true});
});
