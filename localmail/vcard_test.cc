#include "localmail/vcard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "base/error.h"
#include "base/text.h"
#include "tests/support/source_dir.h"

namespace vellumo::localmail {
namespace {

VcardCard One(std::string_view text) {
  std::vector<VcardCard> cards = ParseVcards(text, "test.vcf");
  EXPECT_EQ(cards.size(), 1u);
  return cards.empty() ? VcardCard() : cards.front();
}

// The message of the Error that parsing throws, "" when it parses.
std::string ParseError(std::string_view text) {
  try {
    (void)ParseVcards(text, "bad.vcf");
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

TEST(VcardParse, UnfoldsEveryLineEndAndReadsFilesWithoutFinalNewline) {
  const VcardCard crlf =
      One("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jo\r\n hn\r\nNOTE:a\r\n\tb\r\nEND:VCARD");
  EXPECT_EQ(crlf.FullName(), "John");
  EXPECT_EQ(crlf.Body(), "ab");
  const VcardCard lf = One("BEGIN:VCARD\nVERSION:3.0\nFN:Jo\n hn\nEND:VCARD\n");
  EXPECT_EQ(lf.FullName(), "John");
  // iOS ends lines with CR CR LF, folds included.
  const VcardCard ios =
      One("BEGIN:VCARD\r\r\nVERSION:3.0\r\r\nFN:Jo\r\r\n hn\r\r\nEND:VCARD\r\r\n");
  EXPECT_EQ(ios.FullName(), "John");
  const VcardCard cr = One("BEGIN:VCARD\rFN:Ann\rEND:VCARD\r");
  EXPECT_EQ(cr.FullName(), "Ann");
}

TEST(VcardParse, ReadsEveryCardOfAFile) {
  const std::vector<VcardCard> cards = ParseVcards(
      "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n\r\nbegin:vcard\r\nfn:B\r\nend:vcard", "two.vcf");
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0].FullName(), "A");
  EXPECT_EQ(cards[1].FullName(), "B");
}

TEST(VcardParse, DecodesQuotedPrintableWithSoftBreaksAndCharsets) {
  const VcardCard card =
      One("BEGIN:VCARD\r\nVERSION:2.1\r\n"
          "NOTE;ENCODING=QUOTED-PRINTABLE:one=0D=\r\n=0Atwo=0D=0A=\r\nthree\r\n"
          "FN;CHARSET=windows-1252;ENCODING=QUOTED-PRINTABLE:Ren=E9 M=FCller\r\n"
          "N;CHARSET=ISO-8859-2;QUOTED-PRINTABLE:Iksi=F1ski;Piotr\r\n"
          "TITLE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=91=\r\n"
          "\r\n"
          "ORG:Next property survives\r\n"
          "ROLE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:a=F5=B1b=80\r\n"
          "END:VCARD\r\n");
  EXPECT_EQ(card.Body(), "one\r\ntwo\r\nthree");
  EXPECT_EQ(card.FullName(), "Ren\xC3\xA9 M\xC3\xBCller");
  EXPECT_EQ(card.LastName(), "Iksi\xC5\x84ski");
  EXPECT_EQ(card.Title(), "\xC3\x91");
  EXPECT_EQ(card.CompanyName(), "Next property survives");
  EXPECT_EQ(card.Text("ROLE"),
            "a\xEF\xBF\xBD\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");  // bad UTF-8
  // Charset and encoding are gone from the model: the value is plain UTF-8 now.
  EXPECT_TRUE(card.Find("FN")->params.empty());
}

TEST(VcardParse, QuotedPrintableSoftBreakNeverSwallowsEndOfCard) {
  const VcardCard card = One("BEGIN:VCARD\nLABEL;QUOTED-PRINTABLE;WORK:a=0Ab=\nEND:VCARD\n");
  EXPECT_EQ(card.Text("LABEL"), "a\r\nb");
  EXPECT_TRUE(card.Find("LABEL")->HasType("WORK"));
}

TEST(VcardParse, NormalisesParameters) {
  const VcardCard card =
      One("BEGIN:VCARD\r\nVERSION:2.1\r\n"
          "TEL;WORK;PREF:1\r\n"
          "EMAIL;TYPE=internet,pref:a@b.c\r\n"
          "X-A;X-Q=\"a:b;c,d\";x-plain=v:value\r\n"
          "X-C;LABEL=x^ny:caret kept in 2.1\r\n"
          "END:VCARD\r\n");
  const VcardProperty* tel = card.Find("TEL");
  ASSERT_NE(tel, nullptr);
  EXPECT_TRUE(tel->HasType("work"));
  EXPECT_TRUE(tel->IsPreferred());
  EXPECT_EQ(tel->params[0], (VcardParam{"TYPE", {"WORK"}}));
  EXPECT_EQ(card.Find("EMAIL")->params[0], (VcardParam{"TYPE", {"internet", "pref"}}));
  const VcardProperty* x = card.Find("x-a");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->Param("X-Q"), "a:b;c,d");
  EXPECT_EQ(x->Param("X-PLAIN"), "v");
  EXPECT_EQ(x->value, "value");
  EXPECT_EQ(card.Find("X-C")->Param("LABEL"), "x^ny");
}

TEST(VcardParse, DecodesCaretEscapesOutside21) {
  const VcardCard card =
      One("BEGIN:VCARD\nVERSION:4.0\nADR;LABEL=\"1 Main St^nSpringfield ^'Home^' ^^\":;;1 Main St\n"
          "END:VCARD\n");
  EXPECT_EQ(card.Find("ADR")->Param("LABEL"), "1 Main St\nSpringfield \"Home\" ^");
}

TEST(VcardParse, KeepsBase64AsTextWithoutFoldingWhitespace) {
  const VcardCard card =
      One("BEGIN:VCARD\r\nVERSION:2.1\r\n"
          "PHOTO;ENCODING=BASE64;JPEG:\r\n  /9j/4AAQ\r\n  SkZJRg==\r\n\r\n"
          "KEY;BASE64:\r\nAAAA\r\nBBBB\r\n\r\n"
          "FN:After\r\nEND:VCARD\r\n");
  const VcardProperty* photo = card.Find("PHOTO");
  ASSERT_NE(photo, nullptr);
  EXPECT_EQ(photo->value, "/9j/4AAQSkZJRg==");
  EXPECT_EQ(photo->Param("ENCODING"), "b");
  EXPECT_TRUE(photo->HasType("JPEG"));
  EXPECT_EQ(card.Find("KEY")->value, "AAAABBBB");  // 2.1 base64 runs to the blank line
  EXPECT_EQ(card.FullName(), "After");
  // Without a blank line after them, unindented lines are properties, not base64.
  const VcardCard folded_name =
      One("BEGIN:VCARD\nPHOTO;ENCODING=b:AAAA\nX-LONG\n NAME:x\nEND:VCARD\n");
  EXPECT_EQ(folded_name.Find("PHOTO")->value, "AAAA");
  EXPECT_EQ(folded_name.Text("X-LONGNAME"), "x");
}

TEST(VcardParse, ReadsUtf16AndByteOrderMarks) {
  const std::string text = "BEGIN:VCARD\r\nFN:Zo\xC3\xAB\r\nEND:VCARD\r\n";
  const std::string le = text::Utf8ToUtf16Le(text);
  std::string be = le;
  for (size_t i = 0; i + 1 < be.size(); i += 2) std::swap(be[i], be[i + 1]);
  EXPECT_EQ(One("\xFF\xFE" + le).FullName(), "Zo\xC3\xAB");
  EXPECT_EQ(One(le).FullName(), "Zo\xC3\xAB");
  EXPECT_EQ(One(be).FullName(), "Zo\xC3\xAB");
  EXPECT_EQ(One("\xEF\xBB\xBF" + text).FullName(), "Zo\xC3\xAB");
  // Unlabelled 8-bit text is read as Windows-1252.
  EXPECT_EQ(One("BEGIN:VCARD\nFN:Zo\xEB\nEND:VCARD\n").FullName(), "Zo\xC3\xAB");
}

TEST(VcardParse, RejectsMalformedInputNamingFileAndLine) {
  EXPECT_EQ(ParseError(""), "bad.vcf:1: no BEGIN:VCARD");
  EXPECT_EQ(ParseError("FN:x\n"), "bad.vcf:1: expected BEGIN:VCARD");
  EXPECT_EQ(ParseError("BEGIN:VCARD\nFN:x\n"), "bad.vcf:1: card has no END:VCARD");
  EXPECT_EQ(ParseError("BEGIN:VCARD\nFN:x\nthis is no property\nEND:VCARD\n"),
            "bad.vcf:3: not a property line (no ':')");
  EXPECT_EQ(ParseError("BEGIN:VCARD\nhello\nEND:VCARD\n"),
            "bad.vcf:2: not a property line (no ':')");
  EXPECT_EQ(ParseError("BEGIN:VCARD\nX-A;P=\"open:x\nEND:VCARD\n"),
            "bad.vcf:2: unterminated quoted value of parameter P");
  EXPECT_EQ(ParseError("BEGIN:VCARD\nF N:x\nEND:VCARD\n"), "bad.vcf:2: bad property name 'F N'");
  EXPECT_EQ(ParseError("BEGIN:VCARD\nFN;A B=1:x\nEND:VCARD\n"),
            "bad.vcf:2: bad parameter name 'A B'");
  EXPECT_EQ(ParseError("BEGIN:VCARD\nFN:x\nBEGIN:VCARD\nEND:VCARD\n"),
            "bad.vcf:3: BEGIN:VCARD inside a card; the card at line 1 has no END:VCARD");
  EXPECT_EQ(ParseError("BEGIN:VCARD\n\n continued\nEND:VCARD\n"),
            "bad.vcf:3: continuation line without a property");
  // A bare standard name is an empty field, as broken exporters write it.
  EXPECT_EQ(One("BEGIN:VCARD\nFN\nEND:VCARD\n").Find("FN")->value, "");
}

TEST(VcardCard, UnescapesAndEscapesTextValues) {
  const VcardCard card =
      One("BEGIN:VCARD\nVERSION:3.0\nFN:Doe\\, John\nN:Doe\\;Smith;John\\, Jr.;;;\n"
          "NOTE:a\\nb\\\\c\\:d\\qe\nURL:http\\://x\nEND:VCARD\n");
  EXPECT_EQ(card.FullName(), "Doe, John");
  EXPECT_EQ(card.LastName(), "Doe;Smith");
  EXPECT_EQ(card.FirstName(), "John, Jr.");
  EXPECT_EQ(card.Body(), "a\r\nb\\c:d\\qe");
  EXPECT_EQ(card.Text("URL"), "http://x");
  EXPECT_EQ(EscapeVcardText("a,b;c\\d\r\ne\nf"), "a\\,b\\;c\\\\d\\ne\\nf");
  EXPECT_EQ(UnescapeVcardText(EscapeVcardText("x,y;z\\\r\n")), "x,y;z\\\r\n");
}

TEST(VcardCard, EscapesTwoOneTextAsThreeZeroNeedsIt) {
  const VcardCard card =
      One("BEGIN:VCARD\nVERSION:2.1\nNOTE:C:\\temp\\x; a, b\\; c\nORG:Company, The;Dept\n"
          "CATEGORIES:a,b\nURL:http://x/?a=1;b=2,3\nN:Doe\\;Roe;John\nEND:VCARD\n");
  EXPECT_EQ(card.Body(), "C:\\temp\\x; a, b; c");
  EXPECT_EQ(card.Find("NOTE")->value, "C:\\\\temp\\\\x\\; a\\, b\\; c");
  EXPECT_EQ(card.Find("ORG")->value, "Company\\, The;Dept");
  EXPECT_EQ(card.CompanyName(), "Company, The");
  EXPECT_EQ(card.Find("CATEGORIES")->value, "a,b");
  EXPECT_EQ(card.Find("URL")->value, "http://x/?a=1;b=2,3");
  EXPECT_EQ(card.LastName(), "Doe;Roe");
}

TEST(VcardCard, SettersUpdateOrInsertAndKeepOtherComponents) {
  VcardCard card =
      One("BEGIN:VCARD\nVERSION:3.0\nN:Doe;John;Q;Mr.;Jr.\nORG:Acme;Sales\n"
          "EMAIL:first@x\nEMAIL;TYPE=pref:pref@x\nADR;TYPE=home:;;1 Home St;Hometown;;;\n"
          "CATEGORIES:a,b\nCATEGORIES:c\nEND:VCARD\n");
  EXPECT_EQ(card.Email1Address(), "pref@x");
  card.SetLastName("Roe");
  card.SetCompanyName("Beta, Inc.");
  card.SetEmail1Address("new@x");
  card.SetBusinessAddressCity("Worktown");
  card.SetFullName("John Roe");
  card.SetBody("line1\r\nline2");
  card.SetEntryID("uid-1");
  card.SetAccount("acct");
  card.SetBillingInformation("bill");
  card.SetUser(4, "u4");
  EXPECT_EQ(card.Categories(), (std::vector<std::string>{"a", "b", "c"}));
  card.SetCategories({"x", "y, z"});
  EXPECT_EQ(card.Find("N")->value, "Roe;John;Q;Mr.;Jr.");
  EXPECT_EQ(card.Find("ORG")->value, "Beta\\, Inc.;Sales");
  EXPECT_EQ(card.Email1Address(), "new@x");
  EXPECT_EQ(card.properties()[2].value, "first@x");
  EXPECT_EQ(card.BusinessAddressCity(), "Worktown");
  EXPECT_EQ(card.Text("ADR"), ";;1 Home St;Hometown;;;");  // the home address is untouched
  EXPECT_EQ(card.Categories(), (std::vector<std::string>{"x", "y, z"}));
  EXPECT_EQ(card.Find("NOTE")->value, "line1\\nline2");
  EXPECT_EQ(card.Body(), "line1\r\nline2");
  EXPECT_EQ(card.Text("X-VELLUMO-USER4"), "u4");
  EXPECT_EQ(card.User(4), "u4");
  EXPECT_EQ(card.Account(), "acct");
  EXPECT_EQ(card.BillingInformation(), "bill");
  EXPECT_EQ(card.EntryID(), "uid-1");
  EXPECT_THROW((void)card.User(5), Error);
  EXPECT_THROW(card.SetUser(0, "x"), Error);
  card.SetCategories({});
  EXPECT_EQ(card.Find("CATEGORIES"), nullptr);

  // Clearing a field the card lacks adds nothing.
  VcardCard empty;
  empty.SetTitle("");
  empty.SetBusinessAddressCity("");
  EXPECT_TRUE(empty.properties().empty());
  empty.SetFirstName("Ann");
  EXPECT_EQ(empty.Find("N")->value, ";Ann;;;");
}

TEST(VcardWrite, WritesThreeZeroWithCrLfAndSafeFolding) {
  VcardCard card("2.1");
  std::string long_name;
  for (int i = 0; i < 60; ++i) long_name += "\xC3\xA9\xE6\x97\xA5";  // é日: 2- and 3-byte
  card.SetFullName(long_name);
  card.properties().push_back({"item1", "X-A", {{"P", {"a\"b", "c:d", "x^y\nz"}}}, "v"});
  const std::string written = WriteVcard(card);
  EXPECT_TRUE(written.starts_with("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:"));
  EXPECT_TRUE(written.ends_with("END:VCARD\r\n"));
  EXPECT_NE(written.find("item1.X-A;P=a^'b,\"c:d\",x^^y^nz:v\r\n"), std::string::npos);
  for (const std::string& line : text::Split(written, "\r\n")) {
    EXPECT_LE(line.size(), 75u);
    EXPECT_TRUE(text::IsValidUtf8(line)) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }
  const VcardCard back = One(written);
  EXPECT_EQ(back.properties(), card.properties());
  EXPECT_EQ(back.version(), "3.0");
  VcardCard four("4.0");
  four.SetFullName("x");
  EXPECT_TRUE(WriteVcard(four).starts_with("BEGIN:VCARD\r\nVERSION:4.0\r\n"));
}

TEST(VcardWrite, RewritesTwoOneQuotedPrintableAsUtf8) {
  const VcardCard card =
      One("BEGIN:VCARD\r\nVERSION:2.1\r\n"
          "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Gr=FC=DFe=0D=0Aaus K=F6ln\r\n"
          "ADR;WORK;PREF:;;Main St;Springfield;;;\r\nX-UNKNOWN;X-P=1:kept\r\nEND:VCARD\r\n");
  const std::string written = WriteVcard(card);
  EXPECT_NE(written.find("NOTE:Gr\xC3\xBC\xC3\x9F"
                         "e\\naus K\xC3\xB6ln\r\n"),
            std::string::npos);
  EXPECT_NE(written.find("ADR;TYPE=WORK;TYPE=PREF:;;Main St;Springfield;;;\r\n"),
            std::string::npos);
  EXPECT_NE(written.find("X-UNKNOWN;X-P=1:kept\r\n"), std::string::npos);
  EXPECT_EQ(written.find("QUOTED-PRINTABLE"), std::string::npos);
  EXPECT_EQ(written.find("CHARSET"), std::string::npos);
  EXPECT_EQ(One(written).properties(), card.properties());
}

// The shared real-world samples: every file loads, known fields read right, and a rewrite keeps
// every property.
class RealWorldVcards : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::RealWorldDir() / "vcf";
    if (!std::filesystem::is_directory(dir_)) GTEST_SKIP() << test_support::NoRealWorldInputs(dir_);
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      std::ifstream in(entry.path(), std::ios::binary);
      files_[entry.path().filename().string()] =
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }

  std::vector<VcardCard> Cards(const std::string& name) {
    EXPECT_TRUE(files_.count(name)) << name;
    return ParseVcards(files_[name], name);
  }

  std::filesystem::path dir_;
  std::map<std::string, std::string> files_;
};

