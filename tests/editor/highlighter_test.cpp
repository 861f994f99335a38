#include "editor/core/custom_highlighter.h"

#include <gtest/gtest.h>

#ifdef ZX_EDITOR_WIN
#include "editor/win_registry_backend.h"
#endif

namespace {

// Three attributes and no scanning: enough for the base's storage.
class TThreeColours : public TmwCustomHighLighter {
public:
  TThreeColours() : TmwCustomHighLighter(nullptr) {}
  std::string GetLanguageName() const override { return "Three"; }
  int GetAttribCount() const override { return 3; }
  TmwHighLightAttributes* GetAttribute(int Index) const override {
    return Index >= 0 && Index < 3 ? &Attr[Index] : nullptr;
  }
  bool GetEol() const override { return true; }
  TmwRange GetRange() const override { return 1; }
  std::string GetToken() const override { return {}; }
  int GetTokenPos() const override { return 0; }
  void Next() override {}
  void SetCanvas(TmwCanvas*) override {}
  void SetLine(const std::string&) override {}
  void SetRange(TmwRange) override {}
  void ResetRange() override {}

  mutable TmwHighLightAttributes Attr[3] = {TmwHighLightAttributes("comment"),
                                            TmwHighLightAttributes("reserved word"),
                                            TmwHighLightAttributes("string")};
};

class TRecordingCanvas : public TmwCanvas {
public:
  void SetBrushColor(TColor Value) override { Brush = Value; }
  void SetFontColor(TColor Value) override { Font = Value; }
  void SetFontStyle(TFontStyles Value) override { Style = Value; }
  TColor Brush = clNone, Font = clNone;
  TFontStyles Style;
};

// Installs a backend for one test.
class TBackendScope {
public:
  explicit TBackendScope(TRegistryBackend* Backend) { SetRegistryBackend(Backend); }
  ~TBackendScope() { SetRegistryBackend(nullptr); }
};

TEST(HighLightAttributes, PropertiesAndChangeEvents) {
  TmwHighLightAttributes a("comment");
  EXPECT_EQ(a.Name(), "comment");
  EXPECT_EQ(a.Background(), clWindow);
  EXPECT_EQ(a.Foreground(), clWindowText);
  EXPECT_TRUE(a.Style().Empty());
  int changes = 0;
  a.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &a);
    ++changes;
  };
  a.SetForeground(clWindowText);  // the same value: no event
  EXPECT_EQ(changes, 0);
  a.SetForeground(clRed);
  a.SetBackground(clYellow);
  EXPECT_EQ(changes, 2);

  a.SetStyle({fsBold});
  changes = 0;
  a.SetIntegerStyle(6);
  EXPECT_EQ(a.Style(), (TFontStyles{fsItalic, fsUnderline}));
  EXPECT_EQ(a.IntegerStyle(), 6);
  EXPECT_EQ(changes, 3);  // bold cleared, italic added, underline added
  changes = 0;
  a.SetIntegerStyle(0);
  a.SetIntegerStyle(15);
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(a.IntegerStyle(), 15);

  TmwHighLightAttributes b("other");
  b.Assign(&a);
  EXPECT_EQ(b.Name(), "comment");
  EXPECT_EQ(b.Foreground(), clRed);
  EXPECT_EQ(b.IntegerStyle(), 15);

  TRecordingCanvas canvas;
  a.ApplyTo(canvas);
  EXPECT_EQ(canvas.Brush, clYellow);
  EXPECT_EQ(canvas.Font, clRed);
  EXPECT_EQ(canvas.Style, (TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut}));

  // Published: reachable by name as text.
  EXPECT_EQ(GetPropText(&a, "Foreground"), "clRed");
  SetPropText(&a, "Style", "[fsBold]");
  EXPECT_EQ(a.IntegerStyle(), 1);
}

