// The rixc problem matcher of the extension against what rixc really prints: the editor line of
// an error is matched with file, line, severity and message; nothing else rixc prints is.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {binPath, notBuilt} = require('./bin');

const manifest = require('../package.json');
const matcher = manifest.contributes.problemMatchers.find((m) => m.name === 'rixc');

const rixc = binPath('rixc');
const noRixc = notBuilt('rixc');

// Runs rixc on `source` written as NAME in a scratch directory; returns its exit status, its
// output (stdout and stderr, as a task's terminal shows them) and the path it was given.
function compile(t, name, source, useRelativePath) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'rix-matcher-'));
  t.after(() => fs.rmSync(dir, {recursive: true, force: true}));
  fs.writeFileSync(path.join(dir, name), source, 'latin1');
  const arg = useRelativePath ? name : path.join(dir, name);
  try {
    const out = execFileSync(rixc, [arg], {cwd: dir, encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe']});
    return {status: 0, output: out, arg};
  } catch (e) {
    return {status: e.status, output: e.stdout + e.stderr, arg};
  }
}

// The problems the matcher takes from the output, as VS Code would read its groups.
function problems(output) {
  const re = new RegExp(matcher.pattern.regexp);
  const p = matcher.pattern;
  return output.split('\n').map((l) => re.exec(l)).filter(Boolean).map((m) => ({
    file: m[p.file], line: Number(m[p.line]), severity: m[p.severity], message: m[p.message],
  }));
}

test('the matcher is contributed under the name tasks refer to', () => {
  assert.ok(matcher, 'problemMatchers has "rixc"');
  assert.strictEqual(matcher.owner, 'rix');
  assert.deepStrictEqual(matcher.fileLocation, ['autoDetect', '${workspaceFolder}']);
});

test('an error is one problem at its source line, with an absolute or a relative path',
     {skip: noRixc}, (t) => {
       const source = '3.1\nheading\nDEF_VAR N\n\nGOTO NOWHERE:\nEND\n';
       for (const relative of [false, true]) {
         const r = compile(t, 'BAD.RIX', source, relative);
         assert.strictEqual(r.status, 1, r.output);
         assert.deepStrictEqual(problems(r.output), [{
           file: r.arg, line: 5, severity: 'error',
           message: 'ラベル(NOWHERE:)は存在しません.',
         }]);
       }
     });

test('errors of every phase are matched: version, unknown command, unclosed block',
     {skip: noRixc}, (t) => {
       const cases = [
         ['2.0\nh\nEND\n', 1, 'バージョン番号不一致(≠ 3.100)'],
         ['3.1\nh\nPTP F1 0 0 0\n\nFOO 1\nEND\n', 5, 'Unknown command(FOO).'],
         ['3.1\nh\n\nIF 1 == 1 THEN\nEND\n', 4, '制御構文が閉じていません(ENDIFなど)'],
       ];
       for (const [source, line, message] of cases) {
         const r = compile(t, 'P.RIX', source, true);
         assert.strictEqual(r.status, 1, r.output);
         assert.deepStrictEqual(problems(r.output), [{file: 'P.RIX', line, severity: 'error', message}],
                                r.output);
       }
     });

test('a clean compile with warnings gives no problem', {skip: noRixc}, (t) => {
  const r = compile(t, 'OK.RIX', '3.1\nh\nDEF_VAR UNUSED\nEND\n', true);
  assert.strictEqual(r.status, 0);
  assert.match(r.output, /UNUSED/);
  assert.deepStrictEqual(problems(r.output), []);
});
