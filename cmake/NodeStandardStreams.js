// For the web build's tools under node (a --pre-js): emscripten's NODERAWFS
// marks standard input, output and error as terminals whatever they are, so
// isatty() says a pipe is a terminal (the capture tool would refuse to write
// video into one) and output is line-buffered. Once the file system is up,
// each stream is marked as what node says it is.
Module.onRuntimeInitialized = () => {
  const tty = require('tty');
  for (let fd = 0; fd < 3; ++fd) {
    const stream = FS.getStream(fd);
    if (stream) stream.tty = tty.isatty(fd);
  }
};