TEST(CustomHighLighter, BaseDefaults) {
  TThreeColours h;
  TmwIdentChars chars = h.GetIdentChars();
  EXPECT_FALSE(chars[32]);
  EXPECT_TRUE(chars[33]);
  EXPECT_TRUE(chars[255]);
  EXPECT_EQ(chars.count(), 223u);
  EXPECT_EQ(h.GetCapability(), TmwHighlighterCapabilities{hcRegistry});
  EXPECT_FALSE(h.UseUserSettings(0));
  TStringList list;
  list.Add("old");
  h.EnumUserSettings(&list);
  EXPECT_EQ(list.Count(), 0);
  h.SetDefaultFilter("Text (*.txt)|*.txt");
  EXPECT_EQ(GetPropText(&h, "DefaultFilter"), "Text (*.txt)|*.txt");
}

TEST(CustomHighLighter, RegistryRoundTrip) {
  TMemoryRegistry reg;
  TBackendScope scope(&reg);
  TThreeColours h;
  h.Attr[0].SetForeground(clGreen);
  h.Attr[1].SetStyle({fsBold, fsStrikeOut});
  h.Attr[2].SetBackground(TColor(0x123456));
  ASSERT_TRUE(h.SaveToRegistry(RegCurrentUser, "Software\\Zembrix\\Syntax\\Three"));

  // One subkey per attribute with three integers.
  std::int32_t v = 0;
  ASSERT_TRUE(reg.ReadInteger(RegCurrentUser, "Software\\Zembrix\\Syntax\\Three\\reserved word", "Style", v));
  EXPECT_EQ(v, 9);
  ASSERT_TRUE(reg.ReadInteger(RegCurrentUser, "SOFTWARE\\zembrix\\Syntax\\Three\\comment", "Foreground", v));
  EXPECT_EQ(v, clGreen);

  TThreeColours g;
  ASSERT_TRUE(g.LoadFromRegistry(RegCurrentUser, "Software\\Zembrix\\Syntax\\Three"));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(g.Attr[i].Background(), h.Attr[i].Background()) << i;
    EXPECT_EQ(g.Attr[i].Foreground(), h.Attr[i].Foreground()) << i;
    EXPECT_EQ(g.Attr[i].Style(), h.Attr[i].Style()) << i;
  }
  EXPECT_FALSE(g.LoadFromRegistry(RegCurrentUser, "Software\\Zembrix\\Syntax\\Missing"));
}

TEST(CustomHighLighter, RegistryLoadFailures) {
  TMemoryRegistry reg;
  TBackendScope scope(&reg);
  const std::string key = "Software\\Zembrix\\Syntax\\Partial";
  reg.CreateKey(RegCurrentUser, key + "\\comment");
  reg.WriteInteger(RegCurrentUser, key + "\\comment", "Foreground", clRed);
  reg.CreateKey(RegCurrentUser, key + "\\reserved word");
  // A value of another type counts as missing.
  reg.WriteString(RegCurrentUser, key + "\\reserved word", "Foreground", "255");
  reg.WriteBinary(RegCurrentUser, key + "\\reserved word", "Style", "\x01");
  reg.WriteInteger(RegCurrentUser, key + "\\reserved word", "Background", clAqua);

  TThreeColours h;
  h.Attr[2].SetForeground(clPurple);
  EXPECT_FALSE(h.LoadFromRegistry(RegCurrentUser, key));  // no subkey for the third
  EXPECT_EQ(h.Attr[0].Foreground(), clRed);
  EXPECT_EQ(h.Attr[1].Foreground(), clWindowText);
  EXPECT_EQ(h.Attr[1].Background(), clAqua);
  EXPECT_TRUE(h.Attr[1].Style().Empty());
  EXPECT_EQ(h.Attr[2].Foreground(), clPurple);

  // Without a registry nothing opens.
  SetRegistryBackend(nullptr);
  EXPECT_FALSE(h.LoadFromRegistry(RegCurrentUser, key));
  EXPECT_FALSE(h.SaveToRegistry(RegCurrentUser, key));
}

