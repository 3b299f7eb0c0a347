// The JSON writer: escaping of hostile texts, numbers, layout, and calls out of place.
#include "app/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "common/json_value.h"

namespace tessel {
namespace {

struct QuoteCase {
  const char* name;
  std::string text;
  std::string quoted;
};

TEST(JsonQuote, EscapesWhatJsonForbidsAndKeepsValidUtf8) {
  const QuoteCase cases[] = {
      {"plain", "PCM-1 link", "\"PCM-1 link\""},
      {"empty", "", "\"\""},
      {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
      {"short escapes", "\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
      {"other controls", std::string("\x01\x1F\x7F", 3), "\"\\u0001\\u001F\\u007F\""},
      {"zero byte", std::string("a\0b", 3), "\"a\\u0000b\""},
      {"escape sequence of a terminal", "\x1B[2J", "\"\\u001B[2J\""},
      {"two-byte UTF-8", "caf\xC3\xA9", "\"caf\xC3\xA9\""},
      {"three-byte UTF-8", "\xE2\x82\xAC", "\"\xE2\x82\xAC\""},
      {"four-byte UTF-8", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
      {"Latin-1 byte", "caf\xE9", "\"caf\\u00E9\""},
      {"byte FF", "\xFF", "\"\\u00FF\""},
      {"stray continuation", "\x80x", "\"\\u0080x\""},
      {"overlong slash", "\xC0\xAF", "\"\\u00C0\\u00AF\""},
      {"overlong three-byte", "\xE0\x80\xAF", "\"\\u00E0\\u0080\\u00AF\""},
      {"surrogate", "\xED\xA0\x80", "\"\\u00ED\\u00A0\\u0080\""},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\"\\u00F4\\u0090\\u0080\\u0080\""},
      {"cut short at the end", "\xE2\x82", "\"\\u00E2\\u0082\""},
      {"cut short by ASCII", "\xE2\x82Z", "\"\\u00E2\\u0082Z\""},
  };
  for (const QuoteCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(JsonQuote(c.text), c.quoted);
  }
}

// Every byte value, in every position a sequence can be cut: the result is always one
// well-formed JSON string that a strict reader takes.
TEST(JsonQuote, AnyBytesGiveAWellFormedString) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (std::size_t start = 0; start < 8; ++start) {
    test::JsonValue value;
    std::string error;
    ASSERT_TRUE(test::ParseJson(JsonQuote(all.substr(start) + all), value, error)) << error;
    EXPECT_EQ(value.type, test::JsonValue::Type::String);
  }
}

TEST(JsonNumberText, ShortestRoundTripAndNullForWhatJsonCannotHold) {
  const std::pair<double, const char*> exact[] = {
      {0.0, "0"},        {-0.0, "-0"},        {86400.0, "86400"},
      {0.1, "0.1"},      {-2.5, "-2.5"},      {25099162.0, "25099162"},
      {1e300, "1e+300"}, {1.5e-7, "1.5e-07"},
  };
  for (const auto& [value, text] : exact) EXPECT_EQ(JsonNumberText(value), text);
  for (double value : {1.0 / 3.0, 25099162.123456789, 1e-300, 0.001}) {
    EXPECT_EQ(std::strtod(JsonNumberText(value).c_str(), nullptr), value);
  }
  EXPECT_EQ(JsonNumberText(std::nan("")), "null");
  EXPECT_EQ(JsonNumberText(std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(JsonNumberText(-std::numeric_limits<double>::infinity()), "null");
}

TEST(JsonWriter, IndentedDocument) {
  JsonWriter w;
  w.BeginObject()
      .Field("size", std::int64_t{1048576})
      .Field("name", std::string("a\"b"))
      .Field("valid", true)
      .Key("none")
      .Null()
      .Key("empty")
      .BeginArray()
      .EndArray()
      .Key("rows")
      .BeginArray()
      .BeginObject()
      .Field("count", 4U)
      .Field("time", 0.5)
      .EndObject()
      .Int(-3)
      .EndArray()
      .Key("nothing")
      .BeginObject()
      .EndObject()
      .EndObject();
  ASSERT_TRUE(w.Complete());
  EXPECT_EQ(w.Text(),
            "{\n"
            "  \"size\": 1048576,\n"
            "  \"name\": \"a\\\"b\",\n"
            "  \"valid\": true,\n"
            "  \"none\": null,\n"
            "  \"empty\": [],\n"
            "  \"rows\": [\n"
            "    {\n"
            "      \"count\": 4,\n"
            "      \"time\": 0.5\n"
            "    },\n"
            "    -3\n"
            "  ],\n"
            "  \"nothing\": {}\n"
            "}\n");
}

TEST(JsonWriter, CompactDocumentAndExtremeIntegers) {
  JsonWriter w(0);
  w.BeginArray()
      .Int(std::numeric_limits<std::int64_t>::min())
      .Uint(std::numeric_limits<std::uint64_t>::max())
      .BeginObject()
      .Field("k", "v")
      .Field("x", false)
      .EndObject()
      .Double(std::nan(""))
      .EndArray();
  ASSERT_TRUE(w.Complete());
  EXPECT_EQ(w.Text(), "[-9223372036854775808,18446744073709551615,{\"k\":\"v\",\"x\":false},null]");
}

TEST(JsonWriter, CallsOutOfPlaceLeaveTheDocumentIncomplete) {
  struct Case {
    const char* name;
    void (*calls)(JsonWriter&);
  };
  const Case cases[] = {
      {"nothing written", [](JsonWriter&) {}},
      {"object not closed", [](JsonWriter& w) { w.BeginObject(); }},
      {"value without its key", [](JsonWriter& w) { w.BeginObject().Int(1).EndObject(); }},
      {"key without its value", [](JsonWriter& w) { w.BeginObject().Key("a").EndObject(); }},
      {"two keys in a row", [](JsonWriter& w) { w.BeginObject().Key("a").Key("b").Int(1); }},
      {"key in an array", [](JsonWriter& w) { w.BeginArray().Key("a").Int(1).EndArray(); }},
      {"key at the top", [](JsonWriter& w) { w.Key("a").Int(1); }},
      {"wrong closer", [](JsonWriter& w) { w.BeginObject().EndArray(); }},
      {"closer of nothing", [](JsonWriter& w) { w.Int(1).EndObject(); }},
      {"second top-level value", [](JsonWriter& w) { w.Int(1).Int(2); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JsonWriter w;
    c.calls(w);
    EXPECT_FALSE(w.Complete());
  }
}

TEST(JsonWriter, OutputReadsBackWithTheSameValues) {
  JsonWriter w;
  w.BeginObject()
      .Field("text", std::string("\x01\xFFok\xC3\xA9"))
      .Field("time", 25099162.25)
      .Key("list")
      .BeginArray()
      .Uint(7)
      .Bool(false)
      .EndArray()
      .EndObject();
  ASSERT_TRUE(w.Complete());
  test::JsonValue value;
  std::string error;
  ASSERT_TRUE(test::ParseJson(w.Text(), value, error)) << error;
  EXPECT_EQ(value["text"].text, "\x01\xC3\xBFok\xC3\xA9");
  EXPECT_EQ(value["time"].number, 25099162.25);
  ASSERT_EQ(value["list"].items.size(), 2U);
  EXPECT_EQ(value["list"].items[0].number, 7.0);
  EXPECT_EQ(value.keys_in_order, (std::vector<std::string>{"text", "time", "list"}));
}

}  // namespace
}  // namespace tessel
