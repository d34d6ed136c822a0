// The page tests' watch over their page (a --pre-js of the page-test build
// only, after the page's own start-up): on window.brindlemox it counts the
// frames put on the canvas and the animation frames waited for, keeps the
// times (performance.now()) of the first and the last frame, and holds the
// journal of the stop, which the program's observer (PageJournal.cpp) writes
// and which ends with the page's "ended" and its exit code.
(() => {
  const page = Module.brindlemoxPage;
  Object.assign(page, {
    journal: [],
    framesPresented: 0,
    animationFrames: 0,
    firstFrameAt: null,
    lastFrameAt: null,
  });

  // The program puts each frame on the canvas with putImageData, and nothing
  // else on the page does.
  const putImageData = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    putImageData.apply(this, args);
    page.framesPresented++;
    page.lastFrameAt = performance.now();
    if (page.firstFrameAt === null) page.firstFrameAt = page.lastFrameAt;
  };

  // The program waits for each animation frame, and nothing else on the page
  // asks for one.
  const requestAnimationFrame = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) =>
    requestAnimationFrame((time) => {
      page.animationFrames++;
      callback(time);
    });

  // The page records the show's end by setting its exit code.
  let exitCode = page.exitCode;
  Object.defineProperty(page, 'exitCode', {
    get: () => exitCode,
    set: (value) => {
      exitCode = value;
      page.journal.push({what: 'ended ' + value, frames: page.framesPresented});
    },
  });
})();