TEST(HighLightAttributes, ImportOldLayout) {
  TMemoryRegistry reg;
  TBackendScope scope(&reg);
  const std::string key = "\\SOFTWARE\\Orvendal\\Palvex\\1.0\\Highlight";
  reg.CreateKey(RegCurrentUser, key.substr(1));
  struct {
    const char* Value;
    bool Ok;
    TColor Foreground;
    TColor Background;
    int Style;
  } cases[] = {
      {"x,y,BI,0,0,12,3", true, clBlue, clOlive, 3},
      {"x,y,U,1,0,12,15", true, clWindowText, clWhite, 4},
      {"x,y,,0,1,0,99", true, clBlack, clWindow, 0},
      {"x,y,BIU,1,1", true, clWindowText, clWindow, 7},
      {"x,y,B,0,0,16,3", false, {}, {}, 0},   // outside the palette
      {"x,y,B,0,0,-1,3", false, {}, {}, 0},
      {"x,y,B,0,0,red,3", false, {}, {}, 0},  // not a number
      {"x,y,B,0,0", false, {}, {}, 0},        // no colour index
  };
  for (auto& c : cases) {
    reg.WriteString(RegCurrentUser, key.substr(1), "Reserved_word", c.Value);
    TmwHighLightAttributes a("reserved word");
    a.SetForeground(clMaroon);
    a.SetBackground(clTeal);
    a.SetStyle({fsStrikeOut});
    EXPECT_EQ(a.LoadFromIDERegistry(RegCurrentUser, key, "Reserved_word", true), c.Ok) << c.Value;
    if (c.Ok) {
      EXPECT_EQ(a.Foreground(), c.Foreground) << c.Value;
      EXPECT_EQ(a.Background(), c.Background) << c.Value;
      EXPECT_EQ(a.IntegerStyle(), c.Style) << c.Value;
    } else {
      EXPECT_EQ(a.Foreground(), clMaroon) << c.Value;
      EXPECT_EQ(a.Background(), clTeal) << c.Value;
      EXPECT_EQ(a.IntegerStyle(), 8) << c.Value;
    }
  }
  TmwHighLightAttributes a("x");
  EXPECT_FALSE(a.LoadFromIDERegistry(RegCurrentUser, key, "Missing", true));
  reg.WriteInteger(RegCurrentUser, key.substr(1), "Number", 5);
  EXPECT_FALSE(a.LoadFromIDERegistry(RegCurrentUser, key, "Number", true));
  EXPECT_FALSE(a.LoadFromIDERegistry(RegCurrentUser, "\\SOFTWARE\\Nowhere", "Reserved_word", true));
}

TEST(HighLightAttributes, ImportNewLayout) {
  TMemoryRegistry reg;
  TBackendScope scope(&reg);
  const std::string key = "\\Software\\Orvendal\\Palvex\\3.0\\Editor\\Highlight";
  const std::string sub = key.substr(1) + "\\Comment";
  auto fill = [&](int Fore, int Back, const char* DefFore, const char* DefBack) {
    reg.CreateKey(RegCurrentUser, sub);
    reg.WriteInteger(RegCurrentUser, sub, "Foreground Color", Fore);
    reg.WriteInteger(RegCurrentUser, sub, "Background Color", Back);
    reg.WriteString(RegCurrentUser, sub, "Bold", "False");
    reg.WriteString(RegCurrentUser, sub, "Italic", "True");
    reg.WriteString(RegCurrentUser, sub, "Underline", "0");
    reg.WriteString(RegCurrentUser, sub, "Default Foreground", DefFore);
    reg.WriteString(RegCurrentUser, sub, "Default Background", DefBack);
  };
  TmwHighLightAttributes a("comment");
  fill(4, 14, "false", "FALSE");
  ASSERT_TRUE(a.LoadFromIDERegistry(RegCurrentUser, key, "Comment", false));
  EXPECT_EQ(a.Foreground(), clNavy);
  EXPECT_EQ(a.Background(), clAqua);
  EXPECT_EQ(a.Style(), TFontStyles{fsItalic});
  fill(4, 14, "1", "");  // an empty text counts as true
  ASSERT_TRUE(a.LoadFromIDERegistry(RegCurrentUser, key, "Comment", false));
  EXPECT_EQ(a.Foreground(), clWindowText);
  EXPECT_EQ(a.Background(), clWindow);

  a.SetForeground(clRed);
  fill(20, 0, "false", "false");  // outside the palette: refused
  EXPECT_FALSE(a.LoadFromIDERegistry(RegCurrentUser, key, "Comment", false));
  EXPECT_EQ(a.Foreground(), clRed);
  // Every value must be there, with its type.
  fill(1, 2, "false", "false");
  reg.WriteString(RegCurrentUser, sub, "Foreground Color", "1");
  EXPECT_FALSE(a.LoadFromIDERegistry(RegCurrentUser, key, "Comment", false));
  reg.DeleteKey(RegCurrentUser, sub);
  reg.CreateKey(RegCurrentUser, sub);
  reg.WriteInteger(RegCurrentUser, sub, "Foreground Color", 1);
  reg.WriteInteger(RegCurrentUser, sub, "Background Color", 2);
  for (const char* name : {"Bold", "Italic", "Default Foreground", "Default Background"})
    reg.WriteString(RegCurrentUser, sub, name, "false");
  EXPECT_FALSE(a.LoadFromIDERegistry(RegCurrentUser, key, "Comment", false));  // no "Underline"
  EXPECT_EQ(a.Foreground(), clRed);
  EXPECT_EQ(a.Style(), TFontStyles{fsItalic});
}

