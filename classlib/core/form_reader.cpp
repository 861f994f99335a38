#include "classlib/core/form_reader.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "classlib/core/code_page.h"

EFormError::EFormError(const std::string& Form, int Line, const std::string& Name, const std::string& What)
    : EReadError("Form \"" + Form + "\", line " + std::to_string(Line) + ": " + What +
                 (Name.empty() ? std::string() : " \"" + Name + "\"")),
      Form(Form),
      Line(Line),
      Name(Name) {}

namespace {

enum class TTok { End, Ident, Integer, Float, String, Symbol };

struct TToken {
  TTok Kind = TTok::End;
  std::string Text;  // identifier, number, 1251 string, or the symbol character
  int Line = 1;
};

// Appends the code point as 1251; false when the code page has no such character.
bool AppendCodePoint(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
    return true;
  }
  char B = UnicodeToCp1251(C);
  if (B == CodePageFallback) return false;
  Out += B;
  return true;
}

class TLexer {
public:
  TLexer(std::string_view Text, const std::string& Form) : S(Text), Form(Form) {}

  [[noreturn]] void Fail(int AtLine, const std::string& What, const std::string& Name = {}) const {
    throw EFormError(Form, AtLine, Name, What);
  }

  TToken Next() {
    SkipBlanks();
    TToken T;
    T.Line = Line;
    if (P >= S.size()) return T;
    unsigned char C = S[P];
    if (std::isalpha(C) || C == '_') {
      size_t B = P;
      while (P < S.size() && (std::isalnum(static_cast<unsigned char>(S[P])) || S[P] == '_' || S[P] == '.')) ++P;
      T.Kind = TTok::Ident;
      T.Text = std::string(S.substr(B, P - B));
      if (T.Text.back() == '.') Fail(Line, "malformed name", T.Text);
      return T;
    }
    if (std::isdigit(C) || ((C == '-' || C == '+') && P + 1 < S.size() &&
                            (std::isdigit(static_cast<unsigned char>(S[P + 1])) || S[P + 1] == '$'))) {
      return Number(T);
    }
    if (C == '$') return Number(T);
    if (C == '\'' || C == '#') {
      T.Kind = TTok::String;
      T.Text = StringExpr();
      return T;
    }
    if (C >= 0x80) Fail(Line, "unexpected character");
    ++P;
    T.Kind = TTok::Symbol;
    T.Text = std::string(1, static_cast<char>(C));
    return T;
  }

  int CurrentLine() const { return Line; }

private:
  void SkipBlanks() {
    while (P < S.size()) {
      char C = S[P];
      if (C == '\n') {
        ++Line;
        ++P;
      } else if (C == ' ' || C == '\t' || C == '\r') {
        ++P;
      } else if (P == 0 && S.substr(0, 3) == "\xEF\xBB\xBF") {
        P = 3;  // UTF-8 byte-order mark
      } else {
        break;
      }
    }
  }

  TToken& Number(TToken& T) {
    size_t B = P;
    if (S[P] == '-' || S[P] == '+') ++P;
    if (P < S.size() && S[P] == '$') {
      ++P;
      size_t D = P;
      while (P < S.size() && std::isxdigit(static_cast<unsigned char>(S[P]))) ++P;
      if (P == D) Fail(Line, "malformed number", std::string(S.substr(B, P - B)));
      // Hexadecimal becomes decimal here, so that the property registry sees one form.
      uint64_t V = 0;
      for (size_t I = D; I < P; ++I) {
        V = V * 16 + (std::isdigit(static_cast<unsigned char>(S[I])) ? S[I] - '0' : (std::tolower(S[I]) - 'a' + 10));
        if (V > 0xFFFFFFFFull) Fail(Line, "number out of range", std::string(S.substr(B, P - B)));
      }
      int64_t Signed = static_cast<int32_t>(static_cast<uint32_t>(V));
      if (S[B] == '-') Signed = -Signed;
      T.Kind = TTok::Integer;
      T.Text = std::to_string(Signed);
      return T;
    }
    bool IsFloat = false;
    while (P < S.size()) {
      char C = S[P];
      if (std::isdigit(static_cast<unsigned char>(C))) {
        ++P;
      } else if (C == '.' && P + 1 < S.size() && std::isdigit(static_cast<unsigned char>(S[P + 1]))) {
        IsFloat = true;
        ++P;
      } else if ((C == 'e' || C == 'E') && P + 1 < S.size() &&
                 (std::isdigit(static_cast<unsigned char>(S[P + 1])) || S[P + 1] == '-' || S[P + 1] == '+')) {
        IsFloat = true;
        P += 2;
      } else {
        break;
      }
    }
    if (P < S.size() && (std::isalpha(static_cast<unsigned char>(S[P])) || S[P] == '_'))
      Fail(Line, "malformed number", std::string(S.substr(B, P - B + 1)));
    T.Kind = IsFloat ? TTok::Float : TTok::Integer;
    T.Text = std::string(S.substr(B, P - B));
    if (!IsFloat) {
      // Integers are 32-bit in every property that takes one.
      std::string Digits = T.Text[0] == '-' || T.Text[0] == '+' ? T.Text.substr(1) : T.Text;
      if (Digits.size() > 10 || std::stoll(Digits) > 0xFFFFFFFFll)
        Fail(Line, "number out of range", T.Text);
    }
    return T;
  }

