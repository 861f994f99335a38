// Storage of published properties as text values, through read, write and erase-section
// callbacks, so that the same code serves the registry and INI files.
//
// A stored-properties list has one line per property, "Component.Property"; its object
// slot holds the bound component. A property is kept under the key Prefix + its declared
// name (CheckBox1_Checked, TextView_FontSize) with the text of its type kind:
//   integer, colour   decimal ("-2147483643" for clWindow)
//   char              the character
//   enumeration       the identifier ("True"/"False" for Booleans)
//   float             general format, 7/15/18/18/19 significant digits, "." as separator
//   string            the text, trimmed
//   set               "[fsBold,fsItalic]"; read back from the names split at blanks,
//                     commas and brackets, unknown names ignored
//   component         "Name", "Root.Name" for a component of another root, "(null)"
//   string list       a section "<Section>.<Key>" with Count and Item0, Item1...
//   collection        "<Key>.Count" in the section, each item's properties in the section
//                     "<Section>.<Key>" under Item0_, Item1_...
//   other objects     their own properties, each under the key + its name (TextView_FontName)
// A key that is missing, or a text that does not convert, leaves the property as it was.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/core/typinfo.h"

class TComponent;
class TStrings;
class TCollection;

// The published properties of one object that have a text form (every kind but events).
class TPropInfoList : public TObject {
public:
  TPropInfoList(const TObject* AObject, TTypeKinds Filter);
  // By name, case-insensitively; nullptr when there is none.
  const TPropInfo* Find(std::string_view AName) const;
  void Delete(int Index);  // EListError out of range
  int Count() const { return static_cast<int>(FList.size()); }
  const TPropInfo* Items(int Index) const { return FList.at(Index); }

private:
  std::vector<const TPropInfo*> FList;
};

using TReadStrEvent =
    std::function<std::string(const std::string& ASection, const std::string& Item, const std::string& Default)>;
using TWriteStrEvent =
    std::function<void(const std::string& ASection, const std::string& Item, const std::string& Value)>;
using TEraseSectEvent = std::function<void(const std::string& ASection)>;

class TPropsStorage : public TObject {
public:
  TPropsStorage() = default;

  // The object whose properties are stored and loaded.
  TObject* AObject() const { return FObject; }
  void SetAObject(TObject* Value) { FObject = Value; }
  // The component that names without a root are resolved against (the form).
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  const std::string& Prefix() const { return FPrefix; }
  void SetPrefix(const std::string& Value) { FPrefix = Value; }
  const std::string& Section() const { return FSection; }
  void SetSection(const std::string& Value) { FSection = Value; }

  TReadStrEvent OnReadString;
  TWriteStrEvent OnWriteString;
  TEraseSectEvent OnEraseSection;

  void StoreAnyProperty(const TPropInfo* PropInfo);
  void LoadAnyProperty(const TPropInfo* PropInfo);
  // Every property of AObject that has a text form.
  void StoreProperties();
  void LoadProperties();
  // The lines of StoredList, each bound to its component of AComponent (see
  // UpdateStoredList). A property that fails to store does not keep the others from being
  // stored; the first failure is raised after all.
  void StoreObjectsProps(TComponent* AComponent, TStrings* StoredList);
  void LoadObjectsProps(TComponent* AComponent, TStrings* StoredList);

protected:
  virtual std::string ReadString(const std::string& ASection, const std::string& Item, const std::string& Default);
  virtual void WriteString(const std::string& ASection, const std::string& Item, const std::string& Value);
  virtual void EraseSection(const std::string& ASection);
  virtual std::string GetItemName(const std::string& APropName);
  virtual std::unique_ptr<TPropsStorage> CreateStorage();

private:
  std::unique_ptr<TPropsStorage> NestedStorage(TObject* Object, const std::string& APrefix,
                                               const std::string& ASection);
  std::string StoreComponentProperty(const TPropInfo* PropInfo);
  void LoadComponentProperty(const TPropInfo* PropInfo, const std::string& Text);
  void StoreStringsProperty(const TPropInfo* PropInfo, TStrings* Strings);
  void LoadStringsProperty(const TPropInfo* PropInfo, TStrings* Strings);
  void StoreCollectionProperty(const TPropInfo* PropInfo, TCollection* Collection);
  void LoadCollectionProperty(const TPropInfo* PropInfo, TCollection* Collection);
  bool ItemStored(const std::string& ASection, int Index, const TClassInfo* ItemClass);
  void ApplyText(const TPropInfo* PropInfo, const std::string& Text);

  TObject* FObject = nullptr;
  TComponent* FOwner = nullptr;
  std::string FPrefix;
  std::string FSection;
  int FLevel = 0;  // nesting depth of object properties
};

// "Label1.Caption" -> "Label1", "Caption" (both trimmed); false unless both are non-empty.
bool ParseStoredItem(const std::string& Item, std::string& CompName, std::string& PropName);
// "Label1" + "Caption" -> "Label1.Caption"; empty unless both are non-empty.
std::string CreateStoredItem(const std::string& CompName, const std::string& PropName);
// The line with another component name; empty for a line that is not valid.
std::string ReplaceComponentName(const std::string& Item, const std::string& CompName);

// Walks the list from the last line to the first and deletes the lines that are not valid.
// FromForm: binds each line to the component of that name of AForm (object slot), deleting
// the lines that name none. Otherwise rewrites each line with the current name of its bound
// component, deleting the lines that have none.
void UpdateStoredList(TComponent* AForm, TStrings* AStoredList, bool FromForm);
