// The timed light's part of the page: Space and Enter start and cancel a run, as a camera's
// remote paired as a keyboard sends them; its tones sound through Web Audio, which a browser
// allows only once the user has touched the page; and the phone vibrates where it can.
'use strict';

(function () {
  const M = window.Module;
  if (!M) return;
  let audio = null;

  function startAudio() {
    if (!audio) {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return;
      try {
        audio = new Context();
      } catch (error) {
        return; // no sound here; the light works without it
      }
    }
    if (audio.state === 'suspended') audio.resume().catch(() => {});
  }
  document.addEventListener('pointerdown', startAudio, true);
  document.addEventListener('keydown', startAudio, true);

  // A short high tick each second, a longer higher tone as the light comes on, a low one as
  // it goes off.
  const tones = [
    { frequency: 880, seconds: 0.06, vibrate: 40 },
    { frequency: 1320, seconds: 0.25, vibrate: 150 },
    { frequency: 660, seconds: 0.4, vibrate: 300 },
  ];

  M.playTone = (kind) => {
    const tone = tones[kind];
    if (!tone) return;
    if (navigator.vibrate) navigator.vibrate(tone.vibrate);
    if (!audio || audio.state !== 'running') return;
    const t = audio.currentTime;
    const oscillator = audio.createOscillator();
    const gain = audio.createGain();
    oscillator.frequency.value = tone.frequency;
    gain.gain.setValueAtTime(0, t);
    gain.gain.linearRampToValueAtTime(0.3, t + 0.005);
    gain.gain.setValueAtTime(0.3, t + tone.seconds - 0.005);
    gain.gain.linearRampToValueAtTime(0, t + tone.seconds);
    oscillator.connect(gain).connect(audio.destination);
    oscillator.start(t);
    oscillator.stop(t + tone.seconds);
  };

  document.addEventListener('keydown', (event) => {
    const key = event.code === 'Space' || event.key === ' ' ? 0 : event.key === 'Enter' ? 1 : -1;
    // Typing in light writing's text field is not a remote's key.
    if (key < 0 || event.repeat || !M._nocturo_key || event.target instanceof HTMLInputElement)
      return;
    event.preventDefault();
    M._nocturo_key(key, performance.now() / 1000);
  });
})();
