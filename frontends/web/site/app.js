// Nocturo's page: loads the WebAssembly module, hands it the page's clock, the touches and the
// scale, and shows its framebuffer on the canvas. Around it:
//   Layout       the screen fills the safe area at the display's pixel ratio, letterboxed
//   Time         the run loop on the page's clock
//   Touches      every finger anywhere on the page, the black bars included
//   Dark page    nothing of the page is lit while the painting screen shows
//   Full screen  the Fullscreen API, or on an iPhone the hint to add the page to the home screen
//   Awake        the Wake Lock API, else a silent video loop, else a plain notice
//   Start        the module, then the offline worker
'use strict';

(function () {
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', { alpha: false });
  const fullscreenButton = document.getElementById('fullscreen');
  const message = document.getElementById('message');
  const notice = document.getElementById('notice');
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

  // ---- Layout: the window's points fill the safe area (the body's box inside its padding,
  // which keeps clear of a notch) at the display's pixel ratio, letterboxed on black.

  function safeArea() {
    const style = getComputedStyle(document.body);
    const inset = (side) => parseFloat(style.getPropertyValue('padding-' + side)) || 0;
    return {
      width: Math.max(1, document.body.clientWidth - inset('left') - inset('right')),
      height: Math.max(1, document.body.clientHeight - inset('top') - inset('bottom')),
    };
  }

  function layout() {
    if (!app) return;
    const ratio = window.devicePixelRatio || 1;
    const area = safeArea();
    const fit = Math.min(area.width / app.pointWidth, area.height / app.pointHeight);
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
    updatePainting();
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

  // ---- Touches: every pointer is one finger, in window points. The whole page is the light's:
  // a finger on the black bars around the screen is a finger at the nearest point of the
  // screen's edge. The page's own controls keep their touches.

  const isPageControl = (target) =>
    target instanceof Element && target !== canvas && target.closest('button, input, .notice') !== null;

  // Inside the screen: the maximum edges themselves belong to the next screen over.
  const within = (value, size) => Math.min(Math.max(value, 0), size - 1 / 256);

  function point(event) {
    const box = canvas.getBoundingClientRect();
    return {
      x: within(((event.clientX - box.left) * app.pointWidth) / (box.width || 1), app.pointWidth),
      y: within(((event.clientY - box.top) * app.pointHeight) / (box.height || 1),
        app.pointHeight),
    };
  }

  function touch(kind) {
    return (event) => {
      if (!app) return;
      if (kind === touchKind.down) {
        if (isPageControl(event.target)) return;
        // Later moves and the lift come to the canvas even when the finger leaves it.
        try {
          canvas.setPointerCapture(event.pointerId);
        } catch (error) {
          // The pointer is gone already; its lift or cancellation follows.
        }
        touchedCanvas = true;
        // A browser lets a page start a video on a mouse's press or a finger's lift.
        awake.keep(event.pointerType === 'mouse');
        updateFullscreenButton();
      } else if (event.target !== canvas) {
        // Only the captured pointers of fingers that went down on the light.
        return;
      } else if (kind === touchKind.up) {
        awake.keep(true);
      }
      event.preventDefault();
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

  document.addEventListener('pointerdown', touch(touchKind.down));
  document.addEventListener('pointermove', touch(touchKind.move));
  document.addEventListener('pointerup', touch(touchKind.up));
  document.addEventListener('pointercancel', touch(touchKind.cancel));
  document.addEventListener('contextmenu', (event) => event.preventDefault());
  // Safari's pinch zoom, which the viewport's settings do not stop.
  document.addEventListener('gesturestart', (event) => event.preventDefault());
  // A double tap that would zoom, and a long press that would select or call out.
  document.addEventListener('touchstart', (event) => {
    if (!isPageControl(event.target)) event.preventDefault();
  }, { passive: false });
  window.addEventListener('blur', cancelTouches);
  window.addEventListener('resize', layout);
  canvas.addEventListener('contextrestored', () => app && app.invalidate());

  // ---- Dark page: while the painting screen shows, whatever the page has around the canvas is
  // drawn at most as bright as the screen's own dim controls (see index.html, body.painting).

  let painting = null;

  function updatePainting() {
    const now = Boolean(app.showsPaintingScreen());
    if (now === painting) return;
    painting = now;
    document.body.classList.toggle('painting', painting);
  }

  // ---- Full screen, when the browser offers it and the page is not installed as an app
  // already. An iPhone's browser has no Fullscreen API: there the button gives way to a hint
  // to add the page to the home screen, from where it opens without the browser around it.
  // Over the light the button would paint into the photograph, so when the black border
  // cannot hold it, it goes once the light is touched.

  const root = document.documentElement;
  const requestFullscreen = root.requestFullscreen || root.webkitRequestFullscreen;
  const standalone = window.matchMedia('(display-mode: fullscreen), (display-mode: standalone)');
  const appleTouchDevice = /iPhone|iPad|iPod/.test(navigator.userAgent) ||
    (navigator.platform === 'MacIntel' && navigator.maxTouchPoints > 1);
  const homeScreenHint = !requestFullscreen && appleTouchDevice;
  let hintDismissed = false;

  if (homeScreenHint) {
    fullscreenButton.textContent = 'Full screen: Share, then Add to Home Screen';
    fullscreenButton.classList.add('hint');
  }

  function isFullscreen() {
    return Boolean(document.fullscreenElement || document.webkitFullscreenElement);
  }

  function isInstalled() {
    return standalone.matches || navigator.standalone === true;
  }

  // The button's corner: the top left, about 120 x 44 points (the hint takes two lines).
  function updateFullscreenButton() {
    const box = canvas.getBoundingClientRect();
    const onBorder = box.left >= 120 || box.top >= (homeScreenHint ? 64 : 44);
    fullscreenButton.hidden = !(requestFullscreen || homeScreenHint) || hintDismissed ||
      isInstalled() || isFullscreen() || (touchedCanvas && !onBorder);
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

  fullscreenButton.addEventListener('click', () => {
    if (homeScreenHint) {
      hintDismissed = true;
      updateFullscreenButton();
    } else {
      enterFullscreen();
    }
  });
  document.addEventListener('fullscreenchange', layout);
  document.addEventListener('webkitfullscreenchange', layout);
  document.addEventListener('keydown', (event) => {
    if (event.target instanceof HTMLInputElement) return; // typing in the text field
    if (event.key === 'f' && requestFullscreen && !isFullscreen()) enterFullscreen();
  });

  // ---- Awake: the screen is kept on while the page shows, and again when it shows again.
  // The Wake Lock API where the page has it (a secure page); otherwise a silent video loop
  // (NoSleep, from nosleep.js), which a browser plays only from a touch; when neither can hold
  // the screen, the page says so once, so that the photographer can set the phone instead.

  const awake = {
    lock: null,
    pending: false,
    video: null,
    videoStarted: false,
    warned: false,

    // `gesture`: called from a press or lift, when a browser lets a video start.
    async keep(gesture) {
      if (document.visibilityState !== 'visible') return;
      if ('wakeLock' in navigator) {
        if (this.lock || this.pending) return;
        this.pending = true;
        try {
          this.lock = await navigator.wakeLock.request('screen');
          this.lock.addEventListener('release', () => {
            this.lock = null;
          });
        } catch (error) {
          // Refused: battery saver, or a browser that wants a touch first (the next one asks).
          if (gesture) this.warn();
        }
        this.pending = false;
        return;
      }
      if (typeof window.NoSleep !== 'function') {
        this.warn();
        return;
      }
      this.video = this.video || new window.NoSleep();
      // Once a touch has started the video, a browser lets the page start it again.
      if (this.video.isEnabled || this.pending || !(gesture || this.videoStarted)) return;
      this.pending = true;
      try {
        await this.video.enable();
        this.videoStarted = true;
        // Hidden while the video was starting: it stops now, as it would have then.
        if (document.visibilityState !== 'visible') this.video.disable();
      } catch (error) {
        if (gesture) this.warn();
      }
      this.pending = false;
    },

    hidden() {
      // A hidden page's video stops; the next showing or touch starts it again.
      if (this.video && this.video.isEnabled) this.video.disable();
    },

    warn() {
      if (this.warned) return;
      this.warned = true;
      document.getElementById('notice-https').hidden = window.isSecureContext;
      notice.hidden = false;
    },
  };

  notice.addEventListener('click', () => {
    notice.hidden = true;
  });

  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'visible') {
      awake.keep(false);
      if (app) pump(performance.now());
    } else {
      awake.hidden();
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

  // ---- Start. The offline worker is registered once the module runs: by then the page has
  // every file it keeps in the browser's cache, where the worker takes them from.

  function registerWorker() {
    if (!('serviceWorker' in navigator) || !window.isSecureContext) return;
    navigator.serviceWorker.register('sw.js').catch((error) => {
      console.warn('Nocturo works only online here: ' + error);
    });
  }

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
      showsPaintingScreen: M._nocturo_shows_painting_screen,
    };
    layout();
    awake.keep(false);
    requestAnimationFrame(frame);
    if (document.readyState === 'complete') registerWorker();
    else window.addEventListener('load', registerWorker);
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
})();
