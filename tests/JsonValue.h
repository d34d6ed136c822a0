// A small JSON reader for the tests of the descriptions: parses a whole text
// into a tree and fails the test (returns null) on anything that is not
// JSON, so that every description is also checked to be valid JSON.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0.0;
  std::string text;  // a string, or a number's own digits
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> fields;

  bool IsNull() const { return kind == Kind::Null; }
  bool Has(const std::string& key) const { return fields.count(key) != 0; }
  const JsonValue& operator[](const std::string& key) const {
    static const JsonValue missing;
    auto found = fields.find(key);
    EXPECT_NE(found, fields.end()) << "no field " << key;
    return found == fields.end() ? missing : found->second;
  }
  const JsonValue& operator[](size_t index) const {
    static const JsonValue missing;
    EXPECT_LT(index, items.size());
    return index < items.size() ? items[index] : missing;
  }
  int64_t Int() const { return std::strtoll(text.c_str(), nullptr, 10); }
  uint64_t Uint() const { return std::strtoull(text.c_str(), nullptr, 10); }
  // A "0x00RRGGBB" string as its value.
  uint32_t Colour() const {
    EXPECT_EQ(text.size(), 10u) << text;
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
  }
};

class JsonParser {
 public:
  explicit JsonParser(const std::string& source) : s(source) {}

  bool Parse(JsonValue& out) {
    Space();
    if (!Value(out)) return false;
    Space();
    return at == s.size();
  }

 private:
  void Space() {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\t' || s[at] == '\r'))
      ++at;
  }
  bool Literal(const char* word) {
    const std::string w = word;
    if (s.compare(at, w.size(), w) != 0) return false;
    at += w.size();
    return true;
  }
  bool Value(JsonValue& out) {
    if (at >= s.size()) return false;
    const char c = s[at];
    if (c == '{') return Object(out);
    if (c == '[') return Array(out);
    if (c == '"') {
      out.kind = JsonValue::Kind::String;
      return String(out.text);
    }
    if (Literal("null")) return true;
    if (Literal("true")) {
      out.kind = JsonValue::Kind::Bool;
      return out.boolean = true;
    }
    if (Literal("false")) {
      out.kind = JsonValue::Kind::Bool;
      return true;
    }
    return Number(out);
  }
  bool Number(JsonValue& out) {
    const size_t start = at;
    if (at < s.size() && s[at] == '-') ++at;
    const size_t digits = at;
    while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at]))) ++at;
    if (at == digits) return false;
    if (at < s.size() && s[at] == '.') {
      ++at;
      const size_t fraction = at;
      while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at]))) ++at;
      if (at == fraction) return false;
    }
    if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
      ++at;
      if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
      const size_t exponent = at;
      while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at]))) ++at;
      if (at == exponent) return false;
    }
    out.kind = JsonValue::Kind::Number;
    out.text = s.substr(start, at - start);
    out.number = std::strtod(out.text.c_str(), nullptr);
    return true;
  }
  bool String(std::string& out) {
    ++at;  // the opening quote
    while (at < s.size() && s[at] != '"') {
      if (static_cast<unsigned char>(s[at]) < 0x20) return false;
      if (s[at] == '\\') {
        if (++at >= s.size()) return false;
        const char e = s[at];
        if (e == 'u') {
          if (at + 4 >= s.size()) return false;
          out += static_cast<char>(std::strtol(s.substr(at + 1, 4).c_str(), nullptr, 16));
          at += 4;
        } else if (e == '"' || e == '\\' || e == '/') {
          out += e;
        } else if (e == 'n') {
          out += '\n';
        } else {
          return false;
        }
      } else {
        out += s[at];
      }
      ++at;
    }
    if (at >= s.size()) return false;
    ++at;
    return true;
  }
  bool Array(JsonValue& out) {
    out.kind = JsonValue::Kind::Array;
    ++at;
    Space();
    if (at < s.size() && s[at] == ']') return ++at, true;
    while (true) {
      Space();
      out.items.emplace_back();
      if (!Value(out.items.back())) return false;
      Space();
      if (at < s.size() && s[at] == ',') {
        ++at;
        continue;
      }
      if (at < s.size() && s[at] == ']') return ++at, true;
      return false;
    }
  }
  bool Object(JsonValue& out) {
    out.kind = JsonValue::Kind::Object;
    ++at;
    Space();
    if (at < s.size() && s[at] == '}') return ++at, true;
    while (true) {
      Space();
      std::string key;
      if (at >= s.size() || s[at] != '"' || !String(key)) return false;
      if (out.fields.count(key) != 0) return false;  // a key twice is a fault here
      Space();
      if (at >= s.size() || s[at] != ':') return false;
      ++at;
      Space();
      if (!Value(out.fields[key])) return false;
      Space();
      if (at < s.size() && s[at] == ',') {
        ++at;
        continue;
      }
      if (at < s.size() && s[at] == '}') return ++at, true;
      return false;
    }
  }

  const std::string& s;
  size_t at = 0;
};

// The parsed text; a failed expectation when it is not JSON.
inline JsonValue ParseJson(const std::string& text) {
  JsonValue value;
  EXPECT_TRUE(JsonParser(text).Parse(value)) << "not JSON: " << text.substr(0, 200);
  return value;
}
