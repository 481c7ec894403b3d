// The RIX debugger type: starts `rokan-sim --dap`, which speaks the Debug Adapter Protocol on
// its standard input and output. Plain JavaScript, loaded as it is (no build step).
'use strict';

const os = require('os');
const vscode = require('vscode');
const {resolveSimPath} = require('./sim-path');

function folderPaths() {
  return (vscode.workspace.workspaceFolders || []).map((f) => f.uri.fsPath);
}

const adapterFactory = {
  createDebugAdapterDescriptor() {
    const setting = vscode.workspace.getConfiguration('rix').get('simPath', '');
    const r = resolveSimPath(setting, folderPaths(), process.env.PATH, os.homedir());
    if (r.error) throw new Error(r.error);
    return new vscode.DebugAdapterExecutable(r.program, ['--dap']);
  },
};

const configurationProvider = {
  // F5 without a launch.json on an open RIX file debugs that file.
  resolveDebugConfiguration(folder, config) {
    if (!config.type && !config.request && !config.name) {
      const editor = vscode.window.activeTextEditor;
      if (editor && editor.document.languageId === 'rix') {
        config.type = 'rix';
        config.name = 'Debug RIX program';
        config.request = 'launch';
        config.program = '${file}';
        config.stopOnEntry = true;
      }
    }
    if (!config.program) {
      return vscode.window.showErrorMessage('No RIX program to debug: set "program"').then(() => undefined);
    }
    return config;
  },
};

function activate(context) {
  context.subscriptions.push(
      vscode.debug.registerDebugAdapterDescriptorFactory('rix', adapterFactory),
      vscode.debug.registerDebugConfigurationProvider('rix', configurationProvider));
}

function deactivate() {}

module.exports = {activate, deactivate};
