// The page in headless Chromium (WebGL2 on SwiftShader): the first frame against the native
// tool's render, the switches, Autoplay and playback, the export's bytes, an MDLS model with its
// .mset and the test program image, a damaged file, and no request outside the page's origin.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { testImage, models, runCli, companionsOf, fs, path } = require('./support.cjs');
const { serveSite, launch, openSite, status, upload, viewPixels, readPng, compare, scratchFolder, downloadedIn } = require('./browser.cjs');

let server, browser, origin, scratch;
const requests = [];

test.before(async () => {
  server = await serveSite();
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await launch();
  scratch = scratchFolder();
});

test.after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  if (scratch) fs.rmSync(scratch, { recursive: true, force: true });
});

// The native tool's picture of `model` at the view's size.
function nativeRender(model, width, height, extra = []) {
  const out = path.join(scratch, `${path.basename(model.file)}_${extra.join('')}.png`);
  const image = model.image ? ['--ee-image', testImage] : [];
  runCli(['render', model.file, '--fit', '--size', `${width}x${height}`, '-o', out, ...image, ...extra], path.dirname(model.file));
  return readPng(out);
}

function assertAlike(web, native, what) {
  const share = compare(web, native);
  assert.ok(share.shownShare > 0.005, `${what}: the native picture shows almost nothing`);
  assert.ok(share.all >= 0.97 && share.model >= 0.9,
    `${what}: ${(share.all * 100).toFixed(1)} % of all pixels and ${(share.model * 100).toFixed(1)} % of the model's agree`);
}

async function openModel(page, model) {
  if (model.image) await upload(page, 'ee-image', [testImage]);
  return upload(page, 'open', companionsOf(model));
}

test('the first frame of every model is what the native tool renders', async () => {
  for (const model of models) {
    const page = await openSite(browser, origin, { requests });
    const { after } = await openModel(page, model);
    assert.match(after, new RegExp(`^${path.basename(model.file).replace('.', '\\.')}: \\d+ triangles`));
    const web = await viewPixels(page);
    assertAlike(web, nativeRender(model, web.width, web.height), path.basename(model.file));
    await page.browserContext().close();
  }
});

test('each switch draws as the native tool draws with its flags', async () => {
  const [demo] = models;
  const page = await openSite(browser, origin, { requests });
  await upload(page, 'open', [demo.file]);
  // The switch and the flags the entry then has (textures and blending start on).
  const cases = [['flat', '0b'], ['bones', '23'], ['wireframe', '13'], ['texture', '02'], ['blending', '01']];
  for (const [name, flags] of cases) {
    const before = await page.$eval(`#${name}`, (e) => e.checked);
    await page.click(`label:has(> #${name})`);
    assert.equal(await page.$eval(`#${name}`, (e) => e.checked), !before, name);
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    const web = await viewPixels(page);
    assertAlike(web, nativeRender(demo, web.width, web.height, ['--flags', flags]), `${name} (flags ${flags})`);
    await page.click(`label:has(> #${name})`);
  }
  await page.browserContext().close();
});

const frameOf = (page) => page.evaluate(() => window.vertigon.viewer.frame());
const pause = (ms) => new Promise((r) => setTimeout(r, ms));
const nextFrames = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));

