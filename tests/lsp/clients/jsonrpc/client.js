// vscode-jsonrpc, the protocol library of VS Code's language clients,
// against corvale-lsp: the demo with three mistakes planted; its
// diagnostics, a hover, a completion, a definition and the references of a
// node. Prints what it got; exits with 0 only when every check held.
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const rpc = require('vscode-jsonrpc/node');

const [lsp, helpDir, script] = process.argv.slice(2);
const text = fs.readFileSync(script, 'utf8');
const lines = text.split('\n');
const lineOf = (prefix) => lines.findIndex((line) => line.startsWith(prefix));
const uri = 'file://' + path.resolve(script).split('/').map(encodeURIComponent).join('/');

let failed = false;
const check = (ok, what) => {
  console.log((ok ? 'ok   ' : 'FAIL ') + what);
  if (!ok) failed = true;
};

async function main() {
  const server = childProcess.spawn(lsp, [], { stdio: ['pipe', 'pipe', 'inherit'] });
  const connection = rpc.createMessageConnection(
    new rpc.StreamMessageReader(server.stdout), new rpc.StreamMessageWriter(server.stdin));
  let latest = [];
  let dryRunArrived;
  const arrived = new Promise((resolve) => { dryRunArrived = resolve; });
  const typo = lineOf('node 2 $bayWdth');
  connection.onNotification('textDocument/publishDiagnostics', (params) => {
    if (params.uri !== uri) return;
    latest = params.diagnostics;
    if (latest.some((d) => d.code === 'run/error' && d.range.start.line === typo)) dryRunArrived();
  });
  connection.listen();

  const initialized = await connection.sendRequest('initialize', {
    processId: process.pid,
    rootUri: 'file://' + path.dirname(path.resolve(script)),
    capabilities: {},
    initializationOptions: { helpDir },
  });
  check(initialized.capabilities.referencesProvider === true, 'the server offers references');
  connection.sendNotification('initialized', {});
  connection.sendNotification('textDocument/didOpen',
    { textDocument: { uri, languageId: 'tcl', version: 1, text } });

  const timeout = new Promise((resolve) => setTimeout(() => resolve('timeout'), 30000));
  check(await Promise.race([arrived, timeout]) !== 'timeout', "the dry run's diagnostics arrived");
  for (const d of latest) console.log(`diagnostic ${d.range.start.line + 1} ${d.code} ${d.message}`);
  const has = (line, code) => latest.some((d) => d.range.start.line === line && d.code === code);
  check(has(lineOf('element Baem'), 'usage/unknown-subcommand'), 'the misspelt sub-command');
  check(has(lineOf('element Beam 5 5 9'), 'model/undefined-tag'), 'the node that does not exist');
  check(has(typo, 'run/error'), 'the typo in a variable');

  const at = (line, character) => ({ textDocument: { uri }, position: { line, character } });
  const widthLine = lineOf('node 3 ');
  const hover = await connection.sendRequest('textDocument/hover',
    at(widthLine, lines[widthLine].indexOf('$bayWidth') + 3));
  const hoverText = hover && hover.contents ? hover.contents.value : '';
  console.log('hover ' + hoverText);
  check(hoverText.includes('bayWidth = 6.0'), 'the hover over $bayWidth shows 6.0');

  const definition = await connection.sendRequest('textDocument/definition',
    at(lineOf('element Beam 4 4 5'), 17));
  check(definition && definition.range.start.line === lineOf('node 5 '),
    'go to definition of node 5 lands on its node line');
  const references = await connection.sendRequest('textDocument/references',
    Object.assign(at(lineOf('element Beam 4 4 5'), 17), { context: { includeDeclaration: true } }));
  const referenceLines = references.map((l) => l.range.start.line);
  console.log('references ' + referenceLines.join(' '));
  check(referenceLines.includes(lineOf('node 5 ')) && referenceLines.includes(lineOf('element Beam 2 2 5')),
    'the references of node 5 hold its definition and an element that uses it');

  const last = lines.length;
  connection.sendNotification('textDocument/didChange', {
    textDocument: { uri, version: 2 },
    contentChanges: [{ range: { start: { line: last, character: 0 }, end: { line: last, character: 0 } },
      text: '\nelement ' }],
  });
  const completion = await connection.sendRequest('textDocument/completion', at(last + 1, 8));
  const labels = (Array.isArray(completion) ? completion : completion.items).map((i) => i.label);
  console.log('completion ' + labels.join(' '));
  check(labels.includes('Beam'), 'completion after element offers Beam');

  await connection.sendRequest('shutdown');
  connection.sendNotification('exit');
  const status = await new Promise((resolve) => server.on('exit', (code) => resolve(code)));
  check(status === 0, 'the server ends with 0 after shutdown and exit');
  connection.dispose();
}

main().then(() => process.exit(failed ? 1 : 0), (error) => {
  console.log('FAIL ' + error);
  process.exit(1);
});
