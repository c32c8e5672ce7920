// The page's half of the web backend (linked with --js-library): the canvas and its layout, full
// screen, the message box, frame pacing and Web Audio. The C++ half calls the pellaris_web_*
// functions; keys, buttons, focus and visibility reach it through Emscripten's HTML5 API.
mergeInto(LibraryManager.library, {
  $PellarisPage: {
    started: false,
    stage: null,    // the element that holds the canvas and goes full screen
    canvas: null,
    context: null,
    scratch: null,  // a canvas for pictures drawn at another size
    fullScreen: false,
    fit: false,     // fit scaling rather than whole multiples
    frameDue: 0,    // when the next frame is due (performance.now() milliseconds)
    audio: null,    // {rate, owner, context, node, buffer, frames} while the game has audio open
    // What the page is doing, for the player's status line and for tests.
    // Times are performance.now() milliseconds: when the question came up, was answered, and when the
    // first picture came.
    status: {frames: 0, fullScreen: false, audioState: 'closed', audioBlocks: 0, ended: false, questionAt: 0,
             answeredAt: 0, firstPictureAt: 0, pads: 0, otherPads: 0},

    element: function(id) {
      return document.getElementById(id);
    },

    say: function(text) {
      var line = PellarisPage.element('status');
      if (line) line.textContent = text;
    },

    // The canvas at the largest whole multiple of its size (in device pixels) that fits, or as large as
    // fits with fit scaling, centred; a picture too big for the page or the screen shrinks, keeping its
    // shape. The stage fills the screen when the game is full screen, or the browser shows it so (a
    // touch screen's first touch).
    layout: function() {
      var P = PellarisPage, canvas = P.canvas;
      if (!canvas) return;
      var full = P.fullScreen || (!!document.fullscreenElement && document.fullscreenElement === P.stage);
      P.stage.classList.toggle('full', full);
      var ratio = window.devicePixelRatio || 1;
      var width = full ? P.stage.clientWidth : document.documentElement.clientWidth - 32;
      var height = full ? P.stage.clientHeight : window.innerHeight - 32;
      var fits = Math.min(width / canvas.width, height / canvas.height);
      var whole = Math.floor(fits * ratio);
      var cssWidth, cssHeight;
      if (P.fit || whole < 1) {
        cssWidth = Math.max(1, Math.floor(canvas.width * fits));
        cssHeight = Math.max(1, Math.floor(canvas.height * fits));
      } else {
        cssWidth = canvas.width * whole / ratio;
        cssHeight = canvas.height * whole / ratio;
      }
      canvas.style.width = cssWidth + 'px';
      canvas.style.height = cssHeight + 'px';
    },

    // Browsers let a page play sound only after a key or a click on it.
    startAudio: function() {
      var audio = PellarisPage.audio;
      if (!audio) return;
      if (!audio.context) {
        var Context = window.AudioContext || window.webkitAudioContext;
        audio.context = new Context({sampleRate: audio.rate});
        // A script processor runs on the page's thread, between the game's frames, so the mixer needs
        // no lock; an audio worklet would need a second copy of the mixer's state.
        audio.node = audio.context.createScriptProcessor(audio.frames, 0, 2);
        audio.node.onaudioprocess = PellarisPage.playAudio;
        audio.node.connect(audio.context.destination);
        audio.context.onstatechange = function() {
          PellarisPage.status.audioState = audio.context.state;
        };
      }
      if (audio.context.state === 'suspended') audio.context.resume();
      PellarisPage.status.audioState = audio.context.state;
    },

    playAudio: function(event) {
      var audio = PellarisPage.audio, output = event.outputBuffer;
      if (!audio) return;
      var frames = output.length;
      if (audio.bufferFrames < frames) {
        if (audio.buffer) _free(audio.buffer);
        audio.buffer = _malloc(frames * 8);
        audio.bufferFrames = frames;
      }
      _pellaris_web_fill_audio(audio.owner, audio.buffer, frames);
      var left = output.getChannelData(0), right = output.getChannelData(1);
      var samples = HEAPF32, at = audio.buffer >> 2;
      for (var i = 0; i < frames; i++) {
        left[i] = samples[at + 2 * i];
        right[i] = samples[at + 2 * i + 1];
      }
      PellarisPage.status.audioBlocks++;
    },

    // Whether a standard pad's A or Start (yes), and its B or Back (no), are held now.
    padAnswersHeld: function() {
      var pads = [], held = {yes: false, no: false};
      try {
        pads = navigator.getGamepads ? navigator.getGamepads() : [];
      } catch (error) {
        // A page the browser does not trust with controllers.
      }
      for (var i = 0; pads && i < pads.length; i++) {
        var pad = pads[i], buttons = pad && pad.connected && pad.mapping === 'standard' ? pad.buttons : [];
        var pressed = function(place) { return !!(buttons[place] && buttons[place].pressed); };
        held.yes = held.yes || pressed(0) || pressed(9);
        held.no = held.no || pressed(1) || pressed(8);
      }
      return held;
    },

    // The answer a controller gives, each time it is asked: null until A or Start (the default), or B
    // or Back (the other), pressed while the box is up, is let go. A button held as the box came up is
    // no answer.
    padAnswer: function(answerYes, answerNo) {
      var first = true, down = {yes: false, no: false}, pressedHere = {yes: false, no: false};
      return function() {
        var held = PellarisPage.padAnswersHeld(), result = null;
        ['yes', 'no'].forEach(function(which) {
          if (held[which] && !down[which] && !first) pressedHere[which] = true;
          if (!held[which] && pressedHere[which] && result === null) result = which === 'yes' ? answerYes : answerNo;
          down[which] = held[which];
        });
        first = false;
        return result;
      };
    },

    // The message box: a modal dialog whose first button is the default. Resolves to 0 OK, 1 Yes, 2 No.
    ask: function(title, text, yesNo) {
      return new Promise(function(resolve) {
        var dialog = PellarisPage.element('message');
        dialog.querySelector('h2').textContent = title;
        dialog.querySelector('p').textContent = text;
        var yes = dialog.querySelector('button.yes'), no = dialog.querySelector('button.no');
        yes.textContent = yesNo ? 'Yes' : 'OK';
        no.hidden = !yesNo;
        var answerYes = yesNo ? 1 : 0, answerNo = yesNo ? 2 : 0;
        var answered = false;
        function answer(value) {
          answered = true;
          dialog.removeEventListener('keydown', onKey, true);
          dialog.removeEventListener('cancel', onCancel);
          yes.onclick = no.onclick = null;
          dialog.close();
          if (!PellarisPage.status.answeredAt) PellarisPage.status.answeredAt = performance.now();
          resolve(value);
        }
        // Enter answers as the default button, Escape as the other; neither reaches the game.
        function onKey(event) {
          if (event.key !== 'Enter' && event.key !== 'Escape') return;
          event.preventDefault();
          event.stopPropagation();
          answer(event.key === 'Enter' ? answerYes : answerNo);
        }
        function onCancel(event) {
          event.preventDefault();
        }
        dialog.addEventListener('keydown', onKey, true);
        dialog.addEventListener('cancel', onCancel);
        yes.onclick = function() { answer(answerYes); };
        no.onclick = function() { answer(answerNo); };
        // A controller answers too: A or Start as the default button, B or Back as the other, on their
        // release, so that the game does not find them held as it starts.
        var padAnswer = PellarisPage.padAnswer(answerYes, answerNo);
        (function poll() {
          if (answered) return;
          var value = padAnswer();
          if (value !== null) answer(value);
          else requestAnimationFrame(poll);
        })();
        dialog.showModal();
        yes.focus();
        if (!PellarisPage.status.questionAt) PellarisPage.status.questionAt = performance.now();
      });
    },
  },

  pellaris_web_start__deps: ['$PellarisPage'],
  pellaris_web_start: function() {
    var P = PellarisPage;
    if (P.started) return;
    P.started = true;
    P.stage = P.element('stage');
    P.canvas = P.element('screen');
    // The replay mode reads every frame back.
    P.context = P.canvas.getContext('2d', {alpha: false, willReadFrequently: !!Module.pellarisReplay});
    P.scratch = document.createElement('canvas');
    P.canvas.addEventListener('contextmenu', function(event) { event.preventDefault(); });
    window.addEventListener('resize', P.layout);
    document.addEventListener('fullscreenchange', P.layout);
    ['keydown', 'mousedown', 'pointerdown', 'touchend'].forEach(function(type) {
      window.addEventListener(type, P.startAudio, true);
    });
    window.pellarisStatus = P.status;
    P.layout();
    P.say('Playing.');
  },

  pellaris_web_page_focused: function() {
    return document.hasFocus() ? 1 : 0;
  },

  pellaris_web_screen_size: function(width, height) {
    HEAP32[width >> 2] = screen.width;
    HEAP32[height >> 2] = screen.height;
  },

  pellaris_web_open_window__deps: ['$PellarisPage'],
  pellaris_web_open_window: function(width, height, fullScreen, visible) {
    var P = PellarisPage;
    P.fullScreen = !!fullScreen;
    P.status.fullScreen = P.fullScreen;
    P.canvas.style.visibility = visible ? '' : 'hidden';
    if (!P.fullScreen) {
      P.canvas.width = width;
      P.canvas.height = height;
    } else if (P.stage.requestFullscreen && !document.fullscreenElement) {
      // Only allowed soon after a key or click (the answer to the question); without it the stage
      // still covers the whole page.
      P.stage.requestFullscreen().catch(function() {});
    }
    P.layout();
  },

  pellaris_web_close_window__deps: ['$PellarisPage'],
  pellaris_web_close_window: function() {
    var P = PellarisPage;
    if (P.fullScreen && document.fullscreenElement) document.exitFullscreen().catch(function() {});
    P.fullScreen = false;
    P.status.fullScreen = false;
    P.canvas.style.cursor = '';
    P.context.fillStyle = '#000';
    P.context.fillRect(0, 0, P.canvas.width, P.canvas.height);
    P.layout();
  },

  pellaris_web_show_window__deps: ['$PellarisPage'],
  pellaris_web_show_window: function(visible) {
    PellarisPage.canvas.style.visibility = visible ? '' : 'hidden';
  },

  pellaris_web_set_title: function(title) {
    document.title = UTF8ToString(title);
  },

  pellaris_web_set_icon: function(rgba, width, height) {
    var canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    canvas.getContext('2d').putImageData(new ImageData(bytes, width, height), 0, 0);
    var link = document.querySelector('link[rel="icon"]') || document.createElement('link');
    link.rel = 'icon';
    link.href = canvas.toDataURL('image/png');
    document.head.appendChild(link);
  },

  pellaris_web_set_fit__deps: ['$PellarisPage'],
  pellaris_web_set_fit: function(fit) {
    PellarisPage.fit = !!fit;
    PellarisPage.layout();
  },

  pellaris_web_show_cursor__deps: ['$PellarisPage'],
  pellaris_web_show_cursor: function(visible) {
    PellarisPage.canvas.style.cursor = visible ? '' : 'none';
  },

  pellaris_web_present__deps: ['$PellarisPage'],
  pellaris_web_present: function(rgba, width, height, x, y, destWidth, destHeight, fit) {
    var P = PellarisPage, canvas = P.canvas;
    if (fit && (canvas.width !== width || canvas.height !== height)) {
      canvas.width = width;
      canvas.height = height;
      P.layout();
    }
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    var picture = new ImageData(bytes, width, height);
    if (fit || (x === 0 && y === 0 && destWidth === width && destHeight === height)) {
      P.context.putImageData(picture, 0, 0);
    } else {
      // Stretched into an area: drawn at its size elsewhere first, then scaled with sharp pixels.
      P.scratch.width = width;
      P.scratch.height = height;
      P.scratch.getContext('2d').putImageData(picture, 0, 0);
      P.context.imageSmoothingEnabled = false;
      P.context.drawImage(P.scratch, x, y, destWidth, destHeight);
    }
    if (!P.status.frames++) P.status.firstPictureAt = performance.now();
  },

  pellaris_web_read_canvas__deps: ['$PellarisPage'],
  pellaris_web_read_canvas: function(rgba, width, height) {
    var canvas = PellarisPage.canvas;
    if (canvas.width !== width || canvas.height !== height) return 0;
    HEAPU8.set(PellarisPage.context.getImageData(0, 0, width, height).data, rgba);
    return 1;
  },

  // Eight words a slot: its kind (0 none, 1 the standard layout, 2 another), the standard buttons
  // pressed (a bit each), the sticks' four axes and the triggers' two values (rt::platform::PadReading).
  pellaris_web_read_pads: function(slots, count) {
    var pads = [];
    try {
      pads = navigator.getGamepads ? navigator.getGamepads() : [];
    } catch (error) {
      // A page the browser does not trust with controllers.
    }
    for (var slot = 0; slot < count; slot++) {
      var pad = pads && pads[slot], at = (slots >> 2) + slot * 8;
      var kind = !pad || !pad.connected ? 0 : pad.mapping === 'standard' ? 1 : 2;
      var buttons = kind === 1 && pad.buttons ? pad.buttons : [], axes = kind === 1 && pad.axes ? pad.axes : [];
      var pressed = 0;
      for (var i = 0; i < 17 && i < buttons.length; i++) {
        if (buttons[i] && buttons[i].pressed) pressed |= 1 << i;
      }
      HEAP32[at] = kind;
      HEAPU32[at + 1] = pressed >>> 0;
      for (var axis = 0; axis < 4; axis++) HEAPF32[at + 2 + axis] = Number(axes[axis]) || 0;
      HEAPF32[at + 6] = buttons[6] ? Number(buttons[6].value) || 0 : 0;
      HEAPF32[at + 7] = buttons[7] ? Number(buttons[7].value) || 0 : 0;
    }
  },

  pellaris_web_pads_seen__deps: ['$PellarisPage'],
  pellaris_web_pads_seen: function(connected, otherLayouts) {
    var P = PellarisPage;
    P.status.pads = connected;
    P.status.otherPads = otherLayouts;
    P.stage.classList.toggle('pad', connected > 0);
    window.dispatchEvent(new CustomEvent('pellarispads', {detail: {connected: connected, otherLayouts: otherLayouts}}));
  },

  // 60 frames a second on the page's animation frames: a faster display skips some, and a hidden page
  // (which gets none) goes on slowly, so that the game sees it has lost the focus.
  pellaris_web_wait_frame__deps: ['$PellarisPage'],
  pellaris_web_wait_frame: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      var P = PellarisPage, period = 1000 / 60, done = false;
      function go(now) {
        if (done) return;
        done = true;
        clearTimeout(timer);
        // A frame that came late (a slow frame of the game) starts the count anew rather than hurry.
        var next = P.frameDue + period;
        P.frameDue = next < now ? now + period : next;
        wakeUp();
      }
      function frame(now) {
        if (done) return;
        if (now < P.frameDue - 2) {
          requestAnimationFrame(frame);
          return;
        }
        go(now);
      }
      var timer = setTimeout(function() { go(performance.now()); }, 250);
      requestAnimationFrame(frame);
    });
  },

  pellaris_web_message__deps: ['$PellarisPage'],
  pellaris_web_message: function(title, text, yesNo) {
    var titleText = UTF8ToString(title), messageText = UTF8ToString(text);
    return Asyncify.handleSleep(function(wakeUp) {
      PellarisPage.ask(titleText, messageText, yesNo).then(wakeUp);
    });
  },

  pellaris_web_open_audio__deps: ['$PellarisPage', 'malloc', 'free'],
  pellaris_web_open_audio: function(owner) {
    if (!(window.AudioContext || window.webkitAudioContext)) return 0;
    // 48 kHz is what most sound hardware runs at; 2048 frames (43 ms) ride out a slow game frame.
    PellarisPage.audio = {rate: 48000, owner: owner, context: null, node: null, buffer: 0, bufferFrames: 0,
                          frames: 2048};
    PellarisPage.status.audioState = 'waiting for a key or click';
    return PellarisPage.audio.rate;
  },

  pellaris_web_close_audio__deps: ['$PellarisPage', 'free'],
  pellaris_web_close_audio: function() {
    var audio = PellarisPage.audio;
    if (!audio) return;
    PellarisPage.audio = null;
    if (audio.node) audio.node.disconnect();
    if (audio.context) audio.context.close();
    if (audio.buffer) _free(audio.buffer);
    PellarisPage.status.audioState = 'closed';
  },

  pellaris_web_tick_ms: function() {
    return (performance.timeOrigin + performance.now()) >>> 0;
  },

  pellaris_web_location: function(buffer, size) {
    return stringToUTF8(location.href, buffer, size);
  },

  pellaris_web_ended__deps: ['$PellarisPage'],
  pellaris_web_ended: function() {
    var P = PellarisPage;
    if (document.fullscreenElement) document.exitFullscreen().catch(function() {});
    P.status.ended = true;
    P.say('The game has ended. Reload the page to play again.');
  },

  pellaris_web_replay_request__deps: ['malloc'],
  pellaris_web_replay_request: function(seed, answerYes, frames, script) {
    var replay = Module.pellarisReplay;
    if (!replay) return 0;
    HEAPU32[seed >> 2] = replay.seed >>> 0;
    HEAP32[answerYes >> 2] = replay.answer === 'yes' ? 1 : 0;
    HEAP32[frames >> 2] = replay.frames | 0;
    var text = replay.script || '', size = lengthBytesUTF8(text) + 1, copy = _malloc(size);
    stringToUTF8(text, copy, size);
    HEAPU32[script >> 2] = copy;
    return 1;
  },

  pellaris_web_replay_line: function(kind, line) {
    var lines = Module.pellarisReplay[UTF8ToString(kind)] || (Module.pellarisReplay[UTF8ToString(kind)] = []);
    lines.push(UTF8ToString(line));
  },

  pellaris_web_replay_done: function(status) {
    Module.pellarisReplay.status = status;
    Module.pellarisReplay.done = true;
  },
});