TEST_F(RealWorldVcards, EveryFileLoadsAndSurvivesARewrite) {
  EXPECT_GE(files_.size(), 20u);
  for (const auto& [name, bytes] : files_) {
    SCOPED_TRACE(name);
    std::vector<VcardCard> cards;
    ASSERT_NO_THROW(cards = ParseVcards(bytes, name));
    for (const VcardCard& card : cards) {
      for (const VcardProperty& p : card.properties()) EXPECT_TRUE(text::IsValidUtf8(p.value));
      const std::vector<VcardCard> back = ParseVcards(WriteVcard(card), name);
      ASSERT_EQ(back.size(), 1u);
      EXPECT_EQ(back[0].properties(), card.properties());
      EXPECT_EQ(back[0].FullName(), card.FullName());
      EXPECT_EQ(back[0].LastName(), card.LastName());
      EXPECT_EQ(back[0].Email1Address(), card.Email1Address());
      EXPECT_EQ(back[0].Body(), card.Body());
      EXPECT_EQ(back[0].Categories(), card.Categories());
      EXPECT_EQ(back[0].BusinessAddressCity(), card.BusinessAddressCity());
    }
  }
}

TEST_F(RealWorldVcards, ReadsEscapedCommasFoldsAndGroups) {
  const VcardCard evolution = Cards("evolution_3_0_folded_escaped.vcf").at(0);
  EXPECT_EQ(evolution.FullName(), "Mr. John Richter, James Doe Sr.");
  EXPECT_EQ(evolution.LastName(), "Doe");
  EXPECT_EQ(evolution.FirstName(), "John");
  EXPECT_EQ(evolution.CompanyName(), "IBM");
  EXPECT_EQ(evolution.Email1Address(), "john.doe@ibm.com");
  EXPECT_EQ(evolution.Categories(), std::vector<std::string>{"VIP"});
  EXPECT_EQ(evolution.EntryID(), "477343c8e6bf375a9bac1f96a5000837");
  EXPECT_NE(evolution.Body().find("WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE"),
            std::string::npos);
  EXPECT_EQ(evolution.Find("X-AIM")->Param("X-COUCHDB-UUID"),
            "cb9e11fc-bb97-4222-9cd8-99820c1de454");

  const VcardCard mac = Cards("mac_addressbook_3_0_photo_base64.vcf").at(0);
  EXPECT_EQ(mac.FullName(), "Mr. John Richter,James Doe Sr.");
  EXPECT_EQ(mac.BusinessAddressCity(), "New York");
  EXPECT_NE(mac.Body().find("\"AS IS\""), std::string::npos);
  EXPECT_TRUE(mac.Find("PHOTO")->value.starts_with("/9j/4AAQ"));
  EXPECT_EQ(mac.Find("PHOTO")->value.find(' '), std::string::npos);

  const VcardCard iphone = Cards("iphone_3_0_crcrlf_item_groups.vcf").at(0);
  EXPECT_EQ(iphone.Email1Address(), "john.doe@ibm.com");
  EXPECT_EQ(iphone.Find("EMAIL")->group, "item1");
  EXPECT_EQ(iphone.BusinessAddressCity(), "New York");
  EXPECT_TRUE(iphone.Find("PHOTO")->value.ends_with("9T9mwR4XxpqYOf+gBff/Gq/BGil7KIe1Z//9k="));

  const VcardCard sabre = Cards("sabre_issue64_2_1_photo_space_folded.vcf").at(0);
  EXPECT_TRUE(sabre.Find("PHOTO")->value.starts_with("/9j/4AAQSkZJRgABAQAAAQABAAD/4QBYRXhpZg"));
  EXPECT_TRUE(sabre.Find("PHOTO")->value.ends_with("zbVbk4/OrNpefLsnyyg5UUAf/9k="));
}

