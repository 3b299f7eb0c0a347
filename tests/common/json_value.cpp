#include "common/json_value.h"

#include <cstdlib>

namespace tessel::test {

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  bool Document(JsonValue& value, std::string& error) {
    SkipBlanks();
    if (!Value(value, 0)) {
      error = error_;
      return false;
    }
    SkipBlanks();
    if (pos_ != text_.size()) {
      error = "offset " + std::to_string(pos_) + ": text after the value";
      return false;
    }
    return true;
  }

 private:
  static constexpr int kMaxDepth = 200;

  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = "offset " + std::to_string(pos_) + ": " + what;
    return false;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  void SkipBlanks() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) {
      ++pos_;
    }
  }
  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return Fail("unknown literal");
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue& value, int depth) {
    if (depth > kMaxDepth) return Fail("nested too deeply");
    switch (Peek()) {
      case '{':
        return Object(value, depth);
      case '[':
        return Array(value, depth);
      case '"':
        value.type = JsonValue::Type::String;
        return String(value.text);
      case 't':
        value.type = JsonValue::Type::Bool;
        value.boolean = true;
        return Literal("true");
      case 'f':
        value.type = JsonValue::Type::Bool;
        return Literal("false");
      case 'n':
        value.type = JsonValue::Type::Null;
        return Literal("null");
      default:
        return Number(value);
    }
  }

  bool Object(JsonValue& value, int depth) {
    value.type = JsonValue::Type::Object;
    ++pos_;
    SkipBlanks();
    if (Peek() == '}') {
      ++pos_;
      return true;
    }
    while (true) {
      SkipBlanks();
      if (Peek() != '"') return Fail("member name expected");
      std::string key;
      if (!String(key)) return false;
      SkipBlanks();
      if (Peek() != ':') return Fail("':' expected");
      ++pos_;
      SkipBlanks();
      JsonValue member;
      if (!Value(member, depth + 1)) return false;
      if (value.members.count(key) != 0) return Fail("duplicate member " + key);
      value.keys_in_order.push_back(key);
      value.members.emplace(key, std::move(member));
      SkipBlanks();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      if (Peek() == '}') {
        ++pos_;
        return true;
      }
      return Fail("',' or '}' expected");
    }
  }

  bool Array(JsonValue& value, int depth) {
    value.type = JsonValue::Type::Array;
    ++pos_;
    SkipBlanks();
    if (Peek() == ']') {
      ++pos_;
      return true;
    }
    while (true) {
      SkipBlanks();
      JsonValue item;
      if (!Value(item, depth + 1)) return false;
      value.items.push_back(std::move(item));
      SkipBlanks();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      if (Peek() == ']') {
        ++pos_;
        return true;
      }
      return Fail("',' or ']' expected");
    }
  }

  bool Hex4(unsigned& unit) {
    if (text_.size() - pos_ < 4) return Fail("short \\u escape");
    unit = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      unit <<= 4;
      if (c >= '0' && c <= '9') {
        unit |= static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        unit |= static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        unit |= static_cast<unsigned>(c - 'A' + 10);
      } else {
        return Fail("bad hex digit in \\u escape");
      }
    }
    return true;
  }

  static void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  bool String(std::string& out) {
    ++pos_;  // the opening quote
    while (true) {
      if (AtEnd()) return Fail("string not closed");
      const auto c = static_cast<unsigned char>(text_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return Fail("raw control character in a string");
      if (c != '\\') {
        out += static_cast<char>(c);
        ++pos_;
        continue;
      }
      ++pos_;
      if (AtEnd()) return Fail("escape not finished");
      const char e = text_[pos_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned unit = 0;
          if (!Hex4(unit)) return false;
          if (unit >= 0xD800 && unit <= 0xDBFF) {
            unsigned low = 0;
            if (text_.substr(pos_, 2) != "\\u") return Fail("lone high surrogate");
            pos_ += 2;
            if (!Hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return Fail("bad low surrogate");
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return Fail("lone low surrogate");
          }
          AppendUtf8(out, unit);
          break;
        }
        default:
          return Fail("unknown escape");
      }
    }
  }

  bool Digits() {
    const std::size_t start = pos_;
    while (!AtEnd() && Peek() >= '0' && Peek() <= '9') ++pos_;
    return pos_ > start;
  }

  bool Number(JsonValue& value) {
    const std::size_t start = pos_;
    if (Peek() == '-') ++pos_;
    if (Peek() == '0') {
      ++pos_;
    } else if (!Digits()) {
      return Fail("value expected");
    }
    if (Peek() == '.') {
      ++pos_;
      if (!Digits()) return Fail("digits expected after '.'");
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (!Digits()) return Fail("digits expected in the exponent");
    }
    value.type = JsonValue::Type::Number;
    value.number = std::strtod(std::string(text_.substr(start, pos_ - start)).c_str(), nullptr);
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string error_;
};

// True when every byte sequence of `text` decodes to a Unicode scalar value in its
// shortest form.
bool ValidUtf8(std::string_view text, std::size_t& bad_offset) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // Continuation bytes after the lead, the lead's payload bits, the smallest code
    // point that needs this many bytes.
    std::size_t extra = 0;
    unsigned cp = 0;
    unsigned smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1Fu;
      smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0Fu;
      smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07u;
      smallest = 0x10000;
    } else {
      bad_offset = i;
      return false;
    }
    if (text.size() - i <= extra) {
      bad_offset = i;
      return false;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) {
        bad_offset = i;
        return false;
      }
      cp = (cp << 6) | (c & 0x3Fu);
    }
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      bad_offset = i;
      return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
  static const JsonValue kNull;
  const auto it = members.find(key);
  return it == members.end() ? kNull : it->second;
}

bool ParseJson(std::string_view text, JsonValue& value, std::string& error) {
  value = JsonValue{};
  error.clear();
  std::size_t bad = 0;
  if (!ValidUtf8(text, bad)) {
    error = "offset " + std::to_string(bad) + ": not UTF-8";
    return false;
  }
  return Parser(text).Document(value, error);
}

}  // namespace tessel::test
