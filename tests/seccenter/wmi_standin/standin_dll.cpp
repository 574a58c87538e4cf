// wmi_standin.dll: the stand-in WMI locator as an in-process COM server, so
// that registered for CLSID_WbemLocator in a Wine prefix it serves every
// process there (the firewall's reporting, tvn_unreg and the test itself).
#include <wbemcli.h>

#include "tests/seccenter/wmi_standin/wmi_standin.h"

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_WbemLocator) return CLASS_E_CLASSNOTAVAILABLE;
  return tvn::test::StandInLocatorFactory()->QueryInterface(iid, object);
}

// The factory is static and cheap: the DLL stays loaded until the process ends.
extern "C" HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }
