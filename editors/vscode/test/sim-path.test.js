// Finding rokan-sim for the debugger: the setting, the workspace's own build, then the PATH.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {resolveSimPath} = require('../sim-path');

function scratch(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'rix-sim-path-'));
  t.after(() => fs.rmSync(dir, {recursive: true, force: true}));
  return dir;
}

function file(p, mode) {
  fs.mkdirSync(path.dirname(p), {recursive: true});
  fs.writeFileSync(p, '#!/bin/sh\n');
  fs.chmodSync(p, mode);
  return p;
}

test('without a setting the workspace build wins over the PATH', (t) => {
  const d = scratch(t);
  const built = file(path.join(d, 'ws', 'build', 'bin', 'rokan-sim'), 0o755);
  file(path.join(d, 'bin', 'rokan-sim'), 0o755);
  assert.deepStrictEqual(resolveSimPath('', [path.join(d, 'ws')], path.join(d, 'bin'), d),
                         {program: built});
});

test('without a setting a later folder build, then the PATH, is used', (t) => {
  const d = scratch(t);
  const onPath = file(path.join(d, 'bin', 'rokan-sim'), 0o755);
  const second = file(path.join(d, 'b', 'build', 'bin', 'rokan-sim'), 0o755);
  const folders = [path.join(d, 'a'), path.join(d, 'b')];
  assert.deepStrictEqual(resolveSimPath('', folders, onPath.slice(0, -10), d), {program: second});
  // A build that is not executable is skipped; so are empty PATH entries.
  fs.chmodSync(second, 0o644);
  const searchPath = ['', path.join(d, 'nowhere'), path.join(d, 'bin')].join(path.delimiter);
  assert.deepStrictEqual(resolveSimPath('', folders, searchPath, d), {program: onPath});
});

test('without a setting and nothing found the error says how to get the program', (t) => {
  const d = scratch(t);
  fs.mkdirSync(path.join(d, 'ws', 'build', 'bin', 'rokan-sim'), {recursive: true});  // a directory
  const r = resolveSimPath('', [path.join(d, 'ws')], path.join(d, 'ws', 'build', 'bin'), d);
  assert.match(r.error, /rokan-sim was not found.*rix\.simPath/);
  assert.strictEqual(r.program, undefined);
});

test('a configured path is expanded and checked, never silently replaced', (t) => {
  const d = scratch(t);
  const ws = path.join(d, 'ws');
  const sim = file(path.join(ws, 'out', 'rokan-sim'), 0o755);
  const home = file(path.join(d, 'home', 'bin', 'sim'), 0o755);
  file(path.join(ws, 'build', 'bin', 'rokan-sim'), 0o755);  // must not be taken instead
  const folders = [ws];
  assert.deepStrictEqual(resolveSimPath('${workspaceFolder}/out/rokan-sim', folders, '', d),
                         {program: sim});
  assert.deepStrictEqual(resolveSimPath(' out/rokan-sim ', folders, '', d), {program: sim});
  assert.deepStrictEqual(resolveSimPath(sim, [], '', d), {program: sim});
  assert.deepStrictEqual(resolveSimPath('~/bin/sim', folders, '', path.join(d, 'home')),
                         {program: home});
  assert.match(resolveSimPath('out/missing', folders, '', d).error, /not an executable file: .*missing/);
  fs.chmodSync(sim, 0o644);
  assert.match(resolveSimPath('out/rokan-sim', folders, '', d).error, /not an executable file/);
  assert.match(resolveSimPath('out/rokan-sim', [], '', d).error, /no folder is open/);
  assert.match(resolveSimPath('${workspaceFolder}/x', [], '', d).error, /no folder is open/);
});

test('a configured bare name is looked up on the PATH only', (t) => {
  const d = scratch(t);
  const mine = file(path.join(d, 'bin', 'my-sim'), 0o755);
  file(path.join(d, 'ws', 'my-sim'), 0o755);  // a file of that name in the folder is not used
  const folders = [path.join(d, 'ws')];
  assert.deepStrictEqual(resolveSimPath('my-sim', folders, path.join(d, 'bin'), d), {program: mine});
  assert.match(resolveSimPath('other-sim', folders, path.join(d, 'bin'), d).error,
               /not on the PATH: other-sim/);
});
