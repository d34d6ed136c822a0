// The page's start-up, run by brindlemox.js before the program starts (a
// --pre-js of the web build):
//   - the page object the web backend (WebPlatform.cpp) keeps its side in
//     (the input waiting, the canvas's context, the show's end), also
//     reachable as window.brindlemox;
//   - the program's standard output and error as lines on the page (the
//     element "log") as well as on the console;
//   - fullscreen: the page's Fullscreen button, its F key and the program's
//     own F11 and Alt+Enter (through the default window procedure) all
//     toggle it here; the canvas alone covers the screen, letterboxed;
//   - "Play again", offered once the show has ended, loads the page anew;
//   - the program's module (.wasm) is fetched here rather than by
//     emscripten's loader, so that a module the server does not give is
//     named on the page with the server's answer ("Cannot load
//     brindlemox.wasm: HTTP 404 Not Found"), where emscripten would only say
//     that it failed and to rebuild with assertions; the page itself does the
//     same for brindlemox.js, which cannot say it (index.html);
//   - the picture: the program reads "pvn_quad.png" from its working
//     directory, which on the web is the page's folder. The file is fetched
//     from beside the page into the program's file system before the program
//     starts. A missing file stays missing, and the program says so in its
//     one line, as it does on the desktop.
Module.brindlemoxPage = {
  events: [],
  log: [],
  context: null,
  image: null,
  ended: false,
  exitCode: null,
};
if (typeof window !== 'undefined') window.brindlemox = Module.brindlemoxPage;

// The canvas alone on the screen, or back in the page. The browser allows it
// only in answer to the user's input (a click or a key just pressed), and
// says no otherwise, which changes nothing.
Module.brindlemoxPage.toggleFullscreen = () => {
  if (document.fullscreenElement) {
    document.exitFullscreen().catch(() => {});
    return;
  }
  const canvas = document.getElementById('screen');
  if (canvas && !canvas.hidden && canvas.requestFullscreen)
    canvas.requestFullscreen({navigationUI: 'hide'}).catch(() => {});
};

if (typeof document !== 'undefined') {
  const again = document.getElementById('again');
  if (again) again.addEventListener('click', () => window.location.reload());
}

function brindlemoxSetStatus(text) {
  const status = document.getElementById('status');
  if (status) status.textContent = text;
}

function brindlemoxLogLine(text, isError) {
  (isError ? console.error : console.log)(text);
  Module.brindlemoxPage.log.push(text);
  const log = document.getElementById('log');
  if (log) {
    log.hidden = false;
    log.textContent += text + '\n';
  }
}

// FILE could not be loaded, for REASON: said where the show would be.
function brindlemoxCannotLoad(file, reason) {
  brindlemoxSetStatus('');
  const line = document.getElementById('error');
  const text = 'Cannot load ' + file + ': ' + reason;
  console.error(text);
  if (line) {
    line.textContent = text;
    line.hidden = false;
  }
}

// "HTTP 404 Not Found": a server's answer, as far as it gave one.
function brindlemoxHttpAnswer(response) {
  return 'HTTP ' + response.status + (response.statusText ? ' ' + response.statusText : '');
}

Module.instantiateWasm = (imports, receiveInstance) => {
  const url = typeof wasmBinaryFile === 'string' ? wasmBinaryFile : locateFile('brindlemox.wasm');
  const file = url.split('/').pop();
  fetch(url, {credentials: 'same-origin'})
    .then((response) => {
      if (!response.ok) throw {answer: brindlemoxHttpAnswer(response)};
      // A server that does not call it application/wasm still gives its
      // bytes: compiled from them instead.
      const copy = response.clone();
      return WebAssembly.instantiateStreaming(response, imports)
        .catch(() => copy.arrayBuffer().then((bytes) => WebAssembly.instantiate(bytes, imports)));
    }, (error) => {
      throw {answer: 'no answer from the server (' + error.message + ')'};
    })
    .then((result) => receiveInstance(result.instance, result.module),
          (error) => brindlemoxCannotLoad(file, error.answer ||
                                          'this browser cannot compile it (' + error + ')'));
  return {};  // the exports come through receiveInstance
};

Module.print = (text) => brindlemoxLogLine(text, false);
Module.printErr = (text) => brindlemoxLogLine(text, true);
Module.onRuntimeInitialized = () => brindlemoxSetStatus('');
Module.onAbort = (what) => brindlemoxSetStatus('The program could not run: ' + what);

Module.preRun = Module.preRun || [];
Module.preRun.push(() => {
  const name = 'pvn_quad.png';
  addRunDependency(name);
  fetch(locateFile(name), {cache: 'no-cache'})
    .then((response) => (response.ok ? response.arrayBuffer() : null))
    .then((bytes) => {
      if (bytes) FS.writeFile(name, new Uint8Array(bytes));
    })
    .catch(() => {})
    .finally(() => removeRunDependency(name));
});
