// The set-up wizard in a real browser: `vellumo profile-assistant` with VELLUMO_UI=web on a home
// made from examples/ with the profile taken out (a new user), driven in Debian's chromium through
// playwright-core. The first run fills the profile with the bilingual column and agrees to the
// vCard; the second adds a named signature and fills it. Then the store holds both signature
// sections, the vCard reads back, and `vellumo send` dresses a message with the stored profile.
// Screenshots go to test-artifacts/.
//
// Run: VELLUMO_BIN=build/asan/programs/vellumo/vellumo VELLUMO_SOURCE_DIR=. node tests/browser/wizard_test.mjs
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';
import {artifacts, exampleHome, launchBrowser, source, startWindows} from './support.mjs';

const message = path.join(source, 'examples', 'messages', 'harbour-lanterns.eml');
const profileKeys = ['SigFullname', 'SigPosition', 'SigOrganizationName', 'SigEmail', 'SigWebsite',
  'SigWebsiteDisplayName', 'SigTelephone', 'SigCell', 'SigAddress', 'SigAddress2'];

let browser;
let closeBrowser;

before(async () => {
  ({browser, close: closeBrowser} = await launchBrowser({width: 1280, height: 800}));
});

after(async () => {
  await closeBrowser?.();
});

async function openWizard(home) {
  const {address, exited} = await startWindows(home, ['profile-assistant']);
  const page = await browser.newPage();
  await page.goto(address);
  await page.waitForSelector('[data-form="frmWizard"]');
  return {page, exited};
}

// Types into a box and leaves it, so the text reaches the wizard.
async function type(page, control, value) {
  await page.fill(`[data-control="${control}"]`, value);
  await page.keyboard.press('Tab');
  await page.waitForFunction(([c, v]) => document.querySelector(`[data-control="${c}"]`)?.value === v,
      [control, value]);
}

async function step(page, title) {
  await page.waitForFunction((t) => document.title === `Vellumo Profile Assistant - ${t}`, title);
}

async function next(page, title) {
  await page.click('[data-control="cmdNav3"]');
  await step(page, title);
}

// Answers the box shown and waits until that box is gone (another may already stand in its
// place).
async function answer(page, text) {
  const id = await page.getAttribute('[data-box="msgbox"]', 'data-window');
  await page.click(`[data-box="msgbox"][data-window="${id}"] [data-answer="${text}"]`);
  await page.waitForSelector(`[data-box="msgbox"][data-window="${id}"]`, {state: 'detached'});
}

async function finish(page, exited) {
  await page.click('[data-control="cmdNav4"]');
  await page.waitForSelector('[data-form="frmConfirm"]');
  await page.click('[data-control="cmdOK"]');
  const result = await exited;
  assert.equal(result.code, 0, result.errors);
  assert.equal(result.output, 'Finished\n');
}

