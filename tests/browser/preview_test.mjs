// The preview window in a real browser: `vellumo send` with VELLUMO_UI=web on a home made from
// examples/ (plus a third template, a second signature, a boilerplate and a vCard), driven in
// Debian's chromium through playwright-core. Each test keeps a screenshot in test-artifacts/.
// A window left without a button (Escape, the tab closed) never sends: the message stays in
// Drafts and `vellumo send` says "cancelled".
//
// Run: VELLUMO_BIN=build/asan/programs/vellumo/vellumo VELLUMO_SOURCE_DIR=. node tests/browser/preview_test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';
import {artifacts, exampleHome, launchBrowser, source, startWindows} from './support.mjs';

const fixtures = path.join(import.meta.dirname, 'fixtures');
const message = path.join(source, 'examples', 'messages', 'harbour-lanterns.eml');

let browser;
let closeBrowser;

before(async () => {
  ({browser, close: closeBrowser} = await launchBrowser({width: 1100, height: 760}));
});

after(async () => {
  await closeBrowser?.();
});

// A fresh home: the example settings in automatic mode with the preview on.
function makeHome() {
  const {home, drive, vellumo} = exampleHome('vellumo-browser-');
  fs.copyFileSync(path.join(fixtures, 'Linen Green.htm'), path.join(drive, 'Stationery', 'Linen Green.htm'));
  fs.copyFileSync(path.join(fixtures, 'Opening hours.txt'), path.join(drive, 'Stationery', 'Opening hours.txt'));
  fs.copyFileSync(path.join(fixtures, 'Short Signature.htm'), path.join(drive, 'Signatures', 'Short Signature.htm'));
  fs.copyFileSync(path.join(fixtures, 'Iris Calloway.vcf'), path.join(drive, 'Iris Calloway.vcf'));
  const admin = (key, value) => vellumo('settings', 'set', 'Vellumo', 'Admin Settings', key, value);
  const user = (key, value) => vellumo('settings', 'set', 'Vellumo', 'User Settings', key, value);
  admin('AutoPreview', 'True');
  admin('ShowPreviewSelectButton', 'True');
  user('vCard', 'Iris Calloway');
  user('vCardPath', 'C:\\Vellumo\\Iris Calloway.vcf');
  return {home, vellumo};
}

// `vellumo send` with the browser window layer.
const startSend = (home) => startWindows(home, ['send', message]);

// The messages of a folder as the client shows them, decoded.
function shown(vellumo, folder) {
  const lines = vellumo('items', folder).split('\n').filter((line) => line);
  return lines.map((line) => vellumo('show', folder, line.split('\t')[0]));
}

// `vellumo send` on home, and its preview window open in a new page.
async function openPreview(home) {
  const {address, exited} = await startSend(home);
  const page = await browser.newPage();
  await page.goto(address);
  await page.waitForSelector('[data-form="frmBrowser"]');
  return {address, exited, page};
}

function filesIn(folder) {
  return fs.existsSync(folder) ? fs.readdirSync(folder).map((f) => path.join(folder, f)) : [];
}
const mailFolder = (home, name) => path.join(home, 'mail', 'Personal Folders', name, 'cur');

// The document the preview frame shows now. The page redraws the frame when the preview
// changes, so the element just found may already be gone: look again.
async function previewHtml(page) {
  for (let attempt = 0; ; attempt++) {
    try {
      const element = await page.waitForSelector('iframe[data-control="brwWebBrowser"]');
      const frame = await element.contentFrame();
      if (frame) {
        await frame.waitForLoadState();
        return await frame.content();
      }
    } catch (error) {
      if (attempt >= 100) throw error;
    }
    if (attempt >= 100) throw new Error('the preview frame never settled');
    await page.waitForTimeout(50);
  }
}

// Presses a control and waits until the preview shows something else; returns it.
async function pressAndWaitForNewPreview(page, action) {
  const before = await previewHtml(page);
  await action();
  let now = before;
  for (let i = 0; i < 300 && now === before; i++) {
    await page.waitForTimeout(50);
    now = await previewHtml(page);
  }
  assert.notEqual(now, before, 'the preview changed');
  return now;
}

