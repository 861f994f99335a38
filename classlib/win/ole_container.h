// A control that holds one embedded OLE object: created new from its class or from a
// document file, shown through the object's own drawing, and activated in place (its own
// window inside the control) when the control gets the focus or is double-clicked, as
// AutoActivate says. The document can be saved to a file again.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "classlib/core/exception.h"
#include "classlib/win/controls.h"

// An OLE call failed; the message is the system's text for the result.
class EOleSysError : public Exception {
public:
  EOleSysError(const std::string& Message, HRESULT Code) : Exception(Message), FErrorCode(Code) {}
  HRESULT ErrorCode() const { return FErrorCode; }

private:
  HRESULT FErrorCode;
};

enum TAutoActivate { aaManual, aaGetFocus, aaDoubleClick };
template <> const TTypeInfo* TypeInfoOf<TAutoActivate>();

class TOleContainer : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TOleContainer(TComponent* AOwner);
  ~TOleContainer() override;

  TAutoActivate AutoActivate() const { return FAutoActivate; }
  void SetAutoActivate(TAutoActivate Value) { FAutoActivate = Value; }

  // Replaces the object with a new one of the class named by a program identifier
  // ("Shell.Explorer.2") or a class identifier in braces; Iconic shows it as its icon.
  // Raises EOleSysError: for a name that names no class (the container stays as it was),
  // or for an object that cannot be made (the container is then empty).
  void CreateObject(const std::string& OleClassName, bool Iconic);
  // Replaces the object with the document of a file, served by the program that the file's
  // class (its type) names; Linked is not supported and raises. Raises EOleSysError for a
  // missing file or one that no program serves; the container then keeps what it had.
  void CreateObjectFromFile(const std::string& FileName, bool Linked);
  // Writes the document to a file: in the document's own format where the object saves to
  // files, else as a compound file with the object's storage (which CreateObjectFromFile
  // reads back). The file is replaced only once the whole document has been written.
  // Raises EOleSysError when there is no object or it cannot be saved.
  void SaveToFile(const std::string& FileName);
  // Shows the system's insert-object dialog and embeds what the user chose there (a new
  // object of a class, or a file's document). False when cancelled; raises EOleSysError
  // when the dialog is missing or the chosen object cannot be made.
  bool InsertObjectDialog();
  // Whether the document changed since it was made, loaded or saved (the object's own
  // dirty state, or a change set from outside).
  bool Modified() const;
  void SetModified(bool Value);
  // Closes the object without saving it and empties the container.
  void DestroyObject();
  bool HasObject() const { return FObject != nullptr; }
  IOleObject* OleObject() const { return FObject; }
  // Runs one of the object's verbs (OLEIVERB_*); raises EOleSysError when it fails.
  void DoVerb(int Verb);
  // Whether the object is active in place, and its window then.
  bool InPlaceActive() const { return FInPlace != nullptr; }
  HWND InPlaceWindow() const;
  // Ends in-place activation; the object is drawn by the container again.
  void Deactivate();

  void WndProc(TMessage& Message) override;
  // Keys typed in the object's own window while it is active in place reach OnKeyDown
  // first, so that the container's keys work over any object.
  bool IsMenuKey(const MSG& Msg) override;

protected:
  void Paint() override;
  void Resize() override;
  void DestroyWnd() override;

private:
  class TSite;
  friend class TSite;
  RECT ObjectRect();
  // Takes a new object made in Storage in place of the old one.
  void Adopt(IOleObject* Object, IStorage* Storage, DWORD Aspect);
  bool ObjectDirty() const;
  TSite* FSite = nullptr;
  bool FModified = false;
  // The object said it was changed when the flag was cleared (some do right after they are
  // made): only a later change counts then.
  bool FDirtyAtClear = false;
  IOleObject* FObject = nullptr;
  IStorage* FStorage = nullptr;
  IOleInPlaceObject* FInPlace = nullptr;
  DWORD FDrawAspect = DVASPECT_CONTENT;
  TAutoActivate FAutoActivate = aaDoubleClick;
};

// Makes TOleContainer known to form resources (once).
void RegisterOleContainer();