  // 'quoted' and #code parts, joined directly or with + (also across lines).
  std::string StringExpr() {
    std::string Out;
    int StartLine = Line;
    for (;;) {
      if (P < S.size() && S[P] == '\'') {
        ++P;
        for (;;) {
          if (P >= S.size() || S[P] == '\n' || S[P] == '\r') Fail(StartLine, "unterminated string");
          if (S[P] == '\'') {
            if (P + 1 < S.size() && S[P + 1] == '\'') {
              Out += '\'';
              P += 2;
              continue;
            }
            ++P;
            break;
          }
          AppendUtf8Char(Out);
        }
      } else if (P < S.size() && S[P] == '#') {
        ++P;
        size_t B = P;
        uint32_t V = 0;
        while (P < S.size() && std::isdigit(static_cast<unsigned char>(S[P])) && P - B < 8) V = V * 10 + (S[P++] - '0');
        if (P == B) Fail(Line, "malformed character code");
        if (V > 0x10FFFF || !AppendCodePoint(Out, V))
          Fail(Line, "character not in code page 1251", "#" + std::to_string(V));
      } else {
        // A '+' joins the next part, possibly on a later line.
        size_t Save = P;
        int SaveLine = Line;
        SkipBlanks();
        if (P < S.size() && S[P] == '+') {
          ++P;
          SkipBlanks();
          if (P < S.size() && (S[P] == '\'' || S[P] == '#')) continue;
          Fail(Line, "string expected after +");
        }
        P = Save;
        Line = SaveLine;
        return Out;
      }
    }
  }

  void AppendUtf8Char(std::string& Out) {
    unsigned char C = S[P];
    if (C < 0x80) {
      Out += static_cast<char>(C);
      ++P;
      return;
    }
    int N = C >= 0xF0 ? 3 : C >= 0xE0 ? 2 : C >= 0xC0 ? 1 : -1;
    if (N < 0 || C >= 0xF8 || P + N >= S.size()) Fail(Line, "malformed UTF-8 text");
    char32_t V = C & (0x3F >> N);
    for (int I = 1; I <= N; ++I) {
      unsigned char D = S[P + I];
      if ((D & 0xC0) != 0x80) Fail(Line, "malformed UTF-8 text");
      V = (V << 6) | (D & 0x3F);
    }
    P += N + 1;
    if (!AppendCodePoint(Out, V)) Fail(Line, "character not in code page 1251", Cp1251Hint(V));
  }

  static std::string Cp1251Hint(char32_t V) {
    char Buf[16];
    std::snprintf(Buf, sizeof Buf, "U+%04X", static_cast<unsigned>(V));
    return Buf;
  }

  std::string_view S;
  const std::string& Form;
  size_t P = 0;
  int Line = 1;
};

class TParser {
public:
  TParser(std::string_view Text, const std::string& Form) : Lex(Text, Form) { Advance(); }

  TFormObject ParseRoot() {
    TFormObject Root = ParseObject();
    if (Tok.Kind != TTok::End) Lex.Fail(Tok.Line, "text after the end of the form", Tok.Text);
    return Root;
  }

private:
  void Advance() { Tok = Lex.Next(); }

  bool IsKeyword(const char* Word) const { return Tok.Kind == TTok::Ident && EqualsNoCase(Tok.Text, Word); }
  bool IsSymbol(char C) const { return Tok.Kind == TTok::Symbol && Tok.Text[0] == C; }

  static bool EqualsNoCase(const std::string& A, const char* B) {
    size_t I = 0;
    for (; I < A.size() && B[I]; ++I)
      if (std::tolower(static_cast<unsigned char>(A[I])) != std::tolower(static_cast<unsigned char>(B[I]))) return false;
    return I == A.size() && !B[I];
  }

