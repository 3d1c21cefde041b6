// Headless Chromium on the built site for the page tests: a static server on 127.0.0.1 that
// notes every path asked for, pages with the viewer loaded, file uploads, downloads, and the
// PNG reading that pixel comparisons with the native tool need.
'use strict';
const http = require('node:http');
const zlib = require('node:zlib');
const os = require('node:os');
const { web, fs, path } = require('./support.cjs');

const site = path.join(web, 'site');
const puppeteer = require(path.join(web, 'node', 'node_modules', 'puppeteer-core'));
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };

function serveSite() {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(site, path.normalize(name));
    if (!file.startsWith(site) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function launch() {
  return puppeteer.launch({
    executablePath: process.env.VERTIGON_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  });
}

// A page of the site with the viewer ready, in a browser context of its own (fresh storage) or
// in `sameAs`'s context (a later visit); `requests` collects every URL the page asked for.
async function openSite(browser, origin, { autoplay = false, width = 800, height = 600, sameAs = null, downloads = null, requests = [] } = {}) {
  const context = sameAs ? sameAs.browserContext()
    : await browser.createBrowserContext(downloads ? { downloadBehavior: { policy: 'allow', downloadPath: downloads } } : {});
  const page = await context.newPage();
  await page.setViewport({ width, height, deviceScaleFactor: 1 });
  page.on('request', (request) => requests.push(request.url()));
  if (!sameAs) {
    await page.evaluateOnNewDocument((on) => {
      if (!sessionStorage.getItem('vertigon.test')) localStorage.setItem('vertigon.autoplay', on ? 'on' : 'off');
      sessionStorage.setItem('vertigon.test', '1');
    }, autoplay);
  }
  await page.goto(`${origin}/index.html`);
  await page.waitForFunction(() => window.vertigon && window.vertigon.ready, { timeout: 30000 });
  return page;
}

const status = (page) => page.$eval('#status', (e) => e.textContent);

// Uploads through an <input type=file> and waits for the status line to change.
async function upload(page, inputId, files) {
  const before = await status(page);
  await page.evaluate(() => { document.getElementById('status').textContent = ''; });
  const input = await page.$(`#${inputId}`);
  await input.uploadFile(...files);
  await page.waitForFunction(() => document.getElementById('status').textContent !== '', { timeout: 30000 });
  // Two frames, so that the view shows the opened file.
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
  return { before, after: await status(page) };
}

// The drawn view as R, G, B bytes, rows top to bottom, with its size.
async function viewPixels(page) {
  const { width, height, pixels } = await page.evaluate(() => {
    const { viewer } = window.vertigon;
    return { width: viewer.width(), height: viewer.height(), pixels: Array.from(viewer.readPixels()) };
  });
  return { width, height, pixels: Uint8Array.from(pixels) };
}

// An 8-bit RGB or RGBA PNG, as the tool writes them, into R, G, B bytes.
function readPng(file) {
  const bytes = fs.readFileSync(file);
  let offset = 8, width = 0, height = 0, channels = 0;
  const data = [];
  while (offset < bytes.length) {
    const length = bytes.readUInt32BE(offset);
    const type = bytes.toString('latin1', offset + 4, offset + 8);
    const body = bytes.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = body[9] === 6 ? 4 : 3;
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0) throw new Error(`${file}: not 8-bit RGB(A)`);
    }
    if (type === 'IDAT') data.push(body);
    offset += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const out = new Uint8Array(width * height * 3);
  let previous = new Uint8Array(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const row = Uint8Array.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? row[i - channels] : 0, b = previous[i], c = i >= channels ? previous[i - channels] : 0;
      let predictor = 0;
      if (filter === 1) predictor = a;
      else if (filter === 2) predictor = b;
      else if (filter === 3) predictor = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      row[i] = (row[i] + predictor) & 0xFF;
    }
    for (let x = 0; x < width; x++) for (let k = 0; k < 3; k++) out[(y * width + x) * 3 + k] = row[x * channels + k];
    previous = row;
  }
  return { width, height, pixels: out };
}

// Shares of all pixels, and of the pixels where either picture shows something other than the
// background (the top-left pixel's colour), that agree within `tolerance` in every channel.
function compare(a, b, tolerance = 8) {
  if (a.width !== b.width || a.height !== b.height) throw new Error(`sizes ${a.width}x${a.height} and ${b.width}x${b.height}`);
  const background = a.pixels.subarray(0, 3);
  const differs = (p, i) => Math.abs(p[i] - background[0]) > tolerance || Math.abs(p[i + 1] - background[1]) > tolerance ||
    Math.abs(p[i + 2] - background[2]) > tolerance;
  let same = 0, shown = 0, shownSame = 0;
  for (let i = 0; i < a.pixels.length; i += 3) {
    const agree = Math.abs(a.pixels[i] - b.pixels[i]) <= tolerance && Math.abs(a.pixels[i + 1] - b.pixels[i + 1]) <= tolerance &&
      Math.abs(a.pixels[i + 2] - b.pixels[i + 2]) <= tolerance;
    if (agree) same++;
    if (differs(a.pixels, i) || differs(b.pixels, i)) {
      shown++;
      if (agree) shownSame++;
    }
  }
  const count = a.pixels.length / 3;
  return { all: same / count, model: shown ? shownSame / shown : 1, shownShare: shown / count };
}

function scratchFolder() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'vertigon-web-'));
}

// Resolves the path of the download `name` once it is complete in `folder`.
function downloadedIn(folder) {
  return async (name, timeout = 30000) => {
    const file = path.join(folder, name);
    const start = Date.now();
    while (Date.now() - start < timeout) {
      if (fs.existsSync(file) && !fs.existsSync(`${file}.crdownload`)) return file;
      await new Promise((r) => setTimeout(r, 50));
    }
    throw new Error(`no download ${name}`);
  };
}

module.exports = { serveSite, launch, openSite, status, upload, viewPixels, readPng, compare, scratchFolder, downloadedIn };
