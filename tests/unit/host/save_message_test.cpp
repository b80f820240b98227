// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/save_message.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

class SaveMessageTest : public ::testing::Test {
 protected:
  std::optional<SaveMessage> message(const std::string& expression) {
    g_autoptr(JSCValue) body = jsc_context_evaluate(context, ("(" + expression + ")").c_str(), -1);
    refusal.clear();
    return readSaveMessage(body, refusal);
  }
  std::optional<SaveStore::Values> read(const std::string& expression) {
    auto got = message(expression);
    return got ? std::optional(got->values) : std::nullopt;
  }
  JSCContext* context = jsc_context_new();
  std::string refusal;
  ~SaveMessageTest() override { g_object_unref(context); }
};

TEST_F(SaveMessageTest, OnlyTextValuesAreKeptAndEveryKeyNameIsOne) {
  EXPECT_EQ(read("{type: 'save', data: {a: '1', b: 2, c: true, d: null, e: {}, f: [], g: ''}, extra: 1}"),
            (SaveStore::Values{{"a", "1"}, {"g", ""}}));
  EXPECT_EQ(read("{type: 'save', data: {}}"), SaveStore::Values{});
  EXPECT_EQ(read("{type: 'save', data: JSON.parse('{\"__proto__\": \"p\", \"constructor\": \"c\"}')}"),
            (SaveStore::Values{{"__proto__", "p"}, {"constructor", "c"}}));
  EXPECT_EQ(read("{type: 'save', data: {a: '1'}, proto: 'p'}"), (SaveStore::Values{{"__proto__", "p"}, {"a", "1"}}));
  EXPECT_EQ(read("{type: 'save', data: Object.assign(Object.create(null), {a: '1'})}"), (SaveStore::Values{{"a", "1"}}));
  EXPECT_FALSE(message("{type: 'save', data: {}}")->partial);
  EXPECT_TRUE(message("{type: 'save', data: {}, partial: true}")->partial);
}

TEST_F(SaveMessageTest, MessagesOfAnyOtherShapeAreRefusedWithAReason) {
  for (const char* body : {"{type: 'Save', data: {}}", "{data: {a: '1'}}", "{type: 'save', data: null}",
                           "{type: 'save'}", "{type: 'save', data: ['a']}", "{type: 'save', data: 'a'}",
                           "{type: ['save'], data: {}}", "{type: new String('save'), data: {}}",
                           "[{type: 'save', data: {}}]", "'save'", "null", "7", "new Map([['type', 'save']])"}) {
    EXPECT_EQ(read(body), std::nullopt) << body;
    EXPECT_NE(refusal, "") << body;
  }
  // Data of any prototype but a plain object's would read as no saves at
  // all, or as its characters, and wipe every table.
  for (const char* data : {"new Date()", "new Map([['a', '1']])", "new Set(['a'])", "/a/", "new Uint8Array(4)",
                           "new ArrayBuffer(4)", "new Error('a')", "new Number(1)", "new String('abc')",
                           "new (class Chips {})()", "Object.create({a: '1'})", "() => 1"}) {
    EXPECT_EQ(read(std::string("{type: 'save', data: ") + data + "}"), std::nullopt) << data;
    EXPECT_EQ(refusal, "its data is not a plain object") << data;
  }
}

TEST_F(SaveMessageTest, BrokenUtf16KeepsItsEntryWithAReplacementCharacter) {
  EXPECT_EQ(read("{type: 'save', data: {a: 'x\\ud800y', 'k\\udc00': 'v', ok: 'fine', nul: 'a\\u0000b'}}"),
            (SaveStore::Values{{"a", "x\xef\xbf\xbdy"}, {"k\xef\xbf\xbd", "v"}, {"ok", "fine"}, {"nul", std::string("a\0b", 3)}}));
}

TEST(PageStorage, TextCountsOneByteACharacterBelowU0100AndTwoAUnitOtherwise) {
  EXPECT_EQ(pageStorageBytes({}), 0u);
  EXPECT_EQ(pageStorageBytes({{"ab", "cde"}, {"", std::string("\0", 1)}}), 6u);
  EXPECT_EQ(pageStorageBytes({{"k", "\xC3\xA9\xC3\xBF"}}), 3u);             // é ÿ: still narrow
  EXPECT_EQ(pageStorageBytes({{"k", "a\xE4\xB8\x80"}}), 1u + 4u);           // one wide character widens the text
  EXPECT_EQ(pageStorageBytes({{"k", "\xF0\x9F\x98\x80"}}), 1u + 4u);        // a surrogate pair
  EXPECT_EQ(pageStorageBytes({{"k", "a\xFF"}}), 1u + 4u);                   // not UTF-8: U+FFFD
  // Wide text of mostly ASCII counts more than its UTF-8 bytes.
  const std::string wide = std::string(kPageStorageQuota / 2 - 1, 'a') + "\xE4\xB8\x80";
  EXPECT_FALSE(fitsAPage({{"k", wide}}));
  EXPECT_TRUE(fitsAPage({{"k", wide.substr(2)}}));
}

}  // namespace
}  // namespace velmar
