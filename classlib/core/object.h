// TObject and TPersistent: the roots of the class tree.
//
// Every class that publishes properties, or that form resources create by name, declares
//   static const TClassInfo* StaticClassInfo();
//   const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
// and defines StaticClassInfo() in its own unit with a TClassBuilder (typinfo.h).
#pragma once

#include <string>

struct TClassInfo;  // the class and published-property registry entry (typinfo.h)
class TPersistent;

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo* StaticClassInfo();
  // The registry entry of the object's most derived registered class.
  virtual const TClassInfo* ClassInfo() const;
  std::string ClassName() const;
  bool InheritsFrom(const TClassInfo* Class) const;
};

class TPersistent : public TObject {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override;

  // Copies Source into this object; raises EConvertError when neither side knows how.
  virtual void Assign(const TPersistent* Source);
  // The object that owns this one in the object tree (a component's owner, a collection
  // item's collection); event handlers and component references are looked up along it.
  virtual TPersistent* GetOwner() const { return nullptr; }

protected:
  virtual void AssignTo(TPersistent* Dest) const;
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};