TEST_F(RealWorldVcards, ReadsQuotedPrintableNotesAndSoftBreaks) {
  const VcardCard qp_note = Cards("outlook2003_2_1_qp_note_x509.vcf").at(0);
  EXPECT_EQ(qp_note.Body(),
            "This is the note field!!\r\nSecond line\r\n\r\nThird line is empty\r\n");
  EXPECT_EQ(qp_note.CompanyName(), "Company, The");
  EXPECT_EQ(qp_note.BusinessAddressCity(), "Austin");
  EXPECT_EQ(qp_note.Email1Address(), "jdoe@hotmail.com");
  EXPECT_EQ(qp_note.Text("LABEL"),
            "TheOffice\r\n123 Main St\r\nAustin, TX 12345\r\nUnited States of America");

  const VcardCard charset_note = Cards("outlook2007_2_1_charset_qp_photo.vcf").at(0);
  EXPECT_TRUE(charset_note.Body().starts_with(
      "This is the NOTE field\t\r\nI assume it encodes this text inside a NOTE vCard type.\r\n"));
  EXPECT_EQ(charset_note.Title(), "TheJobTitle");

  const std::vector<VcardCard> kde = Cards("kcontacts_2_1_broken_qp_adr_multi.vcf");
  ASSERT_EQ(kde.size(), 5u);
  EXPECT_EQ(kde[1].Text("URL"), "http://some-webseite.com");  // not eaten by the ADR soft break
  EXPECT_EQ(kde[3].Title(), "Facharzt f\xC3\xBCr Allgemeinmedizin");
  EXPECT_EQ(kde[0].Text("NOTE"), "This one has a funny character at the end in the contact list");

  const VcardCard label = Cards("kcontacts_qp_soft_break_label.vcf").at(0);
  EXPECT_EQ(label.Text("LABEL"),
            "401 Park Drive  3 West\r\nBoston, MA 02215\r\nUSA\r\nHerecomesyetanotherline");
  EXPECT_EQ(label.EntryID(), "pas-id-3E136F9B00000000");
}

