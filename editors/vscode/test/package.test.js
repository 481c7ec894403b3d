// The .vsix: scripts/package-vscode builds it, and it carries every file the manifest refers to
// and none of the tools or tests.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const here = path.join(__dirname, '..');
const manifest = require('../package.json');
const oldNode = Number(process.versions.node.split('.')[0]) < 20 && 'the packaging tool needs node 20';

test('the package holds what the manifest refers to, and no tools or tests', {skip: oldNode}, () => {
  const vsce = path.join(here, 'node_modules', '.bin', 'vsce');
  const files = execFileSync(vsce, ['ls', '--no-dependencies'], {cwd: here, encoding: 'utf8'})
                    .split('\n').filter(Boolean);
  const wanted = [manifest.main, ...manifest.contributes.grammars.map((g) => g.path),
                  ...manifest.contributes.languages.map((l) => l.configuration), 'sim-path.js']
                     .map((p) => path.normalize(p));
  for (const w of wanted) assert.ok(files.includes(w), `${w} is packaged: ${files}`);
  for (const f of files) {
    assert.ok(!/^(node_modules|test)\//.test(f) && !f.endsWith('.vsix'), `${f} is not packaged`);
  }
  // Every file the extension's code requires is packaged too.
  for (const f of files.filter((f) => f.endsWith('.js'))) {
    const src = fs.readFileSync(path.join(here, f), 'utf8');
    for (const m of src.matchAll(/require\('(\.[^']+)'\)/g)) {
      const dep = path.normalize(path.join(path.dirname(f), m[1]) + (m[1].endsWith('.js') ? '' : '.js'));
      assert.ok(files.includes(dep), `${f} requires ${dep}, which is packaged`);
    }
  }
});

test('scripts/package-vscode writes the .vsix where it is asked to', {skip: oldNode}, (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'rix-vsix-'));
  t.after(() => fs.rmSync(dir, {recursive: true, force: true}));
  const out = path.join(dir, 'sub', 'rix.vsix');
  execFileSync(path.join(here, '..', '..', 'scripts', 'package-vscode'), [out], {stdio: 'pipe'});
  const bytes = fs.readFileSync(out);
  assert.strictEqual(bytes.subarray(0, 2).toString('latin1'), 'PK');
  assert.ok(bytes.includes(Buffer.from('extension/syntaxes/rix.tmLanguage.json')));
});
