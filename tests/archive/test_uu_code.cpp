// TUUDecode and TUUEncode: the GNU and uudeview formats both ways, parts, alphabets and
// the damaged or hostile inputs the decoder must survive.
#include "archive/core/uu_code.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "arc_test_util.h"

namespace {


std::string Text(const TByteVec& V) { return std::string(V.begin(), V.end()); }

struct TDecodeResult {
  std::vector<int> Errors;
  std::vector<std::string> MsgEx;
  std::vector<bool> Ends;
  std::string Begin;  // the name OnBegin got
};

// Decodes File into Dir (each part reached through OnNextVolume as it stands).
TDecodeResult Decode(const std::string& File, const std::string& Dir, bool Parts = false) {
  TUUDecode d(nullptr);
  TDecodeResult r;
  d.OnError = [&](TObject*, const std::string&, const std::string& MsgEx, const std::string&, int Code) {
    r.Errors.push_back(Code);
    r.MsgEx.push_back(MsgEx);
  };
  d.OnBegin = [&](TObject*, const std::string& FN, int, bool&) { r.Begin = FN; };
  d.OnEnd = [&](TObject*, const std::string&, bool Pass) { r.Ends.push_back(Pass); };
  if (Parts)
    d.OnNextVolume = [](TObject*, std::string&, std::string&, const std::string&, bool FExists, bool& Cancel) {
      Cancel = !FExists;
    };
  d.SetArchiveFile(File);
  d.SetExtractDir(Dir);
  const std::string cwd = GetCurrentDir();  // finding a part makes its folder current
  d.Extract();
  SetCurrentDir(cwd);
  return r;
}

// Encodes Input into Out; the names of the files written, first to last.
std::vector<std::string> Encode(const std::string& Input, const std::string& Out, TCompressMethod Method,
                                int KBytes = 0, bool Table = false) {
  TUUEncode e(nullptr);
  e.SetArchiveFile(Input);
  e.SetOutFilename(Out);
  e.SetCompressMethod(Method);
  e.SetKBytesPerVolume(KBytes);
  e.SetWriteTableToFile(Table);
  EXPECT_TRUE(e.Execute());
  std::vector<std::string> files{e.OutFilename()};
  for (int i = 1; FileExists(MakePartName(e.OutFilename(), i, nvChangeExt, true)); ++i)
    files.push_back(MakePartName(e.OutFilename(), i, nvChangeExt, true));
  return files;
}

TByteVec Bytes(size_t N, uint32_t Seed) {
  TByteVec v(N);
  for (auto& b : v) {
    Seed = Seed * 1103515245 + 12345;
    b = uint8_t(Seed >> 16);
  }
  return v;
}

}  // namespace

TEST(UuCode, PartNames) {
  struct TCase {
    const char* Name;
    int Number;
    TNextVolumeName Rule;
    bool Long;
    const char* Part;
  };
  const TCase cases[] = {
      {"DATA.ENC", 1, nvChangeExt, false, "DATA.EN1"},          {"DATA.ENC", 12, nvChangeExt, false, "DATA.E12"},
      {"DATA.ENC", 123, nvChangeExt, false, "DATA.123"},        {"C:\\d.x\\X.UUE", 1, nvChangeExt, true, "C:\\d.x\\X.UU1"},
      {"NOEXT", 7, nvChangeExt, false, "NOEXT7"},               {"X.C", 1, nvChangeExt, false, "X.C1"},
      {"LONGNAME.UUE", 3, nvChangeFilename, true, "LONGNAM3.UUE"}, {"LONGERNAME.UUE", 12, nvChangeFilename, true, "LONGER12.UUE"},
      {"FILE.UUE", 3, nvChangeFilename, false, "FIL3.UUE"},
  };
  for (const TCase& c : cases) EXPECT_EQ(MakePartName(c.Name, c.Number, c.Rule, c.Long), c.Part) << c.Name;

  TUUDecode d(nullptr);
  d.SetVolumeStartNum(20);
  EXPECT_EQ(d.VolumeStartNum(), 10);
  TUUEncode e(nullptr);
  e.SetOutFilename("dir\\my.file.txt");
  EXPECT_EQ(e.OutFilename(), "dir\\my.enc");
}

