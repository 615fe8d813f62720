// The INI table: how lines are read, how get and put find and change
// sections and keys, and what a write-back puts into the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/scratch_dir.h"
#include "runtime/io/ini.h"

namespace {

std::string S(const TvString& t) { return std::string(t.data, t.length); }
TvString T(const std::string& s) { return TvString(s.data(), uint32_t(s.size())); }

// Loads `text` as if read from a file.
void load(const std::string& text) {
  ini_table.changed = false;
  ini_open(TvString());
  std::unique_ptr<char[]> bytes(new char[text.size() + 1]);
  std::memcpy(bytes.get(), text.data(), text.size());
  ini_parse(ini_table, std::move(bytes), text.size());
}

std::string get(const std::string& sec, const std::string& key, const std::string& def = "<none>") {
  return S(ini_get(T(sec), T(key), T(def)));
}
void put(const std::string& sec, const std::string& key, const std::string& value) {
  ini_put(T(sec), T(key), T(value));
}
std::string formatted() { return S(ini_format(ini_table)); }
// What a reload of the written text makes of it, written again.
std::string reloaded() {
  std::string text = formatted();
  load(text);
  return formatted();
}

class Ini : public ::testing::Test {
 protected:
  void TearDown() override {
    ini_table.changed = false;
    ini_open(TvString());
  }
};

TEST_F(Ini, KeyLinesBlanksAndDroppedLines) {
  load("[A]\r\nx = 1\r\ny=\r\n[B]\r\n");
  EXPECT_EQ(get("A", "x"), "1");
  EXPECT_EQ(get("A", "y"), "<none>");  // a key with no value is not kept
  EXPECT_EQ(get("B", "anything"), "<none>");
  EXPECT_EQ(formatted(), "[A]\r\nx=1\r\n");  // a header with no keys makes no section

  load("[S]\n"
       "  \t lead=  v a=l;ue  \t\r\n"   // leading blanks skipped, inner text kept, trailing tab cut
       "; comment=1\n"
       "#hash=ordinary key\n"
       "novalue\n"
       "two words=x\n"                  // a key cannot hold a blank
       "spaced   =  y\n"
       "eq==z\n"
       "ctl=\x01\x02\n"                 // nothing but control bytes: no value
       "=anonymous\n");
  EXPECT_EQ(get("S", "lead"), "v a=l;ue  ");
  EXPECT_EQ(get("S", "; comment"), "<none>");
  EXPECT_EQ(get("S", ";"), "<none>");
  EXPECT_EQ(get("S", "#hash"), "ordinary key");
  EXPECT_EQ(get("S", "novalue"), "<none>");
  EXPECT_EQ(get("S", "two"), "<none>");
  EXPECT_EQ(get("S", "spaced"), "y");
  EXPECT_EQ(get("S", "eq"), "=z");
  EXPECT_EQ(get("S", "ctl"), "<none>");
  EXPECT_EQ(get("S", ""), "anonymous");
}

TEST_F(Ini, HeadersCutAtABlankAndEmptyNamesKeepThePreviousOne) {
  load("[My Section]\na=1\n"
       "[ Pad ]\nb=2\n"
       "[Eq=Sign]\nc=3\n"
       "[Two]]\nd=4\n"
       "[]\ne=5\n"
       "[NoClose\nf=6\n");
  EXPECT_EQ(get("My", "a"), "1");
  EXPECT_EQ(get("My Section", "a"), "<none>");
  EXPECT_EQ(get("Pad", "b"), "2");
  EXPECT_EQ(get("Eq", "c"), "3");
  EXPECT_EQ(get("Two]", "d"), "4");
  // "[]" keeps the name "Two]", making a second, hidden section of that name
  EXPECT_EQ(get("Two]", "e"), "<none>");
  EXPECT_EQ(get("NoClose", "f"), "6");
  EXPECT_EQ(formatted(),
            "[My]\r\na=1\r\n[Pad]\r\nb=2\r\n[Eq]\r\nc=3\r\n[Two]]\r\nd=4\r\n"
            "[Two]]\r\ne=5\r\n[NoClose]\r\nf=6\r\n");
}

TEST_F(Ini, NamesIgnoreAsciiCaseAndKeepTheirFirstForm) {
  load("[Main]\nKEY=Value\n");
  EXPECT_EQ(get("main", "key"), "Value");
  EXPECT_EQ(get("MAIN", "Key"), "Value");
  put("mAIN", "kEY", "new");
  put("MAIN", "Other", "o");
  EXPECT_EQ(formatted(), "[Main]\r\nKEY=new\r\nOther=o\r\n");
  // only ASCII letters fold: Latin-1 letters are distinct bytes
  put("\xc4", "k", "1");
  EXPECT_EQ(get("\xe4", "k"), "<none>");
  EXPECT_EQ(get("\xc4", "K"), "1");
}

TEST_F(Ini, KeysBeforeTheFirstHeaderFormAnUnnamedSection) {
  load("top=1\n[S]\nk=2\n");
  EXPECT_EQ(get("", "top"), "1");
  EXPECT_EQ(get("S", "top"), "<none>");
  EXPECT_EQ(formatted(), "[]\r\ntop=1\r\n[S]\r\nk=2\r\n");
  EXPECT_EQ(reloaded(), "[]\r\ntop=1\r\n[S]\r\nk=2\r\n");
}

TEST_F(Ini, AnUnnamedSectionMadeLaterIsWrittenFirstSoItReadsBack) {
  load("[S]\nk=2\n");
  put("", "loose", "v");
  EXPECT_EQ(formatted(), "[]\r\nloose=v\r\n[S]\r\nk=2\r\n");
  reloaded();
  EXPECT_EQ(get("", "loose"), "v");
  EXPECT_EQ(get("S", "k"), "2");
}

TEST_F(Ini, FirstSectionAndFirstKeyWin) {
  load("[S]\nk=first\nk=second\n[s]\nk=hidden\nonly=hidden too\n");
  EXPECT_EQ(get("S", "k"), "first");
  EXPECT_EQ(get("S", "only"), "<none>");
  put("S", "k", "changed");
  EXPECT_EQ(formatted(), "[S]\r\nk=changed\r\nk=second\r\n[s]\r\nk=hidden\r\nonly=hidden too\r\n");
  // deleting the first key uncovers the next one of its name
  put("S", "k", "");
  EXPECT_EQ(get("S", "k"), "second");
  put("S", "K", "");
  EXPECT_EQ(get("S", "k"), "<none>");
  // deleting the first section uncovers the second
  put("S", "", "whatever");
  EXPECT_EQ(get("S", "k"), "hidden");
  EXPECT_EQ(get("S", "only"), "hidden too");
}

TEST_F(Ini, DeletingAKeyMovesTheLastKeyIntoItsPlace) {
  load("[S]\na=1\nb=2\nc=3\nd=4\n");
  put("S", "b", "");
  EXPECT_EQ(formatted(), "[S]\r\na=1\r\nd=4\r\nc=3\r\n");
  put("S", "c", "");  // the last one: nothing moves
  EXPECT_EQ(formatted(), "[S]\r\na=1\r\nd=4\r\n");
  EXPECT_TRUE(ini_table.changed);

  // a missing key with an empty value is added empty and lost on reload
  put("S", "blank", "");
  EXPECT_EQ(get("S", "blank"), "");
  EXPECT_EQ(formatted(), "[S]\r\na=1\r\nd=4\r\nblank=\r\n");
  EXPECT_EQ(reloaded(), "[S]\r\na=1\r\nd=4\r\n");

  // a section whose keys are all gone is still written as its header
  put("S", "a", "");
  put("S", "d", "");
  EXPECT_EQ(formatted(), "[S]\r\n");
}

TEST_F(Ini, DeletingASectionMovesTheLastSectionIntoItsPlace) {
  load("[A]\na=1\n[B]\nb=1\n[C]\nc=1\n[D]\nd=1\n");
  put("b", "", "");
  EXPECT_EQ(formatted(), "[A]\r\na=1\r\n[D]\r\nd=1\r\n[C]\r\nc=1\r\n");
  EXPECT_EQ(get("D", "d"), "1");
  EXPECT_EQ(get("B", "b"), "<none>");

  load("[A]\na=1\n");
  put("Missing", "", "x");
  EXPECT_FALSE(ini_table.changed);
  EXPECT_EQ(formatted(), "[A]\r\na=1\r\n");
}

TEST_F(Ini, PutAppendsNewSectionsAndKeysInOrder) {
  load("");
  put("Functions", "NAME0", "sum");
  put("Functions", "DESCRIPTION0", "adds");
  put("Types", "NAME0", "Point");
  put("Functions", "CODE0", "a|b");
  EXPECT_EQ(formatted(),
            "[Functions]\r\nNAME0=sum\r\nDESCRIPTION0=adds\r\nCODE0=a|b\r\n"
            "[Types]\r\nNAME0=Point\r\n");
  EXPECT_EQ(reloaded(), formatted());
}

TEST_F(Ini, ValuesWithLineBreaksSpillOntoTheirOwnLines) {
  load("");
  put("S", "k", "first\r\nsecond=2");
  reloaded();
  EXPECT_EQ(get("S", "k"), "first");
  EXPECT_EQ(get("S", "second"), "2");
}

TEST_F(Ini, BytesAreUnsignedOnlyControlBytesAreCut) {
  load("[S]\nname=Andr\xe9\nfull=\xff\xfe\xe9\x7f\x1f\t\r\nsp=trailing  \n");
  EXPECT_EQ(get("S", "name"), "Andr\xe9");
  EXPECT_EQ(get("S", "full"), "\xff\xfe\xe9\x7f");
  EXPECT_EQ(get("S", "sp"), "trailing  ");
}

TEST_F(Ini, NulBytesAreOrdinaryBytes) {
  static const char file[] = "[S\0x]\nk=a\0b\nn\0k=v\n\0\nlast=1";
  static const char written[] = "[S\0x]\r\nk=a\0b\r\nn\0k=v\r\nlast=1\r\n";
  load(std::string(file, sizeof file - 1));
  EXPECT_EQ(get(std::string("S\0x", 3), "k"), std::string("a\0b", 3));
  EXPECT_EQ(get(std::string("S\0x", 3), std::string("n\0k", 3)), "v");
  EXPECT_EQ(get(std::string("S\0x", 3), "last"), "1");
  EXPECT_EQ(get("S", "k"), "<none>");
  // and they survive a write-back
  EXPECT_EQ(reloaded(), std::string(written, sizeof written - 1));
}

TEST_F(Ini, LineEndsLongLinesAndAMissingFinalLineEnd) {
  // a 1 MB line is read whole, not cut into a stray key line
  std::string code(1 << 20, 'x');
  code[1000] = '=';
  code[5000] = '[';
  load("[S]\r\nCODE0=" + code + "\r\nNAME0=after");
  EXPECT_EQ(get("S", "CODE0"), code);
  EXPECT_EQ(get("S", "NAME0"), "after");
  EXPECT_EQ(reloaded(), "[S]\r\nCODE0=" + code + "\r\nNAME0=after\r\n");

  // a file with CR line ends only
  load("[S]\ra=1\r\rb=2\r[T]\rc=3");
  EXPECT_EQ(get("S", "a"), "1");
  EXPECT_EQ(get("S", "b"), "2");
  EXPECT_EQ(get("T", "c"), "3");

  // with LF line ends a lone CR inside a value stays
  load("[S]\na=x\ry\r\nb=2\n");
  EXPECT_EQ(get("S", "a"), "x\ry");
  EXPECT_EQ(get("S", "b"), "2");
}

}  // namespace
