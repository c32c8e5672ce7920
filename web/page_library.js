// The page's half of the game's front end (linked with --js-library beside the backend's): the
// player's files kept in the browser, what the address asks for, the news the game hands the page
// and the requests the page hands the game, and the touch zones' way in. page.js builds the panels
// on window.pellarisPage and window.pellarisStorage.
mergeInto(LibraryManager.library, {
  // The folder of the player's files, read in from IndexedDB before the game starts and written back
  // after every change: by the game's own fsync (settings and scores), every two seconds while the
  // page is open (a round's recording as it grows), and when the page is hidden.
  $PellarisStore__deps: ['$FS', '$IDBFS'],
  $PellarisStore__postset: 'PellarisStore.start();',
  $PellarisStore: {
    folder: '/pellaris',
    owner: false,  // this page writes the browser's storage: no other tab of the game does
    mount: null,
    queue: null,   // the syncs, one after another
    status: {storage: 'none', syncs: 0, failures: 0, error: ''},

    // Whether the address asks to watch a recording rather than play.
    watching: function() {
      var query = new URLSearchParams(location.search);
      return query.has('watch') || query.has('watch-kept') || query.has('watch-file');
    },

    // Only one tab of the game at a time writes the files, or each would undo the other's changes. A
    // tab watching a recording writes nothing, so it leaves them to a tab that plays.
    lock: function() {
      if (PellarisStore.watching()) return Promise.resolve(false);
      if (!navigator.locks) return Promise.resolve(true);
      return new Promise(function(resolve) {
        navigator.locks.request('pellaris-storage', {ifAvailable: true}, function(lock) {
          resolve(!!lock);
          if (lock) return new Promise(function() {});  // held while the page lives
        }).catch(function() { resolve(true); });
      });
    },

    // IDBFS with its syncs in a queue (the game's fsync and the page's timer would otherwise run two
    // at once) that write only in the page holding the lock.
    fileSystem: function() {
      var S = PellarisStore, type = Object.create(IDBFS);
      type.syncfs = function(mount, populate, callback) {
        if (!populate && !S.owner) {
          callback(null);
          return;
        }
        S.queue = (S.queue || Promise.resolve()).then(function() {
          return new Promise(function(resolve) {
            IDBFS.syncfs(mount, populate, function(error) {
              if (error) {
                S.status.failures++;
                S.status.error = String((error && error.message) || error);
                // A full or refusing storage: the player is told, as the game's answers say "Saved".
                if (!populate) {
                  window.dispatchEvent(new CustomEvent('pellaris-storage-failed', {detail: S.status.error}));
                }
              } else if (!populate) {
                S.status.syncs++;
              }
              resolve();
              callback(error || null);
            });
          });
        });
      };
      return type;
    },

    // Resolves to 'kept', 'this visit' (another tab keeps the files) or 'none' (the browser keeps
    // nothing).
    open: function() {
      var S = PellarisStore;
      return S.lock().then(function(owner) {
        S.owner = owner;
        try {
          FS.mkdir(S.folder);
          S.mount = FS.mount(S.fileSystem(), {}, S.folder).mount;
        } catch (error) {
          return 'none';
        }
        return S.readIn(3).then(function(read) {
          return !read ? 'none' : owner ? 'kept' : 'this visit';
        });
      }).catch(function() {
        return 'none';
      }).then(function(storage) {
        S.status.storage = storage;
        if (storage === 'kept') {
          setInterval(S.flush, 2000);
          document.addEventListener('visibilitychange', function() {
            if (document.hidden) S.flush();
          });
        }
        return storage;
      });
    },

    // Opens the folder as the page loads, while the program is still being fetched and compiled, and
    // gives the page its files: window.pellarisStorage.
    start: function() {
      var S = PellarisStore;
      S.opening = S.open();
      window.pellarisStorage = {
        status: S.status,
        flush: S.flush,
        // The recordings kept, newest first: [{name, size}].
        recordings: function() {
          var folder = S.folder + '/replays', names = [];
          try {
            names = FS.readdir(folder).filter(function(name) { return /\.rec$/.test(name); });
          } catch (error) {
            return [];
          }
          return names.sort().reverse().map(function(name) {
            return {name: name, size: FS.stat(folder + '/' + name).size};
          });
        },
        // A file of the folder as text ('replays/NAME.rec', 'board.json'), or null.
        read: function(name) {
          if (!/^[\w.-]+(\/[\w.-]+)?$/.test(name) || /(^|\/)\.\.?($|\/)/.test(name)) return null;
          try {
            return FS.readFile(S.folder + '/' + name, {encoding: 'utf8'});
          } catch (error) {
            return null;
          }
        },
        // Writes a file of the page's own into the folder and keeps it.
        write: function(name, text) {
          FS.writeFile(S.folder + '/' + name, text);
          return S.flush();
        },
      };
    },

    // Reads the files in; resolves to whether it could. Another tab writing meanwhile can take a file
    // away between the listing and the reading, so a failed reading is tried again.
    readIn: function(tries) {
      var S = PellarisStore;
      return new Promise(function(resolve) {
        S.mount.type.syncfs(S.mount, true, function(error) { resolve(!error); });
      }).then(function(read) {
        if (read || tries <= 1) return read;
        return new Promise(function(resolve) { setTimeout(resolve, 100); }).then(function() {
          return S.readIn(tries - 1);
        });
      });
    },

    // Resolves once everything written so far is in the browser's storage.
    flush: function() {
      var S = PellarisStore;
      if (!S.mount) return Promise.resolve();
      return new Promise(function(resolve) {
        S.mount.type.syncfs(S.mount, false, function() { resolve(); });
      });
    },
  },

  pellaris_page_open_storage__deps: ['$PellarisStore'],
  pellaris_page_open_storage: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      PellarisStore.opening.then(function(storage) {
        wakeUp(storage === 'kept' ? 1 : storage === 'this visit' ? 2 : 0);
      });
    });
  },

  // "?seed=N" (a whole number below 2^32), "?daily", and a recording to watch.
  pellaris_page_request__deps: ['$PellarisStore'],
  pellaris_page_request: function(hasSeed, seed, daily, watch) {
    var query = new URLSearchParams(location.search);
    var text = query.get('seed');
    var number = text !== null && /^\d{1,10}$/.test(text) ? Number(text) : NaN;
    HEAP32[hasSeed >> 2] = number <= 4294967295 ? 1 : 0;
    HEAPU32[seed >> 2] = number <= 4294967295 ? number : 0;
    HEAP32[daily >> 2] = query.has('daily') ? 1 : 0;
    HEAP32[watch >> 2] = PellarisStore.watching() ? 1 : 0;
  },

  // The text of the recording the address names: fetched ("?watch=URL", at most a megabyte), one of
  // the page's own ("?watch-kept=NAME") or the file the player chose ("?watch-file", handed over in
  // the tab's session storage). A C string, or 0 with the reason in *error.
  pellaris_page_watch_text__deps: ['malloc', '$PellarisStore'],
  pellaris_page_watch_text: function(error) {
    return Asyncify.handleSleep(function(wakeUp) {
      var query = new URLSearchParams(location.search), largest = 1 << 20;
      function copy(text) {
        var size = lengthBytesUTF8(text) + 1, at = _malloc(size);
        stringToUTF8(text, at, size);
        return at;
      }
      function fail(why) {
        HEAPU32[error >> 2] = copy(why);
        wakeUp(0);
      }
      var tooLarge = 'the recording is larger than a recording can be';
      function done(text) {
        if (text.length > largest) return fail(tooLarge);
        // The game takes the text as a C string: a NUL would end it early, and a damaged file read as
        // a shorter one.
        if (text.includes('\0')) return fail('the recording holds a NUL byte, which no recording has');
        HEAPU32[error >> 2] = 0;
        wakeUp(copy(text));
      }
      // The body read as it comes, and let go past the largest size: a server that says no length, or
      // never stops, does not fill the page's memory.
      function textOfAtMost(response, heard) {
        if (!response.body) return '';
        var reader = response.body.getReader(), decoder = new TextDecoder(), text = '', size = 0;
        function more(part) {
          if (part.done) return text + decoder.decode();
          heard();
          size += part.value.length;
          if (size > largest) {
            reader.cancel().catch(function() {});
            throw new Error(tooLarge);
          }
          text += decoder.decode(part.value, {stream: true});
          return reader.read().then(more);
        }
        return reader.read().then(more);
      }
      if (query.has('watch-kept')) {
        var name = query.get('watch-kept');
        var text = /^[\w.-]+\.rec$/.test(name) ? window.pellarisStorage.read('replays/' + name) : null;
        return text === null ? fail('this browser keeps no recording named ' + JSON.stringify(name)) : done(text);
      }
      if (query.has('watch-file')) {
        var chosen = null;
        try {
          chosen = sessionStorage.getItem('pellaris-watch-file');
        } catch (problem) {
          // A browser that keeps nothing for the tab: nothing was handed over.
        }
        return chosen === null ? fail('no file was chosen to watch') : done(chosen);
      }
      // A server that goes silent, before its answer or in the middle of it, is given up after a
      // while, and one that keeps sending a byte at a time after a minute, rather than leaving the
      // page at "Loading" for ever.
      var unfetched = 'the recording could not be fetched: ';
      var quiet = new AbortController(), timer = 0, reason = '';
      function giveUp(why) {
        if (reason) return;
        reason = why;
        quiet.abort();
      }
      function heard() {
        clearTimeout(timer);
        timer = setTimeout(giveUp, 20000, unfetched + 'its server sent nothing for 20 seconds');
      }
      var deadline = setTimeout(giveUp, 60000, unfetched + 'its server took more than a minute to send it');
      // Escape leaves the wait as it leaves a recording being watched.
      function escape(event) {
        if (event.key === 'Escape') giveUp('it was left with Escape before it arrived');
      }
      function settle() {
        clearTimeout(timer);
        clearTimeout(deadline);
        window.removeEventListener('keydown', escape);
      }
      window.addEventListener('keydown', escape);
      heard();
      // The game's page says "Playing." already; until the recording is here, it says what it waits for.
      var status = document.getElementById('status'), playing = status.textContent;
      status.textContent = 'Fetching the recording\u2026';
      // Inside the promise, so that an address that is no address (new URL throws) is a reason too.
      Promise.resolve(query.get('watch')).then(function(address) {
        return fetch(new URL(address, location.href), {credentials: 'same-origin', signal: quiet.signal});
      }).then(function(response) {
        heard();
        if (!response.ok) throw new Error('the recording could not be fetched (' + response.status + ')');
        return textOfAtMost(response, heard);
      }).then(function(text) {
        settle();
        status.textContent = playing;
        done(text);
      }, function(problem) {
        settle();
        // The browser's own words for a network failure ("Failed to fetch") say little on their own.
        var said = String(problem.message || problem);
        fail(reason || (problem instanceof TypeError ? unfetched + said : said));
      });
    });
  },

  // News for the page: window.pellarisPage.told[kind] keeps the last, and a 'pellaris-KIND' event
  // tells whoever listens.
  pellaris_page_tell: function(kind, json) {
    var name = UTF8ToString(kind), detail = JSON.parse(UTF8ToString(json));
    var page = window.pellarisPage || (window.pellarisPage = {told: {}, requests: []});
    page.told[name] = detail;
    window.dispatchEvent(new CustomEvent('pellaris-' + name, {detail: detail}));
  },

  // The page's next request to the game (pushed onto window.pellarisPage.requests), a C string, or 0.
  pellaris_page_next_request__deps: ['malloc'],
  pellaris_page_next_request: function() {
    var page = window.pellarisPage;
    if (!page || !page.requests || !page.requests.length) return 0;
    var text = String(page.requests.shift()), size = lengthBytesUTF8(text) + 1, at = _malloc(size);
    stringToUTF8(text, at, size);
    return at;
  },

  // The page's touch zones reach the game through pellaris_page_touch(zones, id, zone, down).
  pellaris_page_listen_for_touch: function(zones) {
    var page = window.pellarisPage || (window.pellarisPage = {told: {}, requests: []});
    page.touch = zones ? function(id, zone, down) { _pellaris_page_touch(zones, id, zone, down); } : null;
  },
});