test('page through templates and signatures, pick a boilerplate, attach the vCard and send', async () => {
  const {home, vellumo} = makeHome();
  const {address, exited, page} = await openPreview(home);
  try {
    assert.equal(await page.title(), 'Vellumo Preview');
    assert.match(await previewHtml(page), /<title>Morning Paper<\/title>/);

    // The saved template is Morning Paper, the last of three: the presses wrap to the first.
    const titles = [];
    for (let i = 0; i < 3; i++) {
      const html = await pressAndWaitForNewPreview(page, () => page.click('[data-control="cmdNext"]'));
      titles.push(html.match(/<title>([^<]*)<\/title>/)[1]);
    }
    assert.deepEqual(titles, ['Harbour Blue', 'Linen Green', 'Morning Paper']);

    let html = await pressAndWaitForNewPreview(page, () => page.click('[data-control="cmdSignNext"]'));
    assert.match(html, /Northwind Lanterns \(short form\)/);
    html = await pressAndWaitForNewPreview(page, () => page.click('[data-control="cmdSignNext"]'));
    assert.match(html, /Head of Lantern Design/);
    assert.doesNotMatch(html, /short form/);

    // The boilerplate list has a label of its own and says "None" until one is chosen.
    const listId = await page.getAttribute('[data-control="cboBplates"]', 'id');
    assert.equal((await page.textContent(`label[for="${listId}"]`)).trim(), 'Boilerplate');
    assert.equal(await page.$eval('[data-control="cboBplates"]', (el) => el.selectedOptions[0]?.text), 'None');
    html = await pressAndWaitForNewPreview(page,
        () => page.selectOption('[data-control="cboBplates"]', {label: 'Opening hours.txt'}));
    assert.match(html, /Our workshop is open Monday to Friday/);
    // Another template keeps the chosen boilerplate in the preview, as Send will.
    html = await pressAndWaitForNewPreview(page, () => page.click('[data-control="cmdNext"]'));
    assert.match(html, /<title>Harbour Blue<\/title>/);
    assert.match(html, /Our workshop is open Monday to Friday/);
    html = await pressAndWaitForNewPreview(page, () => page.click('[data-control="cmdNext"]'));
    html = await pressAndWaitForNewPreview(page, () => page.click('[data-control="cmdNext"]'));
    assert.match(html, /<title>Morning Paper<\/title>/);
    assert.match(html, /Our workshop is open Monday to Friday/);

    await page.check('[data-control="chkvCard"]');
    await page.screenshot({path: path.join(artifacts, 'preview-send.png'), fullPage: true});

    // Security: the token guards every address, and nothing outside the served folders leaks.
    const origin = new URL(address).origin;
    assert.equal((await fetch(origin + '/state')).status, 403);
    const frameSrc = await page.getAttribute('iframe[data-control="brwWebBrowser"]', 'src');
    const escape = new URL(frameSrc.replace(/[^/]*$/, '../../../../../../etc/passwd'), page.url());
    assert.notEqual((await fetch(escape)).status, 200);
    assert.match(await page.getAttribute('iframe[data-control="brwWebBrowser"]', 'sandbox'), /^(?!.*allow-scripts)/);

    await page.click('[data-control="Command1"]');
    const result = await exited;
    assert.equal(result.code, 0, result.errors);
    assert.equal(result.output, 'sent\n');
  } finally {
    await page.close();
  }
  const sent = shown(vellumo, 'Sent Items');
  assert.equal(sent.length, 1);
  assert.match(sent[0], /<title>Morning Paper<\/title>/, 'dressed with the template last shown');
  assert.match(sent[0], /Our workshop is open Monday to Friday/, 'with the boilerplate');
  assert.match(sent[0], /Attachment: Iris Calloway\.vcf/, 'with the vCard');
  const windows = fs.readFileSync(path.join(home, 'ui.jsonl'), 'utf8').trim().split('\n').map(JSON.parse);
  assert.equal(windows[0].caption, 'Vellumo Preview');
  fs.rmSync(home, {recursive: true, force: true});
});

test('the help page and back, then Close stops the send and keeps the message unsent', async () => {
  const {home, vellumo} = makeHome();
  const {exited, page} = await openPreview(home);
  try {
    assert.match(await previewHtml(page), /the twelve storm lanterns/);

    // The help page is shipped with the program and shown offline; Return brings the preview back.
    let html = await pressAndWaitForNewPreview(page, () => page.click('[data-control="cmdHelp"]'));
    assert.match(html, /<h1>The preview window<\/h1>/);
    assert.equal(await page.isDisabled('[data-control="Command1"]'), true);
    await page.screenshot({path: path.join(artifacts, 'preview-help.png'), fullPage: true});
    html = await pressAndWaitForNewPreview(page, () => page.click('[data-control="cmdHelp"]'));
    assert.match(html, /the twelve storm lanterns/);
    assert.equal(await page.isDisabled('[data-control="Command1"]'), false);

    await page.screenshot({path: path.join(artifacts, 'preview-close.png'), fullPage: true});
    await page.click('[data-control="cmdClose"]');
    const result = await exited;
    assert.equal(result.code, 3, result.errors);
    assert.equal(result.output, 'cancelled\n');
  } finally {
    await page.close();
  }
  assert.equal(filesIn(mailFolder(home, 'Sent Items')).length, 0);
  const drafts = shown(vellumo, 'Drafts');
  assert.equal(drafts.length, 1);
  assert.doesNotMatch(drafts[0], /Morning Paper/, 'left undressed');
  fs.rmSync(home, {recursive: true, force: true});
});

