// The built torvane.chm, read with the system's own reader of compiled help
// files (the ITStorage component that the help engine uses): each context
// number of the program maps to its topic.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/help.h"
#include "app/program_dir.h"

namespace tvn {
namespace {

// The reader's interface, as documented for compiled help files; only the
// slots up to the one called are spelled out.
struct IITStorage;
struct IITStorageVtbl {
  HRESULT(STDMETHODCALLTYPE* QueryInterface)(IITStorage*, REFIID, void**);
  ULONG(STDMETHODCALLTYPE* AddRef)(IITStorage*);
  ULONG(STDMETHODCALLTYPE* Release)(IITStorage*);
  void* StgCreateDocfile;
  void* StgCreateDocfileOnILockBytes;
  void* StgIsStorageFile;
  void* StgIsStorageILockBytes;
  HRESULT(STDMETHODCALLTYPE* StgOpenStorage)(IITStorage*, const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**);
};
struct IITStorage {
  const IITStorageVtbl* lpVtbl;
};
const CLSID kClsidITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

std::vector<char> ReadStream(IStorage* storage, const wchar_t* name) {
  IStream* stream = nullptr;
  std::vector<char> data;
  if (FAILED(storage->OpenStream(name, nullptr, STGM_READ, 0, &stream))) return data;
  char buffer[4096];
  ULONG got = 0;
  while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0) data.insert(data.end(), buffer, buffer + got);
  stream->Release();
  return data;
}

// Context number to topic: #IVB holds a byte count, then pairs of context
// number and offset of the topic's name in #STRINGS. A topic is named as
// inside the file, from its root ("/decouvrir.htm").
std::map<DWORD, std::string> ContextMap(const std::string& chm) {
  std::map<DWORD, std::string> map;
  IITStorage* reader = nullptr;
  if (FAILED(CoCreateInstance(kClsidITStorage, nullptr, CLSCTX_INPROC_SERVER, kIidITStorage,
                              reinterpret_cast<void**>(&reader))))
    return map;
  std::wstring path(chm.begin(), chm.end());
  IStorage* storage = nullptr;
  if (SUCCEEDED(reader->lpVtbl->StgOpenStorage(reader, path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE,
                                               nullptr, 0, &storage))) {
    const std::vector<char> ivb = ReadStream(storage, L"#IVB");
    const std::vector<char> strings = ReadStream(storage, L"#STRINGS");
    for (size_t at = 4; at + 8 <= ivb.size(); at += 8) {
      DWORD context, offset;
      std::memcpy(&context, &ivb[at], 4);
      std::memcpy(&offset, &ivb[at + 4], 4);
      if (offset < strings.size()) map[context] = std::string(&strings[offset]);
    }
    storage->Release();
  }
  reader->lpVtbl->Release(reader);
  return map;
}

TEST(HelpFile, EachContextNumberOpensItsTopic) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  const std::string chm = ProgramDir() + kHelpFileName;
  ASSERT_NE(GetFileAttributesA(chm.c_str()), INVALID_FILE_ATTRIBUTES) << chm;
  const std::map<DWORD, std::string> expected{
      {kHelpDecouvrirTorvane, "/decouvrir.htm"},
      {kHelpToutSurUnFirewall, "/firewall.htm"},
      {kHelpNiveauxDeBlocage, "/niveaux.htm"},
      {kHelpNouveauProgramme, "/nouveau_programme.htm"},
  };
  EXPECT_EQ(ContextMap(chm), expected);
  CoUninitialize();
}

}  // namespace
}  // namespace tvn