test('a new user sets up two signatures, bilingual, with a vCard; the next send uses them', async () => {
  const {home, vellumo} = exampleHome('vellumo-wizard-');
  const get = (section, key) => vellumo('settings', 'get', 'Vellumo', section, key).replace(/\n$/, '');
  for (const key of profileKeys) vellumo('settings', 'set', 'Vellumo', 'Admin Settings', key, '');
  vellumo('settings', 'set', 'Vellumo', 'Admin Settings', 'AskedForVCard', 'False');
  vellumo('settings', 'set', 'Vellumo', 'Admin Settings', 'Multiple Signatures', 'True');

  // First run: the main signature.
  let {page, exited} = await openWizard(home);
  try {
    await step(page, 'Introduction');
    assert.equal(await page.isDisabled('[data-control="cmdNav2"]'), true, 'no Back on the first step');
    await page.screenshot({path: path.join(artifacts, 'wizard-introduction.png'), fullPage: true});
    await next(page, 'Step 1');
    await type(page, 'txtEmail', 'ann@lee-harbour.example');
    await type(page, 'txtWebsite', 'www.lee-harbour.example');
    await type(page, 'txtDisplayName', 'lee-harbour.example');
    await page.click('[data-control="chkBilingual"]');
    await page.waitForSelector('[data-control="txtWebsiteFR"]', {state: 'visible'});
    await type(page, 'txtWebsiteFR', 'www.lee-harbour.example/fr');
    await page.screenshot({path: path.join(artifacts, 'wizard-step1.png'), fullPage: true});
    await next(page, 'Step 2');
    await type(page, 'txtFullname', 'Ann Marie Lee');
    await type(page, 'txtFullnameFR', 'Anne-Marie Lee');
    await type(page, 'txtPosition', 'Harbour Master');
    await type(page, 'txtPositionFR', 'Capitaine de port');
    await type(page, 'txtOrganization', 'Lee Harbour Works');
    await type(page, 'txtTelephone', '+44 20 7946 0999');
    await type(page, 'txtAddress1', '3 Quay Street');
    await type(page, 'txtAddress2', 'Whitby YO21 1DH');
    await page.screenshot({path: path.join(artifacts, 'wizard-step2.png'), fullPage: true});
    await page.click('[data-control="cmdNav3"]');
    await page.waitForSelector('[data-box="msgbox"]');
    assert.match(await page.textContent('[data-box="msgbox"]'), /save this information as a vCard/);
    await answer(page, 'Yes');
    await page.waitForSelector('[data-box="msgbox"]');
    assert.match(await page.textContent('[data-box="msgbox"]'), /called Ann Marie Lee\.vcf/);
    await answer(page, 'OK');
    await step(page, 'Step 3');
    await page.screenshot({path: path.join(artifacts, 'wizard-step3.png'), fullPage: true});
    // F1 is the step's Help: the custom-templates page shipped with the program.
    await page.keyboard.press('F1');
    await page.waitForSelector('[data-form="frmShowImage"]');
    await page.waitForFunction(() => document.title === 'Vellumo Help');
    let help = null;
    for (let i = 0; i < 100 && !help; i++) {
      help = page.frames().find((f) => f.url().includes('pages/wizard-custom-templates.html'));
      if (!help) await new Promise((r) => setTimeout(r, 50));
    }
    assert.ok(help, 'the help page is shown');
    await help.waitForSelector('h1:text-is("Custom templates")');
    await page.screenshot({path: path.join(artifacts, 'wizard-help.png'), fullPage: true});
    await page.click('[data-control="cmdClose"]');
    await page.waitForSelector('[data-form="frmShowImage"]', {state: 'detached'});
    await next(page, 'Finished!');
    await finish(page, exited);
  } finally {
    await page.close();
  }

  // Second run: a named signature for the harbour office.
  ({page, exited} = await openWizard(home));
  try {
    await page.click('[data-control="cmdAdd"]');
    await page.waitForSelector('[data-box="inputbox"]');
    await page.fill('[data-box-text]', 'Harbour office');
    await page.click('[data-box="inputbox"] [data-answer="OK"]');
    await page.waitForSelector('[data-box="inputbox"]', {state: 'detached'});
    await page.waitForSelector('[data-control="cboSig"] option:text-is("Harbour office")',
        {state: 'attached'});
    await page.selectOption('[data-control="cboSig"]', {label: 'Harbour office'});
    await page.waitForSelector('[data-control="cmdRemoveSig"]:enabled');
    await next(page, 'Step 1');
    await type(page, 'txtEmail', 'office@lee-harbour.example');
    await type(page, 'txtWebsite', 'https://office.lee-harbour.example');
    await next(page, 'Step 2');
    await type(page, 'txtFullname', 'Ann Marie Lee');
    await type(page, 'txtPosition', 'Harbour Office Manager');
    await type(page, 'txtOrganization', 'Lee Harbour Works');
    await next(page, 'Step 3');
    await next(page, 'Finished!');
    await page.screenshot({path: path.join(artifacts, 'wizard-finished.png'), fullPage: true});
    await finish(page, exited);
  } finally {
    await page.close();
  }

  // The stored profile and the two signature sections.
  assert.equal(get('Admin Settings', 'Current Signature'), 'Harbour office');
  assert.equal(get('Admin Settings', 'SigPosition'), 'Harbour Office Manager');
  assert.equal(get('Admin Settings', 'BilingualWizard'), 'True');
  assert.equal(get('Main signature', 'SigPosition'), 'Harbour Master');
  assert.equal(get('Main signature', 'SigPositionFR'), 'Capitaine de port');
  assert.equal(get('Main signature', 'SigWebsite'), 'http://www.lee-harbour.example');
  assert.equal(get('Harbour office', 'SigEmail'), 'office@lee-harbour.example');
  assert.equal(get('Harbour office', 'SigWebsite'), 'https://office.lee-harbour.example');
  assert.equal(get('User Settings', 'SignatureList'), 'Main signature;Harbour office');

  // The vCard, as the wizard wrote it and as readers see it.
  const card = path.join(home, 'drive_c', 'My Documents', 'Ann Marie Lee.vcf');
  const text = fs.readFileSync(card, 'utf8');
  assert.deepEqual(text.split('\r\n').slice(0, 5),
      ['BEGIN:VCARD', 'VERSION:2.1', 'N:Lee, Ann Marie', 'FN:Ann Marie Lee', 'ORG:Lee Harbour Works']);
  assert.equal(text.split('\r\n').length, 15, '14 lines, each ended by CR LF');
  assert.equal(get('User Settings', 'vCardPathSelected'), 'C:\\My Documents\\Ann Marie Lee.vcf');
  try {
    // Debian's python, where python3-vobject is installed (a python of one's own may lack it).
    const python = fs.existsSync('/usr/bin/python3') ? '/usr/bin/python3' : 'python3';
    const read = execFileSync(python, ['-c', `
import sys, vobject
card = vobject.readOne(open(sys.argv[1], encoding='utf-8').read())
print(card.fn.value); print(card.title.value); print(card.email.value)`, card],
        {encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe']});
    assert.equal(read, 'Ann Marie Lee\nHarbour Master\nann@lee-harbour.example\n');
  } catch (e) {
    if (!/No module named 'vobject'/.test(String(e.stderr))) throw e;
    console.log('# python3-vobject is not installed: the second reader was skipped');
  }

  // The next send in automatic mode is dressed with the stored profile.
  assert.equal(vellumo('send', message), 'sent\n');
  const sent = path.join(home, 'mail', 'Personal Folders', 'Sent Items', 'cur');
  const bodies = fs.readdirSync(sent).map((f) => fs.readFileSync(path.join(sent, f), 'utf8'));
  assert.equal(bodies.length, 1);
  assert.match(bodies[0], /Lee Harbour Works/);
  assert.doesNotMatch(bodies[0], /Northwind Lanterns/);
  fs.rmSync(home, {recursive: true, force: true});
});

test('Cancel with both addresses filled ends at once and stores nothing', async () => {
  const {home, vellumo} = exampleHome('vellumo-wizard-cancel-');
  const {page, exited} = await openWizard(home);
  try {
    await next(page, 'Step 1');
    assert.equal(await page.inputValue('[data-control="txtEmail"]'), 'iris@northwind-lanterns.example');
    await type(page, 'txtEmail', 'someone@else.example');
    await page.click('[data-control="cmdNav1"]');
    const result = await exited;
    assert.equal(result.code, 0, result.errors);
    assert.equal(result.output, 'Cancelled\n');
  } finally {
    await page.close();
  }
  assert.equal(vellumo('settings', 'get', 'Vellumo', 'Admin Settings', 'SigEmail'),
      'iris@northwind-lanterns.example\n');
  fs.rmSync(home, {recursive: true, force: true});
});

test('ticking the vCard box finds the card in My Documents and fills the fields from it', async () => {
  const {home, vellumo} = exampleHome('vellumo-wizard-vcard-');
  const docs = path.join(home, 'drive_c', 'documents and settings', 'ann', 'My Documents');
  fs.mkdirSync(docs, {recursive: true});
  fs.writeFileSync(path.join(docs, 'Ann Lee.vcf'), 'BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Ann Lee\r\n' +
      'TITLE:Pilot\r\nEMAIL;PREF;INTERNET:ann@pilots.example\r\nEND:VCARD\r\n');
  const {page, exited} = await openWizard(home);
  try {
    await next(page, 'Step 1');
    await page.click('[data-control="chkVCard"]');
    await page.waitForFunction(() =>
      document.querySelector('[data-control="txtEmail"]').value === 'ann@pilots.example');
    assert.equal(await page.textContent('[data-control="cboVcard"] option:checked'), 'Ann Lee.vcf');
    await next(page, 'Step 2');
    assert.equal(await page.inputValue('[data-control="txtFullname"]'), 'Ann Lee');
    assert.equal(await page.inputValue('[data-control="txtPosition"]'), 'Pilot');
    // The card gives no web site, so Cancel asks first.
    await page.click('[data-control="cmdNav1"]');
    await page.waitForSelector('[data-box="msgbox"]');
    assert.match(await page.textContent('[data-box="msgbox"]'), /The website address is incomplete/);
    await answer(page, 'Yes');
    const result = await exited;
    assert.equal(result.output, 'Cancelled\n');
  } finally {
    await page.close();
  }
  assert.equal(vellumo('settings', 'get', 'Vellumo', 'User Settings', 'vCardPath'), '\n',
      'Cancel stores no card');
  fs.rmSync(home, {recursive: true, force: true});
});
