// What the PNG code holds while it reads or writes a file: a libspng context
// and a C file, each freed when its holder goes out of scope. Shared by the
// device's reading (PngFile.cpp) and the tools' writing (tools/png).
#pragma once

#include <spng.h>

#include <cstdio>
#include <memory>

struct SpngContextDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using SpngContext = std::unique_ptr<spng_ctx, SpngContextDeleter>;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;
