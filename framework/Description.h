// A small JSON writer for the effects' descriptions of themselves: objects,
// arrays, numbers, texts and booleans, written in order into one string.
// Keys and texts are the program's own (no character needs more than the
// escapes written here). Numbers that are not finite become null, which JSON
// has in their place.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class Description {
 public:
  const std::string& Text() const { return text; }
  void Clear() {
    text.clear();
    needComma = false;
  }

  Description& Key(std::string_view key) {
    Separate();
    Quoted(key);
    text += ':';
    needComma = false;
    return *this;
  }

  Description& BeginObject() { return Open('{'); }
  Description& EndObject() { return Close('}'); }
  Description& BeginArray() { return Open('['); }
  Description& EndArray() { return Close(']'); }

  Description& Int(int64_t value) {
    Separate();
    text += std::to_string(value);
    needComma = true;
    return *this;
  }
  Description& Uint(uint64_t value) {
    Separate();
    text += std::to_string(value);
    needComma = true;
    return *this;
  }
  // A double to the last bit (17 significant digits read back exactly).
  Description& Double(double value) { return Real(value, "%.17g"); }
  // A float to the last bit (9 significant digits).
  Description& Float(float value) { return Real(static_cast<double>(value), "%.9g"); }
  Description& Bool(bool value) {
    Separate();
    text += value ? "true" : "false";
    needComma = true;
    return *this;
  }
  Description& Null() {
    Separate();
    text += "null";
    needComma = true;
    return *this;
  }
  Description& String(std::string_view value) {
    Separate();
    Quoted(value);
    needComma = true;
    return *this;
  }
  // A pixel or palette entry as "0x00RRGGBB".
  Description& Colour(uint32_t pixel) {
    char hex[11];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(pixel));
    return String(hex);
  }

 private:
  Description& Open(char bracket) {
    Separate();
    text += bracket;
    needComma = false;
    return *this;
  }
  Description& Close(char bracket) {
    text += bracket;
    needComma = true;
    return *this;
  }
  void Separate() {
    if (needComma) text += ',';
  }
  Description& Real(double value, const char* format) {
    Separate();
    if (std::isfinite(value)) {
      char digits[32];
      std::snprintf(digits, sizeof digits, format, value);
      text += digits;
    } else {
      text += "null";
    }
    needComma = true;
    return *this;
  }
  void Quoted(std::string_view value) {
    text += '"';
    for (const char c : value) {
      if (c == '"' || c == '\\') {
        text += '\\';
        text += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        char escape[7];
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
        text += escape;
      } else {
        text += c;
      }
    }
    text += '"';
  }

  std::string text;
  bool needComma = false;
};
