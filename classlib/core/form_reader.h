// Form resources: the text that describes a form's components, and the reader that builds
// the components from it through the class and property registries.
//
//   object MainForm: TMainForm
//     Caption = 'Zembrix'              string ('' is a quote, #1025 a code point, + joins)
//     Width = 800                      integer (also $FF), float 1.5
//     WindowState = wsMaximized        identifier: enumeration member, Boolean, colour,
//                                      component reference or, for an event, a handler name
//     Font.Style = [fsBold, fsItalic]  set; a dotted name reaches a nested object
//     Lines.Strings = ('one' 'two')    string list
//     Panels = <                       collection
//       item
//         Width = 250
//       end>
//     object Child: TPanel              nested component; its parent is the enclosing one
//     end
//   end
//
// Form files are UTF-8; string values become code page 1251 on reading.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "classlib/core/exception.h"

class TComponent;
class TPersistent;
struct TClassInfo;

// A malformed form resource, or one that names something the program does not know. The
// message names the form, the line and the offending name.
class EFormError : public EReadError {
public:
  EFormError(const std::string& Form, int Line, const std::string& Name, const std::string& What);
  std::string Form;
  int Line;
  std::string Name;
};

struct TFormProperty;

enum class TFormValueKind { Integer, Float, String, Ident, Set, StringList, Collection };

struct TFormValue {
  TFormValueKind Kind = TFormValueKind::Integer;
  int Line = 0;
  std::string Text;                // number, string (1251) or identifier
  std::vector<std::string> Items;  // set members or string-list lines
  std::vector<std::vector<TFormProperty>> CollectionItems;
};

struct TFormProperty {
  std::string Name;  // may be dotted: Font.Name
  int Line = 0;
  TFormValue Value;
};

struct TFormObject {
  std::string Name;
  std::string ClassName;
  int Line = 0;
  std::vector<TFormProperty> Properties;
  std::vector<TFormObject> Children;
};

// Parses a whole form text; FormName is used in error messages only.
TFormObject ParseFormText(std::string_view Text, const std::string& FormName);

// The value as the property registry takes it: numbers and identifiers as they stand, a set
// as "[a,b]", a string list as its lines joined with CR LF.
std::string FormValueText(const TFormValue& Value);

// Builds the components of a parsed form into Root, which must be of the form's class (or
// derive from it). Children are created by class name with Root as their owner and, when
// they have a parent (HasParent), placed in their enclosing component
// (SetParentComponent); properties are set by name; event properties get the handler of
// that name from Root's handler table; component references are resolved among Root's
// components after everything is created. Root's component fields (TClassBuilder::Field)
// follow their components by name as these are named; a field left without its component,
// or whose component is of another class, is an error. Everything read is in the loading state meanwhile; the created
// components get Loaded() in creation order, then Root. On an error the components created
// so far are deleted again.
void ReadFormComponents(TComponent* Root, const TFormObject& Form, const std::string& FormName);

// Parse and read in one step.
void ReadFormText(TComponent* Root, std::string_view Text, const std::string& FormName);
