// TStrings, the abstract list of strings with an object per line, and TStringList.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "classlib/core/object.h"

class TStream;
class TStringList;

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TStrings : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // Adds a line (a sorted list puts it in its place); the index it got.
  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  void Append(const std::string& S) { Add(S); }
  void AddStrings(const TStrings* Strings);
  // Copies the lines, objects, Delimiter and QuoteChar of another TStrings.
  void Assign(const TPersistent* Source) override;
  void BeginUpdate();
  void EndUpdate();
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Exchange(int Index1, int Index2);
  virtual void Insert(int Index, const std::string& S) = 0;
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Move(int CurIndex, int NewIndex);
  virtual int IndexOf(const std::string& S) const;
  int IndexOfName(const std::string& Name) const;
  int IndexOfObject(const TObject* AObject) const;
  bool Equals(const TStrings* Strings) const;

  // Lines split on CR LF, LF or CR; saved with CR LF after every line.
  void LoadFromFile(const std::string& FileName);
  virtual void LoadFromStream(TStream* Stream);  // from the position to the end
  void SaveToFile(const std::string& FileName);
  virtual void SaveToStream(TStream* Stream);

  int Count() const { return GetCount(); }
  std::string Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const std::string& S) { Put(Index, S); }
  std::string operator[](int Index) const { return Get(Index); }
  TObject* Objects(int Index) const { return GetObjectAt(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

  // "Name=Value" lines. Names compare as the list compares its strings.
  std::string Names(int Index) const;
  std::string Values(const std::string& Name) const;
  // An empty value deletes the line.
  void SetValues(const std::string& Name, const std::string& Value);
  std::string ValueFromIndex(int Index) const;  // "" for a line without "="
  void SetValueFromIndex(int Index, const std::string& Value);

  // CommaText: DelimitedText with "," and '"'. Items holding blanks, control characters,
  // the quote or the delimiter are quoted (inner quotes doubled). Reading splits at the
  // delimiter and at blanks outside quotes.
  std::string CommaText() const;
  void SetCommaText(const std::string& Value);
  std::string DelimitedText() const;
  void SetDelimitedText(const std::string& Value);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char Value) { FDelimiter = Value; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char Value) { FQuoteChar = Value; }

  std::string Text() const;
  void SetText(const std::string& Value);

  int UpdateCount() const { return FUpdateCount; }

protected:
  virtual std::string Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObjectAt(int Index) const;
  virtual void Put(int Index, const std::string& S);
  virtual void PutObject(int Index, TObject* AObject);
  virtual void SetUpdateState(bool Updating);
  // How the list compares strings: ANSI, case-insensitive unless a subclass says so.
  virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
  [[noreturn]] static void Error(const char* Msg, int Data);

private:
  std::string GetDelimited(char Delim, char Quote) const;
  void SetDelimited(const std::string& Value, char Delim, char Quote);
  int FUpdateCount = 0;
  char FDelimiter = ',';
  char FQuoteChar = '"';
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Negative when the line at Index1 sorts before the line at Index2.
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  // EStringListError "Operation not allowed on sorted string list" on a sorted list.
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;
  void Insert(int Index, const std::string& S) override;
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  int IndexOf(const std::string& S) const override;
  // Binary search of a sorted list: true when found; Index is the place of S (the first
  // of equal lines under dupAccept) or where it would go.
  virtual bool Find(const std::string& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);

  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  std::string Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObjectAt(int Index) const override;
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const std::string& S1, const std::string& S2) const override;
  virtual void Changed();
  virtual void Changing();

private:
  struct TStringItem {
    std::string FString;
    TObject* FObject;
  };
  void InsertItem(int Index, const std::string& S, TObject* AObject);
  void CheckIndex(int Index) const;
  std::vector<TStringItem> FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
};