// The layout of the encoder's output: a banner, "begin", full lines of 'M', the "`" line
// that GNU uudecode needs, "end" and the size.
TEST(UuCode, EncoderLayout) {
  TTempDir tmp;
  struct TCase {
    size_t Size;
    const char* Lines;  // the data lines' first characters
  };
  for (const TCase& c : {TCase{0, "`"}, TCase{45, "M`"}, TCase{46, "M!`"}, TCase{100, "MM*`"}}) {
    SCOPED_TRACE(c.Size);
    WriteWholeFile(tmp.Path() + "in.bin", Bytes(c.Size, 1));
    Encode(tmp.Path() + "in.bin", tmp.Path() + "out", cmUUEncode);
    const std::string text = Text(ReadWholeFile(tmp.Path() + "out.enc"));
    EXPECT_EQ(text.rfind("UUencode 1.65 (", 0), 0u);
    const size_t begin = text.find("\r\n\r\nbegin 644 in.bin\r\n");
    ASSERT_NE(begin, std::string::npos);
    std::string firsts;
    size_t p = begin + 22;
    while (text.compare(p, 5, "end\r\n") != 0) {
      const size_t eol = text.find("\r\n", p);
      firsts += text[p];
      if (text[p] == 'M') EXPECT_EQ(eol - p, 61u);
      p = eol + 2;
    }
    EXPECT_EQ(firsts, c.Lines);
    EXPECT_EQ(text.substr(p), "end\r\n" + std::to_string(c.Size) + " bytes\r\n");
  }
  // Parts of one kilobyte: 16 lines each, counting three lines of header, the data lines
  // running on from part to part.
  WriteWholeFile(tmp.Path() + "big.bin", Bytes(2000, 2));
  const auto parts = Encode(tmp.Path() + "big.bin", tmp.Path() + "big", cmUUEncode, 1);
  ASSERT_EQ(parts.size(), 4u);  // 45 lines of 45 bytes: 13 to a part
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string text = Text(ReadWholeFile(parts[i]));
    EXPECT_EQ(text[0], 'M');
    if (i + 1 < parts.size()) EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 13);
  }
  EXPECT_NE(Text(ReadWholeFile(parts.back())).find("encoded into 4 file(s)"), std::string::npos);
}

// Our output, UU and XX, single and in parts, decodes with GNU uudecode, uudeview and us.
TEST(UuCode, EncoderOutputDecodesEverywhere) {
  const bool uudecode = HaveTool("uudecode --version"), uudeview = HaveTool("uudeview -V");
  for (TCompressMethod method : {cmUUEncode, cmXXEncode}) {
    for (int kbytes : {0, 1}) {
      for (size_t size : {size_t(12), size_t(5000)}) {
        SCOPED_TRACE(std::to_string(method) + " " + std::to_string(kbytes) + " " + std::to_string(size));
        TTempDir tmp;
        const TByteVec data = Bytes(size, uint32_t(size + kbytes));
        WriteWholeFile(tmp.Path() + "data.bin", data);
        const auto files = Encode(tmp.Path() + "data.bin", tmp.Path() + "coded", method, kbytes, method == cmXXEncode);
        EXPECT_EQ(files.size() > 1, kbytes > 0 && size > 1000);

        TTempDir ours;
        const TDecodeResult r = Decode(files[0], ours.Path(), true);
        EXPECT_TRUE(r.Errors.empty());
        EXPECT_EQ(r.Ends, std::vector<bool>{true});
        EXPECT_EQ(ReadWholeFile(ours.Path() + "data.bin"), data);

        std::string list;
        for (const auto& f : files) list += " " + Sh(f);
        if (uudecode && method == cmUUEncode) {
          const std::string out = tmp.Path() + "gnu.bin";
          EXPECT_EQ(std::system(("cat" + list + " | uudecode -o " + Sh(out)).c_str()), 0);
          EXPECT_EQ(ReadWholeFile(out), data);
        }
        if (uudeview) {
          const std::string dir = tmp.Path() + "uudeview\\";
          ForceDirectories(dir);
          EXPECT_EQ(std::system(("uudeview -i -q -p " + Sh(dir) + list + " >/dev/null 2>&1").c_str()), 0);
          EXPECT_EQ(ReadWholeFile(dir + "data.bin"), data);
        }
      }
    }
  }
}

