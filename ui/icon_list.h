// TIconList: an owning list of icons that components publish as a property (the tray
// icon's animation frames). Every change, an in-place edit of a held icon included, is
// reported through OnChange; in form data the list is the binary property "Icons".
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/core/stream.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/icon.h"

class TIconList : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TIconList() = default;
  ~TIconList() override;

  // Another icon list (its icons copied), a single icon (a one-entry list) or nothing (an
  // empty list); anything else goes to the base class.
  void Assign(const TPersistent* Source) override;

  int Count() const { return static_cast<int>(FList.size()); }
  // The held icon; nullptr for an empty entry. A bad index raises EListError.
  TIcon* Icons(int Index) const;
  // Copies Value into the entry (Index == Count appends one).
  void SetIcons(int Index, const TIcon* Value);

  // A copy of Icon (an empty icon for nullptr) is appended or inserted; the index.
  virtual int Add(const TIcon* Icon);
  virtual void Insert(int Index, const TIcon* Icon);
  // An icon of a module's resources.
  virtual int AddResource(HINSTANCE Instance, const std::string& ResName);
  virtual void InsertResource(int Index, HINSTANCE Instance, const std::string& ResName);
  virtual void Clear();
  virtual void Delete(int Index);
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  virtual int IndexOf(const TIcon* Icon) const;

  // OnChange is held back until the outermost EndUpdate, which reports one change.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  // Count, then per entry its size (0 for an empty entry) and its .ico data; 32-bit
  // little-endian integers.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream) const;

  TNotifyEvent OnChange;

protected:
  virtual void Changed();

private:
  void CheckIndex(int Index, int Limit) const;
  std::unique_ptr<TIcon> NewIcon(const TIcon* Source);
  // The "Icons" property: nothing when the list is empty, so that an empty list is not
  // written.
  TBytes GetData() const;
  void SetData(const TBytes& Value);

  std::vector<std::unique_ptr<TIcon>> FList;
  int FUpdateCount = 0;
};
