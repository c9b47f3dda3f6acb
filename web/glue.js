// The page's side of the game, run ahead of it: the command line, script and
// fast mode from the URL, the game's output to the console and the log, and
// the user directory in the browser's storage (IndexedDB), loaded before the
// game starts and written back after every change to a file in it.
(function () {
  var params = new URLSearchParams(window.location.search);
  var page = window.vorbixPage || {};
  var HOME = '/home/web_user';

  function note(hook, text) {
    if (page[hook])
      page[hook](text);
  }

  Module.arguments = (params.get('args') || '').split(/\s+/).filter(Boolean);
  Module.canvas = document.getElementById('canvas');
  Module.noAudioDecoding = true;   // the sounds are read as files, not played by the page
  Module.print = function (text) {
    console.log(text);
    note('log', text);
  };
  Module.printErr = function (text) {
    console.error(text);
    note('log', text);
  };
  Module.setStatus = function (text) {
    note('status', text);   // the download's progress
  };
  Module.onExit = function (status) {
    note('ended', status);
  };

  // Flushes run one at a time; a change during a flush asks for another.
  // A change asks for a flush after the game's turn of the page, not in the
  // middle of it: a file replaced in one turn (written to a temporary,
  // renamed over the old one) is stored as a whole, and the flush does not
  // look for a temporary that is gone by the time it reads it.
  var flushing = false;
  var flushAgain = false;
  var flushQueued = false;
  // What the tests read: flushes done and failed, and whether one is running.
  window.vorbixStorage = { flushes: 0, failures: 0, busy: false };

  function flush() {
    if (flushing) {
      flushAgain = true;
      return;
    }
    flushing = true;
    window.vorbixStorage.busy = true;
    FS.syncfs(false, function (error) {
      flushing = false;
      window.vorbixStorage.busy = flushAgain || flushQueued;
      if (error) {
        window.vorbixStorage.failures++;
        var text = 'Your files could not be saved in this browser\'s storage (' + (error.message || error.errno || error) +
                   '): what changed since the last save is lost when the page closes.';
        console.error(text);
        note('storageFailed', text);
      } else {
        window.vorbixStorage.flushes++;
      }
      if (flushAgain) {
        flushAgain = false;
        flush();
      }
    });
  }

  function flushAfterTurn() {
    if (flushQueued)
      return;
    flushQueued = true;
    window.vorbixStorage.busy = true;
    setTimeout(function () {
      flushQueued = false;
      flush();
    }, 0);
  }

  function inHome(path) {
    return typeof path === 'string' && (path === HOME || path.indexOf(HOME + '/') === 0);
  }

  // Every file written in the user directory (closed after writing), renamed
  // or removed there is flushed: results, the archive, the player's name,
  // key bindings, configuration, artwork and screenshots alike.
  function watchWrites() {
    var close = FS.close;
    FS.close = function (stream) {
      var wrote = stream && inHome(stream.path) && (stream.flags & 3) !== 0;
      var result = close.apply(this, arguments);
      if (wrote)
        flushAfterTurn();
      return result;
    };
    ['rename', 'unlink', 'rmdir', 'mkdir'].forEach(function (name) {
      var original = FS[name];
      FS[name] = function (path) {
        var result = original.apply(this, arguments);
        if (inHome(path))
          flushAfterTurn();
        return result;
      };
    });
  }

  Module.preRun = Module.preRun || [];
  Module.preRun.push(function () {
    if (params.get('fast') === '1')
      ENV.VORBIX_FAST = '1';
    FS.mount(IDBFS, {}, HOME);
    // The game writes screenshots into its working directory: the stored
    // home directory, so they are kept too.
    FS.chdir(HOME);
    addRunDependency('user-files');
    FS.syncfs(true, function (error) {
      if (error) {
        var text = 'Your saved files could not be read from this browser\'s storage (' + (error.message || error) + ').';
        console.error(text);
        note('storageFailed', text);
      }
      watchWrites();
      removeRunDependency('user-files');
    });
    var script = params.get('script');
    if (script) {
      addRunDependency('script');
      fetch(script).then(function (response) {
        if (!response.ok)
          throw new Error('HTTP ' + response.status);
        return response.text();
      }).then(function (text) {
        FS.writeFile('/script.txt', text);
        ENV.VORBIX_SCRIPT = '/script.txt';
      }).catch(function (error) {
        console.error('Cannot fetch the script ' + script + ': ' + error.message);
        ENV.VORBIX_SCRIPT = script;   // the game says it cannot read it
      }).finally(function () {
        removeRunDependency('script');
      });
    }
  });
})();
