#include "compiler/item_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/run_failure.h"

namespace scenario {
namespace {

TEST(ItemStream, BlanksAloneSeparateNumbers) {
  ItemStream s("orologio,    18              19            0 \r\nsabbia, 300\r\n");
  EXPECT_EQ(s.read_text(), "orologio");
  EXPECT_EQ(s.read_integer(), 18);
  EXPECT_EQ(s.read_integer(), 19);
  EXPECT_EQ(s.read_integer(), 0);
  // The line end after the last number belonged to it: the next item is the
  // key on the next line, not an empty item.
  EXPECT_EQ(s.read_text(), "sabbia");
  EXPECT_EQ(s.read_long(), 300);
  EXPECT_TRUE(s.at_end());
}

TEST(ItemStream, BlanksBeforeACommaBelongToTheNumber) {
  ItemStream s("18 , 19\t,20");
  EXPECT_EQ(s.read_long(), 18);
  EXPECT_EQ(s.read_long(), 19);
  EXPECT_EQ(s.read_long(), 20);
  EXPECT_TRUE(s.at_end());
}

TEST(ItemStream, EmptyItemsReadAsZero) {
  ItemStream s("indicatori_vmax,  1000,  75,  ,  ,\t,  0");
  EXPECT_EQ(s.read_text(), "indicatori_vmax");
  EXPECT_EQ(s.read_long(), 1000);
  EXPECT_EQ(s.read_long(), 75);
  EXPECT_EQ(s.read_long(), 0);
  EXPECT_EQ(s.read_long(), 0);
  EXPECT_EQ(s.read_long(), 0);
  EXPECT_EQ(s.read_long(), 0);
  EXPECT_TRUE(s.at_end());
}

TEST(ItemStream, QuotedTextKeepsItsCommasAndDropsWhatFollowsTheQuote) {
  ItemStream s("cartello, \"Porta, Nord\" tail ,5\r\n\"a\r\nb\",6");
  EXPECT_EQ(s.read_text(), "cartello");
  EXPECT_EQ(s.read_text(), "Porta, Nord");
  EXPECT_EQ(s.read_long(), 5);
  // A quoted item may span a line end.
  EXPECT_EQ(s.read_text(), "a\r\nb");
  EXPECT_EQ(s.read_long(), 6);
  EXPECT_TRUE(s.at_end());
}

TEST(ItemStream, UnquotedTextEndsAtCommaOrLineEndWithoutTrailingBlanks) {
  ItemStream s("  (Valle Alta) \t,STAZIONE D'ARCO  \r\n,x");
  EXPECT_EQ(s.read_text(), "(Valle Alta)");
  EXPECT_EQ(s.read_text(), "STAZIONE D'ARCO");
  // A comma where an item starts is an empty text item.
  EXPECT_EQ(s.read_text(), "");
  EXPECT_EQ(s.read_text(), "x");
}

TEST(ItemStream, LineEndsSeparateLikeCommasAndBlankLinesCarryNoItem) {
  // CR LF, lone LF and lone CR; a key's values continue on the next line.
  ItemStream s("segnale,\r\n\r\n  300,\n7\r8\n\n   \r\n");
  EXPECT_EQ(s.read_text(), "segnale");
  EXPECT_EQ(s.read_long(), 300);
  EXPECT_EQ(s.read_long(), 7);
  EXPECT_EQ(s.read_long(), 8);
  EXPECT_TRUE(s.at_end());
}

TEST(ItemStream, LastItemIsReadAndThenTheStreamIsAtItsEnd) {
  ItemStream s("a,b\r\n");
  EXPECT_FALSE(s.at_end());
  EXPECT_EQ(s.read_text(), "a");
  EXPECT_FALSE(s.at_end());
  EXPECT_EQ(s.read_text(), "b");
  EXPECT_TRUE(s.at_end());
  EXPECT_THROW(s.read_text(), RunFailure);
  EXPECT_THROW(s.read_long(), RunFailure);

  EXPECT_TRUE(ItemStream(" \t\r\n").at_end());
  EXPECT_TRUE(ItemStream("").at_end());
}

TEST(ItemStream, NumbersOutsideTheirTypeFail) {
  enum Type { kLong, kInteger, kByte };
  struct Row {
    const char* text;
    Type type;
    bool ok;
  };
  const Row rows[] = {
      {"2147483647", kLong, true},
      {"-2147483648", kLong, true},
      {"2147483648", kLong, false},
      {"-2147483649", kLong, false},
      {"99999999999999999999999999", kLong, false},  // would overflow 64 bits
      {"+0032767", kInteger, true},
      {"-32768", kInteger, true},
      {"32768", kInteger, false},
      {"-32769", kInteger, false},
      {"255", kByte, true},
      {"256", kByte, false},
      {"-1", kByte, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    ItemStream s(r.text);
    auto read = [&] {
      switch (r.type) {
        case kLong:
          return static_cast<int64_t>(s.read_long());
        case kInteger:
          return static_cast<int64_t>(s.read_integer());
        case kByte:
          return static_cast<int64_t>(s.read_byte());
      }
      return int64_t{0};
    };
    if (r.ok) {
      EXPECT_EQ(read(), std::stoll(r.text));
    } else {
      EXPECT_THROW(read(), RunFailure);
    }
  }
}

TEST(ItemStream, ItemsThatAreNotWholeNumbersFail) {
  const char* rows[] = {"abc", "1.5", "1e3", "12x", "+", "-", "\"5\"", "0x10", "--1"};
  for (const char* text : rows) {
    SCOPED_TRACE(text);
    ItemStream s(text);
    EXPECT_THROW(s.read_long(), RunFailure);
  }
}

TEST(ItemStream, MalformedTextItemsFail) {
  ItemStream unterminated("key, \"no end,5\r\n");
  unterminated.read_text();
  EXPECT_THROW(unterminated.read_text(), RunFailure);

  ItemStream longest(std::string(32767, 'a') + "," + std::string(32768, 'b'));
  EXPECT_EQ(longest.read_text().size(), 32767u);
  EXPECT_THROW(longest.read_text(), RunFailure);
}

TEST(ItemStream, LocatesTheLastItemRead) {
  ItemStream s("a,\r\n  bb ,  12\r\n\r\n7\rx\n  \"q,r\" s");
  struct Step {
    bool numeric;
    int line;
    int column;
    const char* item;
  };
  const Step steps[] = {{false, 1, 1, "a"}, {false, 2, 3, "bb"}, {true, 2, 9, "12"},
                        {true, 4, 1, "7"},  {false, 4, 3, "x"},  {false, 5, 3, "\"q,r\" s"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.item);
    if (step.numeric) {
      s.read_long();
    } else {
      s.read_text();
    }
    EXPECT_EQ(s.last_line(), step.line);
    EXPECT_EQ(s.last_column(), step.column);
    EXPECT_EQ(s.last_item(), step.item);
  }
}

TEST(ItemStream, FailureNamesLineColumnAndItem) {
  ItemStream s("velocita,\r\n  20x50, 95");
  s.read_text();
  try {
    s.read_long();
    FAIL() << "no failure";
  } catch (const RunFailure& e) {
    EXPECT_STREQ(e.what(), "line 2, column 3: \"20x50\" is not a whole number");
  }

  ItemStream past("a\r\n\r\n");
  past.read_text();
  try {
    past.read_long();
    FAIL() << "no failure";
  } catch (const RunFailure& e) {
    EXPECT_STREQ(e.what(), "line 3, column 1: read past the end of the text");
  }
}

// Check mode resumes at the line after a row that went wrong: whatever of
// that row is left unread is passed over, and a read position already at or
// past the line stays where it is.
TEST(ItemStream, SkipToLinePassesOverTheRestOfARow) {
  ItemStream s("stazione, 1025, 2, 100, x\r\nsabbia, 3\r\n\nvelocita, 0, 80\n");
  EXPECT_EQ(s.read_text(), "stazione");
  EXPECT_EQ(s.read_long(), 1025);
  s.skip_to_line(2);
  EXPECT_EQ(s.line(), 2);
  EXPECT_EQ(s.read_text(), "sabbia");
  EXPECT_EQ(s.read_long(), 3);
  EXPECT_EQ(s.line(), 3);
  s.skip_to_line(2);  // already past it
  EXPECT_EQ(s.read_text(), "velocita");
  EXPECT_EQ(s.last_line(), 4);
  s.skip_to_line(9);  // beyond the text: at its end
  EXPECT_TRUE(s.at_end());

  // The lines reached so far, without their line ends; others are empty.
  EXPECT_EQ(s.line_text(1), "stazione, 1025, 2, 100, x");
  EXPECT_EQ(s.line_text(3), "");
  EXPECT_EQ(s.line_text(4), "velocita, 0, 80");
  EXPECT_EQ(s.line_text(0), "");
  EXPECT_EQ(s.line_text(99), "");
}

// The row log gets the values as they stand in the text, empty items and
// quoted texts included.
TEST(ItemStream, RecordedItemsAreAsWritten) {
  ItemStream s("indicatori_vmax, 1000, +75, , \"A, b\" tail\r\n7");
  std::vector<std::string> items;
  s.read_text();
  s.record_items(&items);
  s.read_long();
  s.read_long();
  s.read_long();
  s.read_text();
  s.record_items(nullptr);
  s.read_long();
  EXPECT_EQ(items, (std::vector<std::string>{"1000", "+75", "", "\"A, b\" tail"}));
}

}  // namespace
}  // namespace scenario
