// Where the rokan-sim program that serves the debugger is found. Kept free of the editor's API
// so that it can be tested under plain node.
'use strict';

const fs = require('fs');
const path = require('path');

const PROGRAM = 'rokan-sim';

function isExecutable(file) {
  try {
    if (!fs.statSync(file).isFile()) return false;
    fs.accessSync(file, fs.constants.X_OK);
    return true;
  } catch {
    return false;
  }
}

// The first executable `name` in the directories of `searchPath` (a PATH value), or null.
function findOnPath(name, searchPath) {
  for (const dir of (searchPath || '').split(path.delimiter)) {
    if (!dir) continue;
    const candidate = path.join(dir, name);
    if (isExecutable(candidate)) return candidate;
  }
  return null;
}

// Resolves the program to start as `rokan-sim --dap`.
//   setting: the rix.simPath setting ('' when unset); "${workspaceFolder}" and a leading "~/"
//            are expanded; a bare name is looked up on the PATH, any other relative path
//            counts from the first workspace folder.
//   folders: the workspace folders' paths, in order.
//   searchPath: the PATH to search; home: the home directory that "~/" stands for.
// Returns {program} or {error} with a text for the user: a configured path that is not an
// executable file is an error rather than a silent fall-back, so a typo is noticed.
function resolveSimPath(setting, folders, searchPath, home) {
  const first = folders.length > 0 ? folders[0] : null;
  if (setting && setting.trim() !== '') {
    let p = setting.trim();
    if (p.includes('${workspaceFolder}')) {
      if (!first) return {error: `rix.simPath uses \${workspaceFolder} but no folder is open: ${p}`};
      p = p.split('${workspaceFolder}').join(first);
    }
    if (home && (p === '~' || p.startsWith('~/'))) p = path.join(home, p.slice(1));
    if (!p.includes('/') && !p.includes(path.sep)) {
      const found = findOnPath(p, searchPath);
      if (!found) return {error: `rix.simPath names a program that is not on the PATH: ${p}`};
      return {program: found};
    }
    if (!path.isAbsolute(p)) {
      if (!first) return {error: `rix.simPath is relative but no folder is open: ${p}`};
      p = path.join(first, p);
    }
    if (!isExecutable(p)) return {error: `rix.simPath is not an executable file: ${p}`};
    return {program: p};
  }
  for (const folder of folders) {
    const built = path.join(folder, 'build', 'bin', PROGRAM);
    if (isExecutable(built)) return {program: built};
  }
  const found = findOnPath(PROGRAM, searchPath);
  if (found) return {program: found};
  return {
    error: `${PROGRAM} was not found: build it (scripts/build puts it in build/bin/), ` +
        'put it on the PATH, or set rix.simPath',
  };
}

module.exports = {resolveSimPath, findOnPath};