// The Drafts folder holds the message, undressed, and nothing was sent.
function assertKeptInDrafts(home, vellumo) {
  assert.equal(filesIn(mailFolder(home, 'Sent Items')).length, 0, 'nothing sent');
  const drafts = shown(vellumo, 'Drafts');
  assert.equal(drafts.length, 1, 'the message stays in Drafts');
  assert.match(drafts[0], /the twelve storm lanterns/);
  assert.doesNotMatch(drafts[0], /Morning Paper/, 'left undressed');
}

const setting = (vellumo, section, key) =>
  vellumo('settings', 'get', 'Vellumo', section, key).trim();

// Resizes the window and waits until the page has told the program its new size, as it does a
// moment after any resize; a person does not close the window within that moment, a script can.
async function resizeAndReport(page, size) {
  const reported = page.waitForResponse((response) => response.url().endsWith('/event') &&
      (response.request().postData() ?? '').includes(`"height":${size.height}`));
  await page.setViewportSize(size);
  await reported;
}

test('closing the tab cancels the send; the place, size and "do not show Preview" are kept', async () => {
  const {home, vellumo} = makeHome();
  vellumo('settings', 'set', 'Vellumo', 'Admin Settings', 'SendvCardAlways', 'True');
  vellumo('settings', 'set', 'Vellumo', 'Admin Settings', 'ShowPreviewOptionsButton', 'True');
  const {exited, page} = await openPreview(home);
  assert.equal(await page.isChecked('[data-control="chkvCard"]'), true);
  await page.click('[data-control="cmdOptions"]');
  await page.waitForSelector('[data-control="chkShowPreview"]');
  await page.check('[data-control="chkShowPreview"]');
  await resizeAndReport(page, {width: 900, height: 700});
  const outer = await page.evaluate(() => ({width: outerWidth, height: outerHeight}));
  await page.screenshot({path: path.join(artifacts, 'preview-closebox.png'), fullPage: true});
  await page.close({runBeforeUnload: false});
  const result = await exited;
  assert.equal(result.code, 3, result.errors);
  assert.equal(result.output, 'cancelled\n');
  assertKeptInDrafts(home, vellumo);
  assert.equal(setting(vellumo, 'User Settings', 'BrowserWidth'), String(outer.width * 15));
  assert.equal(setting(vellumo, 'User Settings', 'BrowserHeight'), String(outer.height * 15));
  assert.equal(setting(vellumo, 'Admin Settings', 'AutoPreview'), 'False', 'do not show Preview kept');
  const windows = fs.readFileSync(path.join(home, 'ui.jsonl'), 'utf8').trim().split('\n').map(JSON.parse);
  const preview = windows.find((w) => w.name === 'frmBrowser');
  assert.equal(preview.unload, 'closebox');
  assert.equal(preview.answer, 'Close');
  fs.rmSync(home, {recursive: true, force: true});
});

test('a narrow window, and the keyboard: Tab moves between the controls, Escape cancels the send', async () => {
  const {home, vellumo} = makeHome();
  const {exited, page} = await openPreview(home);
  try {
    // A narrow window still fits: nothing runs off to the side.
    await resizeAndReport(page, {width: 420, height: 640});
    await page.screenshot({path: path.join(artifacts, 'preview-narrow.png'), fullPage: true});
    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
        'no horizontal scrolling at 420 pixels');
    const focused = () => page.evaluate(() => document.activeElement?.dataset?.control ?? '');
    const seen = new Set();
    for (let i = 0; i < 6; i++) {
      await page.keyboard.press('Tab');
      seen.add(await focused());
    }
    assert.ok(seen.has('cmdNext') && seen.has('Command1'), `Tab reached ${[...seen].join(', ')}`);
    const outer = await page.evaluate(() => ({width: outerWidth, height: outerHeight}));
    await page.keyboard.press('Escape');
    const result = await exited;
    assert.equal(result.code, 3, result.errors);
    assert.equal(result.output, 'cancelled\n', 'Escape stops the send');
    // The window's last size is what the preview opens with next time.
    assert.equal(setting(vellumo, 'User Settings', 'BrowserWidth'), String(outer.width * 15));
    assert.equal(setting(vellumo, 'User Settings', 'BrowserHeight'), String(outer.height * 15));
  } finally {
    await page.close();
  }
  assertKeptInDrafts(home, vellumo);
  // The address holds the token: only the user may read it.
  assert.equal(fs.statSync(path.join(home, 'address')).mode & 0o777, 0o600);
  fs.rmSync(home, {recursive: true, force: true});
});
