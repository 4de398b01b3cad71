#pragma once
// Initialisation files and the answers the Windows private-profile reader gives for them (seen
// under Wine with code pages 932 and 1252). The portable reader must give the same answers; the
// platform tests also run them through GetPrivateProfileStringA itself.
#include <string>
#include <vector>

namespace plotxfer::testing {

struct ProfileCase {
  std::string title;
  std::string file;
  std::string section;
  std::string key;
  std::size_t buffer_size;
  std::string shift_jis;    // the answer under code page 932
  std::string single_byte;  // the answer under a single-byte code page such as 1252
};

// Joins the parts by appending (GCC 12 warns falsely about "literal" + std::string at -O3).
template <typename... Parts>
std::string Cat(const Parts&... parts) {
  std::string out;
  (out.append(parts), ...);
  return out;
}

inline std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    out += s;
  }
  return out;
}

inline std::vector<ProfileCase> ProfileCases() {
  // 表 and ソ end in 0x5C; ア is 0x83 0x41 (a trail byte that reads as 'A'); the full-width
  // space is 0x81 0x40.
  const std::string hyo = "\x95\x5C";
  const std::string so = "\x83\x5C";
  const std::string x = "x";
  std::vector<ProfileCase> cases;
  auto add = [&cases](std::string title, std::string file, std::string section, std::string key,
                      std::string both, std::size_t size = 254) {
    cases.push_back(
        {std::move(title), std::move(file), std::move(section), std::move(key), size, both, both});
  };
  auto add2 = [&cases](std::string title, std::string file, std::string section, std::string key,
                       std::string sjis, std::string single, std::size_t size = 254) {
    cases.push_back({std::move(title), std::move(file), std::move(section), std::move(key), size,
                     std::move(sjis), std::move(single)});
  };

  // Line ends.
  add("CR LF", "[S]\r\nK=v\r\n", "S", "K", "v");
  add("LF without a last line end", "[S]\nK=v", "S", "K", "v");
  add("CR alone", "[S]\rK=v\r", "S", "K", "v");
  add("blank lines", "[S]\r\n\r\nK=v\r\n\r\n", "S", "K", "v");
  add("empty file", "", "S", "K", "");

  // Names.
  add("case of the file's names", "[s]\nk=v\n", "S", "K", "v");
  add("case of the asked names", "[S]\nK=v\n", "s", "k", "v");
  add("duplicate section: the first answers", "[S]\nK=a\n[S]\nK=b\nJ=c\n", "S", "K", "a");
  add("duplicate section: the second is not searched", "[S]\nK=a\n[S]\nK=b\nJ=c\n", "S", "J", "");
  add("duplicate key: the first answers", "[S]\nK=a\nK=b\n", "S", "K", "a");
  add("another section's key", "[S]\nK=v\n[T]\nK=w\n", "T", "K", "w");
  add("blanks around lines, names and values", "  [S]  \n  K  =  v v  \n", "S", "K", "v v");
  add("blanks inside brackets", "[ S ]\nK=v\n", "S", "K", "v");
  add("tabs and 0x1A inside brackets", "[\tS\x1A]\nK=v\n", "S", "K", "v");
  add("blanks around the asked section", "[S]\nK=v\n", " S\t", "K", "v");
  add("blanks around the asked key", "[S]\nK=v\n", "S", "\x1AK ", "v");
  add("inner blanks of a section count", "[S  T]\nK=v\n", "S T", "K", "");
  add("inner blanks of a key count", "[S]\nK  L=v\n", "S", "K  L", "v");
  add("text after the bracket", "[S] ;note\nK=v\n", "S", "K", "v");
  add("the last bracket closes", "[S]]\nK=v\n", "S]", "K", "v");
  add("a section without its bracket", "[S\nK=v\n", "S", "K", "");
  add("a lone bracket line is skipped", "[S]\n[T\n[\n]\nK=v\n", "S", "K", "v");
  add("a bracketed key is a section", "[S]\n[K]=v\n", "S", "[K]", "");
  add("keys before any section", "K=v\n[S]\n", "", "K", "v");
  add("an empty section name is not the first one", "[]\nK=v\n", "", "K", "");
  add("tab around the equals sign", "[S]\nK\t=\tv\n", "S", "K", "v");
  add("first equals sign splits", "[S]\nK==v\n", "S", "K", "=v");
  add("later equals signs belong to the value", "[S]\nK=v=w\n", "S", "K", "v=w");
  add("an empty key name", "[S]\n  =v\n", "S", "", "v");
  add("no empty key", "[S]\nK=v\n", "S", "", "");
  add("byte-order mark", "\xEF\xBB\xBF[S]\nK=v\n", "S", "K", "v");

  // Comments are keys nobody asks for.
  add("a comment line", "[S]\n;K=v\n", "S", "K", "");
  add("an indented comment", "[S]\n\t;x\nK=v\n", "S", "K", "v");
  add("a semicolon in a value", "[S]\nK=v ;c\n", "S", "K", "v ;c");

  // Missing and empty values.
  add("empty value", "[S]\nK=\n", "S", "K", "");
  add("key without equals sign", "[S]\nK\n", "S", "K", "");
  add("a key without value hides a later one", "[S]\nK\nK=v\n", "S", "K", "");
  add("an empty value hides a later one", "[S]\nK=\nK=v\n", "S", "K", "");
  add("missing section", "[S]\nK=v\n", "T", "K", "");

  // Blanks and quotes.
  add("tabs around a value", "[S]\nK=\ta\t\n", "S", "K", "a");
  add("0x1A around a value",
      "[S]\nK=\x1A"
      "a\x1A\n",
      "S", "K", "a");
  add("vertical tab and form feed", "[S]\nK=\va\f\n", "S", "K", "a");
  add("double quotes", "[S]\nK=\"v\"\n", "S", "K", "v");
  add("single quotes", "[S]\nK='v'\n", "S", "K", "v");
  add("quotes keep inner blanks", "[S]\nK= \" a \" \n", "S", "K", " a ");
  add("an opening quote alone", "[S]\nK=\"v\n", "S", "K", "\"v");
  add("one quote character", "[S]\nK=\"\n", "S", "K", "\"");
  add("two quotes", "[S]\nK=\"\"\n", "S", "K", "");
  add("two single quotes", "[S]\nK=''\n", "S", "K", "");
  add("one pair only", "[S]\nK=\"a\"b\"\n", "S", "K", "a\"b");
  add("mixed quotes stay", "[S]\nK=\"a'\n", "S", "K", "\"a'");
  add("mixed quotes stay, the other way", "[S]\nK='v\"\n", "S", "K", "'v\"");
  add("a quote inside quotes", "[S]\nK=\"'\"\n", "S", "K", "'");

  // Length.
  add("300 bytes give 253", Cat("[S]\nK=", std::string(300, 'x'), "\n"), "S", "K",
      std::string(253, 'x'));
  add("quoted 251", Cat("[S]\nK=\"", std::string(251, 'x'), "\"\n"), "S", "K",
      std::string(251, 'x'));
  add("quoted 252", Cat("[S]\nK=\"", std::string(252, 'x'), "\"\n"), "S", "K",
      std::string(252, 'x'));
  add("quoted 253 loses one", Cat("[S]\nK=\"", std::string(253, 'x'), "\"\n"), "S", "K",
      std::string(252, 'x'));
  add("quoted 254 keeps 253", Cat("[S]\nK=\"", std::string(254, 'x'), "\"\n"), "S", "K",
      std::string(253, 'x'));
  add("buffer of one", "[S]\nK=v\n", "S", "K", "", 1);
  add("buffer of two", "[S]\nK=vw\n", "S", "K", "v", 2);
  add("quoted, buffer of three", "[S]\nK=\"vw\"\n", "S", "K", "v", 3);
  add("quoted, buffer of four", "[S]\nK=\"vw\"\n", "S", "K", "vw", 4);

  // Shift-JIS bytes.
  add("trail bytes 0x5C pass", Cat("[S]\nK=", hyo, so, "\n"), "S", "K", Cat(hyo, so));
  add("the full-width space is no blank", "[S]\nK=\x81\x40v\x81\x40\n", "S", "K",
      "\x81\x40v\x81\x40");
  add("0xA0 is no blank", "[S]\nK=\xA0v\xA0\n", "S", "K", "\xA0v\xA0");
  add("section with a 0x5C trail byte", Cat("[", hyo, "]\nK=v\n"), hyo, "K", "v");
  add("section with a ']' trail byte", "[\x81\x5D]\nK=v\n", "\x81\x5D", "K", "v");
  add2("a letter trail byte is not folded", "[S]\n\x83\x41=v\n", "S", "\x83\x61", "", "v");
  add("a double-byte key matches itself", "[S]\n\x83\x41=v\n", "S", "\x83\x41", "v");
  add("full-width letters are not folded", "[S]\n\x82\x60=v\n", "S", "\x82\x81", "");
  add("accented letters are not folded", "[S]\n\xC9=v\n", "S", "\xE9", "");
  add("half-width katakana", "[S]\nK=\xB1\xB2\n", "S", "K", "\xB1\xB2");
  add("hiragana", "[S]\nK=\x82\xA0\n", "S", "K", "\x82\xA0");
  add("last lead byte", "[S]\nK=\xFC\x4B\n", "S", "K", "\xFC\x4B");
  add("user-defined area", "[S]\nK=\xF0\x40\n", "S", "K", "\xF0\x40");
  add("IBM extension", "[S]\nK=\xFA\x40\n", "S", "K", "\xFA\x40");
  add("NEC special characters", "[S]\nK=\x87\x40\n", "S", "K", "\x87\x40");
  add("single bytes outside both ranges", "[S]\nK=\x80\xA0\xFD\xFE\xFF\n", "S", "K",
      "\x80\xA0\xFD\xFE\xFF");
  add2("a long double-byte value is cut between characters", Cat("[S]\nK=", Repeat(hyo, 140), "\n"),
       "S", "K", Repeat(hyo, 126), Cat(Repeat(hyo, 126), "\x95"));
  add("a long value cut exactly at a character end", Cat("[S]\nK=x", Repeat(hyo, 140), "\n"), "S",
      "K", Cat("x", Repeat(hyo, 126)));
  add2("a quoted long double-byte value", Cat("[S]\nK=\"", Repeat(hyo, 200), "\"\n"), "S", "K",
       Repeat(hyo, 126), Cat(Repeat(hyo, 126), "\x95"));
  add2("single bytes then double bytes", Cat("[S]\nK=", Repeat(x, 200), Repeat(hyo, 30), "\n"), "S",
       "K", Cat(Repeat(x, 200), Repeat(hyo, 26)), Cat(Repeat(x, 200), Repeat(hyo, 26), "\x95"));
  add2("quoted double byte, buffer of two", Cat("[S]\nK=\"", hyo, "\"\n"), "S", "K", "", "\x95", 2);
  add2("quoted double byte, buffer of three", Cat("[S]\nK=\"", hyo, "\"\n"), "S", "K", hyo, "\x95",
       3);
  add2("double byte, buffer of two", Cat("[S]\nK=", hyo, "\n"), "S", "K", "", "\x95", 2);
  add("double byte, buffer of three", Cat("[S]\nK=", hyo, "\n"), "S", "K", hyo, 3);
  add2("a double byte that does not fit", Cat("[S]\nK=a", hyo, "\n"), "S", "K", "a", "a\x95", 3);

  // Zero bytes end names and values.
  add("zero byte in a value", std::string("[S]\nK=a\0b\n", 10), "S", "K", "a");
  add("zero byte before a line end", std::string("[S]\nJ=a\0\nK=b\n", 13), "S", "K", "b");
  add("zero byte in a section name", std::string("[S\0x]\nK=v\n", 10), "S", "K", "v");
  add("zero byte in a key name", std::string("[S]\nK\0x=v\n", 10), "S", "K", "v");
  add("blanks before a zero byte stay", std::string("[S]\nK=a \0 b\n", 12), "S", "K", "a ");
  add("zero byte inside quotes", std::string("[S]\nK=\"a\0b\"\n", 12), "S", "K", "\"a");
  return cases;
}

}  // namespace plotxfer::testing
