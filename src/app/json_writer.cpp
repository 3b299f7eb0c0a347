#include "app/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tessel {

namespace {

bool IsContinuation(unsigned char c) {
  return (c & 0xC0U) == 0x80U;
}

// Length of the valid UTF-8 sequence at `text[i]`, or 0 when the byte there does not
// start one (stray continuation bytes, overlong forms, surrogates, beyond U+10FFFF,
// sequences cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80U) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80U;  // bounds of the second byte
  unsigned char high = 0xBFU;
  if (lead >= 0xC2U && lead <= 0xDFU) {
    length = 2;
  } else if (lead >= 0xE0U && lead <= 0xEFU) {
    length = 3;
    if (lead == 0xE0U) low = 0xA0U;   // no overlong forms
    if (lead == 0xEDU) high = 0x9FU;  // no surrogates
  } else if (lead >= 0xF0U && lead <= 0xF4U) {
    length = 4;
    if (lead == 0xF0U) low = 0x90U;
    if (lead == 0xF4U) high = 0x8FU;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(byte(k))) return 0;
  }
  return length;
}

void AppendCodeUnitEscape(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\u00";
  out += kHex[c >> 4];
  out += kHex[c & 0x0FU];
}

}  // namespace

std::string JsonQuote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '"':
        out += "\\\"";
        ++i;
        continue;
      case '\\':
        out += "\\\\";
        ++i;
        continue;
      case '\b':
        out += "\\b";
        ++i;
        continue;
      case '\f':
        out += "\\f";
        ++i;
        continue;
      case '\n':
        out += "\\n";
        ++i;
        continue;
      case '\r':
        out += "\\r";
        ++i;
        continue;
      case '\t':
        out += "\\t";
        ++i;
        continue;
      default:
        break;
    }
    if (c < 0x20U || c == 0x7FU) {
      AppendCodeUnitEscape(out, c);
      ++i;
      continue;
    }
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      AppendCodeUnitEscape(out, c);
      ++i;
      continue;
    }
    out.append(text.substr(i, length));
    i += length;
  }
  out += '"';
  return out;
}

std::string JsonNumberText(double value) {
  if (!std::isfinite(value)) return "null";
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

JsonWriter::JsonWriter(int indent) : indent_(indent > 0 ? indent : 0) {}

void JsonWriter::NewLine(std::size_t depth) {
  if (indent_ == 0) return;
  text_ += '\n';
  text_.append(depth * static_cast<std::size_t>(indent_), ' ');
}

bool JsonWriter::BeforeValue() {
  if (!valid_) return false;
  if (frames_.empty()) {
    if (root_done_) valid_ = false;
    return valid_;
  }
  Frame& top = frames_.back();
  if (top.object) {
    if (!top.key_pending) valid_ = false;
    return valid_;
  }
  if (top.members > 0) text_ += ',';
  NewLine(frames_.size());
  return true;
}

void JsonWriter::AfterValue() {
  if (frames_.empty()) {
    root_done_ = true;
    if (indent_ > 0) text_ += '\n';
    return;
  }
  Frame& top = frames_.back();
  top.key_pending = false;
  ++top.members;
}

JsonWriter& JsonWriter::Begin(bool object) {
  if (!BeforeValue()) return *this;
  text_ += object ? '{' : '[';
  frames_.push_back(Frame{object, false, 0});
  return *this;
}

JsonWriter& JsonWriter::End(bool object) {
  if (!valid_) return *this;
  if (frames_.empty() || frames_.back().object != object || frames_.back().key_pending) {
    valid_ = false;
    return *this;
  }
  const bool had_members = frames_.back().members > 0;
  frames_.pop_back();
  if (had_members) NewLine(frames_.size());
  text_ += object ? '}' : ']';
  AfterValue();
  return *this;
}

JsonWriter& JsonWriter::BeginObject() {
  return Begin(true);
}
JsonWriter& JsonWriter::EndObject() {
  return End(true);
}
JsonWriter& JsonWriter::BeginArray() {
  return Begin(false);
}
JsonWriter& JsonWriter::EndArray() {
  return End(false);
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  if (!valid_) return *this;
  if (frames_.empty() || !frames_.back().object || frames_.back().key_pending) {
    valid_ = false;
    return *this;
  }
  Frame& top = frames_.back();
  if (top.members > 0) text_ += ',';
  NewLine(frames_.size());
  text_ += JsonQuote(key);
  text_ += indent_ > 0 ? ": " : ":";
  top.key_pending = true;
  return *this;
}

JsonWriter& JsonWriter::Raw(std::string_view text) {
  if (!BeforeValue()) return *this;
  text_ += text;
  AfterValue();
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
  return Raw(JsonQuote(value));
}
JsonWriter& JsonWriter::Int(std::int64_t value) {
  return Raw(std::to_string(value));
}
JsonWriter& JsonWriter::Uint(std::uint64_t value) {
  return Raw(std::to_string(value));
}
JsonWriter& JsonWriter::Double(double value) {
  return Raw(JsonNumberText(value));
}
JsonWriter& JsonWriter::Bool(bool value) {
  return Raw(value ? "true" : "false");
}
JsonWriter& JsonWriter::Null() {
  return Raw("null");
}

}  // namespace tessel
