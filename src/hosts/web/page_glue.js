// The page side of the browser host: the canvas, the pointer, the message box, the
// frame driver, the clock and the persistent folder. The C++ in this folder is the only caller.
mergeInto(LibraryManager.library, {
  $SkypopPage: {
    picture: null,      // the ImageData the frames are copied into, made once (2D canvas)
    context: null,      // the canvas's 2D context
    pixels: null,       // the heap's view of the frame's RGBA or indices, kept while the heap stays
    colours: null,      // the heap's view of the palette (WebGL)
    gl: null,           // the canvas's WebGL context, and what it draws with
    drawing: null,
    shown: false,       // the first frame is on the canvas
    running: false,     // the frame driver is calling the game
    // The folder whose files are kept in IndexedDB between visits (PersistentFolder in page.cpp).
    folder: '/skypop',
    lasting: false,     // the folder is kept in IndexedDB (false: in memory, for this visit only)
    syncs: null,        // the last FS.syncfs asked for: each waits for the one before it
    release: null,      // lets the site-wide lock on the folder go
    lockName: 'skypop-scores',
    lockWaitMs: 3000,   // another page holds the lock only while it stores, which takes moments
    touchId: null,      // the one touch (or pen) that steers the cross-hair; other fingers are ignored
    lastPointer: '',    // the pointerType of the latest pointer event of any kind

    canvas: function() {
      return Module['canvas'] || document.getElementById('canvas');
    },

    // A test page (test/test_hooks.js) moves the clock by hand; a normal page reads the real one.
    manualClock: function() {
      return typeof Module['skypopManualClock'] === 'number';
    },

    // Runs FS.syncfs (populate: read IndexedDB into the folder; else write the folder out) once
    // every sync asked for before it has ended: two at once would work on each other's half-done
    // folder. Resolves with the error, or null.
    sync: function(populate) {
      var run = function() {
        return new Promise(function(resolve) {
          FS.syncfs(populate, function(error) { resolve(error || null); });
        });
      };
      SkypopPage.syncs = SkypopPage.syncs ? SkypopPage.syncs.then(run) : run();
      return SkypopPage.syncs;
    },

    firstFrame: function() {
      if (SkypopPage.shown) return;
      SkypopPage.shown = true;
      // The benchmark measures the page load up to here; the offline copy waits for it.
      if (performance.mark) performance.mark('skypop-first-frame');
    },

    // Tells the player, once, in the page's small note (the console says why).
    note: function(text) {
      if (Module['showNote']) Module['showNote'](text);
    },

    storageFailed: function(what, error) {
      console.error('SKYPOP FRENZY: ' + what + ': ' + error);
      SkypopPage.note('The high scores are kept only until this page is closed.');
    },

    // Whether the page may use IndexedDB: some private modes and embedded views have none, and
    // where site data is blocked even asking for it throws.
    hasIndexedDB: function() {
      try {
        return !!window.indexedDB;
      } catch (e) {
        return false;
      }
    },

    // Before main: mounts the persistent folder and reads it back from IndexedDB, so the score
    // table the game loads is the one the last visit stored. Without IndexedDB the folder is a
    // plain one in memory, and the page says the scores last only until it is closed.
    mountStorage: function() {
      var folder = SkypopPage.folder;
      FS.mkdir(folder);
      if (!SkypopPage.hasIndexedDB()) {
        console.warn('SKYPOP FRENZY: this browser keeps no site data here');
        SkypopPage.note('The high scores are kept only until this page is closed.');
        return;
      }
      FS.mount(IDBFS, {}, folder);
      SkypopPage.lasting = true;
      addRunDependency('skypop-storage');
      SkypopPage.sync(true).then(function(error) {
        if (error) SkypopPage.storageFailed('the stored scores could not be read', error);
        removeRunDependency('skypop-storage');
      });
    },
  },
  $SkypopPage__deps: ['$FS', '$IDBFS'],
  $SkypopPage__postset: 'addOnPreRun(SkypopPage.mountStorage);',

  skypop_page_visible: function() {
    return document.visibilityState === 'hidden' ? 0 : 1;
  },

  // Every pointer event passes here first (the page's mouse events follow their own pointer
  // events, so lastPointer tells a real mouse from the one a browser imitates after a touch). A
  // touch or pen put down on the picture goes to the game; one already down keeps the cross-hair.
  skypop_listen_touch__deps: ['$SkypopPage'],
  skypop_listen_touch: function(on) {
    var page = SkypopPage;
    var phases = {pointerdown: 0, pointermove: 1, pointerup: 2, pointercancel: 3};
    if (!page.onPointer) {
      page.onPointer = function(e) {
        page.lastPointer = e.pointerType;
        if (e.pointerType === 'mouse') return;
        var phase = phases[e.type];
        if (phase === 0) {
          if (page.touchId !== null || e.target !== page.canvas()) return;
          page.touchId = e.pointerId;
          e.preventDefault();  // no imitated mouse events, where the browser honours it
        } else if (e.pointerId !== page.touchId) {
          return;
        }
        if (phase >= 2) page.touchId = null;
        _skypop_page_touch(phase, e.clientX, e.clientY);
      };
    }
    Object.keys(phases).forEach(function(name) {
      if (on) {
        window.addEventListener(name, page.onPointer, {capture: true, passive: false});
      } else {
        window.removeEventListener(name, page.onPointer, {capture: true});
      }
    });
    page.touchId = null;
  },

  skypop_pointer_is_touch__deps: ['$SkypopPage'],
  skypop_pointer_is_touch: function() {
    return SkypopPage.lastPointer === 'touch' || SkypopPage.lastPointer === 'pen' ? 1 : 0;
  },

  // A button or field of the page has the keyboard's focus (not the picture, not the page).
  skypop_page_control_focused__deps: ['$SkypopPage'],
  skypop_page_control_focused: function() {
    var focused = document.activeElement;
    return focused && focused !== document.body && focused !== SkypopPage.canvas() ? 1 : 0;
  },

  skypop_show_resume: function(shown) {
    if (Module['showResume']) Module['showResume'](!!shown);
  },

  skypop_show_pointer__deps: ['$SkypopPage'],
  skypop_show_pointer: function(visible) {
    var canvas = SkypopPage.canvas();
    if (canvas) canvas.style.cursor = visible ? 'auto' : 'none';
  },

  // Sizes the canvas to the picture and chooses how to draw on it: WebGL (1) where the browser
  // has it, a 2D canvas (0) where it has not.
  skypop_picture_open__deps: ['$SkypopPage', '$SkypopPicture'],
  skypop_picture_open: function(width, height) {
    var canvas = SkypopPage.canvas();
    if (!canvas) return 0;
    canvas.width = width;
    canvas.height = height;
    return SkypopPicture.open(canvas, width, height) ? 1 : 0;
  },

  // Copies width x height RGBA pixels from the heap onto the 2D canvas.
  skypop_show_picture__deps: ['$SkypopPage'],
  skypop_show_picture: function(rgba, width, height) {
    var page = SkypopPage;
    if (!page.picture) {
      var canvas = page.canvas();
      if (!canvas) return;
      page.context = canvas.getContext('2d', {alpha: false});
      if (!page.context) return;
      page.picture = page.context.createImageData(width, height);
    }
    if (!page.pixels || page.pixels.buffer !== HEAPU8.buffer || page.pixels.byteOffset !== rgba) {
      page.pixels = HEAPU8.subarray(rgba, rgba + width * height * 4);
    }
    page.picture.data.set(page.pixels);
    page.context.putImageData(page.picture, 0, 0);
    page.firstFrame();
  },

  // Uploads the 8-bit picture (and the palette, when it changed) and draws it through WebGL.
  skypop_show_indexed__deps: ['$SkypopPage', '$SkypopPicture'],
  skypop_show_indexed: function(indices, width, height, palette) {
    var page = SkypopPage;
    var size = width * height;
    if (!page.pixels || page.pixels.buffer !== HEAPU8.buffer || page.pixels.byteOffset !== indices) {
      page.pixels = HEAPU8.subarray(indices, indices + size);
    }
    if (palette && (!page.colours || page.colours.buffer !== HEAPU8.buffer ||
                    page.colours.byteOffset !== palette)) {
      page.colours = HEAPU8.subarray(palette, palette + 4 * 256);
    }
    SkypopPicture.draw(page.pixels, palette ? page.colours : null);
    page.firstFrame();
  },

  // A pointer position in the page's client pixels as a picture position, packed as a mouse-move
  // message carries it; positions over the black bars are clamped to the picture's edge.
  skypop_picture_point__deps: ['$SkypopPage'],
  skypop_picture_point: function(clientX, clientY, width, height) {
    var canvas = SkypopPage.canvas();
    if (!canvas) return 0;
    var box = canvas.getBoundingClientRect();
    var x = box.width > 0 ? Math.floor((clientX - box.left) * width / box.width) : 0;
    var y = box.height > 0 ? Math.floor((clientY - box.top) * height / box.height) : 0;
    x = Math.min(Math.max(x, 0), width - 1);
    y = Math.min(Math.max(y, 0), height - 1);
    return (x | (y << 16)) >>> 0;
  },

  skypop_show_message: function(text, caption) {
    var show = Module['showMessage'];
    if (show) {
      show(UTF8ToString(caption), UTF8ToString(text));
    } else {
      console.warn(UTF8ToString(caption) + ': ' + UTF8ToString(text));
    }
  },

  skypop_clock_ms__deps: ['$SkypopPage'],
  skypop_clock_ms: function() {
    return SkypopPage.manualClock() ? Module['skypopManualClock'] : performance.now();
  },

  // Calls the game's passes on every animation frame until it reports the end. A hidden page
  // gets no animation frames, so a slow timer carries on there: the game must still run a tick to
  // notice it lost the focus and pause. Each change of visibility re-schedules the next call on
  // the right one of the two (a frame asked for just before the page was hidden would only come
  // once it shows again). With the test clock the test calls the passes.
  skypop_run_frames__deps: ['$SkypopPage'],
  skypop_run_frames: function() {
    var page = SkypopPage;
    page.running = true;
    if (page.manualClock()) return;
    var latest = 0;  // only the most recently scheduled call runs
    function frame() {
      if (!page.running) return;
      var more = Module['_skypop_page_frame']();
      if (more) schedule();
    }
    function schedule() {
      var mine = ++latest;
      var call = function() {
        if (mine === latest) frame();
      };
      if (document.visibilityState === 'hidden') {
        setTimeout(call, 100);
      } else {
        requestAnimationFrame(call);
      }
    }
    document.addEventListener('visibilitychange', function() {
      if (page.running) schedule();
    });
    schedule();
  },

  skypop_folder_lasts__deps: ['$SkypopPage'],
  skypop_folder_lasts: function() {
    return SkypopPage.lasting ? 1 : 0;
  },

  // The site-wide lock on the folder (the Web Locks API, shared by every page of the site), given
  // up after lockWaitMs. Where the browser has no such lock (plain http, an older browser) the
  // store goes on unlocked: each write is still whole, though two pages storing at the same
  // moment may then miss each other's row.
  skypop_folder_lock__deps: ['$SkypopPage'],
  skypop_folder_lock: function() {
    var done = function(ok) {
      setTimeout(function() { Module['_skypop_page_storage_done'](ok); }, 0);
    };
    var locks = navigator.locks;
    if (!locks || !window.AbortController) return done(1);
    var stop = new AbortController();
    var timer = setTimeout(function() { stop.abort(); }, SkypopPage.lockWaitMs);
    locks.request(SkypopPage.lockName, {signal: stop.signal}, function() {
      clearTimeout(timer);
      done(1);
      return new Promise(function(resolve) { SkypopPage.release = resolve; });
    }).catch(function(error) {
      if (error && error.name === 'AbortError') {
        done(0);
      } else {
        clearTimeout(timer);
        console.warn('SKYPOP FRENZY: storing without the lock: ' + error);
        done(1);
      }
    });
  },

  skypop_folder_unlock__deps: ['$SkypopPage'],
  skypop_folder_unlock: function() {
    var release = SkypopPage.release;
    SkypopPage.release = null;
    if (release) release();
  },

  skypop_folder_read__deps: ['$SkypopPage'],
  skypop_folder_read: function() {
    SkypopPage.sync(true).then(function(error) {
      if (error) SkypopPage.storageFailed('the stored scores could not be read', error);
      Module['_skypop_page_storage_done'](error ? 0 : 1);
    });
  },

  skypop_folder_write__deps: ['$SkypopPage'],
  skypop_folder_write: function() {
    SkypopPage.sync(false).then(function(error) {
      if (error) {
        SkypopPage.storageFailed('the scores could not be stored', error);
      } else if (Module['onSkypopStored']) {
        Module['onSkypopStored']();
      }
      Module['_skypop_page_storage_done'](error ? 0 : 1);
    });
  },

  skypop_game_ended__deps: ['$SkypopPage'],
  skypop_game_ended: function() {
    SkypopPage.running = false;
    if (Module['onGameEnded']) Module['onGameEnded']();
  },

});
