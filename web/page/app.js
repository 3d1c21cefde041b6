// Vertigon in the browser: the page around the module's viewer. Files are read here and handed
// to the module's in-memory file system; nothing is sent anywhere.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const canvas = $('view');
  const statusLine = $('status');
  const switches = ['texture', 'blending', 'flat', 'bones', 'wireframe'];
  const speeds = [0.25, 0.5, 1, 2, 4];
  const filesFolder = '/files';
  const imagePath = '/program-image/ee-image.bin';
  const autoplayKey = 'vertigon.autoplay';

  let module = null;
  let viewer = null;
  let seenChanges = -1;
  let lastTime = null;
  let sliderHeld = false;

  const setStatus = (text) => { statusLine.textContent = text; };

  // ---- the program image, kept in IndexedDB ----
  const store = {
    open() {
      return new Promise((resolve, reject) => {
        const request = indexedDB.open('vertigon', 1);
        request.onupgradeneeded = () => request.result.createObjectStore('files');
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error);
      });
    },
    async run(mode, action) {
      const db = await store.open();
      try {
        return await new Promise((resolve, reject) => {
          const request = action(db.transaction('files', mode).objectStore('files'));
          request.onsuccess = () => resolve(request.result);
          request.onerror = () => reject(request.error);
        });
      } finally {
        db.close();
      }
    },
    get: (key) => store.run('readonly', (s) => s.get(key)),
    put: (key, value) => store.run('readwrite', (s) => s.put(value, key)),
    remove: (key) => store.run('readwrite', (s) => s.delete(key)),
  };

  function writeFile(path, bytes) {
    const folder = path.slice(0, path.lastIndexOf('/'));
    if (!module.FS.analyzePath(folder).exists) module.FS.mkdirTree(folder);
    module.FS.writeFile(path, bytes);
  }

  // Returns the status text the image left (a refusal says why).
  function useProgramImage(bytes) {
    if (bytes) {
      writeFile(imagePath, bytes);
      viewer.setProgramImage(imagePath);
    } else {
      if (module.FS.analyzePath(imagePath).exists) module.FS.unlink(imagePath);
      viewer.setProgramImage('');
    }
    refresh(true);
    return viewer.status();
  }

  async function chooseProgramImage(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    useProgramImage(bytes);
    if (viewer.emulatorReady()) {
      try {
        await store.put('ee-image', bytes);
      } catch (error) {
        setStatus(`${viewer.status()} (the program image could not be kept in this browser: ${error})`);
        return;
      }
      if (!viewer.hasModel()) setStatus(`Program image ${file.name} kept in this browser`);
    }
  }

  async function forgetProgramImage() {
    try { await store.remove('ee-image'); } catch (error) { /* nothing was kept */ }
    useProgramImage(null);
    setStatus('The program image is forgotten');
  }

  // ---- opening ----
  async function openFiles(fileList) {
    const files = Array.from(fileList);
    if (files.length === 0) return;
    const paths = [];
    for (const file of files) {
      const path = `${filesFolder}/${file.name.replace(/\//g, '_')}`;
      writeFile(path, new Uint8Array(await file.arrayBuffer()));
      paths.push(path);
    }
    // As a drop on the desktop: the first model is shown (an animation file beside it opens
    // with it), and PageDown/PageUp reach the others. Only animation files: the first says why
    // it does not open alone.
    const models = paths.filter((p) => viewer.fileKind(p) === 'model');
    openPath(models.length ? models[0] : paths[0]);
  }

  function openPath(path) {
    viewer.autoplay = $('autoplay').checked;
    viewer.open(path);
    lastTime = null;
    refresh(true);
    $('drop-hint').hidden = viewer.hasModel();
  }

  function openNeighbour(delta) {
    const path = viewer.neighbourPath(delta);
    if (path) openPath(path);
  }

  // ---- what the page shows of the viewer ----
  function refresh(force) {
    const changes = viewer.changes();
    if (force || changes !== seenChanges) {
      seenChanges = changes;
      for (const name of switches) $(name).checked = viewer.switchOn(name);
      fillLods();
      fillAnimations();
      const hasModel = viewer.hasModel();
      for (const id of ['export', 'save-image', 'textures-view', 'stats-view', ...switches]) $(id).disabled = !hasModel;
      $('ee-forget').disabled = !module.FS.analyzePath(imagePath).exists;
    }
    setStatus(viewer.status());
    refreshPlayback();
  }

  function fillLods() {
    const select = $('lod');
    select.textContent = '';
    for (let i = 0; i < viewer.lodCount(); i++) select.add(new Option(`${i}`, `${i}`));
    select.value = `${viewer.lod()}`;
    select.disabled = viewer.lodCount() < 2;
  }

  function fillAnimations() {
    const list = JSON.parse(viewer.animationListJson());
    const aside = $('animations');
    aside.textContent = '';
    const title = document.createElement('div');
    title.textContent = list.root;
    aside.append(title);
    for (const group of list.groups) {
      const details = document.createElement('details');
      details.open = true;
      const summary = document.createElement('summary');
      summary.textContent = group.text;
      details.append(summary);
      for (const leaf of group.leaves) {
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = leaf.text;
        button.dataset.group = leaf.group;
        button.dataset.index = leaf.index;
        button.addEventListener('click', () => {
          viewer.selectAnimation(leaf.group, leaf.index);
          for (const b of aside.querySelectorAll('button')) b.classList.toggle('current', b === button);
          lastTime = null;
          refreshPlayback();
        });
        details.append(button);
      }
      aside.append(details);
    }
  }

  function refreshPlayback() {
    const frames = viewer.frames();
    const slider = $('frame');
    slider.max = `${Math.max(frames - 1, 0)}`;
    if (!sliderHeld) slider.value = `${viewer.frame()}`;
    slider.disabled = !viewer.hasClip();
    $('frame-number').textContent = `${viewer.frame()} / ${Math.max(frames - 1, 0)}`;
    $('play').textContent = viewer.playing() ? 'Pause' : 'Play';
    for (const id of ['play', 'step-back', 'step-forward']) $(id).disabled = !viewer.hasClip();
  }

  function showTextures() {
    const list = $('texture-list');
    list.textContent = '';
    for (let i = 0; i < viewer.textureCount(); i++) {
      const width = viewer.textureWidth(i), height = viewer.textureHeight(i);
      const pixels = viewer.texturePixels(i);
      const figure = document.createElement('figure');
      const picture = document.createElement('canvas');
      picture.width = width;
      picture.height = height;
      if (pixels.length === width * height * 4 && width > 0) {
        picture.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(pixels.buffer), width, height), 0, 0);
      }
      const caption = document.createElement('figcaption');
      caption.textContent = viewer.textureCaption(i);
      figure.append(picture, caption);
      list.append(figure);
    }
    if (viewer.textureCount() === 0) list.textContent = 'This model has no textures.';
    $('texture-dialog').showModal();
  }

  function showStats() {
    const table = $('stats-table');
    table.textContent = '';
    for (const [label, value] of JSON.parse(viewer.statsJson())) {
      const row = table.insertRow();
      row.insertCell().textContent = label;
      row.insertCell().textContent = value;
    }
    $('stats-dialog').showModal();
  }

  // ---- downloads ----
  function stemOf(path) {
    const name = path.slice(path.lastIndexOf('/') + 1);
    const dot = name.lastIndexOf('.');
    return dot > 0 ? name.slice(0, dot) : name;
  }

  function download(blob, name) {
    const url = URL.createObjectURL(blob);
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  function exportGltf() {
    if (!viewer.hasModel()) return;
    const name = `${stemOf(viewer.currentPath())}.glb`;
    const path = `/export/${name}`;
    if (!module.FS.analyzePath('/export').exists) module.FS.mkdir('/export');
    const exported = viewer.exportGlb(path);
    setStatus(viewer.status() + (exported ? '' : `: ${viewer.failure()}`));
    if (!exported) return;
    const bytes = module.FS.readFile(path);
    module.FS.unlink(path);
    download(new Blob([bytes], { type: 'model/gltf-binary' }), name);
  }

  function saveImage() {
    if (!viewer.hasModel()) return;
    const name = `${stemOf(viewer.currentPath())}_view.png`;
    canvas.toBlob((blob) => { if (blob) download(blob, name); }, 'image/png');
  }

  // ---- the view: size, redraw, pointer, touch, keys ----
  function fitCanvas() {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
      viewer.resize(width, height);
    }
  }

  function frame(now) {
    fitCanvas();
    // The first redraw after an open or a new clip advances nothing.
    const elapsed = lastTime === null ? 0 : now - lastTime;
    lastTime = now;
    viewer.draw(elapsed);
    if (viewer.hasClip()) refreshPlayback();
    requestAnimationFrame(frame);
  }

  const pointers = new Map();
  let pinch = null;

  function motion(x, y, buttons) {
    viewer.motion(Math.round(x), Math.round(y), canvas.width, canvas.height, buttons.shift, buttons.left, buttons.middle);
  }

  function localPoint(event) {
    const box = canvas.getBoundingClientRect();
    const ratio = canvas.width / Math.max(box.width, 1);
    return { x: (event.clientX - box.left) * ratio, y: (event.clientY - box.top) * ratio };
  }

  function touchCentre() {
    const points = [...pointers.values()];
    const x = (points[0].x + points[1].x) / 2, y = (points[0].y + points[1].y) / 2;
    const spread = Math.hypot(points[0].x - points[1].x, points[0].y - points[1].y);
    return { x, y, spread };
  }

  canvas.addEventListener('pointerdown', (event) => {
    canvas.focus();
    canvas.setPointerCapture(event.pointerId);
    // The first finger down starts a new gesture, whatever the last one left behind.
    if (event.pointerType === 'touch' && event.isPrimary) pointers.clear();
    pointers.set(event.pointerId, localPoint(event));
    if (event.pointerType === 'touch' && pointers.size === 2) {
      motion(0, 0, {});  // the one-finger turn ends
      pinch = touchCentre();
      motion(pinch.x, pinch.y, { middle: true });
    }
    event.preventDefault();
  });
  canvas.addEventListener('pointermove', (event) => {
    if (!pointers.has(event.pointerId)) return;
    const point = localPoint(event);
    pointers.set(event.pointerId, point);
    if (event.pointerType === 'touch') {
      if (pointers.size === 1) motion(point.x, point.y, { left: true });
      if (pointers.size === 2 && pinch) {
        const now = touchCentre();
        motion(now.x, now.y, { middle: true });
        if (pinch.spread > 0 && now.spread > 0) {
          viewer.zoom(Math.round(4000 * (1 - pinch.spread / now.spread)));
          // A pan's scale follows the distance: the drag starts again at the new one.
          motion(0, 0, {});
          motion(now.x, now.y, { middle: true });
        }
        pinch = now;
      }
      return;
    }
    const left = (event.buttons & 1) !== 0, middle = (event.buttons & 4) !== 0;
    motion(point.x, point.y, { left, middle, shift: event.shiftKey });
  });
  const release = (event) => {
    pointers.delete(event.pointerId);
    if (pointers.size < 2) pinch = null;
    motion(0, 0, {});
  };
  canvas.addEventListener('pointerup', release);
  canvas.addEventListener('pointercancel', release);
  canvas.addEventListener('wheel', (event) => {
    event.preventDefault();
    // One notch (120) of the desktop's wheel is about 100 pixels or 3 lines here.
    const perUnit = event.deltaMode === 1 ? 40 : event.deltaMode === 2 ? 400 : 1.2;
    viewer.zoom(Math.round(-event.deltaY * perUnit));
  }, { passive: false });
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());

  // The desktop viewer's keys.
  document.addEventListener('keydown', (event) => {
    if (!viewer || event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.target instanceof HTMLInputElement && event.target.type !== 'range' && event.target.type !== 'checkbox') return;
    if (event.target instanceof HTMLSelectElement || document.querySelector('dialog[open]')) return;
    const actions = {
      f: () => viewer.frameModel(), F: () => viewer.frameModel(),
      Home: () => viewer.resetView(),
      ' ': () => viewer.togglePause(),
      ',': () => viewer.stepFrames(-1), '.': () => viewer.stepFrames(1),
      ArrowLeft: () => viewer.turnDegrees(-5, 0), ArrowRight: () => viewer.turnDegrees(5, 0),
      ArrowUp: () => viewer.turnDegrees(0, -5), ArrowDown: () => viewer.turnDegrees(0, 5),
      '+': () => viewer.zoom(120), '=': () => viewer.zoom(120), '-': () => viewer.zoom(-120),
      PageDown: () => openNeighbour(1), PageUp: () => openNeighbour(-1),
    };
    const action = actions[event.key];
    if (!action) return;
    event.preventDefault();
    action();
    refresh(false);
  });

  // ---- controls ----
  function wireControls() {
    $('open').addEventListener('change', async (event) => {
      await openFiles(event.target.files);
      event.target.value = '';
    });
    $('ee-image').addEventListener('change', async (event) => {
      if (event.target.files.length) await chooseProgramImage(event.target.files[0]);
      event.target.value = '';
    });
    $('ee-forget').addEventListener('click', forgetProgramImage);
    const stage = $('stage');
    stage.addEventListener('dragover', (event) => { event.preventDefault(); stage.classList.add('dragging'); });
    stage.addEventListener('dragleave', () => stage.classList.remove('dragging'));
    stage.addEventListener('drop', (event) => {
      event.preventDefault();
      stage.classList.remove('dragging');
      if (event.dataTransfer && event.dataTransfer.files.length) openFiles(event.dataTransfer.files);
    });
    for (const name of switches) {
      $(name).addEventListener('change', (event) => { viewer.setSwitch(name, event.target.checked); refresh(true); });
    }
    $('lod').addEventListener('change', (event) => { viewer.selectLod(Number(event.target.value)); refresh(true); });
    $('textures-view').addEventListener('click', showTextures);
    $('stats-view').addEventListener('click', showStats);
    $('animations-toggle').addEventListener('click', () => $('animations').classList.toggle('open'));
    $('export').addEventListener('click', exportGltf);
    $('save-image').addEventListener('click', saveImage);
    $('play').addEventListener('click', () => { viewer.togglePause(); lastTime = null; refreshPlayback(); });
    $('step-back').addEventListener('click', () => { viewer.stepFrames(-1); refreshPlayback(); });
    $('step-forward').addEventListener('click', () => { viewer.stepFrames(1); refreshPlayback(); });
    const slider = $('frame');
    slider.addEventListener('input', () => { sliderHeld = true; viewer.seekFrame(Number(slider.value)); refreshPlayback(); });
    slider.addEventListener('change', () => { sliderHeld = false; refreshPlayback(); });
    const speed = $('speed');
    for (const s of speeds) speed.add(new Option(`${s}×`, `${s}`));
    speed.value = '1';
    speed.addEventListener('change', () => viewer.setSpeed(Number(speed.value)));
    $('loop').addEventListener('change', (event) => viewer.setLoop(event.target.checked));
    const autoplay = $('autoplay');
    autoplay.checked = localStorage.getItem(autoplayKey) !== 'off';
    autoplay.addEventListener('change', () => localStorage.setItem(autoplayKey, autoplay.checked ? 'on' : 'off'));
  }

  async function start() {
    wireControls();
    try {
      module = await createVertigon();
      module.FS.mkdirTree(filesFolder);
      viewer = new module.Viewer('#view');
    } catch (error) {
      setStatus(`Vertigon cannot run in this browser: ${error && error.message ? error.message : error}`);
      return;
    }
    fitCanvas();
    let kept = null;
    try { kept = await store.get('ee-image'); } catch (error) { kept = null; }
    if (kept) useProgramImage(kept);
    refresh(true);
    setStatus(kept && viewer.emulatorReady() ? 'Ready; the kept program image runs MDLS animations'
      : 'Ready: open a model or drop one on the view');
    window.vertigon = { module, viewer, openFiles, ready: true, readyAt: performance.now() };
    requestAnimationFrame(frame);
  }

  start();
})();
