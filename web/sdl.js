// Emscripten's SDL as the game uses it. The screen is an 8-bit palettised
// surface whose pixels the game keeps in its own memory: a lock neither
// reads the canvas back (emscripten cannot turn colours back into palette
// indices) nor clears it. Gamepad slots the browser lists but nobody has
// plugged in are no joysticks.
SDL.defaults.copyOnLock = false;
SDL.defaults.discardOnLock = true;
SDL.defaults.opaqueFrontBuffer = false;
// The desktop's SDL hands out a cleared screen, and the game never draws
// some of its border pixels: emscripten's comes from malloc, cleared here.
var vorbixMakeSurface = SDL.makeSurface;
SDL.makeSurface = function (width, height) {
  var surf = vorbixMakeSurface.apply(this, arguments);
  var data = SDL.surfaces[surf];
  if (data && data.buffer)
    HEAPU8.fill(0, data.buffer, data.buffer + width * height * 4);
  return surf;
};
SDL.getGamepads = function () {
  var pads = navigator.getGamepads ? navigator.getGamepads() : [];
  return Array.prototype.map.call(pads, function (pad) { return pad || undefined; });
};

// While the browser holds sound back (before the player's first key or
// click, or with no sound device), its clock stands still and emscripten
// never asks the mixer for more: a wait for a sound to end would never
// end. Then the mixer is called here at the pace of playback, its output
// dropped, so the game's timing is the same with and without sound.
(function () {
  var heardTime = -1;
  var heardAt = 0;
  var mixedUntil = null;

  // Emscripten's audio timer keeps the runtime alive while it is pending;
  // closing the audio clears it without letting go, and the game's exit
  // would then never run its exit handlers (nor print "End."). The close
  // calls callbackRemover first: there the pending timer lets go.
  function hookClose(audio) {
    var remove = audio.callbackRemover;
    audio.closeHooked = true;
    audio.callbackRemover = function () {
      if (audio.timer !== undefined)
        runtimeKeepalivePop();
      if (remove)
        remove();
    };
  }
  // A timer of the page's own: it runs between the game's turns of the
  // page's main loop, as emscripten's own audio timer does.
  setInterval(function () {
    if (ABORT || runtimeExited)
      return;
    var audio = SDL.audio;
    var context = SDL.audioContext;
    var now = performance.now();
    if (audio && !audio.closeHooked)
      hookClose(audio);
    if (!audio || audio.paused || !audio.callback) {
      mixedUntil = null;
      return;
    }
    var time = context ? context.currentTime : -1;
    if (context && context.state === 'running' && time !== heardTime) {
      heardTime = time;
      heardAt = now;
      mixedUntil = null;
      return;
    }
    if (now - heardAt < 100)
      return;   // a running clock moves within a few milliseconds
    var bufferMs = audio.samples / audio.freq * 1000;
    if (mixedUntil === null)
      mixedUntil = now;
    while (mixedUntil + bufferMs <= now) {
      getWasmTableEntry(audio.callback)(audio.userdata, audio.buffer, audio.bufferSize);
      mixedUntil += bufferMs;
    }
  }, 20);
})();
