// Indentation and folding of block statements, with the patterns read as the editor reads them
// (a string, or {pattern, flags}).
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const conf = require('../language-configuration.json');

const regex = (r) => (typeof r === 'string' ? new RegExp(r) : new RegExp(r.pattern, r.flags));
const lines = (re, text) => text.split('\n').filter((l) => re.test(l));

const program = `IF V == 1 THEN
  if halt_request goto END_IT:
elseif v > 2 then
ELSE
ENDIF
WHILE !KB_HIT
WEND
REPEAT
UNTIL V > 3
FOR I = 1 TO 3
NEXT I
SUBROUTINE S:
SUBEND
ELSEWHERE = 1
FORWARD = 2
  // IF in a comment THEN`;

test('a block opener indents the next line, its closer outdents itself', () => {
  const up = regex(conf.indentationRules.increaseIndentPattern);
  const down = regex(conf.indentationRules.decreaseIndentPattern);
  assert.deepStrictEqual(lines(up, program), [
    'IF V == 1 THEN', 'elseif v > 2 then', 'ELSE', 'WHILE !KB_HIT', 'REPEAT', 'FOR I = 1 TO 3',
    'SUBROUTINE S:',
  ]);
  assert.deepStrictEqual(lines(down, program), [
    'elseif v > 2 then', 'ELSE', 'ENDIF', 'WEND', 'UNTIL V > 3', 'NEXT I', 'SUBEND',
  ]);
});

test('blocks fold from opener to closer', () => {
  const start = regex(conf.folding.markers.start);
  const end = regex(conf.folding.markers.end);
  assert.deepStrictEqual(lines(start, program),
                         ['IF V == 1 THEN', 'WHILE !KB_HIT', 'REPEAT', 'FOR I = 1 TO 3', 'SUBROUTINE S:']);
  assert.deepStrictEqual(lines(end, program), ['ENDIF', 'WEND', 'UNTIL V > 3', 'NEXT I', 'SUBEND']);
});