test('Autoplay off waits on frame 0; play advances, pause holds, Autoplay on plays at once', async () => {
  const [demo] = models;
  const page = await openSite(browser, origin, { requests });
  assert.equal(await page.$eval('#autoplay', (e) => e.checked), false);
  await upload(page, 'open', [demo.file]);
  await pause(400);
  assert.equal(await frameOf(page), 0);
  assert.equal(await page.$eval('#play', (e) => e.textContent), 'Play');
  await page.click('#play');
  await pause(400);
  const playing = await frameOf(page);
  assert.ok(playing > 0, `frame ${playing} after playing`);
  // The slider follows the frame shown (both read in one task: playback moves on between tasks).
  const [slider, shown] = await page.evaluate(() => [Number(document.getElementById('frame').value), window.vertigon.viewer.frame()]);
  assert.equal(slider, shown);
  await page.click('#play');
  await nextFrames(page);
  const held = await frameOf(page);
  await pause(300);
  assert.equal(await frameOf(page), held);
  await page.$eval('#step-forward', (button) => button.click());
  await page.waitForFunction((target) => window.vertigon.viewer.frame() === target, { timeout: 5000 }, held + 1);
  await page.keyboard.press('Period');
  await page.waitForFunction((target) => window.vertigon.viewer.frame() === target, { timeout: 5000 }, held + 2);
  // The switch is remembered: a new visit plays at once.
  await page.click('#autoplay');
  const again = await openSite(browser, origin, { sameAs: page, requests });
  assert.equal(await again.$eval('#autoplay', (e) => e.checked), true);
  await upload(again, 'open', [demo.file]);
  await pause(400);
  assert.ok(await frameOf(again) > 0);
  await page.browserContext().close();
});

test('Export glTF downloads the bytes the native exporter writes; Save image the view', async () => {
  for (const model of models) {
    const folder = path.join(scratch, `downloads_${path.basename(model.file)}`);
    fs.mkdirSync(folder);
    const page = await openSite(browser, origin, { downloads: folder, requests });
    const downloaded = downloadedIn(folder);
    await openModel(page, model);
    await page.click('#export');
    const name = `${path.basename(model.file).replace(/\.[^.]+$/, '')}.glb`;
    const file = await downloaded(name);
    const native = path.join(scratch, name);
    runCli(['export', model.file, '-o', native, ...(model.image ? ['--ee-image', testImage] : [])], path.dirname(model.file));
    assert.ok(fs.readFileSync(file).equals(fs.readFileSync(native)), `${name} differs from the native export`);
    if (model === models[0]) {
      // Save image: the view as a PNG of the drawing buffer's size.
      const shown = await viewPixels(page);
      await page.click('#save-image');
      const saved = readPng(await downloaded(name.replace('.glb', '_view.png')));
      assert.ok(compare(saved, shown).all > 0.99, 'the saved image is not the view');
    }
    await page.browserContext().close();
  }
});