TEST(BetterRegistry, OpenKeyReadOnlyPaths) {
  TMemoryRegistry mem;
  TBackendScope scope(&mem);
  mem.CreateKey(RegCurrentUser, "A\\B\\C");
  TBetterRegistry r;
  EXPECT_TRUE(r.OpenKeyReadOnly("A"));
  EXPECT_EQ(r.CurrentPath(), "A");
  EXPECT_TRUE(r.OpenKeyReadOnly("B"));  // relative to the open key
  EXPECT_EQ(r.CurrentPath(), "A\\B");
  EXPECT_FALSE(r.OpenKeyReadOnly("Z"));  // failure keeps the open key
  EXPECT_EQ(r.CurrentPath(), "A\\B");
  EXPECT_FALSE(r.OpenKeyReadOnly("\\B"));
  EXPECT_TRUE(r.OpenKeyReadOnly("\\A\\B\\C"));
  EXPECT_EQ(r.CurrentPath(), "A\\B\\C");
  EXPECT_FALSE(r.WriteInteger("X", 1));  // read-only
  EXPECT_FALSE(mem.KeyExists(RegCurrentUser, "A\\B\\C\\New"));
  EXPECT_FALSE(r.OpenKeyReadOnly("New"));  // never creates
  EXPECT_FALSE(mem.KeyExists(RegCurrentUser, "A\\B\\C\\New"));
  EXPECT_TRUE(r.OpenKey("New", true));
  EXPECT_TRUE(mem.KeyExists(RegCurrentUser, "A\\B\\C\\New"));
  std::vector<std::string> names;
  EXPECT_TRUE(r.OpenKeyReadOnly("\\A\\B"));
  EXPECT_TRUE(r.GetKeyNames(names));
  EXPECT_EQ(names, std::vector<std::string>{"C"});
}

#ifdef ZX_EDITOR_WIN
// The real registry of the test prefix.
TEST(CustomHighLighter, WindowsRegistryRoundTrip) {
  TWinRegistryBackend win;
  TBackendScope scope(&win);
  const std::string key = "Software\\Zembrix\\Tests\\EditorHighlighter";
  TThreeColours h;
  h.Attr[0].SetForeground(clFuchsia);
  h.Attr[1].SetIntegerStyle(5);
  h.Attr[2].SetBackground(clBtnFace);
  ASSERT_TRUE(h.SaveToRegistry(RegCurrentUser, key));
  TThreeColours g;
  ASSERT_TRUE(g.LoadFromRegistry(RegCurrentUser, key));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(g.Attr[i].Background(), h.Attr[i].Background()) << i;
    EXPECT_EQ(g.Attr[i].Foreground(), h.Attr[i].Foreground()) << i;
    EXPECT_EQ(g.Attr[i].Style(), h.Attr[i].Style()) << i;
  }
  // A string where an integer belongs counts as missing.
  win.WriteString(RegCurrentUser, key + "\\comment", "Foreground", "oops");
  TThreeColours f;
  EXPECT_TRUE(f.LoadFromRegistry(RegCurrentUser, key));
  EXPECT_EQ(f.Attr[0].Foreground(), clWindowText);
  std::vector<std::string> names;
  EXPECT_TRUE(win.GetKeyNames(RegCurrentUser, key, names));
  EXPECT_EQ(names.size(), 3u);
}
#endif

}  // namespace
