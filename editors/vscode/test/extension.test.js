// The extension's glue, run against a stand-in for the editor's API: which program the debugger
// type starts, with which arguments, and what F5 on a RIX file without a launch.json launches.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const Module = require('module');
const os = require('os');
const path = require('path');

// A minimal `vscode` module: records registrations, serves settings and the active editor.
const editor = {settings: {}, folders: [], activeLanguage: null, errors: [], registered: {}};
const vscode = {
  DebugAdapterExecutable: class {
    constructor(command, args) {
      this.command = command;
      this.args = args;
    }
  },
  workspace: {
    getConfiguration: (section) => ({get: (key, dflt) => editor.settings[`${section}.${key}`] ?? dflt}),
    get workspaceFolders() {
      return editor.folders.map((p) => ({uri: {fsPath: p}}));
    },
  },
  window: {
    get activeTextEditor() {
      return editor.activeLanguage ? {document: {languageId: editor.activeLanguage}} : undefined;
    },
    showErrorMessage: (text) => {
      editor.errors.push(text);
      return Promise.resolve(undefined);
    },
  },
  debug: {
    registerDebugAdapterDescriptorFactory: (type, f) => (editor.registered[`factory:${type}`] = f),
    registerDebugConfigurationProvider: (type, p) => (editor.registered[`provider:${type}`] = p),
  },
};
const resolve = Module._resolveFilename;
Module._resolveFilename = function(request, ...rest) {
  return request === 'vscode' ? 'vscode' : resolve.call(this, request, ...rest);
};
require.cache.vscode = {id: 'vscode', filename: 'vscode', loaded: true, exports: vscode};

const extension = require('../extension');
const manifest = require('../package.json');
extension.activate({subscriptions: []});

test('the debugger type of the manifest is the one registered', () => {
  const type = manifest.contributes.debuggers[0].type;
  assert.strictEqual(type, 'rix');
  assert.ok(editor.registered[`factory:${type}`]);
  assert.ok(editor.registered[`provider:${type}`]);
  assert.ok(manifest.activationEvents.includes(`onDebugResolve:${type}`));
});

test('the adapter is the configured rokan-sim started with --dap', (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'rix-ext-'));
  t.after(() => fs.rmSync(dir, {recursive: true, force: true}));
  const sim = path.join(dir, 'build', 'bin', 'rokan-sim');
  fs.mkdirSync(path.dirname(sim), {recursive: true});
  fs.writeFileSync(sim, '#!/bin/sh\n', {mode: 0o755});
  editor.folders = [dir];
  editor.settings = {};
  const factory = editor.registered['factory:rix'];
  const d = factory.createDebugAdapterDescriptor({configuration: {}});
  assert.strictEqual(d.command, sim);
  assert.deepStrictEqual(d.args, ['--dap']);
  // A wrong setting stops the session with the reason instead of starting something else.
  editor.settings = {'rix.simPath': 'nowhere/rokan-sim'};
  assert.throws(() => factory.createDebugAdapterDescriptor({}), /not an executable file/);
});

test('F5 without a launch.json debugs the open RIX file, and only a RIX file', async () => {
  const provider = editor.registered['provider:rix'];
  editor.activeLanguage = 'rix';
  assert.deepStrictEqual(await provider.resolveDebugConfiguration(undefined, {}), {
    type: 'rix', name: 'Debug RIX program', request: 'launch', program: '${file}', stopOnEntry: true,
  });
  const given = {type: 'rix', request: 'launch', name: 'x', program: 'A.RIX', args: ['--seconds', '5']};
  assert.deepStrictEqual(await provider.resolveDebugConfiguration(undefined, {...given}), given);
  editor.activeLanguage = 'plaintext';
  editor.errors = [];
  assert.strictEqual(await provider.resolveDebugConfiguration(undefined, {}), undefined);
  assert.strictEqual(editor.errors.length, 1);
});

test('the initial configuration and the snippet use only declared launch attributes', () => {
  const dbg = manifest.contributes.debuggers[0];
  const declared = Object.keys(dbg.configurationAttributes.launch.properties);
  assert.deepStrictEqual(declared.sort(), ['args', 'program', 'realtime', 'stopOnEntry', 'workspace']);
  const common = ['type', 'request', 'name'];
  for (const c of [...dbg.initialConfigurations, ...dbg.configurationSnippets.map((s) => s.body)]) {
    for (const key of Object.keys(c)) assert.ok(common.includes(key) || declared.includes(key), key);
    assert.strictEqual(c.type, 'rix');
    assert.ok(c.program);
  }
});
