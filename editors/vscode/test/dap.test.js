// rokan-sim --dap driven by the Debug Adapter Protocol test client, through whole sessions of
// the programs in dap/: stop on entry, breakpoints (verified, moved, refused), stepping over and
// out of a GOSUB, variables and setting one, a runtime error, and the exit codes of `--run`.
'use strict';

const assert = require('node:assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {test} = require('node:test');
const {DebugClient} = require('@vscode/debugadapter-testsupport');
const {binPath, notBuilt} = require('./bin');

const skip = notBuilt('rokan-sim');

// The compiler writes its work files beside the program, so each session gets its own copy.
function copyProgram(name) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'rix-dap-'));
  const file = path.join(dir, name);
  fs.copyFileSync(path.join(__dirname, 'dap', name), file);
  return {dir, file};
}

async function session(t, name) {
  const {dir, file} = copyProgram(name);
  const dc = new DebugClient(binPath('rokan-sim'), '--dap', 'rix');
  dc.defaultTimeout = 20000;
  await dc.start();
  t.after(async () => {
    // After a disconnect the adapter has gone: a second one would wait for ever.
    if (dc.disconnected) dc.stopAdapter();
    else await dc.stop();
    fs.rmSync(dir, {recursive: true, force: true});
  });
  return {dc, file};
}

// Starts `request` and waits for the event it leads to (listening before the request goes).
async function until(dc, eventName, request) {
  const [event] = await Promise.all([dc.waitForEvent(eventName), request()]);
  return event;
}

async function topFrame(dc) {
  const r = await dc.stackTraceRequest({threadId: 1});
  return r.body.stackFrames;
}

async function variable(dc, name) {
  const r = await dc.evaluateRequest({expression: name, context: 'watch'});
  return r.body.result;
}

test('a whole debugging session of a program that fails at last', {skip}, async (t) => {
  const {dc, file} = await session(t, 'SESSION.RIX');
  const output = [];
  dc.on('output', (e) => output.push(e.body));

  const init = await dc.initializeRequest();
  assert.equal(init.body.supportsConfigurationDoneRequest, true);
  assert.equal(init.body.supportsSetVariable, true);
  assert.deepEqual(init.body.exceptionBreakpointFilters.map((f) => f.filter), ['runtime error']);

  const initialized = dc.waitForEvent('initialized');
  await dc.launchRequest({program: file, stopOnEntry: true, args: ['--vr1', '5@0', '--seconds', '60']});
  await initialized;

  // Line 10 is a comment: its breakpoint moves to the MESSAGE on 11; line 40 is past the end.
  const bps = await dc.setBreakpointsRequest({
    source: {path: file},
    breakpoints: [{line: 6}, {line: 10}, {line: 40}],
  });
  const [onGosub, moved, pastEnd] = bps.body.breakpoints;
  assert.deepEqual([onGosub.verified, onGosub.line], [true, 6]);
  assert.deepEqual([moved.verified, moved.line], [true, 11]);
  assert.equal(moved.source.path, file);
  assert.equal(pastEnd.verified, false);
  assert.ok(pastEnd.message, 'an unverified breakpoint says why');
  await dc.setExceptionBreakpointsRequest({filters: ['runtime error']});

  let stop = await until(dc, 'stopped', () => dc.configurationDoneRequest());
  assert.equal(stop.body.reason, 'entry');
  assert.equal((await topFrame(dc))[0].line, 5);
  const threads = await dc.threadsRequest();
  assert.equal(threads.body.threads.length, 1);

  stop = await until(dc, 'stopped', () => dc.continueRequest({threadId: 1}));
  assert.equal(stop.body.reason, 'breakpoint');
  let frames = await topFrame(dc);
  assert.deepEqual(frames.map((f) => f.line), [6]);
  assert.equal(frames[0].source.path, file);
  assert.equal(await variable(dc, 'N'), '1');

  // The scopes: the program's variables, the robot, the operator inputs.
  const scopes = (await dc.scopesRequest({frameId: frames[0].id})).body.scopes;
  assert.deepEqual(scopes.map((s) => s.name), ['Variables', 'Robot', 'Inputs']);
  const vars = (await dc.variablesRequest({variablesReference: scopes[0].variablesReference})).body.variables;
  assert.deepEqual(vars.map((v) => v.name), ['VAR_KEY', 'N', 'R', 'A', 'B', 'P']);
  assert.equal(vars.find((v) => v.name === 'R').value, 'unset');
  const p = vars.find((v) => v.name === 'P');
  const parts = (await dc.variablesRequest({variablesReference: p.variablesReference})).body.variables;
  assert.deepEqual(parts.map((v) => v.evaluateName), ['P.X', 'P.Y', 'P.Z']);
  const robot = (await dc.variablesRequest({variablesReference: scopes[1].variablesReference})).body.variables;
  assert.equal(robot.find((v) => v.name === 'mode').value, 'AUTO');
  const leg = robot.find((v) => v.name === 'leg 1');
  const legParts = (await dc.variablesRequest({variablesReference: leg.variablesReference})).body.variables;
  assert.deepEqual(legParts.map((v) => v.name), ['foot (mm)', 'goal (mm)', 'joint angles (deg)']);
  const inputs = (await dc.variablesRequest({variablesReference: scopes[2].variablesReference})).body.variables;
  assert.equal(inputs.find((v) => v.name === 'VR1').value, '5.0 V');

  // Step over the GOSUB: the subroutine ran (N doubled) and the program stands on line 7.
  stop = await until(dc, 'stopped', () => dc.nextRequest({threadId: 1}));
  assert.equal(stop.body.reason, 'step');
  assert.deepEqual((await topFrame(dc)).map((f) => f.line), [7]);
  assert.equal(await variable(dc, 'N'), '2');

  // Set N and see the program use it.
  const set = await dc.setVariableRequest({variablesReference: scopes[0].variablesReference, name: 'N', value: '7'});
  assert.equal(set.body.value, '7');
  await until(dc, 'stopped', () => dc.nextRequest({threadId: 1}));
  assert.equal(await variable(dc, 'R'), '70');

  // Into the second GOSUB, and out of it again.
  await until(dc, 'stopped', () => dc.stepInRequest({threadId: 1}));
  frames = await topFrame(dc);
  assert.deepEqual(frames.map((f) => [f.name, f.line]), [['TWICE:', 15], ['SESSION.RIX', 8]]);
  await until(dc, 'stopped', () => dc.stepOutRequest({threadId: 1}));
  assert.deepEqual((await topFrame(dc)).map((f) => f.line), [9]);
  assert.equal(await variable(dc, 'N'), '14');
  await assert.rejects(dc.stepOutRequest({threadId: 1}), 'no step out of the main level');

  // The moved breakpoint, then the failing SQRT: the program is held on the failing line.
  stop = await until(dc, 'stopped', () => dc.continueRequest({threadId: 1}));
  assert.equal(stop.body.reason, 'breakpoint');
  assert.equal((await topFrame(dc))[0].line, 11);
  stop = await until(dc, 'stopped', () => dc.continueRequest({threadId: 1}));
  assert.equal(stop.body.reason, 'exception');
  assert.match(stop.body.text, /Domain Error/);
  assert.equal((await topFrame(dc))[0].line, 13);
  assert.equal(await variable(dc, 'A'), '-45');

  // Going on ends the run in EMG: exit code 1, the reason on stderr.
  const [exited] = await Promise.all([dc.waitForEvent('exited'), dc.waitForEvent('terminated'),
    dc.continueRequest({threadId: 1})]);
  assert.equal(exited.body.exitCode, 1);
  const stdout = output.filter((o) => o.category === 'stdout').map((o) => o.output).join('');
  assert.match(stdout, /R\s+IS\s+70/);  // MESSAGE separates its items with tabs
  assert.ok(output.some((o) => o.category === 'stderr'), 'the EMG reason goes to stderr');
});

