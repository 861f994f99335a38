// TObject and TPersistent: the roots of the class tree.
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

  // The registry entry of the object's most derived registered class.
  virtual const TClassInfo* ClassInfo() const;
  std::string ClassName() const;
  bool InheritsFrom(const TClassInfo* Class) const;
};

class TPersistent : public TObject {
public:
  // Copies Source into this object; raises EConvertError when neither side knows how.
  virtual void Assign(const TPersistent* Source);
  const TClassInfo* ClassInfo() const override;

protected:
  virtual void AssignTo(TPersistent* Dest) const;
};
