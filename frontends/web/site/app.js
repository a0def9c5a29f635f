// Nocturo's page: loads the WebAssembly module, hands it the page's clock, the touches and the
// scale, and shows its framebuffer on the canvas. Around it: full screen, the screen kept
// awake, and the offline worker.
'use strict';

(function () {
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', { alpha: false });
  const fullscreenButton = document.getElementById('fullscreen');
  const message = document.getElementById('message');
  const maxScale = 4;
  const touchKind = { down: 0, move: 1, up: 2, cancel: 3 };

  let app = null;
  let scale = 1;
  let frameInterval = 1000 / 60;
  let lastFrame = 0;
  let timeout = 0;
  let timeoutAt = Infinity;
  let touchedCanvas = false;

  const seconds = (ms) => ms / 1000;

  function show(text) {
    message.textContent = text;
    message.hidden = false;
  }

  // ---- Layout: the window's points fill the screen at its pixel ratio, letterboxed on black.

  function layout() {
    if (!app) return;
    const ratio = window.devicePixelRatio || 1;
    const fit = Math.min(window.innerWidth / app.pointWidth, window.innerHeight / app.pointHeight);
    scale = Math.min(maxScale, Math.max(0.25, fit * ratio));
    canvas.style.width = (app.pointWidth * scale) / ratio + 'px';
    canvas.style.height = (app.pointHeight * scale) / ratio + 'px';
    updateFullscreenButton();
  }

  // ---- Time: the run loop steps on every animation frame, and in between from a timeout
  // whenever something falls due before the next frame, so that timers keep the clock's pace
  // even when the browser draws fewer frames.

  function pump(now) {
    schedule(app.step(seconds(now)) * 1000, now);
  }

  function schedule(due, now) {
    if (!(due < lastFrame + frameInterval)) return;
    if (timeout && timeoutAt <= due) return;
    clearTimeout(timeout);
    timeoutAt = due;
    timeout = setTimeout(() => {
      timeout = 0;
      timeoutAt = Infinity;
      pump(performance.now());
    }, Math.max(0, due - now));
  }

  function frame() {
    requestAnimationFrame(frame);
    const now = performance.now();
    const gap = now - lastFrame;
    if (lastFrame && gap > 4 && gap < 250) frameInterval += (gap - frameInterval) * 0.1;
    lastFrame = now;
    pump(now);
    draw(now);
  }

  function draw(now) {
    if (!app.render(seconds(now), scale)) return;
    const w = app.pixelWidth();
    const h = app.pixelHeight();
    if (!w || !h) return;
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
    }
    // The heap may have grown since the last frame: take its buffer afresh.
    const pixels = new Uint8ClampedArray(Module.HEAPU8.buffer, app.pixels(), w * h * 4);
    context.putImageData(new ImageData(pixels, w, h), 0, 0);
  }

  // ---- Touches: every pointer is one finger, in window points.

  function point(event) {
    const box = canvas.getBoundingClientRect();
    return {
      x: ((event.clientX - box.left) * app.pointWidth) / (box.width || 1),
      y: ((event.clientY - box.top) * app.pointHeight) / (box.height || 1),
    };
  }

  function touch(kind) {
    return (event) => {
      if (!app) return;
      event.preventDefault();
      if (kind === touchKind.down) {
        // Later moves and the lift come here even when the finger leaves the canvas.
        try {
          canvas.setPointerCapture(event.pointerId);
        } catch (error) {
          // The pointer is gone already; its lift or cancellation follows.
        }
        touchedCanvas = true;
        keepAwake();
        updateFullscreenButton();
      }
      const now = performance.now();
      const p = point(event);
      app.touch(kind, event.pointerId, p.x, p.y, seconds(now));
      pump(now);
    };
  }

  function cancelTouches() {
    if (!app) return;
    const now = performance.now();
    app.cancelTouches(seconds(now));
    pump(now);
  }

  canvas.addEventListener('pointerdown', touch(touchKind.down));
  canvas.addEventListener('pointermove', touch(touchKind.move));
  canvas.addEventListener('pointerup', touch(touchKind.up));
  canvas.addEventListener('pointercancel', touch(touchKind.cancel));
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  // Safari's pinch zoom, which the viewport's settings do not stop.
  document.addEventListener('gesturestart', (event) => event.preventDefault());
  window.addEventListener('blur', cancelTouches);
  window.addEventListener('resize', layout);
  canvas.addEventListener('contextrestored', () => app && app.invalidate());

  // ---- Full screen, when the browser offers it and the page is not installed as an app
  // already. Over the light the button would paint into the photograph, so when the black
  // border cannot hold it, it goes once the light is touched.

  const root = document.documentElement;
  const requestFullscreen = root.requestFullscreen || root.webkitRequestFullscreen;
  const standalone = window.matchMedia('(display-mode: fullscreen), (display-mode: standalone)');

  function isFullscreen() {
    return Boolean(document.fullscreenElement || document.webkitFullscreenElement);
  }

  // The button's corner: the top left, about 120 x 44 points.
  function updateFullscreenButton() {
    const box = canvas.getBoundingClientRect();
    const onBorder = box.left >= 120 || box.top >= 44;
    fullscreenButton.hidden = !requestFullscreen || standalone.matches || isFullscreen() ||
      (touchedCanvas && !onBorder);
  }

  async function enterFullscreen() {
    try {
      await requestFullscreen.call(root, { navigationUI: 'hide' });
      if (screen.orientation && screen.orientation.lock)
        await screen.orientation.lock('portrait').catch(() => {});
    } catch (error) {
      // Refused (no user gesture, or not allowed here): the page stays as it is.
    }
  }

  fullscreenButton.addEventListener('click', enterFullscreen);
  document.addEventListener('fullscreenchange', layout);
  document.addEventListener('webkitfullscreenchange', layout);
  document.addEventListener('keydown', (event) => {
    if (event.key === 'f' && requestFullscreen && !isFullscreen()) enterFullscreen();
  });

  // ---- The screen kept awake while the page shows, taken again when it shows again.

  let wakeLock = null;
  let wakeLockPending = false;

  async function keepAwake() {
    if (wakeLock || wakeLockPending || !('wakeLock' in navigator)) return;
    if (document.visibilityState !== 'visible') return;
    wakeLockPending = true;
    try {
      wakeLock = await navigator.wakeLock.request('screen');
      wakeLock.addEventListener('release', () => {
        wakeLock = null;
      });
    } catch (error) {
      // Refused: battery saver, or a browser that wants a gesture first (the next touch asks).
    }
    wakeLockPending = false;
  }

  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'visible') {
      keepAwake();
      if (app) pump(performance.now());
    } else {
      cancelTouches();
    }
  });

  // ---- Help and other pages of the application's own site are pages of this site, whose
  // root is the folder of this page.

  function openSitePage(path) {
    const url = new URL(path.replace(/^\/+/, ''), document.baseURI).href;
    const opened = window.open(url, '_blank');
    if (opened) opened.opener = null;
    else window.location.assign(url);
  }

  // ---- Start.

  function start() {
    const M = Module;
    if (!M._nocturo_start(seconds(performance.now()))) {
      show('Nocturo could not start: ' + M.UTF8ToString(M._nocturo_error()));
      return;
    }
    app = {
      step: M._nocturo_step,
      touch: M._nocturo_touch,
      cancelTouches: M._nocturo_cancel_touches,
      render: M._nocturo_render,
      invalidate: M._nocturo_invalidate,
      pixels: M._nocturo_pixels,
      pixelWidth: M._nocturo_pixel_width,
      pixelHeight: M._nocturo_pixel_height,
      pointWidth: M._nocturo_point_width() || 320,
      pointHeight: M._nocturo_point_height() || 480,
    };
    layout();
    keepAwake();
    requestAnimationFrame(frame);
  }

  window.Module = {
    locateFile: (path) => path,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    openSitePage,
    onRuntimeInitialized: start,
    onAbort: (what) => show('Nocturo stopped: ' + what),
  };

  const module = document.createElement('script');
  module.src = 'nocturo.js';
  module.onerror = () => show('Nocturo could not be loaded. Check the connection and reload.');
  document.body.appendChild(module);

  updateFullscreenButton();

  if ('serviceWorker' in navigator && window.isSecureContext) {
    window.addEventListener('load', () => {
      navigator.serviceWorker.register('sw.js').catch((error) => {
        console.warn('Nocturo works only online here: ' + error);
      });
    });
  }
})();
