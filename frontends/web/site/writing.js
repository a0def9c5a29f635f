// Light writing's part of the page: the text field over the screen that edits the line (the
// phone's own keyboard), the file picker for the user's picture, and the display's refresh rate.
// The core asks for the first two synchronously, from inside the touch on its button, so that
// the browser treats them as the user's own gesture.
'use strict';

(function () {
  const M = window.Module;
  if (!M) return;
  const field = document.getElementById('writing-text');
  const picker = document.getElementById('writing-file');
  const notice = document.getElementById('writing-notice');
  let noticeTimer = 0;

  function showNotice(text) {
    notice.textContent = text;
    notice.hidden = false;
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(() => {
      notice.hidden = true;
    }, 5000);
  }
  notice.addEventListener('click', () => {
    notice.hidden = true;
  });

  function withText(text, call) {
    const size = M.lengthBytesUTF8(text) + 1;
    const pointer = M._malloc(size);
    if (!pointer) return;
    M.stringToUTF8(text, pointer, size);
    call(pointer);
    M._free(pointer);
  }

  field.addEventListener('input', () => {
    withText(field.value, (pointer) => M._nocturo_type_text(pointer));
  });
  field.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === 'Escape') {
      event.preventDefault();
      field.blur();
    }
  });
  field.addEventListener('blur', () => {
    field.hidden = true;
  });

  async function picked() {
    const file = picker.files && picker.files[0];
    picker.value = '';
    if (!file) return;
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      showNotice('The file could not be read.');
      return;
    }
    const pointer = M._malloc(Math.max(1, bytes.length));
    if (!pointer) {
      showNotice('The picture is too large to read here.');
      return;
    }
    M.HEAPU8.set(bytes, pointer);
    const message = M.UTF8ToString(M._nocturo_choose_picture(pointer, bytes.length));
    M._free(pointer);
    if (message) showNotice(message);
  }
  picker.addEventListener('change', picked);

  M.request = (what, text) => {
    if (what === 0) {
      field.value = text;
      field.hidden = false;
      field.focus();
      field.select();
    } else if (what === 1) {
      picker.click();
    }
  };

  // The refresh rate from the animation frames of the first half second: the median gap, so
  // that a slow first frame does not count.
  const gaps = [];
  let last = 0;
  function measure(now) {
    if (last) gaps.push(now - last);
    last = now;
    if (gaps.length < 30) {
      requestAnimationFrame(measure);
      return;
    }
    gaps.sort((a, b) => a - b);
    const rate = 1000 / gaps[gaps.length >> 1];
    const sure = rate >= 20 && rate <= 500;
    // The application may start after the measuring ends; before the module has run, its
    // exported functions exist but throw.
    (function tell() {
      if (!M.calledRun || !M._nocturo_set_display(0, sure ? rate : 60))
        requestAnimationFrame(tell);
    })();
  }
  requestAnimationFrame(measure);
})();
