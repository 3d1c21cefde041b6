// The browser edition's figures, measured in headless Chromium on this machine (never part of
// the tests): navigation to the first frame of samples/demo.ffb, the redraw of a 20,000-triangle
// model, one emulated MDLS frame, and the site's size. Needs scripts/web_test.sh to have run
// (the site, the fixtures and puppeteer-core).
//   node web/bench/page_bench.cjs
'use strict';
const zlib = require('node:zlib');
const { root, web, fixtures, testImage, fs, path } = require('../tests/support.cjs');
const { serveSite, launch, openSite, upload } = require('../tests/browser.cjs');

const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];

// Opens files given as bytes in the page, as a drop does, and resolves the time to the first
// frame drawn after the open.
async function openInPage(page, files) {
  return page.evaluate(async (list) => {
    const start = performance.now();
    await window.vertigon.openFiles(list.map(([name, bytes]) => new File([Uint8Array.from(bytes)], name)));
    await new Promise((r) => requestAnimationFrame(() => r()));
    return performance.now() - start;
  }, files.map((file) => [path.basename(file), Array.from(fs.readFileSync(file))]));
}

// Median milliseconds of `count` redraws advanced by `step` ms, each waited for to the end.
function redraws(page, count, step) {
  return page.evaluate((n, s) => {
    const { viewer } = window.vertigon;
    const gl = document.getElementById('view').getContext('webgl2');
    const pixel = new Uint8Array(4);
    const times = [];
    for (let i = 0; i < n; i++) {
      const start = performance.now();
      viewer.draw(s);
      // Reading a pixel back waits for the drawing to end (finish alone does not in Chromium).
      gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
      times.push(performance.now() - start);
    }
    times.sort((a, b) => a - b);
    return times[n >> 1];
  }, count, step);
}

(async () => {
  const server = await serveSite();
  const origin = `http://127.0.0.1:${server.address().port}`;
  const browser = await launch();
  const demo = path.join(root, 'samples', 'demo.ffb');

  const firstFrames = [];
  for (let i = 0; i < 5; i++) {
    const page = await openSite(browser, origin, { width: 1392, height: 893 });
    const ready = await page.evaluate(() => window.vertigon.readyAt);
    firstFrames.push({ ready, open: await openInPage(page, [demo]) });
    await page.browserContext().close();
  }
  const ready = median(firstFrames.map((f) => f.ready)), open = median(firstFrames.map((f) => f.open));
  console.log(`navigation to ready: ${ready.toFixed(0)} ms; open demo.ffb to its first frame: ${open.toFixed(0)} ms; ` +
    `together ${(ready + open).toFixed(0)} ms (median of 5)`);

  // A view of about the desktop viewer's 1392 x 893 beside the page's bars.
  const page = await openSite(browser, origin, { width: 1602, height: 1060 });
  await openInPage(page, [path.join(fixtures, 'sheets20k.mdlx')]);
  console.log(`${await page.$eval('#status', (e) => e.textContent)}`);
  console.log(`redraw at ${await page.evaluate(() => `${window.vertigon.viewer.width()} x ${window.vertigon.viewer.height()}`)}: ` +
    `${(await redraws(page, 40, 0)).toFixed(1)} ms (median of 40)`);

  // The emulator benchmark's 100 moving bones: redraws of a 64 x 64 view (so that drawing
  // costs next to nothing) at rest and with the clip playing, whose every redraw runs the frame
  // routine once.
  await upload(page, 'ee-image', [testImage]);
  await openInPage(page, [path.join(fixtures, 'bones100.mdls'), path.join(fixtures, 'bones100.mset')]);
  await page.evaluate(() => window.vertigon.viewer.resize(64, 64));
  const rest = await redraws(page, 100, 25);
  await page.evaluate(() => window.vertigon.viewer.selectAnimation(0, 0));
  const animated = await redraws(page, 100, 25);
  console.log(`MDLS, 100 emulated bones, 64 x 64 view: redraw ${rest.toFixed(2)} ms at rest, ${animated.toFixed(2)} ms playing ` +
    `(one emulated frame about ${(animated - rest).toFixed(2)} ms)`);
  await browser.close();
  server.close();

  const site = path.join(web, 'site');
  let raw = 0, gzipped = 0;
  for (const name of fs.readdirSync(site)) {
    const bytes = fs.readFileSync(path.join(site, name));
    raw += bytes.length;
    gzipped += zlib.gzipSync(bytes, { level: 9 }).length;
  }
  console.log(`site: ${(raw / 1e6).toFixed(2)} MB raw, ${(gzipped / 1e6).toFixed(2)} MB gzip -9`);
})();
