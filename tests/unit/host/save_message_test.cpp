#include "host/save_message.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

class SaveMessageTest : public ::testing::Test {
 protected:
  std::optional<SaveStore::Values> read(const std::string& expression) {
    g_autoptr(JSCValue) body = jsc_context_evaluate(context, ("(" + expression + ")").c_str(), -1);
    return readSaveMessage(body);
  }
  JSCContext* context = jsc_context_new();
  ~SaveMessageTest() override { g_object_unref(context); }
};

TEST_F(SaveMessageTest, OnlyTextValuesAreKept) {
  EXPECT_EQ(read("{type: 'save', data: {a: '1', b: 2, c: true, d: null, e: {}, f: [], g: ''}, extra: 1}"),
            (SaveStore::Values{{"a", "1"}, {"g", ""}}));
  EXPECT_EQ(read("{type: 'save', data: {}}"), SaveStore::Values{});
}

TEST_F(SaveMessageTest, MessagesOfAnyOtherShapeAreDropped) {
  for (const char* body : {"{type: 'Save', data: {}}", "{data: {a: '1'}}", "{type: 'save', data: null}",
                           "{type: 'save'}", "{type: 'save', data: ['a']}", "{type: 'save', data: 'a'}",
                           "{type: ['save'], data: {}}", "[{type: 'save', data: {}}]", "'save'", "null", "7"})
    EXPECT_EQ(read(body), std::nullopt) << body;
}

TEST_F(SaveMessageTest, BrokenUtf16KeepsItsEntryWithAReplacementCharacter) {
  EXPECT_EQ(read("{type: 'save', data: {a: 'x\\ud800y', 'k\\udc00': 'v', ok: 'fine', nul: 'a\\u0000b'}}"),
            (SaveStore::Values{{"a", "x\xef\xbf\xbdy"}, {"k\xef\xbf\xbd", "v"}, {"ok", "fine"}, {"nul", std::string("a\0b", 3)}}));
}

}  // namespace
}  // namespace velmar
