// The project's programs the node tests run: those of the build CTest runs against
// (ROKAN_BIN_DIR), else those of the default build.
'use strict';

const fs = require('fs');
const path = require('path');

function binPath(name) {
  const dir = process.env.ROKAN_BIN_DIR || path.join(__dirname, '..', '..', '..', 'build', 'bin');
  return path.join(dir, name);
}

// A skip reason when `name` is not built and no build was named; under CTest a missing program
// is a failure, not a skip.
function notBuilt(name) {
  return !process.env.ROKAN_BIN_DIR && !fs.existsSync(binPath(name)) && `${name} is not built`;
}

module.exports = {binPath, notBuilt};
