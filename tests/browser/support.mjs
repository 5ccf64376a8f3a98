// What the browser tests share: Debian's chromium through playwright-core, a home made from
// examples/, and the program started with the browser window layer.
import assert from 'node:assert/strict';
import {execFileSync, spawn} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {chromium} from 'playwright-core';

export const bin = process.env.VELLUMO_BIN;
export const source = process.env.VELLUMO_SOURCE_DIR || path.resolve(import.meta.dirname, '../..');
export const artifacts = process.env.VELLUMO_ARTIFACTS || path.join(source, 'test-artifacts');
assert.ok(bin, 'VELLUMO_BIN names the vellumo program');
fs.mkdirSync(artifacts, {recursive: true});

// Headless chromium with a profile of its own; close() removes the profile too.
export async function launchBrowser(viewport) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vellumo-chromium-'));
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return {browser, close: async () => {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }};
}

// A fresh home with the example settings and the stationery and signatures they point at;
// vellumo(...args) runs the program on it with no window answers.
export function exampleHome(prefix) {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  const vellumo = (...args) => execFileSync(bin, ['--home', home, ...args],
      {encoding: 'utf8', env: {...process.env, VELLUMO_UI: 'script', VELLUMO_ANSWERS: ''}});
  vellumo('regedit', '/s', path.join(source, 'examples', 'settings.reg'));
  const drive = path.join(home, 'drive_c', 'Vellumo');
  fs.cpSync(path.join(source, 'examples', 'stationery'), path.join(drive, 'Stationery'), {recursive: true});
  fs.cpSync(path.join(source, 'examples', 'signatures'), path.join(drive, 'Signatures'), {recursive: true});
  return {home, drive, vellumo};
}

// The program with the browser window layer, every window logged to home/ui.jsonl; resolves
// once the window listens, with its address and a promise of {code, output, errors}.
export async function startWindows(home, args) {
  const addressFile = path.join(home, 'address');
  fs.rmSync(addressFile, {force: true});  // a run before this one left its own
  const child = spawn(bin, ['--home', home, ...args], {
    env: {...process.env, VELLUMO_UI: 'web', VELLUMO_WEB_ADDRESS_FILE: addressFile,
          VELLUMO_UI_LOG: path.join(home, 'ui.jsonl'), DISPLAY: '', WAYLAND_DISPLAY: ''},
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  let output = '';
  let errors = '';
  child.stdout.on('data', (d) => { output += d; });
  child.stderr.on('data', (d) => { errors += d; });
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve({code, output, errors})));
  // The program prints the address, then writes the file; the printed line may still be in the
  // pipe when the file is seen, so wait for both.
  const printed = /the window is open at http:\/\/127\.0\.0\.1:\d+\//;
  for (let i = 0; i < 600 && !(fs.existsSync(addressFile) && printed.test(errors)); i++) {
    if (child.exitCode !== null) break;
    await new Promise((r) => setTimeout(r, 50));
  }
  try {
    assert.ok(fs.existsSync(addressFile), `no window address; stderr: ${errors}`);
    assert.match(errors, printed, 'the address is printed');
  } catch (e) {
    child.kill();  // a window nobody will open must not keep the test waiting
    throw e;
  }
  return {address: fs.readFileSync(addressFile, 'utf8').trim(), exited, child};
}