  [[noreturn]] void Expected(const char* What) {
    std::string Found = Tok.Kind == TTok::End ? std::string("end of text") : Tok.Text;
    Lex.Fail(Tok.Line, std::string(What) + " expected, found", Found);
  }

  void ExpectSymbol(char C) {
    if (!IsSymbol(C)) Expected((std::string("\"") + C + "\"").c_str());
    Advance();
  }

  std::string ExpectPlainIdent(const char* What) {
    if (Tok.Kind != TTok::Ident || Tok.Text.find('.') != std::string::npos) Expected(What);
    std::string Text = Tok.Text;
    Advance();
    return Text;
  }

  TFormObject ParseObject() {
    if (!IsKeyword("object")) Expected("\"object\"");
    TFormObject Obj;
    Obj.Line = Tok.Line;
    Advance();
    Obj.Name = ExpectPlainIdent("component name");
    ExpectSymbol(':');
    Obj.ClassName = ExpectPlainIdent("class name");
    if (++Depth > 64) Lex.Fail(Obj.Line, "components nested too deeply", Obj.Name);
    for (;;) {
      if (IsKeyword("end")) {
        Advance();
        break;
      }
      if (IsKeyword("object")) {
        Obj.Children.push_back(ParseObject());
        continue;
      }
      if (Tok.Kind == TTok::End) Lex.Fail(Tok.Line, "missing \"end\" of component", Obj.Name);
      Obj.Properties.push_back(ParseProperty());
    }
    --Depth;
    return Obj;
  }

  TFormProperty ParseProperty() {
    TFormProperty Prop;
    Prop.Line = Tok.Line;
    if (Tok.Kind != TTok::Ident) Expected("property name");
    Prop.Name = Tok.Text;
    Advance();
    ExpectSymbol('=');
    Prop.Value = ParseValue();
    return Prop;
  }

  TFormValue ParseValue() {
    TFormValue V;
    V.Line = Tok.Line;
    switch (Tok.Kind) {
      case TTok::Integer:
        V.Kind = TFormValueKind::Integer;
        V.Text = Tok.Text;
        Advance();
        return V;
      case TTok::Float:
        V.Kind = TFormValueKind::Float;
        V.Text = Tok.Text;
        Advance();
        return V;
      case TTok::String:
        V.Kind = TFormValueKind::String;
        V.Text = Tok.Text;
        Advance();
        return V;
      case TTok::Ident:
        if (IsKeyword("object") || IsKeyword("end") || IsKeyword("item")) Expected("value");
        V.Kind = TFormValueKind::Ident;
        V.Text = Tok.Text;
        Advance();
        return V;
      case TTok::End:
        Expected("value");
      case TTok::Symbol:
        break;
    }
    if (IsSymbol('[')) {
      V.Kind = TFormValueKind::Set;
      Advance();
      if (!IsSymbol(']')) {
        for (;;) {
          V.Items.push_back(ExpectPlainIdent("set member"));
          if (IsSymbol(']')) break;
          ExpectSymbol(',');
        }
      }
      Advance();
      return V;
    }
    if (IsSymbol('(')) {
      V.Kind = TFormValueKind::StringList;
      Advance();
      while (!IsSymbol(')')) {
        if (Tok.Kind != TTok::String && Tok.Kind != TTok::Integer && Tok.Kind != TTok::Float &&
            Tok.Kind != TTok::Ident)
          Expected("list line or \")\"");
        V.Items.push_back(Tok.Text);
        Advance();
      }
      Advance();
      return V;
    }
    if (IsSymbol('<')) {
      V.Kind = TFormValueKind::Collection;
      Advance();
      while (!IsSymbol('>')) {
        if (!IsKeyword("item")) Expected("\"item\" or \">\"");
        Advance();
        std::vector<TFormProperty> Item;
        while (!IsKeyword("end")) {
          if (Tok.Kind == TTok::End) Lex.Fail(Tok.Line, "missing \"end\" of collection item");
          Item.push_back(ParseProperty());
        }
        Advance();
        V.CollectionItems.push_back(std::move(Item));
      }
      Advance();
      return V;
    }
    Expected("value");
  }

  TLexer Lex;
  TToken Tok;
  int Depth = 0;
};

}  // namespace

TFormObject ParseFormText(std::string_view Text, const std::string& FormName) {
  TParser Parser(Text, FormName);
  return Parser.ParseRoot();
}

