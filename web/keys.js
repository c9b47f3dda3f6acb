// Browser keys as the SDL 1.2 key symbols the game, its key bindings,
// scripts and movies use (emscripten's SDL would deliver later key codes),
// and the modifier state to go with them. Keyed by the DOM key code, which
// also the key-ups SDL makes up when the page loses focus carry.
var VORBIX_KEYS = (function () {
  var table = {
    8: 8, 9: 9, 12: 12, 13: 13, 16: 304, 17: 306, 18: 308, 19: 19, 20: 301, 27: 27, 32: 32,
    33: 280, 34: 281, 35: 279, 36: 278, 37: 276, 38: 273, 39: 275, 40: 274, 44: 316, 45: 277, 46: 127,
    59: 59, 61: 61, 91: 310, 92: 309, 93: 319,
    106: 268, 107: 270, 109: 269, 110: 266, 111: 267, 144: 300, 145: 302, 173: 45,
    186: 59, 187: 61, 188: 44, 189: 45, 190: 46, 191: 47, 192: 96, 219: 91, 220: 92, 221: 93, 222: 39,
    225: 313
  };
  var i;
  for (i = 48; i <= 57; i++)
    table[i] = i;             // digits
  for (i = 65; i <= 90; i++)
    table[i] = i + 32;        // letters, lower case
  for (i = 96; i <= 105; i++)
    table[i] = i + 160;       // keypad digits: 256..265
  for (i = 112; i <= 126; i++)
    table[i] = i + 170;       // F1..F15: 282..296
  // The right-hand modifier, the keypad's Enter.
  var right = { 304: 303, 306: 305, 308: 307, 310: 309 };
  var KEYPAD = 3, RIGHT = 2;
  // Modifier bits of the SDL 1.2 key state for each modifier key.
  var modifiers = { 304: 0x1, 303: 0x2, 306: 0x40, 305: 0x80, 308: 0x100, 307: 0x200, 310: 0x400, 309: 0x800 };

  function symbol(event) {
    var code = table[event.keyCode] || 0;
    if (event.location === RIGHT && right[code])
      code = right[code];
    if (event.location === KEYPAD && code === 13)
      code = 271;
    return code;
  }

  SDL.lookupKeyCodeForEvent = symbol;
  var handle = SDL.handleEvent;
  SDL.handleEvent = function (event) {
    var fresh = !event.handled;
    handle.apply(this, arguments);
    if (fresh && (event.type === 'keydown' || event.type === 'keyup')) {
      var state = 0;
      for (var key in modifiers)
        if (HEAP8[SDL.keyboardState + Number(key)])
          state |= modifiers[key];
      SDL.modState = state;
    }
  };
  return { symbol: symbol };
})();