// Output of GNU uuencode (a 12-byte file has one short line led by ',') and of uuenview -x.
TEST(UuCode, DecodesOtherEncoders) {
  struct TCase {
    const char* File;
    const char* Source;
  };
  for (const TCase& c : {TCase{"twelve.uue", "twelve.txt"}, TCase{"binary.uue", "binary.bin"},
                         TCase{"binary.xxe", "binary.bin"}}) {
    SCOPED_TRACE(c.File);
    TTempDir tmp;
    const TDecodeResult r = Decode(FixturePath(c.File), tmp.Path());
    EXPECT_TRUE(r.Errors.empty());
    EXPECT_EQ(r.Ends, std::vector<bool>{true});
    EXPECT_EQ(ReadWholeFile(tmp.Path() + c.Source), ReadWholeFile(FixturePath(c.Source)));
  }
}

// Inputs made by hand: the decoder's rules for names, modes, alphabets and damage.
TEST(UuCode, DecoderRules) {
  const std::string hello = "begin 644 x\n,:&5L;&\\@=V]R;&0A\n`\nend\n";  // "hello world!"
  const std::string longName(200, 'n');
  struct TCase {
    const char* Name;
    std::string Text;
    const char* Output;  // relative to the extraction folder; empty: none
    std::string Data;
    std::vector<int> Errors;
    bool Pass;
  };
  const TCase cases[] = {
      {"4-digit mode", "begin 0644 four.txt\r\n,:&5L;&\\@=V]R;&0A\r\n`\r\nend\r\n", "four.txt", "hello world!", {}, true},
      {"long name", "begin 644 " + longName + ".txt\n,:&5L;&\\@=V]R;&0A\n`\nend\n", "", "hello world!", {}, true},
      {"escaping name", "begin 644 ../../up.txt\n,:&5L;&\\@=V]R;&0A\n`\nend\n", "up.txt", "hello world!", {}, true},
      {"header lines", "From: someone\nsize 12\nsizeable garbage\n\n" + hello, "x", "hello world!", {}, true},
      {"blank for zero", "begin 644 x\n#86)C\n \nend\n", "x", "abc", {}, true},
      {"stripped blanks", "begin 644 x\n$86)C\nend\n", "x", std::string("abc\0", 4), {}, true},
      {"no end", "begin 644 x\n,:&5L;&\\@=V]R;&0A\n", "x", "hello world!", {errFileNotFound, errEolNotFound}, false},
      {"table", "table\n" "ZYXWVUTSRQPONMLKJIHGFEDCBA987654\n" "3210zyxwvutsrqponmlkjihgfedcba+-\n" "begin 644 t\n"
                "YBJZZ\nZ\nend\n", "t", "a", {}, true},
      {"neither alphabet", "begin 644 x\n~~~~\nend\n", "x", "", {errUnsupportedMethod}, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir tmp;
    const std::string in = tmp.Path() + "in.uue";
    WriteWholeFile(in, c.Text);
    const std::string out = tmp.Path() + "out\\";
    const TDecodeResult r = Decode(in, out);
    EXPECT_EQ(r.Errors, c.Errors);
    EXPECT_EQ(r.Ends, std::vector<bool>{c.Pass});
    const std::string file = *c.Output ? out + c.Output : out + longName + ".txt";
    EXPECT_EQ(Text(ReadWholeFile(file)), c.Data);
    EXPECT_EQ(r.Begin, file);
  }

  // A file without "begin" is an error, and nothing is written.
  TTempDir tmp;
  WriteWholeFile(tmp.Path() + "none.uue", std::string("M86)C\nend\n"));
  TUUDecode d(nullptr);
  std::vector<int> errors;
  d.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int Code) {
    errors.push_back(Code);
  };
  d.SetArchiveFile(tmp.Path() + "none.uue");
  d.SetExtractDir(tmp.Path() + "out");
  EXPECT_NO_THROW(d.Extract());
  EXPECT_EQ(errors, std::vector<int>{errBadFileHeader});
  EXPECT_FALSE(DirectoryExists(tmp.Path() + "out"));
  // Not a UU file at all.
  d.SetArchiveFile(FixturePath("plain.zip"));
  EXPECT_NO_THROW(d.Extract());
  EXPECT_EQ(errors.back(), errUnsupportedArcType);
}

