// A small JSON writer for the command line's machine-readable output.
//
// Values are appended in document order through Begin/End, Key and the value calls; the
// writer places commas, colons and (with a positive indent) line breaks itself. A call
// out of place (a value in an object without its key, a key in an array, an End that
// closes nothing or the wrong thing, a second top-level value) writes nothing and marks
// the document as not valid, so Complete() tells whether the text is one whole value.
//
// Strings are written as given when they are valid UTF-8; quotes, backslashes and
// control characters are escaped, and every byte that is not part of a valid UTF-8
// sequence (texts from damaged or hostile files) is written as \u00XX, the code point
// of that byte read as Latin-1. Numbers that JSON cannot hold (NaN, infinities) are
// written as null.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tessel {

// The JSON string literal of `text`, quotes included (escaping as above).
std::string JsonQuote(std::string_view text);

// The JSON text of a number: the shortest form that reads back as the same double;
// "null" for NaN and infinities.
std::string JsonNumberText(double value);

class JsonWriter {
 public:
  // `indent`: spaces per nesting level; 0 writes the whole document on one line.
  explicit JsonWriter(int indent = 2);

  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member; only inside an object, once per member.
  JsonWriter& Key(std::string_view key);

  JsonWriter& String(std::string_view value);
  JsonWriter& Int(std::int64_t value);
  JsonWriter& Uint(std::uint64_t value);
  JsonWriter& Double(double value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // Key followed by the value, written by the call its type calls for.
  template <typename T>
  JsonWriter& Field(std::string_view key, const T& value) {
    Key(key);
    if constexpr (std::is_same_v<T, bool>) {
      return Bool(value);
    } else if constexpr (std::signed_integral<T>) {
      return Int(value);
    } else if constexpr (std::unsigned_integral<T>) {
      return Uint(value);
    } else if constexpr (std::floating_point<T>) {
      return Double(static_cast<double>(value));
    } else {
      return String(std::string_view(value));
    }
  }

  // True when one top-level value has been written whole and no call was out of place.
  bool Complete() const { return valid_ && root_done_ && frames_.empty(); }
  // The text so far; a complete document ends with a line break.
  const std::string& Text() const { return text_; }

 private:
  struct Frame {
    bool object = false;       // an object (else an array)
    bool key_pending = false;  // an object member's key was written, its value not yet
    std::size_t members = 0;   // values (array) or members (object) written
  };

  // Places what comes before a value; false (and marks the document) when no value
  // may come here.
  bool BeforeValue();
  // Counts the value just written and ends the document after a top-level value.
  void AfterValue();
  JsonWriter& Begin(bool object);
  JsonWriter& End(bool object);
  JsonWriter& Raw(std::string_view text);
  void NewLine(std::size_t depth);

  int indent_;
  std::string text_;
  std::vector<Frame> frames_;
  bool root_done_ = false;
  bool valid_ = true;
};

}  // namespace tessel
