#include "classlib/core/object.h"

#include "classlib/core/exception.h"
#include "classlib/core/typinfo.h"

const TClassInfo* TObject::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TObject, void>("TObject").Build();
  return &Info;
}

const TClassInfo* TObject::ClassInfo() const { return StaticClassInfo(); }

std::string TObject::ClassName() const { return ClassInfo()->Name; }

bool TObject::InheritsFrom(const TClassInfo* Class) const {
  return ClassInfo()->InheritsFrom(Class);
}

const TClassInfo* TPersistent::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPersistent, TObject>("TPersistent").Build();
  return &Info;
}

const TClassInfo* TPersistent::ClassInfo() const { return StaticClassInfo(); }

void TPersistent::Assign(const TPersistent* Source) {
  if (Source != nullptr)
    Source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const { Dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* Source) const {
  std::string From = Source != nullptr ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + From + " to a " + ClassName());
}
