// The WebAssembly module in node: the same `info` as the native tool, refusals as ordinary
// failures that leave the module usable, and the fuzz corpora of the loaders replayed.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { root, fixtures, testImage, models, runCli, loadModule, companionsOf, fs, path } = require('./support.cjs');

let printed = '';
let vertigon;

test.before(async () => {
  vertigon = await loadModule({ print: (text) => { printed += `${text}\n`; }, printErr: () => {} });
  vertigon.FS.mkdirTree('/work');
  vertigon.FS.chdir('/work');
});

// Puts a model (and its companion) into the module's working folder under its own name.
function place(model) {
  for (const file of companionsOf(model)) vertigon.FS.writeFile(path.basename(file), fs.readFileSync(file));
  if (model.image) vertigon.FS.writeFile('test-image.elf', fs.readFileSync(testImage));
}

test('info prints what the native tool prints, for every sample and fixture model', () => {
  for (const model of models) {
    place(model);
    const name = path.basename(model.file);
    const variants = model.image ? [[name], [name, '--ee-image', 'test-image.elf'], [name, '--full']] : [[name], [name, '--full']];
    for (const args of variants) {
      if (model.image && args.includes('--full')) args.push('--ee-image', 'test-image.elf');
      const native = runCli(['info', ...args], path.dirname(model.file)).toString();
      printed = '';
      assert.equal(vertigon.runInfo(args), 0, `info ${args.join(' ')}`);
      assert.equal(printed, native, `info ${args.join(' ')}`);
    }
  }
  // The tool's statuses: a wrong command line, then a path that does not exist.
  assert.equal(vertigon.runInfo(['--no-such-option']), 64);
  assert.equal(vertigon.runInfo(['missing.mdlx']), 1);
});

test('damaged files are refused with a reason and the module keeps working', () => {
  const viewer = new vertigon.Viewer('');
  const demo = fs.readFileSync(path.join(root, 'samples', 'demo.ffb'));
  const mdlx = fs.readFileSync(path.join(root, 'samples', 'mdlx_sample.mdlx'));
  const damaged = {
    'cut.ffb': demo.subarray(0, demo.length >> 1),
    'cut.mdlx': mdlx.subarray(0, 200),
    'noise.raw': Uint8Array.from({ length: 4096 }, (_, i) => (i * 2654435761) >>> 24),
    // Counts and offsets near 2^32 must not wrap on a 32-bit size_t.
    'huge.mdlx': Uint8Array.from(mdlx).fill(0xFF, 0x10, 0x90),
  };
  for (const [name, bytes] of Object.entries(damaged)) {
    vertigon.FS.writeFile(name, bytes);
    assert.equal(viewer.open(name), false, name);
    assert.match(viewer.status(), new RegExp(`^Could not open ${name.replace('.', '\\.')}: `), name);
    assert.equal(viewer.hasModel(), false, name);
  }
  vertigon.FS.writeFile('demo.ffb', demo);
  assert.equal(viewer.open('demo.ffb'), true);
  assert.match(viewer.status(), /^demo\.ffb: 236 triangles, 17 bones, 1 textures, 4 animations$/);
  viewer.delete();
});

test('an MDLS model without a program image shows its rest pose and the page says why', () => {
  const [mdls] = models.filter((m) => m.image);
  place(mdls);
  const viewer = new vertigon.Viewer('');
  assert.equal(viewer.open('ribbon.mdls'), true);
  assert.match(viewer.status(), /MDLS animations need the game's program image: choose it with the "Program image" button/);
  viewer.setProgramImage('test-image.elf');
  assert.equal(viewer.emulatorReady(), true);
  assert.doesNotMatch(viewer.status(), /program image/);
  vertigon.FS.writeFile('not-an-image.bin', new Uint8Array(1000));
  viewer.setProgramImage('not-an-image.bin');
  assert.equal(viewer.emulatorReady(), false);
  assert.match(viewer.status(), /refused/);
  viewer.delete();
});

// Each loader's corpus through the module: a refusal is an ordinary failure (a reason string);
// a trap or an abort throws out of the call and fails the test.
test('the fuzz corpora replay without a trap or an abort', () => {
  const corpus = path.join(root, 'fuzz', 'corpus');
  const read = (target) => fs.readdirSync(path.join(corpus, target)).map((n) => [n, fs.readFileSync(path.join(corpus, target, n))]);
  const mdlsSplit = (bytes) => {
    if (bytes.length < 4) return null;
    const size = bytes.readUInt32LE(0);
    if (size > bytes.length - 4) return null;
    return [bytes.subarray(4, 4 + size), bytes.length > 4 + size ? bytes.subarray(4 + size) : null];
  };
  let replayed = 0;
  const loaders = { ffb_plain_loader: 'FfbLoader', ffb_gzip_loader: 'FfbLoader', mdlx_loader: 'MdlxLoader', raw_loader: 'RawLoader' };
  for (const [target, loader] of Object.entries(loaders)) {
    for (const [name, bytes] of read(target)) {
      // The seeds are good files; the first bytes alone are refused with a reason.
      assert.equal(vertigon.loadBytes(loader, bytes, null), '', `${target}/${name}`);
      assert.notEqual(vertigon.loadBytes(loader, bytes.subarray(0, 24), null), '', `${target}/${name} cut`);
      replayed++;
    }
  }
  for (const [name, bytes] of read('mdls_loader')) {
    const split = mdlsSplit(bytes);
    assert.equal(vertigon.loadBytes('MdlsLoader', split[0], split[1]), '', `mdls_loader/${name}`);
    replayed++;
  }
  const ribbon = fs.readFileSync(path.join(fixtures, 'ribbon.mdls'));
  for (const [name, bytes] of read('mset_reader')) {
    assert.equal(typeof vertigon.loadBytes('MdlsLoader', ribbon, bytes), 'string', `mset_reader/${name}`);
    replayed++;
  }
  for (const [name, bytes] of read('program_image')) {
    assert.equal(typeof vertigon.programImageReason(bytes), 'string', `program_image/${name}`);
    replayed++;
  }
  assert.equal(vertigon.programImageReason(fs.readFileSync(testImage)), '');
  // The viewer's path: open, then animate frame by frame, for every format.
  const viewer = new vertigon.Viewer('');
  vertigon.FS.writeFile('test-image.elf', fs.readFileSync(testImage));
  viewer.setProgramImage('test-image.elf');
  const extensions = ['ffb', 'mdlx', 'raw', 'mdls'];
  for (const [name, bytes] of read('viewer_path')) {
    const format = bytes[0];
    const file = `viewer_path_${name}.${extensions[format]}`;
    let body = bytes.subarray(1);
    if (format === 3) {
      const split = mdlsSplit(body);
      body = split[0];
      if (split[1]) vertigon.FS.writeFile(file.replace(/mdls$/, 'mset'), split[1]);
    }
    vertigon.FS.writeFile(file, body);
    assert.equal(viewer.open(file), true, `viewer_path/${name}: ${viewer.status()}`);
    for (let i = 0; i < 10; i++) viewer.draw(25);
    replayed++;
  }
  viewer.delete();
  assert.ok(replayed >= 10, `only ${replayed} inputs`);
});