std::string FormValueText(const TFormValue& Value) {
  switch (Value.Kind) {
    case TFormValueKind::Set: {
      std::string Out = "[";
      for (size_t I = 0; I < Value.Items.size(); ++I) {
        if (I) Out += ',';
        Out += Value.Items[I];
      }
      return Out + "]";
    }
    case TFormValueKind::StringList: {
      std::string Out;
      for (const auto& Line : Value.Items) Out += Line + "\r\n";
      return Out;
    }
    default:
      return Value.Text;
  }
}

// ---------------------------------------------------------------------------------------
// Applying a parsed form.

#include <algorithm>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/strings.h"
#include "classlib/core/typinfo.h"

namespace {

struct TFixup {
  TObject* Instance;
  const TPropInfo* Prop;
  std::string Text;
  int Line;
};

class TFormApplier {
public:
  TFormApplier(TComponent* Root, const std::string& Form) : Root(Root), Form(Form) {}

  void Run(const TFormObject& F) {
    CheckRootClass(F);
    try {
      if (Root->Name() != F.Name) Guard(F.Line, F.Name, "invalid component name", [&] { Root->SetName(F.Name); });
      Root->BeginLoading();
      ApplyProperties(Root, F.Properties);
      for (const auto& Child : F.Children) ReadChild(Child, Root);
      for (const auto& Fix : Fixups) ApplyReference(Fix);
      CheckFields(F);
    } catch (...) {
      // Leave no half-read components behind: the form stays as it was created.
      for (auto It = Created.rbegin(); It != Created.rend(); ++It) delete *It;
      throw;
    }
    for (TComponent* C : Created) C->Loaded();
    Root->Loaded();
  }

private:
  [[noreturn]] void Fail(int Line, const std::string& Name, const std::string& What) {
    throw EFormError(Form, Line, Name, What);
  }

  // Runs Action; a failure of the registry or of a component becomes a form error that
  // names the place, with the component's own explanation.
  template <class F>
  void Guard(int Line, const std::string& Name, const char* What, F&& Action) {
    try {
      Action();
    } catch (const EFormError&) {
      throw;
    } catch (const Exception& E) {
      Fail(Line, Name, std::string(What) + " (" + E.Message() + ")");
    }
  }

  void CheckRootClass(const TFormObject& F) {
    for (const TClassInfo* C = Root->ClassInfo(); C != nullptr; C = C->Parent)
      if (SameIdent(C->Name, F.ClassName)) return;
    Fail(F.Line, F.ClassName, "the form is not of class " + Root->ClassName() + ":");
  }

  void ReadChild(const TFormObject& F, TComponent* Parent) {
    const TClassInfo* Class = GetClass(F.ClassName);
    if (Class == nullptr) Fail(F.Line, F.ClassName, "unknown class");
    if (!Class->CanCreateComponent()) Fail(F.Line, F.ClassName, "not a component class");
    if (Root->FindComponent(F.Name) != nullptr) Fail(F.Line, F.Name, "duplicate component name");
    TComponent* C = Class->CreateComponent(Root);
    Created.push_back(C);
    C->BeginLoading();
    Guard(F.Line, F.Name, "invalid component name", [&] { C->SetName(F.Name); });
    if (C->HasParent())
      Guard(F.Line, F.Name, (F.ClassName + " cannot be placed in " + Parent->ClassName() + ":").c_str(),
            [&] { C->SetParentComponent(Parent); });
    ApplyProperties(C, F.Properties);
    for (const auto& Grand : F.Children) ReadChild(Grand, C);
  }

  void ApplyProperties(TObject* Instance, const std::vector<TFormProperty>& Props) {
    for (const auto& P : Props) Apply(Instance, P);
  }

  // Steps through "Font.Style" to the object that has the last property.
  const TPropInfo* Resolve(TObject*& Instance, const TFormProperty& P, std::string& Last) {
    std::string_view Path = P.Name;
    for (;;) {
      size_t Dot = Path.find('.');
      std::string_view Part = Path.substr(0, Dot);
      const TPropInfo* Prop = GetPropInfo(Instance, Part);
      if (Dot == std::string_view::npos) {
        if (Prop == nullptr) {
          // "Lines.Strings = (...)": the list itself.
          if (SameIdent(Part, "Strings") && dynamic_cast<TStrings*>(Instance) != nullptr) {
            Last = "Strings";
            return nullptr;
          }
          Fail(P.Line, P.Name, "unknown property");
        }
        Last = std::string(Part);
        return Prop;
      }
      if (Prop == nullptr) Fail(P.Line, P.Name, "unknown property");
      if (Prop->Kind() != tkClass) Fail(P.Line, P.Name, "not an object property:");
      TObject* Next = Prop->GetObj(Instance);
      if (Next == nullptr) Fail(P.Line, P.Name, "the property holds no object:");
      Instance = Next;
      Path.remove_prefix(Dot + 1);
    }
  }

