// A control that holds one embedded OLE object: created new from its class, shown through
// the object's own drawing, and activated in place (its own window inside the control)
// when the control gets the focus or is double-clicked, as AutoActivate says.
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

protected:
  void Paint() override;
  void Resize() override;
  void DestroyWnd() override;

private:
  class TSite;
  friend class TSite;
  RECT ObjectRect();
  TSite* FSite = nullptr;
  IOleObject* FObject = nullptr;
  IStorage* FStorage = nullptr;
  IOleInPlaceObject* FInPlace = nullptr;
  DWORD FDrawAspect = DVASPECT_CONTENT;
  TAutoActivate FAutoActivate = aaDoubleClick;
};

// Makes TOleContainer known to form resources (once).
void RegisterOleContainer();
