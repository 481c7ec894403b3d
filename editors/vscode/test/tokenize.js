// Tokenizes text with the extension's own grammar through the editor's TextMate engine.
'use strict';

const fs = require('fs');
const path = require('path');
const vsctm = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const root = path.join(__dirname, '..');
let registry = null;

function grammar() {
  if (!registry) {
    const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
    const onigLib = oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength))
        .then(() => ({
          createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
          createOnigString: (s) => new oniguruma.OnigString(s),
        }));
    const manifest = JSON.parse(fs.readFileSync(path.join(root, 'package.json'), 'utf8'));
    const contributed = manifest.contributes.grammars.find((g) => g.language === 'rix');
    registry = new vsctm.Registry({
      onigLib,
      loadGrammar: async (scopeName) => {
        if (scopeName !== contributed.scopeName) return null;
        const file = path.join(root, contributed.path);
        return vsctm.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
      },
    });
  }
  return registry.loadGrammar('source.rix');
}

// Lines of [text, scopes] pairs, one pair per token, scopes without the root scope.
async function tokenize(text) {
  const g = await grammar();
  let stack = vsctm.INITIAL;
  return text.split('\n').map((line) => {
    const r = g.tokenizeLine(line, stack);
    stack = r.ruleStack;
    return r.tokens.map((t) => [line.slice(t.startIndex, t.endIndex), t.scopes.slice(1).join(' ')]);
  });
}

module.exports = {tokenize};