  void Apply(TObject* Instance, const TFormProperty& P) {
    std::string Last;
    TObject* Target = Instance;
    const TPropInfo* Prop = Resolve(Target, P, Last);
    const TFormValue& V = P.Value;

    if (V.Kind == TFormValueKind::StringList) {
      TStrings* List = Prop == nullptr ? dynamic_cast<TStrings*>(Target)
                       : Prop->Kind() == tkClass ? dynamic_cast<TStrings*>(Prop->GetObj(Target))
                                                 : nullptr;
      if (List == nullptr) Fail(P.Line, P.Name, "not a string list property:");
      Guard(P.Line, P.Name, "cannot set", [&] {
        List->BeginUpdate();
        List->Clear();
        for (const auto& Line : V.Items) List->Add(Line);
        List->EndUpdate();
      });
      return;
    }
    if (Prop == nullptr) Fail(P.Line, P.Name, "a string list expected for");
    if (V.Kind == TFormValueKind::Collection) {
      auto* Coll = Prop->Kind() == tkClass ? dynamic_cast<TCollection*>(Prop->GetObj(Target)) : nullptr;
      if (Coll == nullptr) Fail(P.Line, P.Name, "not a collection property:");
      Coll->BeginUpdate();
      try {
        Coll->Clear();
        for (const auto& Item : V.CollectionItems) {
          TCollectionItem* NewItem = nullptr;
          Guard(P.Line, P.Name, "cannot add an item to", [&] { NewItem = Coll->Add(); });
          ApplyProperties(NewItem, Item);
        }
      } catch (...) {
        Coll->EndUpdate();
        throw;
      }
      Guard(P.Line, P.Name, "cannot set", [&] { Coll->EndUpdate(); });
      return;
    }
    if (Prop->Kind() == tkMethod) {
      if (V.Kind != TFormValueKind::Ident) Fail(P.Line, P.Name, "a handler name expected for");
      TObject* HandlerTarget = nullptr;
      if (FindHandler(Target, V.Text, HandlerTarget) == nullptr) Fail(V.Line, V.Text, "unknown handler");
      Guard(P.Line, V.Text, ("handler does not fit " + P.Name + ":").c_str(),
            [&] { SetEventHandler(Target, Prop, V.Text); });
      return;
    }
    if (!Prop->IsWritable()) Fail(P.Line, P.Name, "read-only property");
    if (Prop->Kind() == tkClass) {
      const TClassInfo* Class = Prop->PropType()->ClassType();
      if (Class != nullptr && Class->InheritsFrom(TComponent::StaticClassInfo())) {
        if (V.Kind != TFormValueKind::Ident) Fail(P.Line, P.Name, "a component name expected for");
        // The component may come later in the text: resolved when all exist.
        Fixups.push_back({Target, Prop, V.Text, P.Line});
        return;
      }
    }
    Guard(P.Line, P.Name, "invalid value for", [&] { SetPropText(Target, Prop, FormValueText(V)); });
  }

  void ApplyReference(const TFixup& F) {
    bool Known = F.Text.find('.') != std::string::npos || SameIdent(F.Text, Root->Name()) ||
                 Root->FindComponent(F.Text) != nullptr;
    if (!Known) Fail(F.Line, F.Text, "unknown component");
    Guard(F.Line, F.Text, ("cannot refer to it from " + F.Prop->Name() + ":").c_str(),
          [&] { SetPropText(F.Instance, F.Prop, F.Text); });
  }

  // The fields were set as their components got their names; check that each found one.
  void CheckFields(const TFormObject& F) {
    for (const TFieldInfo* Field : Root->ClassInfo()->Fields()) {
      TComponent* Comp = Root->FindComponent(Field->Name());
      if (Comp == nullptr) Fail(F.Line, Field->Name(), "the form has no component for the field");
      if (Field->Get(Root) != Comp) Fail(F.Line, Field->Name(), "the component's class does not fit the field");
    }
  }

  TComponent* Root;
  const std::string& Form;
  std::vector<TComponent*> Created;
  std::vector<TFixup> Fixups;
};

}  // namespace

void ReadFormComponents(TComponent* Root, const TFormObject& Form, const std::string& FormName) {
  TFormApplier(Root, FormName).Run(Form);
}

void ReadFormText(TComponent* Root, std::string_view Text, const std::string& FormName) {
  ReadFormComponents(Root, ParseFormText(Text, FormName), FormName);
}
