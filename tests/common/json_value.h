// A strict JSON reader for tests: checks that a command's output is well-formed JSON
// and gives it back as a tree to look into. Written independently of the program's
// writer: it follows the JSON grammar (no trailing commas, no raw control characters
// in strings, UTF-8 text only, \u escapes and surrogate pairs decoded to UTF-8, exactly one value).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::test {

struct JsonValue {
  enum class Type { Null, Bool, Number, String, Array, Object };
  Type type = Type::Null;
  bool boolean = false;
  double number = 0.0;
  std::string text;  // the string's value, decoded
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;
  std::vector<std::string> keys_in_order;  // object member names as written

  bool Has(const std::string& key) const { return members.count(key) != 0; }
  // The member `key`; a null value when there is none.
  const JsonValue& operator[](const std::string& key) const;
  bool IsNumber() const { return type == Type::Number; }
  bool IsString() const { return type == Type::String; }
};

// Parses `text` (whitespace allowed around the value). False with `error` naming the
// byte offset and the fault when it is not one well-formed JSON value.
bool ParseJson(std::string_view text, JsonValue& value, std::string& error);

}  // namespace tessel::test
