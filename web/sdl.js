// Emscripten's SDL as the game uses it. The screen is an 8-bit palettised
// surface whose pixels the game keeps in its own memory: a lock neither
// reads the canvas back (emscripten cannot turn colours back into palette
// indices) nor clears it. Gamepad slots the browser lists but nobody has
// plugged in are no joysticks.
SDL.defaults.copyOnLock = false;
SDL.defaults.discardOnLock = true;
SDL.defaults.opaqueFrontBuffer = false;
SDL.getGamepads = function () {
  var pads = navigator.getGamepads ? navigator.getGamepads() : [];
  return Array.prototype.map.call(pads, function (pad) { return pad || undefined; });
};
