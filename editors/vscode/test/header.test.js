// The first two lines of a program: the language version and the heading, which is free text
// and never compiled, so no word in it may look like a statement.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const {tokenize} = require('./tokenize');

test('line 1 is the version, line 2 the heading, statements follow', async () => {
  const lines = await tokenize('3.1  // version\nPTP F1 LOOP: 10 ; END // not code\nPTP F1 P\n');
  assert.deepStrictEqual(lines[0], [
    ['3.1', 'constant.numeric.version.rix'], ['  ', ''],
    ['// version', 'comment.line.double-slash.rix'],
  ]);
  assert.deepStrictEqual(lines[1], [['PTP F1 LOOP: 10 ; END // not code', 'comment.line.heading.rix']]);
  assert.deepStrictEqual(lines[2], [
    ['PTP', 'keyword.other.command.rix'], [' ', ''], ['F1', 'constant.language.target.rix'],
    [' ', ''], ['P', 'variable.other.rix'],
  ]);
});

test('an empty heading line still ends the header', async () => {
  const lines = await tokenize('3.1\n\nEND\n');
  assert.deepStrictEqual(lines[2], [['END', 'keyword.control.rix']]);
});

test('without a version on line 1 there is no header', async () => {
  const lines = await tokenize('PTP F1 P\nEND\n');
  assert.strictEqual(lines[0][0][1], 'keyword.other.command.rix');
  assert.deepStrictEqual(lines[1], [['END', 'keyword.control.rix']]);
  // The version pattern belongs to the first line only.
  const later = await tokenize('// x\n3.1\nEND\n');
  assert.deepStrictEqual(later[1], [['3.1', 'constant.numeric.rix']]);
  assert.deepStrictEqual(later[2], [['END', 'keyword.control.rix']]);
});

test('the bundled sample programs, read as Shift-JIS, highlight as expected', async () => {
  const file = path.join(__dirname, '..', '..', '..', 'workspace', 'DEFAULT', 'rixs', 'WAVE.RIX');
  const text = new TextDecoder('shift_jis').decode(fs.readFileSync(file));
  const lines = await tokenize(text.replace(/\r/g, ''));
  assert.strictEqual(lines[0][0][1], 'constant.numeric.version.rix');
  assert.strictEqual(lines[1].length, 1);
  assert.strictEqual(lines[1][0][1], 'comment.line.heading.rix');
  // The Japanese message text is one string, not a run of variables.
  const hello = lines.find((l) => l.length > 0 && l[0][0] === 'MESSAGE');
  assert.deepStrictEqual(hello, [
    ['MESSAGE', 'keyword.other.command.rix'], [' ', ''],
    ['こんにちは！', 'string.unquoted.message.rix'],
  ]);
});
