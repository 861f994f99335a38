// The highlighter base: a non-visual component that scans one line at a time into tokens
// and sets each token's colours and style on the canvas the editor paints with. The editor
// knows nothing of any language; it stores the scanner state ("range") at the start of
// every line and hands it back before scanning that line.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/core/font.h"
#include "classlib/core/strings.h"
#include "editor/core/better_registry.h"

class TmwCustomHighLighter;

// The scanner state at a line boundary. Each highlighter picks its own non-zero values: 0
// is what a line holds before it was ever scanned, so no live state may equal it.
using TmwRange = std::intptr_t;

// Characters that form identifiers; word moves and word selection use them.
using TmwIdentChars = std::bitset<256>;

// What a highlighter paints with. The editor's view hands one in (its off-screen canvas);
// the highlighter sets the current token's attribute on it before the token is drawn.
class TmwCanvas {
public:
  virtual ~TmwCanvas() = default;
  virtual void SetBrushColor(TColor Value) = 0;
  virtual void SetFontColor(TColor Value) = 0;
  virtual void SetFontStyle(TFontStyles Value) = 0;
};

// Capability bits of GetCapability.
enum TmwHighlighterCapability {
  hcUserSettings,      // can list and import an installed development environment's colours
  hcRegistry,          // set for every highlighter
};
using TmwHighlighterCapabilities = TSet<TmwHighlighterCapability>;

// Colours and font style of one token class.
class TmwHighLightAttributes : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwHighLightAttributes(std::string AName);

  TColor Background() const { return FBackground; }
  void SetBackground(TColor Value);
  TColor Foreground() const { return FForeground; }
  void SetForeground(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  // Bold 1, italic 2, underline 4, strike-out 8.
  int IntegerStyle() const;
  void SetIntegerStyle(int Value);
  // The registry subkey of the attribute; not published.
  const std::string& Name() const { return FName; }

  void Assign(const TPersistent* Source) override;
  // Imports one attribute from a development environment's registry: one comma-separated
  // string value per attribute (OldLayout) or one subkey per attribute. Palette indices
  // index the environment's 16-colour palette.
  virtual bool LoadFromIDERegistry(TRegRootKey RootKey, const std::string& Key, const std::string& Name,
                                   bool OldLayout);
  // Our own layout: a subkey named after the attribute with "Background", "Foreground" and
  // "Style" integers.
  bool LoadFromRegistry(TBetterRegistry& Reg);
  bool SaveToRegistry(TBetterRegistry& Reg);

  // Puts the attribute on a canvas: brush = background, font colour = foreground, style.
  void ApplyTo(TmwCanvas& Canvas) const;

  TNotifyEvent OnChange;

private:
  void Changed();
  TColor FBackground;
  TColor FForeground;
  TFontStyles FStyle;
  std::string FName;
};

// What an editor that shows text with a highlighter offers it.
class TmwHighlighterClient {
public:
  virtual ~TmwHighlighterClient() = default;
  // The highlighter's colours changed: repaint.
  virtual void HighlighterInvalidate() = 0;
  // The highlighter is being destroyed: stop using it.
  virtual void HighlighterDestroyed(TmwCustomHighLighter* Sender) = 0;
};

// The editors that currently show text with a highlighter.
class TmwAttachedEditList {
public:
  void AddEditor(TmwHighlighterClient* Editor);
  void RemoveEditor(TmwHighlighterClient* Editor);
  void InvalidateAll();
  int Count() const { return static_cast<int>(FItems.size()); }
  TmwHighlighterClient* Items(int Index) const { return FItems.at(Index); }

private:
  std::vector<TmwHighlighterClient*> FItems;
};

class TmwCustomHighLighter : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwCustomHighLighter(TComponent* AOwner);
  // Detaches every editor still using the highlighter.
  ~TmwCustomHighLighter() override;

  virtual TmwIdentChars GetIdentChars() const;  // characters 33 to 255
  virtual std::string GetLanguageName() const = 0;
  virtual int GetAttribCount() const = 0;
  virtual TmwHighLightAttributes* GetAttribute(int Index) const = 0;
  virtual TmwHighlighterCapabilities GetCapability() const;
  virtual std::string GetDefaultFilter() const;
  virtual void SetDefaultFilter(const std::string& Value);
  // True once the current line has no more tokens.
  virtual bool GetEol() const = 0;
  // The state after the tokens scanned so far; after the last token of a line, the state
  // at the start of the next line. Never 0.
  virtual TmwRange GetRange() const = 0;
  virtual std::string GetToken() const = 0;
  virtual int GetTokenPos() const = 0;  // 0-based
  virtual void Next() = 0;
  // Canvas on which token attributes are applied; nullptr to scan without painting.
  virtual void SetCanvas(TmwCanvas* Canvas) = 0;
  // Starts scanning a line from the current range. The text must stay alive and unchanged
  // until the line is scanned.
  virtual void SetLine(const std::string& NewValue) = 0;
  virtual void SetRange(TmwRange Value) = 0;
  virtual void ResetRange() = 0;
  virtual bool UseUserSettings(int SettingIndex);
  virtual void EnumUserSettings(TStrings* Settings);
  virtual bool LoadFromRegistry(TRegRootKey RootKey, const std::string& Key);
  virtual bool SaveToRegistry(TRegRootKey RootKey, const std::string& Key);

  TmwAttachedEditList& AttachedEdits() { return FEditors; }

  // Connect each attribute's OnChange here so that a colour change repaints every editor.
  void DefHighlightChange(TObject* Sender);

private:
  TmwAttachedEditList FEditors;
  std::string FDefaultFilter;
};
