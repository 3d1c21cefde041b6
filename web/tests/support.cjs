// What the browser edition's tests share: where the built module, the site, the fixtures and the
// native command-line tool are, and the models every test goes through.
'use strict';
const path = require('node:path');
const fs = require('node:fs');
const { execFileSync } = require('node:child_process');

const root = path.resolve(__dirname, '..', '..');
const web = process.env.VERTIGON_WEB_BUILD || path.join(root, 'build', 'web');
const cli = process.env.VERTIGON_CLI || path.join(root, 'build', 'test', 'vertigon-cli');
const fixtures = path.join(web, 'fixtures');
const testImage = path.join(fixtures, 'test-image.elf');

// Every sample and fixture model; `image` says whether it runs over the test program image.
const models = [
  { file: path.join(root, 'samples', 'demo.ffb') },
  { file: path.join(root, 'samples', 'mdlx_sample.mdlx') },
  { file: path.join(root, 'samples', 'winged_totem.raw') },
  { file: path.join(fixtures, 'ribbon.mdls'), companion: path.join(fixtures, 'ribbon.mset'), image: true },
];

// The tool's output for `args`, run in `cwd`; standard error is dropped (the emulator's text).
function runCli(args, cwd) {
  return execFileSync(cli, args, { cwd, stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28 });
}

function loadModule(options = {}) {
  const createVertigon = require(path.join(web, 'module', 'web', 'vertigon.js'));
  return createVertigon(options);
}

function companionsOf(model) {
  return model.companion ? [model.file, model.companion] : [model.file];
}

module.exports = { root, web, cli, fixtures, testImage, models, runCli, loadModule, companionsOf, fs, path };