TEST_F(RealWorldVcards, ReadsMultiCardFilesAndCharsets) {
  const std::vector<VcardCard> gmail = Cards("gmail_3_0_multi_card_no_final_newline.vcf");
  ASSERT_EQ(gmail.size(), 3u);
  EXPECT_EQ(gmail[2].Email1Address(), "dwhite@gmail.com");
  EXPECT_EQ(gmail[2].FullName(), "Doug White");

  const std::vector<VcardCard> android = Cards("android_2_1_multi_card_utf8_qp.vcf");
  ASSERT_EQ(android.size(), 6u);
  EXPECT_EQ(android[0].Email1Address(), "john.doe@company.com");
  std::string eleven;  // the soft break falls between two of them
  for (int i = 0; i < 11; ++i) eleven += i == 0 ? "\xC3\x91" : " \xC3\x91";
  EXPECT_EQ(android[3].FullName(), eleven);
  EXPECT_EQ(android[4].Email1Address(), "bob@company.com");
  EXPECT_EQ(android[5].Categories(), std::vector<std::string>{"My Contacts"});

  const VcardCard utf16 = Cards("roundcube_utf16_sample.vcf").at(0);
  EXPECT_EQ(utf16.LastName(),
            "\xC4\xBD"
            "daMont\xC3\xA9");
  EXPECT_EQ(utf16.BusinessAddressCity(), "LaPaz");

  const VcardCard netscape = Cards("kcontacts_netscape_lowercase_2_1.vcf").at(0);
  EXPECT_EQ(netscape.version(), "2.1");
  EXPECT_EQ(netscape.FullName(), "ian geiser");
  EXPECT_EQ(netscape.Email1Address(), "geiseri@yahoo.com");

  const VcardCard folded = Cards("kcontacts_3_0_utf8_folded_multibyte.vcf").at(0);
  EXPECT_TRUE(folded.FullName().starts_with("\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB1"));
  EXPECT_EQ(folded.version(), "3.0");  // VERSION comes last in this file
}

TEST_F(RealWorldVcards, ReadsFourZeroCaretsAndTypeLists) {
  const VcardCard card = Cards("issue114_4_0_adr_label_caret_escapes.vcf").at(0);
  EXPECT_EQ(card.version(), "4.0");
  EXPECT_EQ(card.FullName(), "Dummy, Dummy");
  EXPECT_EQ(card.Find("ADR")->Param("LABEL"), "Dummy-Dummy-Strasse 1 61352 Bad Homburg\nGERMANY\"");
  EXPECT_TRUE(WriteVcard(card).starts_with("BEGIN:VCARD\r\nVERSION:4.0\r\n"));

  const VcardCard rfc = Cards("rfc6350_4_0_example.vcf").at(0);
  EXPECT_EQ(rfc.LastName(), "Perreault");
  EXPECT_EQ(rfc.BusinessAddressCity(), "Quebec");
  const VcardProperty* tel = rfc.Find("TEL");
  EXPECT_TRUE(tel->HasType("voice"));
  EXPECT_TRUE(tel->IsPreferred());
  EXPECT_EQ(tel->value, "tel:+1-418-656-9254;ext=102");
}

}  // namespace
}  // namespace vellumo::localmail