test('a program that runs to its end exits 0', {skip}, async (t) => {
  const {dc, file} = await session(t, 'SESSION.RIX');
  await dc.initializeRequest();
  await dc.launchRequest({program: file});
  const [exited] = await Promise.all([dc.waitForEvent('exited'), dc.configurationDoneRequest()]);
  assert.equal(exited.body.exitCode, 0);
});

test('a program still running when its time is up exits 3', {skip}, async (t) => {
  const {dc, file} = await session(t, 'FOREVER.RIX');
  await dc.initializeRequest();
  await dc.launchRequest({program: file, args: ['--seconds', '20']});
  const [exited] = await Promise.all([dc.waitForEvent('exited'), dc.configurationDoneRequest()]);
  assert.equal(exited.body.exitCode, 3);
});

test('pause holds a running program where it is; disconnect then stops the run', {skip}, async (t) => {
  const {dc, file} = await session(t, 'FOREVER.RIX');
  await dc.initializeRequest();
  await dc.launchRequest({program: file, args: ['--seconds', '100000']});
  await dc.configurationDoneRequest();
  const stop = await until(dc, 'stopped', () => dc.pauseRequest({threadId: 1}));
  assert.equal(stop.body.reason, 'pause');
  const line = (await topFrame(dc))[0].line;
  assert.ok(line === 5 || line === 6, `held in the loop, not at line ${line}`);
  dc.disconnected = true;
  const [exited] = await Promise.all([dc.waitForEvent('exited'), dc.disconnectRequest()]);
  assert.equal(exited.body.exitCode, 1);
});

test('requests that cannot be carried out are refused with a reason', {skip}, async (t) => {
  const {dc, file} = await session(t, 'SESSION.RIX');
  await assert.rejects(dc.launchRequest({program: file}), /initialize/);
  await dc.initializeRequest();
  await assert.rejects(dc.configurationDoneRequest(), /launch/);
  await assert.rejects(dc.customRequest('frobnicate'), /unknown request/);
  await assert.rejects(dc.launchRequest({program: path.join(path.dirname(file), 'NONE.RIX')}), /does not exist/);
  await dc.launchRequest({program: file, stopOnEntry: true});
  await assert.rejects(dc.setVariableRequest({variablesReference: 1, name: 'N', value: '1'}), /paused/);
  const stop = await until(dc, 'stopped', () => dc.configurationDoneRequest());
  assert.equal(stop.body.reason, 'entry');
  await assert.rejects(dc.setVariableRequest({variablesReference: 1, name: 'P', value: '1'}), /POS/);
  await assert.rejects(dc.setVariableRequest({variablesReference: 1, name: 'NOPE', value: '1'}), /NOPE/);
  await assert.rejects(dc.evaluateRequest({expression: 'NOPE'}), /NOPE/);
});
