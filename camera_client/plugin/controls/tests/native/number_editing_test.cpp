// Typing, removal and paste in a real-number field, followed by the re-shown text and caret.
#include <gtest/gtest.h>

#include "kl7700_controls/NumberEditing.h"

using namespace kl7700::controls;

namespace {

const NumberFormat kFourDecimals{' ', '.', 4, 3};

// Applies a key to the field and re-shows it: "text|caret" in, "text|caret" out.
std::string shownAfter(const EditedText& edited, const NumberLimits& limits = {})
{
    ShownNumber shown = Reshow(edited, kFourDecimals, limits);
    return shown.text.substr(0, shown.caret) + "|" + shown.text.substr(shown.caret);
}

FieldText field(const std::string& text, int start, int end = -1)
{
    return FieldText{text, start, end < 0 ? start : end};
}

} // namespace

TEST(NumberEditingTest, TypingRulesAndCaretAfterReformatting)
{
    struct Case {
        const char* name;
        FieldText before;
        char typed;
        bool insertMode;
        const char* after;
    } cases[] = {
        {"insert regroups, caret stays behind the digit", field("1 234.0000", 5), '5', true, "12 345|.0000"},
        {"insert at the front, caret before the next digit", field("234.0000", 0), '1', true, "1 |234.0000"},
        {"overwrite in the integer part", field("1 234.0000", 2), '9', false, "1 9|34.0000"},
        {"overwrite skips a group separator", field("1 234.0000", 1), '9', false, "1 9|34.0000"},
        {"overwrite at the integer end inserts", field("12.0000", 2), '3', false, "123|.0000"},
        {"fraction digit replaces", field("12.0000", 4), '7', true, "12.07|00"},
        {"behind the last decimal nothing changes", field("12.0000", 7), '7', true, "12.0000|"},
        {"leading zero disappears", field("0.0000", 1), '5', true, "5|.0000"},
        {"selection is replaced", field("12 345.0000", 1, 5), '9', true, "19|5.0000"},
        {"selection across the separator", field("12.3400", 1, 4), '9', true, "19|.4000"},
        {"point moves to the first decimal", field("12 345.5000", 1), '.', true, "12 345.|5000"},
        {"comma does the same", field("12 345.5000", 10), ',', true, "12 345.|5000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto edited = TypeCharacter(c.before, c.typed, ',', c.insertMode, kFourDecimals);
        ASSERT_TRUE(edited.has_value());
        EXPECT_EQ(shownAfter(*edited), c.after);
    }
    EXPECT_FALSE(TypeCharacter(field("1.0000", 0), 'x', ',', true, kFourDecimals).has_value());
    EXPECT_FALSE(TypeCharacter(field("1.0000", 0), '-', ',', true, kFourDecimals).has_value());
}

TEST(NumberEditingTest, BackspaceAndDeleteRemoveDigitsNotSeparators)
{
    struct Case {
        const char* name;
        EditedText edited;
        const char* after;
    } cases[] = {
        {"backspace skips the group separator", RemoveBackward(field("12 345.0000", 3), kFourDecimals), "1 |345.0000"},
        {"backspace in the fraction", RemoveBackward(field("1.2345", 4), kFourDecimals), "1.2|450"},
        {"backspace at the start", RemoveBackward(field("1.0000", 0), kFourDecimals), "|1.0000"},
        {"backspace behind the separator takes the units digit", RemoveBackward(field("123.0000", 4), kFourDecimals),
         "12|.0000"},
        {"delete skips the decimal separator", RemoveForward(field("12.3400", 2), kFourDecimals), "12.|4000"},
        {"delete a selection keeps the separator", RemoveForward(field("12.3456", 1, 4), kFourDecimals), "1|.4560"},
        {"backspace of everything", RemoveBackward(field("12 345.5000", 0, 11), kFourDecimals), "0|.0000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(shownAfter(c.edited), c.after);
    }
}

TEST(NumberEditingTest, PasteReplacesTheSelectionAndReparses)
{
    EXPECT_EQ(shownAfter(ReplaceSelection(field("1.0000", 0, 6), "12345.5")), "12 345.5|000");
    EXPECT_EQ(shownAfter(ReplaceSelection(field("1.0000", 1), "2 3")), "123|.0000");
    EXPECT_EQ(shownAfter(ReplaceSelection(field("1.0000", 0, 6), "abc")), "0|.0000");
}

TEST(NumberEditingTest, CopyTakesSelectionOrWholeTextWithoutGroupSeparators)
{
    EXPECT_EQ(CopiedText(field("12 345.5000", 0), kFourDecimals), "12345.5000");
    EXPECT_EQ(CopiedText(field("12 345.5000", 1, 5), kFourDecimals), "234");
    EXPECT_EQ(CopiedText(field("12 345.5000", 8, 3), kFourDecimals), "345.5");
}
