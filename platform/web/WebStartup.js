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
