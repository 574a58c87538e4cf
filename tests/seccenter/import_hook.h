// Points one entry of a loaded module's import address table at another
// function for as long as the hook lives, so a test can watch what the
// module asks of the system without changing the module.
#pragma once

#include <windows.h>

namespace tvn::test {

class ImportHook {
 public:
  // `dll` and `function` as the module imports them ("OLEAUT32.dll",
  // "SysAllocString"); found() is false when the module has no such import.
  ImportHook(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return;
    for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
      if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), dll) != 0) continue;
      auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
        slot_ = reinterpret_cast<void**>(&slots->u1.Function);
        original_ = *slot_;
        Write(replacement);
        return;
      }
    }
  }
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;
  ~ImportHook() {
    if (slot_) Write(original_);
  }

  bool found() const { return slot_ != nullptr; }
  void* original() const { return original_; }

 private:
  void Write(void* function) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection);
    *slot_ = function;
    VirtualProtect(slot_, sizeof(void*), protection, &protection);
  }

  void** slot_ = nullptr;
  void* original_ = nullptr;
};

}  // namespace tvn::test