// Parts in the older layout, each repeating "part" and "begin" lines; a part without its
// "begin" line is reported and decoded on.
TEST(UuCode, PartsWithHeaders) {
  TTempDir tmp;
  const TByteVec data = Bytes(135, 9);  // three full lines
  WriteWholeFile(tmp.Path() + "src.bin", data);
  Encode(tmp.Path() + "src.bin", tmp.Path() + "one", cmUUEncode);
  const std::string text = Text(ReadWholeFile(tmp.Path() + "one.enc"));
  std::vector<std::string> lines;
  for (size_t p = text.find("\nM") + 1; text[p] == 'M'; p = text.find('\n', p) + 1)
    lines.push_back(text.substr(p, text.find('\n', p) - p + 1));
  ASSERT_EQ(lines.size(), 3u);
  WriteWholeFile(tmp.Path() + "p.uue", "begin 644 joined.bin\r\n" + lines[0]);
  WriteWholeFile(tmp.Path() + "p.uu1", "part 1\r\nbegin 644 joined.bin\r\n" + lines[1]);
  WriteWholeFile(tmp.Path() + "p.uu2", "part 2\r\n" + lines[2] + "`\r\nend\r\n");
  const TDecodeResult r = Decode(tmp.Path() + "p.uue", tmp.Path(), true);
  EXPECT_EQ(r.Errors, std::vector<int>{errLineBeforeBegin});
  EXPECT_EQ(r.MsgEx, std::vector<std::string>{"line starting with 77 found before \"begin\""});
  EXPECT_EQ(r.Ends, std::vector<bool>{true});
  EXPECT_EQ(ReadWholeFile(tmp.Path() + "joined.bin"), data);

  // Without OnNextVolume the run ends where the part does, and says so.
  const TDecodeResult cut = Decode(tmp.Path() + "p.uue", tmp.Path() + "cut");
  EXPECT_EQ(cut.Errors, (std::vector<int>{errFileNotFound, errEolNotFound}));
  EXPECT_EQ(cut.Ends, std::vector<bool>{false});
}

// Split files whose parts are numbered (".001") are known by their text; MIME's base64
// form is told as an encoding this decoder does not read.
TEST(UuCode, NumberedPartsAndBase64) {
  TTempDir tmp;
  const TByteVec data = Bytes(135, 7);  // three full lines
  WriteWholeFile(tmp.Path() + "src.bin", data);
  Encode(tmp.Path() + "src.bin", tmp.Path() + "one", cmUUEncode);
  const std::string text = Text(ReadWholeFile(tmp.Path() + "one.enc"));
  WriteWholeFile(tmp.Path() + "whole.001", text);
  const size_t data0 = text.find("\nM") + 1;
  WriteWholeFile(tmp.Path() + "later.002", text.substr(data0));
  WriteWholeFile(tmp.Path() + "prose.001", std::string("Dear reader,\r\nbegin with this.\r\nM is a letter.\r\n"));
  struct {
    const char* name;
    TArcType type;
  } cases[] = {{"whole.001", atUUE}, {"later.002", atUUE}, {"prose.001", atUnknown}};
  for (auto& c : cases) {
    TUUDecode d(nullptr);
    d.SetArchiveFile(tmp.Path() + c.name);
    EXPECT_EQ(d.ArcType(), c.type) << c.name;
  }
  const TDecodeResult whole = Decode(tmp.Path() + "whole.001", tmp.Path() + "out");
  EXPECT_TRUE(whole.Errors.empty());
  EXPECT_EQ(whole.Ends, std::vector<bool>{true});

  WriteWholeFile(tmp.Path() + "mime.uue", std::string("begin-base64 644 x.bin\r\nAAECAw==\r\n====\r\n"));
  TDecodeResult b64;
  EXPECT_NO_THROW(b64 = Decode(tmp.Path() + "mime.uue", tmp.Path() + "b64"));
  EXPECT_EQ(b64.Errors, std::vector<int>{errUnsupportedMethod});
  EXPECT_FALSE(FileExists(tmp.Path() + "b64\\x.bin"));
}