test('an MDLS model with its .mset plays over the kept program image', async () => {
  const mdls = models.find((m) => m.image);
  const page = await openSite(browser, origin, { autoplay: true, requests });
  let { after } = await upload(page, 'open', companionsOf(mdls));
  assert.match(after, /MDLS animations need the game's program image/);
  await upload(page, 'ee-image', [testImage]);
  assert.match(await status(page), /^ribbon\.mdls: \d+ triangles, 2 bones, 1 textures, 2 animations$/);
  const animations = await page.$$eval('#animations button', (buttons) => buttons.map((b) => b.textContent));
  assert.equal(animations.length, 2);
  // As on the desktop, a model opens on animation 0 of group 1; these clips are in group 0.
  // The test image turns the pose about x, away from the rest pose's framing: F frames it again.
  await page.click('#animations button');
  await page.waitForFunction(() => window.vertigon.viewer.frame() >= 2, { timeout: 10000 });
  await page.keyboard.press('f');
  await nextFrames(page);
  const framedAt = await frameOf(page);
  const first = await viewPixels(page);
  await page.waitForFunction((f) => window.vertigon.viewer.frame() >= f + 12, { timeout: 10000 }, framedAt);
  const moved = compare(first, await viewPixels(page));
  assert.ok(moved.shownShare > 0.005 && moved.model < 0.9, `the animation does not move the ribbon (${JSON.stringify(moved)})`);
  // Kept for the next visit, until forgotten.
  const next = await openSite(browser, origin, { sameAs: page, requests });
  assert.equal(await next.evaluate(() => window.vertigon.viewer.emulatorReady()), true);
  await next.click('#ee-forget');
  await next.waitForFunction(() => !window.vertigon.viewer.emulatorReady());
  const last = await openSite(browser, origin, { sameAs: page, requests });
  assert.equal(await last.evaluate(() => window.vertigon.viewer.emulatorReady()), false);
  await page.browserContext().close();
});

test('on a touch screen one finger turns and two fingers pinch to zoom', async () => {
  const [demo] = models;
  const page = await openSite(browser, origin, { width: 390, height: 844, requests });
  await page.emulate({ viewport: { width: 390, height: 844, deviceScaleFactor: 1, isMobile: true, hasTouch: true }, userAgent: '' });
  await page.reload();
  await page.waitForFunction(() => window.vertigon && window.vertigon.ready);
  await upload(page, 'open', [demo.file]);
  const box = await (await page.$('#view')).boundingBox();
  const cx = box.x + box.width / 2, cy = box.y + box.height / 2;
  const session = await page.createCDPSession();
  const touch = (type, points) => session.send('Input.dispatchTouchEvent', {
    type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
  const before = await viewPixels(page);
  await touch('touchStart', [[cx, cy]]);
  for (let i = 1; i <= 5; i++) await touch('touchMove', [[cx + i * 20, cy]]);
  await touch('touchEnd', []);
  await nextFrames(page);
  const turned = await viewPixels(page);
  assert.ok(compare(before, turned).model < 0.8, 'one finger did not turn the model');
  // Fingers 80 pixels apart spread to 140: the model grows by about 1.75 times.
  await touch('touchStart', [[cx - 40, cy], [cx + 40, cy]]);
  for (let i = 1; i <= 3; i++) await touch('touchMove', [[cx - 40 - i * 10, cy], [cx + 40 + i * 10, cy]]);
  await touch('touchEnd', []);
  await nextFrames(page);
  const zoomed = compare(turned, await viewPixels(page));
  assert.ok(zoomed.shownShare > compare(turned, turned).shownShare * 1.3, `two fingers spreading did not zoom in (${zoomed.shownShare}, ${compare(turned, turned).shownShare})`);
  await page.browserContext().close();
});

test('several files at once: the first model is shown and PageDown/PageUp move through them', async () => {
  const page = await openSite(browser, origin, { requests });
  const mdls = models.find((m) => m.image);
  // The animation file first: it pairs with its model, which is the first model of the drop.
  const { after } = await upload(page, 'open', [mdls.companion, mdls.file, models[0].file, models[2].file]);
  assert.match(after, /^ribbon\.mdls: /);
  const names = [];
  for (let i = 0; i < 3; i++) {
    await page.keyboard.press('PageDown');
    names.push((await status(page)).split(':')[0]);
  }
  // Name order in the folder, model files only, ending at the last.
  assert.deepEqual(names, ['winged_totem.raw', 'winged_totem.raw', 'winged_totem.raw']);
  await page.keyboard.press('PageUp');
  await page.keyboard.press('PageUp');
  assert.match(await status(page), /^demo\.ffb: /);
  await page.browserContext().close();
});

test('a damaged file says why and leaves the page usable; nothing is asked outside the origin', async () => {
  const [demo] = models;
  const cut = path.join(scratch, 'cut.ffb');
  const bytes = fs.readFileSync(demo.file);
  fs.writeFileSync(cut, bytes.subarray(0, bytes.length >> 1));
  const page = await openSite(browser, origin, { requests });
  const { after } = await upload(page, 'open', [cut]);
  assert.match(after, /^Could not open cut\.ffb: /);
  assert.equal(await page.$eval('#export', (e) => e.disabled), true);
  assert.match((await upload(page, 'open', [demo.file])).after, /^demo\.ffb: 236 triangles/);
  await page.browserContext().close();
  assert.ok(requests.length > 0);
  const outside = requests.filter((url) => !url.startsWith(`${origin}/`) && !url.startsWith('blob:') && !url.startsWith('data:'));
  assert.deepEqual(outside, []);
});
