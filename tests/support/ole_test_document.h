// A small embeddable document of the tests' own, served inside the test process: a
// compound file that names its class and holds one line of text in the stream "Text".
// The system finds its program by that class, so no registry entry is needed. The object
// draws its text, loads and saves files and storages, and its text can be changed, which
// makes it dirty, as an edited document is.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

// {5A3B1C2D-7E6F-4A1B-9C8D-0E1F2A3B4C5D}
inline const CLSID CLSID_TestDocument = {0x5a3b1c2d, 0x7e6f, 0x4a1b, {0x9c, 0x8d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d}};

class TTestDocumentServer {
public:
  // Serves the class while it lives (the calling thread must have started OLE).
  TTestDocumentServer();
  ~TTestDocumentServer();
  TTestDocumentServer(const TTestDocumentServer&) = delete;
  TTestDocumentServer& operator=(const TTestDocumentServer&) = delete;
  bool Serving() const { return FCookie != 0; }

  // Writes a document file with the given text; false when it cannot be written.
  static bool WriteDocument(const std::wstring& FileName, const std::string& Text);
  // The text of a document file; false when it is not one.
  static bool ReadDocument(const std::wstring& FileName, std::string& Text);
  // The text of a live object of the class, and changing it (the object becomes dirty).
  static bool ObjectText(IUnknown* Object, std::string& Text);
  static bool SetObjectText(IUnknown* Object, const std::string& Text);

private:
  DWORD FCookie = 0;
};
